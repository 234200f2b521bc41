#!/usr/bin/env python3
"""Fills a folder with many small PNG pictures cut from real photographs,
for the batch rows where the cost of each file, not of its pixels, decides
the time. Each picture is a region of one of the photographs (in turn),
scaled down to WIDTHxHEIGHT; the same arguments always give the same files.
usage: small_pictures.py PHOTOS_DIR DEST COUNT WIDTHxHEIGHT"""
import os
import random
import sys

from PIL import Image


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    photos, dest, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    width, height = (int(v) for v in sys.argv[4].split("x"))
    names = sorted(n for n in os.listdir(photos) if n.lower().endswith((".jpg", ".jpeg")))
    if not names:
        sys.exit(f"small_pictures.py: no photographs in {photos}")
    os.makedirs(dest, exist_ok=True)
    pictures = [Image.open(os.path.join(photos, n)).convert("RGB") for n in names]
    chance = random.Random(20240601)
    digits = len(str(count))
    for i in range(count):
        picture = pictures[i % len(pictures)]
        # A region between 1x and 4x the output size, somewhere in the photograph.
        scale = chance.uniform(1.0, 4.0)
        w, h = min(picture.width, int(width * scale)), min(picture.height, int(height * scale))
        x, y = chance.randrange(picture.width - w + 1), chance.randrange(picture.height - h + 1)
        small = picture.crop((x, y, x + w, y + h)).resize((width, height), Image.LANCZOS)
        small.save(os.path.join(dest, f"p{i:0{digits}d}.png"))


if __name__ == "__main__":
    main()
