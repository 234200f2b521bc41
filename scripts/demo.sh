#!/usr/bin/env bash
# Sets up the machine, builds picbatch and runs the main job on the sample
# pictures in samples/: a copy of the folder is converted to PNG, JPEG and
# TIFF by picbatch from the terminal (six workers, the same start window a
# person uses), and the output folders are listed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh normal
bin=build/bin
out=out/demo
rm -rf "$out"
mkdir -p "$out/pictures"
cp samples/* "$out/pictures/"

status=0
for fmt in png jpg tif; do
  echo "== picbatch --format $fmt --folder $out/pictures --no-open"
  "$bin/picbatch" --format "$fmt" --folder "$out/pictures" --no-open || status=$?
done
"$bin/picbatch" --screenshot "$out/start-window.png" >/dev/null

echo
echo "The converted pictures are in $out/pictures/{png,jpg,tif}/:"
ls -l "$out/pictures/png" "$out/pictures/jpg" "$out/pictures/tif"
echo "A picture of the start window: $out/start-window.png"
echo "(rings.pcx is a PCX picture, which the batch does not read; picbatch-convert does.)"
exit "$status"
