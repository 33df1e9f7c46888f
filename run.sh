#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts the animation.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
HCCI_BUILD_TARGET=hcci-cycle "$root/scripts/build.sh" "$root/build"
exec "$root/build/hcci-cycle"
