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

# Best wall time and best CPU time (user + system) of $runs runs, in milliseconds: "wall cpu".
best_of() {
  local wall="" cpu="" start end t c
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    /usr/bin/time -f '%U %S' -o "$work/cpu" "$@" >/dev/null 2>"$work/err" || { echo "failed: $*" >&2; cat "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    t=$(( (end - start) / 1000000 ))
    c=$(awk '{ printf "%d", ($1 + $2) * 1000 }' "$work/cpu")
    if [ -z "$wall" ] || [ "$t" -lt "$wall" ]; then wall=$t; fi
    if [ -z "$cpu" ] || [ "$c" -lt "$cpu" ]; then cpu=$c; fi
  done
  echo "$wall $cpu"
}

read -r djpeg_wall djpeg_cpu < <(best_of djpeg -outfile /dev/null "$work/photo.jpg")
read -r cjpeg_wall cjpeg_cpu < <(best_of cjpeg -outfile "$work/peer.jpg" "$work/photo.ppm")
read -r pngload_wall pngload_cpu < <(best_of vips avg "$work/photo.png")
read -r pngsave_wall pngsave_cpu < <(best_of vips pngsave "$work/photo.v" "$work/peer.png" --compression 6 --filter none)

# Our codecs: the best of the benchmark's repetitions, wall (real) and CPU time in milliseconds.
ZELPIX_BENCH_JPEG=$work/photo.jpg ZELPIX_BENCH_PNG=$work/photo.png \
  "$bench" --benchmark_filter='BM_(Read|Write)(Jpeg|Png)$' --benchmark_repetitions="$runs" \
  --benchmark_format=csv 2>/dev/null > "$work/ours.csv"
ours() { # benchmark name, csv column (3 real, 4 cpu) -> best time in ms
  awk -F, -v name="\"$1\"" -v col="$2" '$1 == name { if (best == "" || $col < best) best = $col } END { printf "%d", best }' "$work/ours.csv"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { # label, our benchmark, peer wall, peer cpu, goal
  local wall cpu
  wall=$(ours "$2" 3)
  cpu=$(ours "$2" 4)
  printf '%-20s %8d %8d %6s %8d %8d %6s %5s\n' "$1" "$wall" "$3" "$(ratio "$wall" "$3")" "$cpu" "$4" "$(ratio "$cpu" "$4")" "$5"
}
# On a shared machine the CPU times are the fairer comparison.
printf '%-20s %8s %8s %6s %8s %8s %6s %5s\n' "6000 x 4000" "wall" "peer" "ratio" "cpu" "peer" "ratio" "goal"
row "JPEG decode / djpeg" BM_ReadJpeg "$djpeg_wall" "$djpeg_cpu" 1.15
row "JPEG encode / cjpeg" BM_WriteJpeg "$cjpeg_wall" "$cjpeg_cpu" 1.15
row "PNG decode / vips" BM_ReadPng "$pngload_wall" "$pngload_cpu" 1.20
row "PNG encode / vips" BM_WritePng "$pngsave_wall" "$pngsave_cpu" 1.20
