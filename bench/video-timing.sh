#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The default sweep as a video, whole process.
#  1. MP4, WebM and GIF at their own scale (MP4 and WebM 2x, GIF 1x), at 1x and at 2x: the
#     median time of five runs each and the largest resident size.
#  2. MP4 at 2x (the default) and 1x against the encoder alone: the same 540 frames made
#     beforehand and encoded with the same settings into a file (video_bench's
#     BM_EncoderAlone). The two alternate, nine runs each, so that a busy machine slows both
#     alike; the medians and their ratio.
# Usage: bench/video-timing.sh [hcci-cycle-export [video_bench]]
set -euo pipefail
program=${1:-build-rel/hcci-cycle-export}
bench=${2:-$(dirname "$program")/bench/video_bench}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

for scale in own 1 2; do
  scale_option=()
  [ "$scale" = own ] || scale_option=(--scale "$scale")
  for kind in mp4 webm gif; do
    for _ in 1 2 3 4 5; do
      /usr/bin/time -f "%e %M" -o "$out/time" "$program" video "${scale_option[@]}" -o "$out/v.$kind"
      cat "$out/time"
    done | sort -n | awk -v what="$kind at ${scale}${scale_option:+x}" '
      { t[NR] = $1; if ($2 > m) m = $2 }
      END { printf "%-12s median %5.2f s, at most %4d MB\n", what, t[3], m / 1024 }'
  done
done

# Seconds of the whole process, and of the encoder alone.
whole() {
  local start end
  start=$(date +%s.%N)
  "$program" video --scale "$1" -o "$out/v.mp4"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}
alone() {
  "$bench" --benchmark_filter="BM_EncoderAlone/format:0/scale:$1/" --benchmark_format=csv \
    2>/dev/null | awk -F, '/BM_EncoderAlone/ { printf "%.3f\n", $3 / 1000 }'
}
echo
for scale in 2 1; do
  : > "$out/whole"
  : > "$out/alone"
  for _ in 1 2 3 4 5 6 7 8 9; do
    whole "$scale" >> "$out/whole"
    alone "$scale" >> "$out/alone"
  done
  w=$(median < "$out/whole")
  a=$(median < "$out/alone")
  awk -v s="$scale" -v w="$w" -v a="$a" 'BEGIN {
    printf "MP4 at %dx: whole process median %.2f s, encoder alone median %.2f s, ratio %.2f\n",
      s, w, a, w / a }'
done
