#!/usr/bin/env bash
# Times four heavy effect operations of zelpix-cli against ImageMagick and libvips on the same 6000 x 4000
# photo in one run, and prints the ratios: ours / ImageMagick (goal <= 1) and ours / vips (goal <= 1.5).
# Every tool reads and writes the same binary PPM, so codec cost is small and alike. ImageMagick blurs with
# its separable -blur (its -gaussian-blur runs a full 2-D kernel and takes minutes here).
# usage: bench/effects-peers.sh [BUILD_DIR] [RUNS]   (BUILD_DIR holds cli/zelpix-cli; default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-3}
cli=$build/cli/zelpix-cli
samples=$here/../../shared/samples
[ -x "$cli" ] || { echo "no $cli: build the zelpix-cli target first" >&2; exit 2; }
for tool in convert-im6.q16 vips; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (tools/install-deps)" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
photo=$work/photo.ppm
convert-im6.q16 "$samples/astronaut.png" -filter Lanczos -resize '6000x4000!' "$photo"

# Best wall time of $runs runs, in seconds.
best_of() {
  local best="" start end t
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$work/err" || { echo "failed: $*" >&2; cat "$work/err" >&2; exit 1; }
    end=$(date +%s%N)
    t=$(( end - start ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v ns="$best" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

printf '%-22s %9s %9s %9s %9s %9s\n' operation zelpix magick vips z/magick z/vips
row() {
  local name=$1 ours=$2 magick=$3 vips=$4
  awk -v n="$name" -v z="$ours" -v m="$magick" -v v="$vips" 'BEGIN {
    rm = z / m; rv = z / v
    printf "%-22s %9.3f %9.3f %9.3f %8.2fx%s %8.2fx%s\n", n, z, m, v, rm, (rm <= 1 ? " " : "!"), rv, (rv <= 1.5 ? " " : "!") }'
}

out=$work/out.ppm
row "resample 50% Lanczos3" \
  "$(best_of "$cli" effect resample NeWidth=3000 NeHeight=2000 ZoomFilter=Lanczos3 "$photo" "$out")" \
  "$(best_of convert-im6.q16 "$photo" -filter Lanczos -resize 50% "$out")" \
  "$(best_of vips resize "$photo" "$out" 0.5 --kernel lanczos3)"
row "rotate 30" \
  "$(best_of "$cli" effect rotate RoCustom=30 "$photo" "$out")" \
  "$(best_of convert-im6.q16 "$photo" -background '#f0f0f0' -rotate -30 "$out")" \
  "$(best_of vips rotate "$photo" "$out" 30)"
row "histogram equalise" \
  "$(best_of "$cli" effect histautoequalize "$photo" "$out")" \
  "$(best_of convert-im6.q16 "$photo" -equalize "$out")" \
  "$(best_of vips hist_equal "$photo" "$out")"
row "blur radius 8" \
  "$(best_of "$cli" effect blur BluValues=8 "$photo" "$out")" \
  "$(best_of convert-im6.q16 "$photo" -blur 0x8 "$out")" \
  "$(best_of vips gaussblur "$photo" "$out" 8)"
echo "(best of $runs runs each, wall seconds; ! marks a ratio over its goal)"
