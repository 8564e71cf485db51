#!/usr/bin/env bash
# Sets up, builds and opens the menu on the sample disc that the build makes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/sample-disc/disc/vemi32 "$@"
