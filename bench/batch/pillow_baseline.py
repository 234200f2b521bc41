#!/usr/bin/env python3
"""The baseline a user would reach for: Pillow converting a folder with two
worker processes. Prints the same line as picture-batch-bench:
    files=N failed=F seconds=S bytes=B
usage: pillow_baseline.py --format jpeg|tiff|png INPUT_DIR OUTPUT_DIR"""
import argparse
import multiprocessing
import os
import time

from PIL import Image

SUFFIX = {"jpeg": ".jpg", "tiff": ".tif", "png": ".png"}


def convert(job):
    source, target, fmt = job
    try:
        with Image.open(source) as picture:
            picture.load()
            if fmt == "jpeg":
                picture.convert("RGB").save(target, "JPEG", quality=100)
            else:
                picture.save(target, fmt.upper())
        return True
    except Exception:
        return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--format", required=True, choices=sorted(SUFFIX))
    parser.add_argument("--processes", type=int, default=2)
    parser.add_argument("input")
    parser.add_argument("output")
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    names = sorted(n for n in os.listdir(args.input) if os.path.isfile(os.path.join(args.input, n)))
    jobs = [(os.path.join(args.input, n),
             os.path.join(args.output, os.path.splitext(n)[0] + SUFFIX[args.format]),
             args.format) for n in names]
    start = time.monotonic()
    with multiprocessing.Pool(args.processes) as pool:
        results = pool.map(convert, jobs, chunksize=1)
    seconds = time.monotonic() - start
    size = sum(os.path.getsize(os.path.join(args.output, n)) for n in os.listdir(args.output))
    print(f"files={len(jobs)} failed={results.count(False)} seconds={seconds:.2f} bytes={size}")


if __name__ == "__main__":
    main()
