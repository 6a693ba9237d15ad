"""Fits scikit-image's LineModelND with ransac to the point sets that
bench_line_fitting writes, for a side-by-side comparison in that benchmark.

usage: skimage_line_ransac.py <point-sets file> <results file>

Input: one block per set: a line "<threshold> <max_trials> <n>", then n lines "x y".
Output: one line per set: "dx dy x0 y0 seconds" (CPU seconds; nan for a failed fit).
"""
import sys
import time
import warnings

import numpy as np
from skimage.measure import LineModelND, ransac


def read_sets(path):
    with open(path) as f:
        tokens = f.read().split()
    pos = 0
    while pos < len(tokens):
        threshold, trials, n = float(tokens[pos]), int(tokens[pos + 1]), int(tokens[pos + 2])
        pos += 3
        pts = np.array(tokens[pos:pos + 2 * n], dtype=np.float64).reshape(n, 2)
        pos += 2 * n
        yield threshold, trials, pts


def main():
    source, target = sys.argv[1], sys.argv[2]
    warnings.simplefilter("ignore")
    with open(target, "w") as out:
        for threshold, trials, pts in read_sets(source):
            start = time.thread_time()
            model, _ = ransac(pts, LineModelND, min_samples=2, residual_threshold=threshold,
                              max_trials=trials, random_state=12345)
            seconds = time.thread_time() - start
            if model is None:
                out.write(f"nan nan nan nan {seconds}\n")
            else:
                origin, direction = model.params
                out.write(f"{direction[0]} {direction[1]} {origin[0]} {origin[1]} {seconds}\n")


if __name__ == "__main__":
    main()
