#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A fresh clone's `./run.sh --build-only` (the animation's set-up without starting the window)
# leaves both programs built and working, builds no test program, and `cmake --install` right
# after puts the whole tree in place (install_tree_test.sh checks it file for file).
# usage: fresh_clone_run_test.sh [REPOSITORY]   (the checkout this script is in by default)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repository=${1:-$(cd "$here/../.." && pwd)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone=$work/clone

git clone --quiet --no-hardlinks "$repository" "$clone"
# A first build in a fresh folder, as a new user's (warnings are errors when CI is set).
if ! (cd "$clone" && ./run.sh --build-only) >"$work/run.log" 2>&1; then
  tail -n 40 "$work/run.log" >&2
  echo "FAIL: ./run.sh --build-only failed" >&2
  exit 1
fi

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

for program in hcci-cycle hcci-cycle-export; do
  [ -x "$clone/build/$program" ] || fail "build/$program was not built"
done
"$clone/build/hcci-cycle-export" summary >"$work/summary.txt" 2>&1 ||
  fail "hcci-cycle-export summary failed: $(head -n 3 "$work/summary.txt")"
QT_QPA_PLATFORM=offscreen "$clone/build/hcci-cycle" --help >"$work/help.txt" 2>&1 ||
  fail "hcci-cycle --help failed: $(head -n 3 "$work/help.txt")"
# Only what running needs: no test program, no benchmark.
stray=$(find "$clone/build" -type f -perm -u+x \( -name '*_test' -o -name '*_bench' \) | head -n 3)
[ -z "$stray" ] || fail "./run.sh built test programs: $stray"

version=$(sed -n 's/^project(hcci-cycle VERSION \([0-9.]*\).*/\1/p' "$clone/CMakeLists.txt")
bash "$here/install_tree_test.sh" cmake "$clone/build" "$version" || fail "the installed tree is wrong"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "a fresh clone's ./run.sh built both programs; cmake --install works"
