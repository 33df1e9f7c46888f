#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that a set needs:
#   run   building both programs, their manual pages and icons, and running them (./run.sh);
#   test  run's, and what the tests and checks need (./test.sh, CI); the default;
#   web   test's, and those of the page (emscripten, node and npm, Chromium for its tests).
# `--list SET` prints the set's packages, one a line, and installs nothing.
# As root it uses apt-get; otherwise it prints the exact command to run and stops.
set -euo pipefail

run_packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
  libtomlplusplus-dev libfmt-dev libfast-float-dev
  libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
  # the labels' font, and the icons rendered from the scalable one
  fonts-comic-neue fontconfig librsvg2-bin
)
test_packages=(
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
  # the end-to-end tests: an X server, the pointer and keys, screenshots, OCR
  xvfb xdotool x11-utils imagemagick python3 tesseract-ocr parallel
  # the package's and the sources' checks
  desktop-file-utils git lintian appstream clang-tidy clang libclang-rt-14-dev
)

list_only=false
if [ "${1:-}" = --list ]; then
  list_only=true
  shift
fi
set_name=${1:-test}
case "$set_name" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  web)
    packages=("${run_packages[@]}" "${test_packages[@]}" emscripten chromium)
    # Any node of 18 or later will do (Debian's, or one installed before); npm comes with it or
    # from Debian.
    command -v node >/dev/null || packages+=(nodejs)
    command -v npm >/dev/null || packages+=(npm)
    ;;
  *)
    echo "scripts/install-deps.sh: no set '$set_name' (run, test, web)" >&2
    exit 2
    ;;
esac

if $list_only; then
  printf '%s\n' "${packages[@]}"
  exit 0
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
