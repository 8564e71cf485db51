#!/usr/bin/env bash
# Builds the Windows programs (scripts/build-windows.sh) and runs their tests under
# wine; CTest's summary ends the output. The programs for the disc are 32-bit, and
# they are what is tested where wine runs 32-bit programs. wine needs the machine
# to run 32-bit Linux programs for that (scripts/runs-32bit.sh); where it cannot,
# the same sources are built and tested as 64-bit programs (WIN_ARCH chooses
# either way).
set -euo pipefail
cd "$(dirname "$0")/.."
# (The native packages first: the probe needs binutils.)
scripts/setup.sh
if [ -z "${WIN_ARCH:-}" ]; then
  if scripts/runs-32bit.sh; then
    WIN_ARCH=i686
  else
    WIN_ARCH=x86_64
    echo "test-windows: this machine runs no 32-bit programs, so neither does its wine: testing the 64-bit build"
  fi
fi
export WIN_ARCH
scripts/build-windows.sh
case $WIN_ARCH in
x86_64) cd "${WIN_BUILD_DIR:-build-windows64}" ;;
*) cd "${WIN_BUILD_DIR:-build-windows}" ;;
esac
status=0
ctest --output-on-failure -j2 --timeout 300 || status=$?
# The wine server of the run stays a minute for the next test; none is coming.
WINEPREFIX="$PWD/wine-prefix" wineserver -k 2>/dev/null || true
exit $status
