#!/usr/bin/env bash
# Installs the Debian packages Glowmoth needs to build, test and run.
# Idempotent: only missing packages are installed, and apt's lists are
# refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libsdl1.2-dev libsdl-image1.2-dev zlib1g-dev
  libespeak-ng-dev espeak-ng
  libx11-dev
  libgtest-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-apps imagemagick
  librsvg2-bin pngquant fonts-dejavu-core
  ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
