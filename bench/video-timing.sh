#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The whole process of the default sweep as MP4, WebM and GIF, at 1x and 2x: the median time of
# five runs each and the largest resident size. Usage: bench/video-timing.sh [hcci-cycle-export]
set -euo pipefail
program=${1:-build-rel/hcci-cycle-export}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for scale in 1 2; do
  for kind in mp4 webm gif; do
    for _ in 1 2 3 4 5; do
      /usr/bin/time -f "%e %M" -o "$out/time" "$program" video --scale "$scale" -o "$out/v.$kind"
      cat "$out/time"
    done | sort -n | awk -v what="$kind at ${scale}x" '
      { t[NR] = $1; if ($2 > m) m = $2 }
      END { printf "%-10s median %5.2f s, at most %4d MB\n", what, t[3], m / 1024 }'
  done
done
