#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The map's budgets, from outside: a 100 x 100 map of the predictive model, whole process, on
# every core; the parallel loop's efficiency (a 20 x 20 map on one core against all of them:
# time on one over the cores times the time on all); peak memory of a 20 x 20 and a 40 x 40 map
# (the same: rows are written as they finish); and the join of four shards of 10 000 rows.
# The machine's load is printed first: on a shared machine, every figure depends on it.
# Usage: bench/map-timing.sh [PATH/TO/hcci-cycle-export]
set -euo pipefail
program=${1:-build-release/hcci-cycle-export}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cores=$(nproc)
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $cores cores"

seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}
predictive=(--set model=predictive)

whole=$(seconds "$program" map --x start_temperature=380:429.5:0.5 \
  --y equivalence_ratio=0.1:0.595:0.005 "${predictive[@]}" -o "$out/map.csv")
echo "100 x 100 predictive map, whole process: $whole s ($(($(wc -l <"$out/map.csv") - 2)) rows)"

small=(map --x start_temperature=380:427.5:2.5 --y equivalence_ratio=0.1:0.575:0.025
       "${predictive[@]}" -o "$out/small.csv")
all=$(seconds "$program" "${small[@]}")
one=$(seconds taskset -c 0 "$program" "${small[@]}")
awk -v one="$one" -v all="$all" -v n="$cores" \
  'BEGIN { printf "20 x 20 map: %.2f s on one core, %.2f s on %d: efficiency %.0f %%\n",
           one, all, n, 100 * one / (n * all) }'

peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }
echo "peak memory, 20 x 20 map: $(peak "$program" "${small[@]}") kB;" \
  "40 x 40: $(peak "$program" map --x start_temperature=380:419:1 \
    --y equivalence_ratio=0.1:0.49:0.01 "${predictive[@]}" -o "$out/large.csv") kB"

# Four shards of 10 000 rows: the rows of one point copied to every point of a 200 x 200 grid.
"$program" map --x start_temperature=400:400:1 --y equivalence_ratio=0.3:0.3:1 \
  "${predictive[@]}" -o "$out/one.csv"
python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
lines = open(f"{out}/one.csv").read().split("\n")
heading = lines[0].replace("start_temperature=400:400:1", "start_temperature=300:499:1")
heading = heading.replace("equivalence_ratio=0.3:0.3:1", "equivalence_ratio=1:200:1")
rest = lines[2].split(",", 2)[2]
for k in range(1, 5):
    with open(f"{out}/shard-{k}.csv", "w") as f:
        f.write(f"{heading}; shard {k} of 4\n{lines[1]}\n")
        for point in range(k - 1, 40000, 4):
            f.write(f"{300 + point % 200},{1 + point // 200},{rest}\n")
PY
merge=$(seconds "$program" map --merge "$out"/shard-{1,2,3,4}.csv -o "$out/merged.csv")
echo "map --merge of 4 shards of 10 000 rows: $merge s ($(du -h "$out/merged.csv" | cut -f1))"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
