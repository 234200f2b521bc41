#!/usr/bin/env bash
# Measures the runtime's picture decoders against the libraries they are
# judged by, on inputs made now from real photographs (nothing is kept):
#   GIF:  an 8-frame 2560x1600 animation of wallpapers, GifPicture vs giflib
#   JPEG: a 2560x1600 photograph, LoadPictureMemory vs libjpeg-turbo directly
#   PNG:  the same photograph as PNG, LoadPictureMemory vs libpng directly
# Usage: bench/pictures/run_picture_bench.sh BUILD_DIR [REPETITIONS]
# Needs ImageMagick and Debian's plasma-workspace-wallpapers.
set -euo pipefail

build=${1:?usage: run_picture_bench.sh BUILD_DIR [REPETITIONS]}
repetitions=${2:-11}
bench="$build/bin/pictures_bench"
[[ -x "$bench" ]] || { echo "build the pictures_bench target first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t photos < <(find /usr/share/wallpapers -path '*images/2560x1600.jpg' | sort | head -n 8)
if (( ${#photos[@]} < 2 )); then
  echo "no 2560x1600 wallpapers under /usr/share/wallpapers" >&2
  exit 2
fi
echo "making the inputs from ${#photos[@]} photographs..." >&2
convert -delay 10 "${photos[@]}" -resize '2560x1600^' -gravity center -extent 2560x1600 \
  -loop 0 "$work/animation.gif" 2>/dev/null
cp "${photos[0]}" "$work/photo.jpg"
convert "${photos[0]}" "$work/photo.png"
ls -l "$work" >&2

# Repetitions interleaved at random, so a busy machine slows both sides of
# each pair alike; the medians are compared.
PICBATCH_BENCH_GIF="$work/animation.gif" PICBATCH_BENCH_JPEG="$work/photo.jpg" \
PICBATCH_BENCH_PNG="$work/photo.png" \
  "$bench" --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true --benchmark_format=json >"$work/result.json"

python3 - "$work/result.json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
def show(ours, theirs, label):
    a, b = median[ours], median[theirs]
    # CPU time: what each decoder itself spent, whatever else ran.
    print(f"{label}: ours {a['cpu_time']:.1f} ms ({a['MP/s']:.1f} MP/s), "
          f"{theirs[3:]} {b['cpu_time']:.1f} ms ({b['MP/s']:.1f} MP/s), "
          f"time ratio ours/theirs {a['cpu_time'] / b['cpu_time']:.3f}")
show("BM_GifGifPicture", "BM_GifGiflib", "GIF ")
show("BM_JpegLoadPicture", "BM_JpegLibjpegDirect", "JPEG")
show("BM_PngLoadPicture", "BM_PngLibpngDirect", "PNG ")
PY
