#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building, running and testing need; with `web`, those of
# the page too (emscripten, node and npm, Chromium for its tests).
# As root it uses apt-get; otherwise it prints the exact command to run and stops.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-comic-neue fontconfig
  xvfb xdotool x11-utils imagemagick python3 tesseract-ocr parallel
  desktop-file-utils git
  librsvg2-bin lintian appstream clang-tidy clang libclang-rt-14-dev
  libtomlplusplus-dev libfmt-dev libfast-float-dev zlib1g-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
)

if [ "${1:-}" = web ]; then
  packages+=(emscripten chromium)
  # Any node of 18 or later will do (Debian's, or one installed before); npm comes with it or
  # from Debian.
  command -v node >/dev/null || packages+=(nodejs)
  command -v npm >/dev/null || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "Installing: ${missing[*]}" >&2
# A fresh machine has no package lists yet, and old ones may name files the mirror has dropped.
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
