#!/usr/bin/env bash
# Runs one end-to-end case: run_e2e.sh NAME runs tests/e2e/cases/NAME.sh on a
# fresh Xvfb screen with openbox, and cleans up whatever happens.
#
# A case file sets E2E_SCREEN ("WxH"), may set E2E_NO_WM=1 to run without a window
# manager or E2E_WM=icewm|weston for another than openbox, and defines e2e_case, which uses the helpers of lib.sh.
# Environment: E2E_DEMO (the demo program), E2E_BUILD_DIR (the build folder, for
# programs of the build such as $E2E_BUILD_DIR/sample-disc/disc/vemi32), E2E_OUT
# (where screenshots and logs go; a folder per case).
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_NAME=${1:?usage: run_e2e.sh NAME}
case_file="$here/cases/$E2E_NAME.sh"
[ -f "$case_file" ] || { echo "no case $case_file" >&2; exit 2; }

for tool in Xvfb xdotool xwininfo xprop xdpyinfo xmodmap import convert; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

E2E_DIR="${E2E_OUT:-${TMPDIR:-/tmp}/vemi-e2e}/$E2E_NAME"
rm -rf "$E2E_DIR"
mkdir -p "$E2E_DIR"

# A desktop session speaks UTF-8; a bare environment (a fresh machine, CI) may have
# no locale at all, and then X hands typed Polish letters to no program.
export LC_ALL=C.UTF-8
unset LANGUAGE

# Programs built with AddressSanitizer report leaks at exit; the font libraries'
# lifelong caches are not ours to fix.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# shellcheck source=lib.sh
. "$here/lib.sh"
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

E2E_SCREEN=1024x768
E2E_NO_WM=0
E2E_WM=openbox
# shellcheck source=/dev/null
. "$case_file"

e2e_start_display "${E2E_SCREEN%x*}" "${E2E_SCREEN#*x}"
if [ "$E2E_NO_WM" != 1 ]; then e2e_start_chosen_wm; fi
started=$SECONDS
e2e_case
e2e_log "passed in $((SECONDS - started)) s (output in $E2E_DIR)"
exit 0
