#!/usr/bin/env python3
"""Times picbatch-convert against ImageMagick's convert on one 12-megapixel
JPEG written as PNG, TIFF and JPEG (quality 100), and prints the ratios and
each program's peak resident memory.

usage: convert_vs_magick.py PATH/TO/picbatch-convert [--runs N]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run(argv):
    """Wall seconds and peak resident KiB of one run of argv."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        sys.exit(f"failed ({proc.returncode}): {' '.join(argv)}\n{proc.stderr.read().decode()}")
    return elapsed, usage.ru_maxrss


def measure(argv, runs):
    times, peaks = [], []
    for _ in range(runs):
        t, rss = run(argv)
        times.append(t)
        peaks.append(rss)
    return statistics.median(times), max(peaks)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    tool = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 3
    magick = shutil.which("convert")
    if not magick:
        sys.exit("ImageMagick's convert is not installed")
    work = tempfile.mkdtemp(prefix="imageconv-bench-")
    try:
        source = os.path.join(work, "photo.jpg")
        # A photograph-like 4000x3000 picture: smooth plasma scaled up, with grain.
        subprocess.run([magick, "-seed", "1", "-size", "1000x750", "plasma:fractal",
                        "-resize", "4000x3000!", "-attenuate", "0.3", "+noise", "Gaussian",
                        "-quality", "92", source], check=True)
        print(f"source: 4000x3000 JPEG, {os.path.getsize(source) // 1024} KiB; "
              f"median of {runs} runs each")
        print(f"{'output':8} {'picbatch s':>11} {'convert s':>10} {'time ratio':>11} "
              f"{'picbatch MiB':>13} {'convert MiB':>12}")
        cases = [
            ("png", ["--to", "png"], ["-quality", "75"], "png"),
            ("tiff", ["--to", "tiff"], ["-compress", "None"], "tif"),
            ("jpeg", ["--to", "jpeg", "--quality", "100"], ["-quality", "100"], "jpg"),
        ]
        for name, ours_args, magick_args, ext in cases:
            ours_out = os.path.join(work, f"ours.{ext}")
            theirs_out = os.path.join(work, f"theirs.{ext}")
            ours_t, ours_rss = measure([tool, *ours_args, source, ours_out], runs)
            theirs_t, theirs_rss = measure([magick, source, *magick_args, theirs_out], runs)
            print(f"{name:8} {ours_t:11.3f} {theirs_t:10.3f} {ours_t / theirs_t:11.2f} "
                  f"{ours_rss / 1024:13.1f} {theirs_rss / 1024:12.1f}")
        print("time ratio = picbatch / convert (below 1 means picbatch is faster). "
              "picbatch's PNG is Adam7-interlaced by design; convert's is not.")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
