#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole process of a 1000-value parameter study, CSV only and with its plot, and of the
# predictive model: the median of nine runs of each.
# Usage: bench/study-timing.sh [PATH/TO/hcci-cycle-export]
set -euo pipefail
program=${1:-build-rel/hcci-cycle-export}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
run() {
  for _ in 1 2 3 4 5 6 7 8 9; do
    start=$(date +%s.%N)
    "$program" study --vary gamma=1.2:1.6:0.0004 -o "$out/study.csv" "$@"
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
  done | median
}
echo "1001 values, CSV only:   $(run) s"
echo "1001 values, with plot:  $(run --plot "$out/study.png") s"
echo "1001 values, predictive: $(run --set model=predictive) s"
