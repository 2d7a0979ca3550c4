#!/usr/bin/env bash
# Times our JPEG and PNG codecs (bench_imaging, in memory) against djpeg/cjpeg and vips on the same
# 6000 x 4000 photo in one run, and prints the ratios ours / peer. Goals: JPEG decode and encode <= 1.15
# x djpeg/cjpeg; PNG decode and encode <= 1.2 x vips pngload/pngsave (zlib level 6, no row filters, one thread).
# usage: bench/codec-peers.sh [BUILD_DIR] [RUNS]   (BUILD_DIR holds bench/bench_imaging; default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-3}
bench=$build/bench/bench_imaging
samples=$here/../../shared/samples
[ -x "$bench" ] || { echo "no $bench: build the bench_imaging target first" >&2; exit 2; }
for tool in convert-im6.q16 djpeg cjpeg vips; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (tools/install-deps)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert-im6.q16 "$samples/astronaut.png" -filter Lanczos -resize '6000x4000!' "$work/photo.ppm"
cjpeg -outfile "$work/photo.jpg" "$work/photo.ppm"
export VIPS_CONCURRENCY=1
vips copy "$work/photo.ppm" "$work/photo.v"
vips pngsave "$work/photo.v" "$work/photo.png" --compression 6 --filter none

# Best wall time of $runs runs, in milliseconds.
best_of() {
  local best="" start end t
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$work/err" || { echo "failed: $*" >&2; cat "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    t=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}

djpeg_ms=$(best_of djpeg -outfile /dev/null "$work/photo.jpg")
cjpeg_ms=$(best_of cjpeg -outfile "$work/peer.jpg" "$work/photo.ppm")
pngload_ms=$(best_of vips avg "$work/photo.png")
pngsave_ms=$(best_of vips pngsave "$work/photo.v" "$work/peer.png" --compression 6 --filter none)

# Our codecs: the best (minimum) of the benchmark's repetitions, in milliseconds.
ZELPIX_BENCH_JPEG=$work/photo.jpg ZELPIX_BENCH_PNG=$work/photo.png \
  "$bench" --benchmark_filter='BM_(Read|Write)(Jpeg|Png)$' --benchmark_repetitions="$runs" \
  --benchmark_format=csv 2>/dev/null > "$work/ours.csv"
ours() { # benchmark name -> best real time in ms
  awk -F, -v name="\"$1\"" '$1 == name { if (best == "" || $3 < best) best = $3 } END { printf "%d", best }' "$work/ours.csv"
}
read_jpeg=$(ours BM_ReadJpeg); write_jpeg=$(ours BM_WriteJpeg)
read_png=$(ours BM_ReadPng); write_png=$(ours BM_WritePng)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-22s %10s %10s %7s %6s\n' "6000 x 4000" "ours ms" "peer ms" "ratio" "goal"
printf '%-22s %10d %10d %7s %6s\n' "JPEG decode / djpeg" "$read_jpeg" "$djpeg_ms" "$(ratio "$read_jpeg" "$djpeg_ms")" 1.15
printf '%-22s %10d %10d %7s %6s\n' "JPEG encode / cjpeg" "$write_jpeg" "$cjpeg_ms" "$(ratio "$write_jpeg" "$cjpeg_ms")" 1.15
printf '%-22s %10d %10d %7s %6s\n' "PNG decode / vips" "$read_png" "$pngload_ms" "$(ratio "$read_png" "$pngload_ms")" 1.20
printf '%-22s %10d %10d %7s %6s\n' "PNG encode / vips" "$write_png" "$pngsave_ms" "$(ratio "$write_png" "$pngsave_ms")" 1.20
