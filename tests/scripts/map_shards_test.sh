#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A map computed in four shards by GNU parallel and joined is the map computed whole, byte for
# byte; a join that misses a shard is refused and writes nothing.
# Usage: map_shards_test.sh PATH/TO/hcci-cycle-export
set -euo pipefail

program=${1:?usage: map_shards_test.sh PATH/TO/hcci-cycle-export}
if ! command -v parallel >/dev/null; then
  echo "GNU parallel is not installed (scripts/install-deps.sh installs it)" >&2
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

map=(map --x start_temperature=300:340:10 --y equivalence_ratio=0.25:0.45:0.05
     --set model=predictive --set engine_speed=1800)

parallel --will-cite --halt now,fail=1 --jobs 2 \
  "$program" "${map[@]}" --shard {}/4 -o "$work/shard-{}.csv" ::: 1 2 3 4
"$program" "${map[@]}" -o "$work/whole.csv"
for k in 1 2 3 4; do
  grep -q "^# a map of .*; shard $k of 4\$" "$work/shard-$k.csv" || {
    echo "shard $k does not name itself" >&2
    exit 1
  }
done

"$program" map --merge "$work"/shard-{3,1,4,2}.csv -o "$work/merged.csv"
cmp "$work/whole.csv" "$work/merged.csv"

if "$program" map --merge "$work"/shard-{1,2,4}.csv -o "$work/partial.csv" 2>"$work/error"; then
  echo "a join without slice 3 was accepted" >&2
  exit 1
fi
grep -q "slice 3 of 4 of the map is missing" "$work/error"
test ! -e "$work/partial.csv"
echo "four shards through GNU parallel join into the whole map"
