#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Nodalux
# need, skipping those already present. Safe to run again.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config musl-tools
  libsqlite3-dev zlib1g-dev
  qt6-base-dev libgl-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  gfortran gpsbabel time
  desktop-file-utils appstream dpkg-dev file
  libexpat1-dev librsvg2-bin groff-base
  xvfb openbox wmctrl xdotool x11-utils
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
