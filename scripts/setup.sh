#!/usr/bin/env bash
# Installs the Debian packages the build, the game and its tests need. Does nothing when all are there.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-svg-dev libxcb1-dev
  libpng-dev zlib1g-dev libjpeg62-turbo-dev libsdl2-mixer-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation locales
  xvfb xdotool openbox x11-utils imagemagick libxtst-dev libxdamage-dev
  debootstrap lintian appstream desktop-file-utils x11-xserver-utils
  clang libclang-rt-14-dev
  # The Windows build (scripts/windows.sh): the cross-compiler, Debian's MinGW zlib, the tools that
  # fetch and unpack Debian's source packages, the installer maker, and Wine to test under.
  g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev dpkg-dev xz-utils nsis wine wine64
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
