#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building and running need, builds both programs, their manual pages and icons
# in build/ (so that `cmake --install build` works next) and starts the animation.
# --build-only stops after the build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
case "${1:-}" in
  "" | --build-only) ;;
  *) echo "usage: ./run.sh [--build-only]" >&2; exit 2 ;;
esac
HCCI_DEPS=run HCCI_BUILD_TARGET=hcci_install_ready \
  "$root/scripts/build.sh" default
[ "${1:-}" = --build-only ] && exit 0
exec "$root/build/hcci-cycle"
