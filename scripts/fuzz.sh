#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz preset (build-fuzz/: clang, ASan, UBSan) and runs each libFuzzer target for
# SECONDS (60) from its corpus in tests/fuzz/corpus/NAME/; what it finds new goes to a scratch
# corpus, never into the repository. A crash, a hang (a run over 10 s) or a sanitizer's report
# fails, with the input that did it left in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
"$root/scripts/build.sh" fuzz
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=0
status=0
for corpus in "$root"/tests/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  scratch=$root/build-fuzz/corpus/$name
  findings=$root/build-fuzz/findings/$name
  mkdir -p "$scratch" "$findings"
  echo "== fuzz $name (${seconds} s)"
  "$root/build-fuzz/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$scratch" "$corpus" \
    >"$root/build-fuzz/$name.log" 2>&1 \
    || { status=1; tail -n 40 "$root/build-fuzz/$name.log"; }
  grep -E "^stat::number_of_executed_units" "$root/build-fuzz/$name.log" || true
done
exit "$status"
