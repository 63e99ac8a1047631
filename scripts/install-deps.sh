#!/usr/bin/env bash
# Installs what building and testing Ombrix needs on Debian 12 or Ubuntu, and only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config  # toolchain
  googletest                        # GoogleTest sources, built with our own flags
  libssl-dev                        # SHA-256 of what a copy moved (libcrypto)
  clang-format                      # the tree's formatting is checked
  clang libclang-rt-14-dev          # libFuzzer, for the fuzz targets
  util-linux                        # losetup, for tests on real loop devices
  libfuse3-dev fuse3                # disks with faults of the tests' own, below the block layer
  gddrescue                         # the reference for rescue maps and timings
  fdisk e2fsprogs dosfstools mtools # real file systems cloned by the tests
  qt6-base-dev qt6-svg-dev          # the window, and the icon rendered from its SVG
  qt6-translations-l10n             # Chinese captions in Qt's own file dialogs
  fonts-wqy-microhei                # a sans-serif with Chinese glyphs for the dialogs
  g++-mingw-w64-x86-64-posix        # the Windows program, x86_64 (its tests run under Wine)
  g++-mingw-w64-i686-posix          # the Windows program, i686 (the product)
  wine wine64                       # runs the x86_64 Windows tests
  wine32:i386                       # runs the i686 product and its tests
  xvfb xauth                        # a virtual display for the Windows dialogs under Wine
  xdotool                           # drives the real Ombrix.exe from outside, as a user does
  python3                           # the end-to-end tests' driver and screenshots
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# 32-bit Wine comes from the i386 half of the archive.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
