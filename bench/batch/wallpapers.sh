#!/usr/bin/env bash
# Fills DEST with real photographs: the largest JPEG of every image set that
# Debian's plasma-workspace-wallpapers installs (19 pictures, 144
# megapixels, up to 5120x2880), copied under names that say where they came
# from. A test-time and benchmark-time dependency, never shipped.
# usage: wallpapers.sh DEST
set -euo pipefail
dest=$1
root=/usr/share/wallpapers
if [[ ! -d $root ]]; then
  echo "wallpapers.sh: $root is missing (apt-get install plasma-workspace-wallpapers)" >&2
  exit 1
fi
mkdir -p "$dest"
find "$root" -type d -name 'images*' | sort | while read -r set; do
  largest=$(find "$set" -maxdepth 1 -name '*.jpg' -printf '%s %p\n' | sort -n | tail -1 | cut -d' ' -f2-)
  [[ -n $largest ]] || continue
  name=$(sed "s|$root/||; s|/contents/||; s|/|-|g" <<<"$largest")
  cp "$largest" "$dest/$name"
done
