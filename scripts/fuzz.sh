#!/usr/bin/env bash
# Builds every libFuzzer target with clang and runs each for SECONDS seconds
# (default 60) on a seed corpus of real files: the samples, the wallpapers
# made small, pictures in every other format ImageMagick writes, and sound
# data files and tables made by fuzz_seeds.
#
#   scripts/fuzz.sh [SECONDS] [PATTERN]
#
# PATTERN (an extended regular expression) runs only the targets it matches,
# e.g. 'datafiles|imaging'.
# SECONDS 0 builds the targets and runs each once over its seeds only, which
# is what CI does. PICBATCH_FUZZ_JOBS targets run at once (default 1);
# PICBATCH_FUZZ_BUILD names the build tree (default build-fuzz); a tree that
# is already configured with PICBATCH_BUILD_FUZZ=ON (the CI build) is used as
# it is, without instrumented copies unless it has them. Corpora grow
# in <build>/corpus/<target>, findings land in <build>/findings/<target>,
# logs in <build>/logs. Prints one line per target (executions, coverage,
# features, findings, slow inputs) and exits 1 when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
pattern="${2:-.}"
build="${PICBATCH_FUZZ_BUILD:-build-fuzz}"
jobs="${PICBATCH_FUZZ_JOBS:-1}"

if ! grep -qs '^PICBATCH_BUILD_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DPICBATCH_BUILD_FUZZ=ON -DPICBATCH_BUILD_TESTS=OFF -DPICBATCH_BUILD_BENCH=OFF >/dev/null
fi
mapfile -t targets < <(ninja -C "$build" -t targets all |
  sed -n 's/^\(fuzz_[a-z0-9_]*\): .*/\1/p' | grep -v '^fuzz_seeds$' | sort -u)
cmake --build "$build" --target fuzz_seeds "${targets[@]}" -j "$(nproc)"

# --- Seeds -----------------------------------------------------------------
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds/pictures"
"$build/bin/fuzz_seeds" "$seeds"
cp samples/* "$seeds/pictures/"
if command -v convert >/dev/null; then
  n=0
  while IFS= read -r wallpaper; do
    convert "$wallpaper" -resize 96x64 "$seeds/pictures/wallpaper-$n.jpg"
    convert "$wallpaper" -resize 48x32 "$seeds/pictures/wallpaper-$n.png"
    n=$((n + 1))
  done < <(find /usr/share/wallpapers -name '*.jpg' -o -name '*.png' 2>/dev/null | sort | head -6)
  p="$seeds/pictures"
  while read -r line; do
    output="${line##* }"
    # shellcheck disable=SC2086 # the options are words
    convert samples/badge.png ${line% *} "${output/@/$p/}" 2>/dev/null || true
  done <<'EOF_SEEDS'
-interlace JPEG @progressive.jpg
-colorspace Gray @gray.jpg
-compress LZW @lzw.tif
-compress Zip @zip.tif
-depth 16 @deep.png
-colors 16 @palette.png
-colors 64 @palette.gif
-colors 100 -compress RLE BMP3:@rle.bmp
-alpha off BMP3:@plain.bmp
-resize 32x32 @icon.ico
EOF_SEEDS
fi

# The seed folder and dictionary of a target.
seeds_of() {
  case "$1" in
    fuzz_imaging_* | fuzz_imageconv_* | fuzz_pictures_*) echo "$seeds/pictures" ;;
    *) echo "$seeds/${1#fuzz_}" ;;
  esac
}
dictionary_of() {
  case "$1" in
    fuzz_imaging_* | fuzz_imageconv_* | fuzz_pictures_*) echo fuzz/picture_formats.dict ;;
    fuzz_textservices_date_time) echo fuzz/textservices/date_time.dict ;;
  esac
}

# --- Runs ------------------------------------------------------------------
mkdir -p "$build/logs"
run_one() {
  local target="$1"
  local corpus="$build/corpus/$target" findings="$build/findings/$target"
  local log="$build/logs/$target.log" seedDir dict
  seedDir="$(seeds_of "$target")"
  dict="$(dictionary_of "$target")"
  mkdir -p "$corpus" "$findings" "$seedDir"
  local args=(-artifact_prefix="$findings/" -print_final_stats=1 -rss_limit_mb=2560
    -timeout=25 -max_len=65536)
  [[ -n "$dict" && -f "$dict" ]] && args+=(-dict="$dict")
  if [[ "$seconds" == 0 ]]; then
    args+=(-runs=0)
  else
    args+=(-max_total_time="$seconds")
  fi
  "$build/bin/$target" "${args[@]}" "$corpus" "$seedDir" >"$log" 2>&1 || true
  local executions coverage features found
  executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  coverage="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  features="$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)"
  # Crashes, leaks, timeouts and memory exhaustion are findings; an input
  # that merely took longer than libFuzzer's ten-second mark (a large but
  # legitimate picture on a busy machine) is listed as slow, to look at.
  found="$(find "$findings" -type f ! -name 'slow-unit-*' | wc -l)"
  slow="$(find "$findings" -type f -name 'slow-unit-*' | wc -l)"
  printf '%-40s executions %10s  coverage %6s  features %6s  findings %s  slow %s\n' \
    "$target" "${executions:-?}" "${coverage:-?}" "${features:-?}" "$found" "$slow"
}
export -f run_one seeds_of dictionary_of
export build seeds seconds

printf '%s\n' "${targets[@]}" | grep -E -- "$pattern" | xargs -P "$jobs" -I{} bash -c 'run_one {}' | tee "$build/logs/summary"
if grep -q 'findings [1-9]' "$build/logs/summary"; then
  echo "fuzz: findings in $build/findings" >&2
  exit 1
fi
