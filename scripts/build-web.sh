#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The page: installs what it needs (Debian's emscripten and chromium, node and npm, the npm
# packages pinned in web/package-lock.json), compiles the core to WebAssembly into build-web/
# and puts the site together in build-web/site/, ready to serve as plain files:
#   python3 -m http.server -d build-web/site 8000
# Usage: scripts/build-web.sh [CMAKE_ARGS...]   (scripts/build.sh web runs it)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-web
site=$build/site

"$root/scripts/install-deps.sh" web

# Debian's emscripten runs its tools with node, which finds their modules here.
export NODE_PATH=/usr/share/nodejs
cmake_args=("$@")
case "${CI:-}" in
  true | 1 | yes) cmake_args+=(-DHCCI_WARNINGS_AS_ERRORS=ON) ;;
esac

cd "$root/web"
# The lock file pins every package; nothing else is fetched.
if [ ! -d node_modules ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi

if [ ! -f "$build/CMakeCache.txt" ] || [ ${#cmake_args[@]} -gt 0 ]; then
  emcmake cmake -S "$root/web" -B "$build" "${cmake_args[@]}"
fi
cmake --build "$build" --parallel "$(nproc)"

# The site: the page, its scripts, the deflate package, the label font, the icon.
mkdir -p "$site/js" "$site/fonts"
cp "$root/web/site/index.html" "$root/web/site/style.css" "$site/"
cp "$root/web/site/js/"*.js "$site/js/"
cp "$root/web/node_modules/pako/dist/pako_deflate.min.js" "$site/"
cp /usr/share/fonts-comic-neue/woff2/ComicNeue-Bold.woff2 "$site/fonts/"
cp "$root/packaging/hcci-cycle.svg" "$site/"
echo "The page is in $site: python3 -m http.server -d $site 8000"
