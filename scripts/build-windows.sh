#!/usr/bin/env bash
# Cross-builds the Windows programs and their tests with Debian's mingw-w64: the
# 32-bit programs that go on the disc into build-windows/, or, with
# WIN_ARCH=x86_64, the same programs as 64-bit ones into build-windows64/ (for
# machines whose wine runs no 32-bit programs; scripts/test-windows.sh chooses).
# WIN_BUILD_DIR names another folder. The tests run under wine
# (scripts/test-windows.sh). What the build itself has to run (the disc tool that
# draws the program's resources and makes the sample disc, and the maker of the
# JPEG references) comes from the native build in build/ (or NATIVE_BUILD_DIR),
# and so does the Linux menu, which the Windows build's disc carries beside the
# Windows one.
set -euo pipefail
cd "$(dirname "$0")/.."
WIN_ARCH=${WIN_ARCH:-i686}
case $WIN_ARCH in
i686) default_dir=build-windows ;;
x86_64) default_dir=build-windows64 ;;
*)
  echo "build-windows: WIN_ARCH is i686 (32-bit, the default) or x86_64" >&2
  exit 2
  ;;
esac
WIN_BUILD_DIR=${WIN_BUILD_DIR:-$default_dir}
NATIVE_BUILD_DIR=${NATIVE_BUILD_DIR:-build}

# What both builds need, and the cross compilers and wine besides.
scripts/setup.sh --windows

# The native tools, in the native build (configured the way scripts/build.sh does
# when it is not there yet).
if [ ! -f "$NATIVE_BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$NATIVE_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} >/dev/null
fi
# The Linux menu, its disc and the demo also serve the end-to-end case that
# compares the two menus under wine.
ninja -C "$NATIVE_BUILD_DIR" vemi-disc jpeg_refs vemi32 sample_disc e2e_demo
native=$(cd "$NATIVE_BUILD_DIR" && pwd)

# A build folder configured for another toolchain cannot switch compilers in
# place: it is configured afresh.
toolchain=$(pwd)/cmake/mingw-w64-$WIN_ARCH.cmake
if [ -f "$WIN_BUILD_DIR/CMakeCache.txt" ] &&
  ! grep -qx "CMAKE_TOOLCHAIN_FILE:[A-Z]*=$toolchain" "$WIN_BUILD_DIR/CMakeCache.txt"; then
  rm -rf "$WIN_BUILD_DIR/CMakeCache.txt" "$WIN_BUILD_DIR/CMakeFiles"
fi

# -O2 as in the native build: -O3 buys the menu nothing and makes GCC 12 warn
# falsely about string concatenations (-Wrestrict).
cmake -S . -B "$WIN_BUILD_DIR" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} \
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DVEMI_HOST_TOOL="$native/tools/vemi-disc" \
  -DVEMI_HOST_JPEG_REFS="$native/tests/jpeg_refs" \
  -DVEMI_HOST_MENU="$native/vemi32" >/dev/null
ninja -C "$WIN_BUILD_DIR"

# Every program must run on a bare Windows: nothing but the system's own DLLs. The
# disc's stand-ins count too.
system_dlls='^(kernel32|user32|gdi32|msvcrt|ole32|oleaut32|shell32|shlwapi|comctl32|comdlg32|advapi32|windowscodecs|ws2_32|version|winmm|msimg32|uxtheme|dwmapi|imm32)\.dll$'
find "$WIN_BUILD_DIR" -name '*.exe' -not -path '*/wine-prefix/*' -not -path '*/CMakeFiles/*' -not -path '*/test-tmp/*' -not -path '*/e2e-out/*' \
  -not -path '*/sample-disc/sources/*' -print0 |
  while IFS= read -r -d '' exe; do
    # A PE file for another processor, or none (a script), is refused outright.
    if ! dlls=$("$WIN_ARCH-w64-mingw32-objdump" -p "$exe" 2>/dev/null); then
      echo "build-windows: $exe is no $WIN_ARCH Windows program" >&2
      exit 1
    fi
    foreign=$(sed -n 's/^\s*DLL Name: //p' <<<"$dlls" | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
    if [ -n "$foreign" ]; then
      echo "build-windows: $exe needs DLLs that Windows does not have: $foreign" >&2
      exit 1
    fi
  done

# The both-systems disc as the image to burn, made by the native tool (the image
# writer is the Linux build's): build-windows/sample-disc/vemi-12-2007.iso.
"$native/tools/vemi-disc" iso --quiet --date 2007-12-01 "$WIN_BUILD_DIR/sample-disc/disc" \
  "$WIN_BUILD_DIR/sample-disc/vemi-12-2007.iso"
