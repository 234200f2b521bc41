#!/usr/bin/env bash
# Converts one folder three ways for each output format, alternating the
# runs (engine, program, Pillow, engine, ...) so that a noisy machine slows
# all three alike, and prints the medians with the ratios:
#   - picture-batch-bench: the batch engine alone (TaskPool and Picture);
#   - picbatch from the terminal (--format F --folder DIR --no-open): the
#     whole program through its window, less the completion's fixed
#     one-second wait for the pool to stop;
#   - Pillow with two worker processes.
# Output size and peak memory come from the last run of each.
# usage: compare_with_pillow.sh BUILD_DIR INPUT_DIR [RUNS] [FORMATS...]
set -euo pipefail
build=$1
input=$2
runs=${3:-3}
shift 3 || shift $#
formats=("${@:-png tiff jpeg}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
here=$(dirname "$0")
stop_wait=1.0

median() { sort -g | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); print (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2 }'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }
bytes_in() { du -sb "$1" | cut -f1; }
elapsed() { /usr/bin/time -f "%e %M" -o "$work/time" "$@" >"$work/out" 2>"$work/err"; cat "$work/time"; }

for format in ${formats[@]}; do
  short=$format
  [[ $format == jpeg ]] && short=jpg
  [[ $format == tiff ]] && short=tif
  : >"$work/engine" ; : >"$work/program" ; : >"$work/pillow"
  for ((run = 1; run <= runs; ++run)); do
    rm -rf "$work/engine-out" "$work/pillow-out" "$work/in"
    cp -r "$input" "$work/in"
    sync
    line=$("$build/bin/picture-batch-bench" --format "$format" "$work/in" "$work/engine-out" 2>"$work/rss")
    echo "$(field seconds "$line") $(field peak_rss_mb "$(cat "$work/rss")")" >>"$work/engine"
    engine_bytes=$(field bytes "$line")
    sync
    read -r seconds rss_kb < <(elapsed "$build/bin/picbatch" --format "$short" --folder "$work/in" --no-open)
    echo "$(awk -v s="$seconds" -v w="$stop_wait" 'BEGIN { printf "%.2f", s - w }') $((rss_kb / 1024))" >>"$work/program"
    program_bytes=$(bytes_in "$work/in/$short")
    sync
    line=$(/usr/bin/python3 "$here/pillow_baseline.py" --format "$format" "$work/in" "$work/pillow-out")
    echo "$(field seconds "$line")" >>"$work/pillow"
    pillow_bytes=$(field bytes "$line")
  done
  e=$(cut -d' ' -f1 "$work/engine" | median)
  p=$(cut -d' ' -f1 "$work/program" | median)
  l=$(median <"$work/pillow")
  echo "$format engine:  seconds=$e bytes=$engine_bytes peak_rss_mb=$(tail -1 "$work/engine" | cut -d' ' -f2)"
  echo "$format picbatch: seconds=$p (less ${stop_wait}s stop wait) bytes=$program_bytes peak_rss_mb=$(tail -1 "$work/program" | cut -d' ' -f2)"
  echo "$format pillow:  seconds=$l bytes=$pillow_bytes"
  awk -v e="$e" -v p="$p" -v l="$l" -v pb="$program_bytes" -v lb="$pillow_bytes" -v f="$format" -v n="$runs" \
    'BEGIN { printf "%s medians of %d: picbatch/engine time=%.3f  pillow/picbatch speed=%.2f  picbatch/pillow size=%.3f\n", f, n, p / e, l / p, pb / lb }'
done
