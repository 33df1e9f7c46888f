#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program in Release and measures it live under its own Xvfb (see measure_live.py);
# arguments go to the program (bench/measure-live.sh --explore measures the explorer).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DHCCI_BUILD_TESTS=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target hcci-cycle >/dev/null
exec python3 bench/measure_live.py build-release/hcci-cycle "$@"
