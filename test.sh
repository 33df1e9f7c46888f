#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what building, running and the tests and checks need, builds everything in build/
# and runs the whole test suite headless.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
HCCI_DEPS=test "$root/scripts/build.sh" default
# Unit tests use Qt's offscreen platform; the end-to-end tests start their own X server.
exec ctest --test-dir "$root/build" --output-on-failure --no-label-summary --parallel "$(nproc)"
