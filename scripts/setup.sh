#!/usr/bin/env bash
# Installs what building, running and testing the menu needs, when it is missing;
# with --windows also what the Windows build and its tests under wine need.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev libdeflate-dev libjpeg62-turbo-dev libpng-dev libfreetype-dev fonts-dejavu-core fonts-dejavu-extra fonts-liberation2
  libfltk1.3-dev fluid libgl-dev libx11-dev libxext-dev
  libxft-dev libxrender-dev libxinerama-dev libxfixes-dev libxcursor-dev libfontconfig-dev
  clang libclang-rt-14-dev
  zip unzip libarchive-tools xdg-utils desktop-file-utils libglib2.0-bin
  xvfb xauth xdotool openbox x11-utils x11-xserver-utils imagemagick
  icewm weston xwayland
  # disc images: libisofs writes and reads them in the disc tool; xorriso reads
  # them back in the tests, fuseiso mounts one for the menu as a reader would, and
  # strace sees which of its files the menu reads first
  libisofs-dev xorriso fuseiso strace
)

# For Windows: the compilers with the posix thread model (the ZIP reader's writer
# is a std::thread), 32-bit for the programs on the disc or 64-bit for testing on
# machines whose wine runs no 32-bit programs, zlib for mingw (linked in
# statically; the package carries both architectures), wine to run the tests, and
# GoogleTest's sources to build it with the cross compiler. wine runs 32-bit
# programs with its 32-bit half, wine32 from Debian's i386 architecture, which
# dpkg has to be told about first; it is installed only where the machine can run
# 32-bit Linux programs (scripts/runs-32bit.sh): elsewhere it would not start, and
# Debian's `wine` would then try it even for 64-bit programs.
# There is no FreeType, libjpeg or libpng for mingw in Debian: JPEG goes through
# Windows' own imaging component, and the disc tool's TrueType work stays with the
# Linux build.
# The compilers are those for WIN_ARCH (i686, the default, or x86_64), as
# scripts/build-windows.sh takes it.
windows=0
if [[ ${1:-} == --windows ]]; then
  windows=1
  arch=${WIN_ARCH:-i686}
  arch=${arch//_/-}
  PACKAGES+=(
    "g++-mingw-w64-$arch-posix" "gcc-mingw-w64-$arch-posix" "binutils-mingw-w64-$arch"
    libz-mingw-w64-dev wine wine64 googletest
  )
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
# Installs those of the packages given that are missing.
install_missing() {
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}
install_missing "${PACKAGES[@]}"
# (The probe needs binutils, which the compilers have just brought.)
if ((windows)) && "$(dirname "$0")/runs-32bit.sh"; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  install_missing wine32:i386
fi

# The end-to-end tests run the menu as a reader does, as an ordinary account; when
# the tests run as root, this is the account they use.
if [ "$(id -u)" = 0 ] && ! id -u vemi-reader >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin vemi-reader
fi
