#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM.exe [ARGS]: how CTest runs a Windows program of the
# cross build. The wine prefix is the build's own, made on first use (two tests
# starting at once wait for one another), and wine runs quietly with no display:
# no debug chatter, no offer to install Mono or Gecko, no window.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"
