#!/usr/bin/env bash
# Sets up the machine, builds picbatch and runs the main job on the sample
# pictures in samples/ (converted copies land in out/demo/).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh normal
bin=build/bin
out=out/demo
rm -rf "$out"
mkdir -p "$out"

ran=0
if [[ -x $bin/picbatch-convert ]]; then
  for f in samples/*; do
    [[ -f "$f" ]] || continue
    name=$(basename "${f%.*}")
    for fmt in jpeg tiff png; do
      "$bin/picbatch-convert" --to "$fmt" "$f" "$out/$name.$fmt" && echo "converted $f -> $out/$name.$fmt"
    done
  done
  ran=1
fi
if [[ -x $bin/picture-batch-bench ]]; then
  # The batch engine: six workers converting the folder through the imaging
  # platform (which, unlike the single-file converter, does not read PCX).
  echo "batch of samples/ to PNG with six workers:"
  "$bin/picture-batch-bench" --format png samples "$out/batch"
  ran=1
fi
if [[ -x $bin/picbatch-gallery ]]; then
  "$bin/picbatch-gallery" --screenshot "$out/gallery.png" && echo "gallery screenshot: $out/gallery.png"
  ran=1
fi
if [[ $ran == 0 ]]; then
  echo "The batch program is not built yet; the runtime libraries built cleanly."
  echo "Run 'bash scripts/test.sh' to exercise them."
fi
