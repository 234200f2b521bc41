#!/usr/bin/env bash
# Runs picture-batch-bench and the Pillow baseline (two processes) side by
# side on the same folder for each output format, and prints both lines with
# the ratios: wall-clock throughput, output size, and CPU seconds (user +
# system, children included), which stays meaningful on a busy machine.
# usage: compare_with_pillow.sh BUILD_DIR INPUT_DIR [FORMATS...]
set -euo pipefail
build=$1
input=$2
shift 2
formats=("${@:-png tiff jpeg}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
here=$(dirname "$0")
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
cpu() { awk '{ s = 0; for (i = 1; i <= NF; ++i) s += $i; printf "%.2f", s }' "$1"; }
for format in ${formats[@]}; do
  # Each run starts with nothing left to write back from the one before.
  sync
  ours=$(/usr/bin/time -f "%U %S" -o "$work/cpu-ours" \
           "$build/bin/picture-batch-bench" --format "$format" "$input" "$work/ours-$format" 2>"$work/rss")
  sync
  pillow=$(/usr/bin/time -f "%U %S" -o "$work/cpu-pillow" \
             /usr/bin/python3 "$here/pillow_baseline.py" --format "$format" "$input" "$work/pillow-$format")
  echo "$format picbatch: $ours $(cat "$work/rss") cpu_seconds=$(cpu "$work/cpu-ours")"
  echo "$format pillow:   $pillow cpu_seconds=$(cpu "$work/cpu-pillow")"
  awk -v a="$(field seconds "$ours")" -v b="$(field seconds "$pillow")" \
      -v x="$(field bytes "$ours")" -v y="$(field bytes "$pillow")" \
      -v c="$(cpu "$work/cpu-ours")" -v d="$(cpu "$work/cpu-pillow")" -v f="$format" \
      'BEGIN { printf "%s throughput_ratio=%.2f size_ratio=%.3f cpu_ratio=%.2f\n", f, b / a, x / y, d / c }'
  rm -rf "$work/ours-$format" "$work/pillow-$format"
done
