#!/usr/bin/env bash
# Checks the menu program as it lies on a disc, for a reader whose desktop has
# nothing of ours installed: it needs only libraries every Linux desktop has (the
# C library, zlib, X11, fontconfig, FreeType), from a C library no newer than 2.34;
# it carries no symbols or debug information, fits in 4 MiB, and starts: without
# a display it says why on the terminal and ends with 0.
#
#   tests/disc/disc_program_test.sh DISC/vemi32
set -uo pipefail
export LC_ALL=C
prog=${1:?usage: disc_program_test.sh PROGRAM}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[[ -f $prog && -x $prog ]] || { echo "FAIL: no program at $prog"; exit 1; }

size=$(stat -c %s "$prog")
(( size <= 4 * 1024 * 1024 )) || fail "$size bytes, more than 4 MiB"
echo "size: $size bytes"

# The C library with its parts (libm, libpthread, libdl, librt, the loader), zlib,
# and the X11, Xft, fontconfig and FreeType libraries of the desktop.
allowed=" libc.so.6 libm.so.6 libpthread.so.0 libdl.so.2 librt.so.1 ld-linux-x86-64.so.2 libz.so.1
  libX11.so.6 libxcb.so.1 libXext.so.6 libXft.so.2 libXrender.so.1 libXinerama.so.1 libXfixes.so.3
  libXcursor.so.1 libfontconfig.so.1 libfreetype.so.6 "
needed=$(readelf -d "$prog" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
echo "needs:" $needed
[[ " $needed " == *" libc.so.6 "* ]] || fail "libc.so.6 not among the needed libraries: not a dynamic program?"
for lib in $needed; do
  [[ $allowed == *" $lib"[[:space:]]* ]] || fail "needs $lib, which a reader's desktop may lack"
done

# Every symbol version the program asks of the C library; the highest decides
# which systems can start it.
versions=$(readelf -V "$prog" | grep -o 'Name: GLIBC_[0-9][0-9.]*' | sed 's/Name: GLIBC_//' | sort -uV)
highest=$(tail -n 1 <<<"$versions")
echo "highest C library version: ${highest:-none}"
[[ -n $highest ]] || fail "no GLIBC symbol versions read"
[[ $(printf '%s\n2.34\n' "$highest" | sort -V | tail -n 1) == 2.34 ]] ||
  fail "needs GLIBC_$highest ($(readelf -V "$prog" | grep -c "GLIBC_$highest") symbols); at most 2.34 is allowed"
! readelf -V "$prog" | grep -qE 'Name: (GLIBCXX|CXXABI)_' || fail "asks for the C++ runtime of the desktop"

sections=$(readelf -SW "$prog")
! grep -qE '\] \.symtab ' <<<"$sections" || fail "not stripped: .symtab"
! grep -qE '\] \.debug_' <<<"$sections" || fail "not stripped: .debug_* sections"

# Without a display the program must fail gracefully: the reason is thrown as an
# exception, so this also proves that the runtime linked inside unwinds.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY HOME="$tmp" timeout 20 "$prog" >"$tmp/out" 2>"$tmp/err"
rc=$?
(( rc == 0 )) || fail "ended with $rc without a display: $(cat "$tmp/err")"
grep -q "display" "$tmp/err" || fail "did not say why it cannot start: '$(cat "$tmp/err")'"

exit $failed
