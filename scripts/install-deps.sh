#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Velmora needs.
# Usage: scripts/install-deps.sh [--test]   (--test adds the desktop-test, fuzzing and profiling tools)
set -euo pipefail

build_packages=(
  build-essential cmake pkg-config git
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri libglx-mesa0
  libx11-dev libxrandr-dev libxext-dev
  libglib2.0-dev libgtk-3-dev libgdk-pixbuf-2.0-dev
  libwayland-dev wayland-protocols
  libstb-dev fonts-dejavu-core
  # Pictures from the desktop decode through gdk-pixbuf's loaders: WebP and SVG need these two.
  webp-pixbuf-loader librsvg2-common
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
  xvfb xdotool x11-utils x11-xserver-utils imagemagick
  gsettings-desktop-schemas libglib2.0-bin
  xscreensaver xscreensaver-gl xscreensaver-data
  sway swaybg grim wtype weston
  clang libclang-rt-14-dev
  valgrind
)

packages=("${build_packages[@]}")
if [[ "${1:-}" == "--test" ]]; then
  packages+=("${test_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=""
  [[ $(id -u) -ne 0 ]] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
