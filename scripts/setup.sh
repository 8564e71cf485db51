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
)

# For Windows: the 32-bit compilers with the posix thread model (the ZIP reader's
# writer is a std::thread), zlib for mingw (linked in statically; the package
# carries it for both Windows architectures), wine with its 32-bit half to run the
# tests (wine32 comes from Debian's i386 architecture, which dpkg has to be told
# about first), and GoogleTest's sources to build it with the cross compiler.
# There is no FreeType, libjpeg or libpng for mingw in Debian: JPEG goes through
# Windows' own imaging component, and the disc tool's TrueType work stays with the
# Linux build.
windows=0
if [[ ${1:-} == --windows ]]; then
  windows=1
  PACKAGES+=(
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    libz-mingw-w64-dev wine wine64 wine32:i386 googletest
  )
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  if ((windows)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The end-to-end tests run the menu as a reader does, as an ordinary account; when
# the tests run as root, this is the account they use.
if [ "$(id -u)" = 0 ] && ! id -u vemi-reader >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin vemi-reader
fi
