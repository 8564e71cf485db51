#!/usr/bin/env bash
# wine-run.sh PREFIX [NAME=VALUE...] PROGRAM.exe [ARGS]: how CTest runs a Windows
# program of the cross build, with the variables given set for it. The wine prefix
# is the build's own, made on first use (two tests starting at once wait for one
# another), and wine runs quietly with no display: no debug chatter, no offer to
# install Mono or Gecko, no menu entries, and windows on no screen (the null driver).
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Wine names the files it makes on Linux in the locale's encoding: without a UTF-8
# locale (a bare machine, CI) no Polish name can be made at all. One fixed locale
# also keeps wine's code pages the same whatever the user's own language.
export LC_ALL=C.UTF-8
unset LANGUAGE
# The tests make real windows and controls; with no X display wine makes them on
# its null display driver, which the prefix has to name (else every window fails).
nulldisplay="$prefix/.null-display"
# A prefix made while wine had no 32-bit half (Debian's wine32) has an empty
# 32-bit system folder, and no 32-bit program starts in it; with that half
# installed since, the prefix is made again.
stale=0
if [ -x /usr/lib/wine/wine ] && [ -f "$prefix/system.reg" ] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
  stale=1
fi
if [ ! -f "$prefix/system.reg" ] || [ ! -f "$nulldisplay" ] || ((stale)); then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if ((stale)) && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
      wineserver -k 9>&- 2>/dev/null || true
      rm -rf "$prefix"
    fi
    if [ ! -f "$prefix/system.reg" ]; then
      wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    fi
    if [ ! -f "$nulldisplay" ]; then
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&- || true
      touch "$nulldisplay"
    fi
    # Until the server has written the prefix and gone; the next one starts with
    # the display driver named.
    wineserver -w 9>&-
  ) 9>"$prefix.lock"
fi
# One wine server for a whole test run: it stays a minute after its last program
# instead of three seconds, so that test after test does not start wine afresh.
# A fresh server's helper programs (services, the desktop) are started here, with
# nothing of ours open: started by a test they would keep its output pipe open,
# and CTest would wait for them to end.
(
  flock 9
  # (The lock is not handed on: the server and its helpers outlive this.)
  if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$prefix.lock"
vars=()
while [ $# -gt 0 ] && [[ $1 == *=* ]]; do
  vars+=("$1")
  shift
done
# The program's output goes through files: whatever it starts (wine starts its
# desktop on the first window, and COM makes one) inherits them instead of CTest's
# pipes, which it would keep open, and CTest waiting, for as long as it runs.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
env "${vars[@]}" wine "$@" </dev/null >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
exit $status
