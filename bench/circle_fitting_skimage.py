#!/usr/bin/python3
"""Reference fits for bench_circle_fitting: scikit-image's CircleModel and
ransac(CircleModel, ...) on the point sets that the benchmark writes.

Usage: circle_fitting_skimage.py <sets.bin> <results.txt>

sets.bin: int32 count, then per set int32 n, float32 threshold, int32 seed and n
(x, y) float32 pairs. results.txt: one line per set,
"cx cy r microseconds ok" for CircleModel, then the same five for ransac.
"""
import struct
import sys
import time
import warnings

import numpy as np
from skimage.measure import CircleModel, ransac


def read_sets(path):
    with open(path, "rb") as f:
        blob = f.read()
    (count,), pos = struct.unpack_from("<i", blob, 0), 4
    for _ in range(count):
        n, threshold, seed = struct.unpack_from("<ifi", blob, pos)
        pos += 12
        xy = np.frombuffer(blob, dtype="<f4", count=2 * n, offset=pos).reshape(n, 2)
        pos += 8 * n
        yield xy.astype(np.float64), threshold, seed


def timed(fit):
    # CPU time of this thread, as the C++ side measures.
    start = time.thread_time_ns()
    params = fit()
    micros = (time.thread_time_ns() - start) * 1e-3
    if params is None or not np.all(np.isfinite(params)):
        return (0.0, 0.0, 0.0, micros, 0)
    return (*params, micros, 1)


def fit_model(xy):
    model = CircleModel()
    return model.params if model.estimate(xy) else None


def fit_ransac(xy, threshold, seed):
    # 0.999: an all-inlier sample is missed once in 1000, as in our adaptive fitters.
    model, _ = ransac(xy, CircleModel, min_samples=3, residual_threshold=threshold,
                      max_trials=1000, stop_probability=0.999, random_state=seed)
    return None if model is None else model.params


def main():
    warnings.simplefilter("ignore")
    lines = []
    for xy, threshold, seed in read_sets(sys.argv[1]):
        row = timed(lambda: fit_model(xy)) + timed(lambda: fit_ransac(xy, threshold, seed))
        lines.append(" ".join(f"{v:.9g}" for v in row))
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
