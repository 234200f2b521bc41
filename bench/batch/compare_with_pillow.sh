#!/usr/bin/env bash
# Runs every row of the batch table: each job is converted five ways, the
# runs alternating (engine, program, Pillow, vips, engine, ...) so that a
# noisy machine slows all of them alike, and the medians are printed with
# their ratios:
#   - engine:   picture-batch-bench, the batch engine alone (TaskPool and
#               Picture, six workers), which also measures
#   - floor:    the codecs alone on six plain threads (picture-batch-bench
#               --floor: no pool, no picture object, no staged file, no
#               flush or rename);
#   - picbatch: the program from the terminal (--format F --folder DIR
#               --no-open), less its two fixed waits, which are idle time
#               the program keeps on purpose: the 200 ms pause a folder
#               batch makes before it starts and the completion's one-second
#               wait for the pool to stop;
#   - Pillow:   two worker processes (pillow_baseline.py);
#   - vips:     two `vips copy` processes at a time (JPEG at Q=100); one
#               process per picture, so only for the photographs unless
#               VIPS_ALL=1 (5,001 start-ups take minutes).
# Sizes are the output folder's bytes; peak RSS is the largest single
# process (Pillow and vips run two of them). Sizes and peak RSS come from the
# last run, times are medians.
#
# usage: compare_with_pillow.sh BUILD_DIR PHOTOS_DIR [RUNS] [TINY_DIR [SMALL_DIR]]
#   PHOTOS_DIR  photographs (wallpapers.sh): rows photos -> png, tiff, jpeg
#   TINY_DIR    tiny PNGs (small_pictures.py ... 5001 64x48): row -> jpeg
#   SMALL_DIR   small PNGs (small_pictures.py ... 5001 320x240): row -> jpeg
# JOBS="photos:png photos:tiff" limits the rows.
set -euo pipefail
build=$(realpath "$1")
photos=$(realpath "$2")
runs=${3:-3}
tiny=${4:+$(realpath "$4")}
small=${5:+$(realpath "$5")}
here=$(realpath "$(dirname "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fixed_waits=1.2  # the folder pause (0.2 s) and the pool's stop (1.0 s)

jobs=${JOBS:-"photos:png photos:tiff photos:jpeg${tiny:+ tiny:jpeg}${small:+ small:jpeg}"}

median() { sort -g | awk '{ v[NR] = $1 } END { m = int((NR + 1) / 2); print (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2 }'; }
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2" | head -1; }
bytes_in() { find "$1" -maxdepth 1 -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }
# timed FILE CMD...: runs CMD with its output in $work/out, and leaves
# "seconds peak_kb" in FILE.
timed() { local f=$1; shift; /usr/bin/time -f "%e %M" -o "$f" "$@" >"$work/out" 2>"$work/err"; }
suffix_of() { case $1 in jpeg) echo jpg ;; tiff) echo tif ;; *) echo "$1" ;; esac; }
vips_target() { case $1 in jpeg) echo "jpg[Q=100]" ;; *) suffix_of "$1" ;; esac; }

run_engine() {  # input format
  sync
  "$build/bin/picture-batch-bench" --floor --format "$2" "$1" "$outputs/engine-$run" >"$work/out" 2>"$work/err"
  local engine floor
  engine=$(grep -v '^floor:' "$work/out")
  floor=$(grep '^floor:' "$work/out")
  echo "$(field seconds "$engine") $(field bytes "$engine") $(field peak_rss_mb "$(cat "$work/err")")" >>"$work/engine"
  echo "$(field seconds "$floor") $(field bytes "$floor") $(field peak_rss_mb "$floor")" >>"$work/floor"
}

run_program() {  # input format
  local in="$outputs/in-$run"
  cp -r "$1" "$in"
  sync
  local short
  short=$(suffix_of "$2")
  timed "$work/time" "$build/bin/picbatch" --format "$short" --folder "$in" --no-open
  read -r seconds peak_kb <"$work/time"
  echo "$(awk -v s="$seconds" -v w="$fixed_waits" 'BEGIN { printf "%.2f", s - w }') $(bytes_in "$in/$short") $((peak_kb / 1024))" >>"$work/program"
}

run_pillow() {  # input format
  sync
  timed "$work/time" /usr/bin/python3 "$here/pillow_baseline.py" --format "$2" "$1" "$outputs/pillow-$run"
  local line peak_kb
  line=$(cat "$work/out")
  read -r _ peak_kb <"$work/time"
  echo "$(field seconds "$line") $(field bytes "$line") $((peak_kb / 1024))" >>"$work/pillow"
}

run_vips() {  # input format
  local out="$outputs/vips-$run"
  mkdir -p "$out"
  sync
  local target
  target=$(vips_target "$2")
  # Each picture is one `vips copy`, two at a time.
  (cd "$1" && timed "$work/time" sh -c "ls | xargs -P2 -I{} sh -c 'vips copy \"\$1\" \"$out/\${1%.*}.$target\"' _ {}")
  read -r seconds peak_kb <"$work/time"
  echo "$seconds $(bytes_in "$out") $((peak_kb / 1024))" >>"$work/vips"
}

echo "machine: $(nproc) cores, $(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1); $runs alternating runs, medians"
printf '%-14s %-9s %9s %12s %8s\n' job engine seconds bytes peak_mb
for job in $jobs; do
  set_name=${job%%:*}
  format=${job##*:}
  case $set_name in
    photos) input=$photos ;;
    tiny) input=$tiny ;;
    small) input=$small ;;
    *) echo "unknown set $set_name" >&2; exit 2 ;;
  esac
  for e in engine floor program pillow vips; do : >"$work/$e"; done
  # Every run writes into folders of its own, and the row's outputs are
  # removed only after its last run: on a file system that checks each new
  # file's number against recently deleted ones (ext4 without a journal),
  # whoever runs right after thousands of files were deleted pays for the
  # deletion, so deleting between runs would tax the columns unevenly.
  outputs="$work/$set_name-$format"
  mkdir -p "$outputs"
  for ((run = 1; run <= runs; ++run)); do
    run_engine "$input" "$format"
    run_program "$input" "$format"
    run_pillow "$input" "$format"
    if [[ $set_name == photos || ${VIPS_ALL:-0} == 1 ]]; then
      run_vips "$input" "$format"
    else
      echo "nan 0 0" >>"$work/vips"
    fi
  done
  rm -rf "$outputs"
  sync
  declare -A t b m
  for e in engine floor program pillow vips; do
    t[$e]=$(cut -d' ' -f1 "$work/$e" | median)
    b[$e]=$(tail -1 "$work/$e" | cut -d' ' -f2)
    m[$e]=$(tail -1 "$work/$e" | cut -d' ' -f3)
    printf '%-14s %-9s %9.2f %12s %8s\n' "$set_name->$format" "$e" "${t[$e]}" "${b[$e]}" "${m[$e]}"
  done
  awk -v f="$set_name->$format" -v e="${t[engine]}" -v fl="${t[floor]}" -v p="${t[program]}" \
    -v l="${t[pillow]}" -v v="${t[vips]}" -v eb="${b[engine]}" -v lb="${b[pillow]}" -v vb="${b[vips]}" \
    'BEGIN { printf "%-14s ratios: Pillow/engine=%.2fx vips/engine=%.2fx engine/floor=%.3f picbatch/floor=%.3f size engine/Pillow=%.4f engine/vips=%.3f\n",
             f, l / e, v / e, e / fl, p / fl, eb / lb, eb / vb }'
done
