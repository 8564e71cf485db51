#!/usr/bin/env bash
# Sets up, builds and runs every test. With --sanitize the build goes to
# build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ "${1:-}" = "--sanitize" ]; then
  export BUILD_DIR=build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  scripts/build.sh -DVEMI_SANITIZE=ON
else
  export BUILD_DIR=build
  scripts/build.sh
fi
cd "$BUILD_DIR"
ctest --output-on-failure -j2 --timeout 300
