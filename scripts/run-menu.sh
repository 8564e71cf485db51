#!/usr/bin/env bash
# Sets up, builds and opens the menu on the sample disc that the build makes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
DISC=build/sample-disc/disc
if [ -x "$DISC/vemi32" ]; then
  exec "$DISC/vemi32" "$@"
fi
# Until the main window exists, show what the disc tool reads from the sample data.
exec build/tools/vemi-disc --help
