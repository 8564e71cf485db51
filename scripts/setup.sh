#!/usr/bin/env bash
# Installs what building, running and testing the menu needs, when it is missing.
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
)

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
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
