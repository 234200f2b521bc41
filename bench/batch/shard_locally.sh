#!/usr/bin/env bash
# Runs the sharding recipe of docs/scaling.md on this machine: COUNT small
# pictures in one folder, cut by GNU parallel into lists of SHARD names that
# two picbatch runs convert at once, then checks that every picture was
# converted exactly once.
# usage: shard_locally.sh BUILD_DIR [COUNT] [SHARD]
set -euo pipefail
build=$1
count=${2:-400}
shard=${3:-50}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pictures="$work/pictures"
mkdir -p "$pictures"
convert -size 32x24 plasma: -seed 1 "$work/seed.png"
for ((i = 0; i < count; ++i)); do
  cp "$work/seed.png" "$pictures/p$i.png"
done

find "$pictures" -maxdepth 1 -type f -print0 |
  PICBATCH_HEADLESS=1 parallel --pipe --recend '\0' -N "$shard" -j 2 --joblog "$work/jobs.log" \
    "$build/bin/picbatch" --format jpg -0 --files-from - --no-open >"$work/out.txt" 2>"$work/err.txt"

shards=$(tail -n +2 "$work/jobs.log" | wc -l)
failed=$(tail -n +2 "$work/jobs.log" | awk '$7 != 0' | wc -l)
reported=$(sed -n 's/^All \([0-9]*\) files done.*/\1/p' "$work/out.txt" | awk '{ s += $1 } END { print s + 0 }')
outputs=$(find "$pictures/jpg" -type f | wc -l)
orphans=0
for out in "$pictures"/jpg/*; do
  [[ -e "$pictures/$(basename "${out%.jpg}").png" ]] || orphans=$((orphans + 1))
done
echo "pictures=$count shards=$shards failed_shards=$failed reported=$reported outputs=$outputs orphans=$orphans"
if ((failed == 0 && reported == count && outputs == count && orphans == 0)); then
  echo "every picture converted exactly once"
else
  echo "MISMATCH" >&2
  exit 1
fi
