#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then configures (when needed) and builds one of the presets in
# CMakePresets.json: default (build/), release (build-release/), asan (build-asan/) or core
# (build-core/, without Qt) or fuzz (build-fuzz/, the parsers' libFuzzer targets); or the page
# in a browser, web (build-web/, scripts/build-web.sh).
# Usage: scripts/build.sh PRESET [CMAKE_ARGS...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${1:?usage: scripts/build.sh PRESET [CMAKE_ARGS...]}
shift
cmake_args=("$@")
case "$preset" in
  web) exec "$root/scripts/build-web.sh" "$@" ;;
  default) build=$root/build ;;
  release | asan | core | fuzz) build=$root/build-$preset ;;
  *) echo "scripts/build.sh: no preset '$preset' (default, release, asan, core, fuzz, web)" >&2; exit 2 ;;
esac

"$root/scripts/install-deps.sh"

# Warnings are errors in CI only, so a newer compiler elsewhere cannot break a first build.
case "${CI:-}" in
  true | 1 | yes) cmake_args+=(-DHCCI_WARNINGS_AS_ERRORS=ON) ;;
esac

# Configure only when there is no cache yet or a requested -DNAME=VALUE differs from it,
# so that running again with nothing changed goes straight to the (no-op) build.
needs_configure() {
  local cache="$build/CMakeCache.txt" arg name value
  [ -f "$cache" ] || return 0
  for arg in "${cmake_args[@]}"; do
    case "$arg" in
      -D*=*)
        name=${arg#-D}
        value=${name#*=}
        name=${name%%=*}
        name=${name%%:*}
        grep -qxF -e "$name:BOOL=$value" -e "$name:STRING=$value" -e "$name:UNINITIALIZED=$value" \
          -e "$name:PATH=$value" -e "$name:FILEPATH=$value" "$cache" || return 0
        ;;
    esac
  done
  return 1
}

cd "$root"
if needs_configure; then
  cmake --preset "$preset" "${cmake_args[@]}"
fi
cmake --build --preset "$preset" --parallel "$(nproc)" ${HCCI_BUILD_TARGET:+--target "$HCCI_BUILD_TARGET"}
