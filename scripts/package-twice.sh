#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from two fresh Release build folders of the same sources and
# checks that the two packages are the same bytes and that lintian --pedantic reports neither an
# error nor a warning. SOURCE_DATE_EPOCH is the last commit's time unless it is set.
# Usage: scripts/package-twice.sh BUILD_A BUILD_B
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
a=${1:?usage: scripts/package-twice.sh BUILD_A BUILD_B}
b=${2:?usage: scripts/package-twice.sh BUILD_A BUILD_B}
"$root/scripts/install-deps.sh"

for build in "$a" "$b"; do
  rm -rf "$build"
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHCCI_BUILD_TESTS=OFF \
    -DHCCI_BUILD_BENCH=OFF -DHCCI_WARNINGS_AS_ERRORS=ON >"$build.log" 2>&1 ||
    { cat "$build.log" >&2; exit 1; }
  cmake --build "$build" --parallel "$(nproc)" >>"$build.log" 2>&1 || { cat "$build.log" >&2; exit 1; }
  (cd "$build" && cpack -G DEB >>"$build.log" 2>&1) || { cat "$build.log" >&2; exit 1; }
done

deb=$(cd "$a" && ls hcci-cycle_*.deb)
if ! cmp "$a/$deb" "$b/$deb"; then
  echo "the two builds made different packages:" >&2
  for build in "$a" "$b"; do
    mkdir -p "$build/unpacked" && dpkg-deb -R "$build/$deb" "$build/unpacked"
  done
  diff -r "$a/unpacked" "$b/unpacked" >&2 || true
  exit 1
fi
# lintian's own status tells errors and warnings (2) from a failure of lintian itself (1).
status=0
verdict=$(lintian --pedantic --fail-on error,warning --tag-display-limit 0 "$a/$deb" 2>&1) ||
  status=$?
echo "$verdict"
if [ "$status" -ne 0 ] || grep -qE '^[EW]: ' <<<"$verdict"; then
  echo "lintian finds errors or warnings in $deb, or fails (status $status)" >&2
  exit 1
fi
