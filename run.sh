#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds in build/ and starts the animation.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
HCCI_BUILD_TARGET=hcci-cycle "$root/scripts/build.sh" default
exec "$root/build/hcci-cycle"
