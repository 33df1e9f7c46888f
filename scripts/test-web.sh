#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The page's tests end to end: builds the page (build-web/, installing what it needs) and the
# native export program it is compared with (build/), then drives the page in Debian's headless
# Chromium with playwright-core (tests/web/). Fails when any test fails.
# Usage: scripts/test-web.sh [NODE_TEST_ARGS...]   (e.g. --test-name-pattern=keys)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

"$root/scripts/build.sh" web
HCCI_BUILD_TARGET=hcci-cycle-export "$root/scripts/build.sh" default

cd "$root"
exec node --test --test-reporter=tap "$@" tests/web/
