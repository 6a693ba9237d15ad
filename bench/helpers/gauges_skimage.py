#!/usr/bin/python3
"""Reference circle fits for bench_gauges: scikit-image's canny, then CircleModel and
ransac(CircleModel, ...) on the edge pixels inside each image's ROI mask.

Usage: gauges_skimage.py <images.bin> <results.txt>

images.bin: int32 count, then per image int32 width, int32 height, float32 canny sigma,
width * height uint8 pixels and width * height uint8 mask. results.txt: one line per
image, "cx cy r ok" for CircleModel, then the same four for ransac.
"""
import struct
import sys
import warnings

import numpy as np
from skimage.feature import canny
from skimage.measure import CircleModel, ransac


def read_images(path):
    with open(path, "rb") as f:
        blob = f.read()
    (count,), pos = struct.unpack_from("<i", blob, 0), 4
    for _ in range(count):
        w, h, sigma = struct.unpack_from("<iif", blob, pos)
        pos += 12
        img = np.frombuffer(blob, dtype=np.uint8, count=w * h, offset=pos).reshape(h, w)
        pos += w * h
        mask = np.frombuffer(blob, dtype=np.uint8, count=w * h, offset=pos).reshape(h, w)
        pos += w * h
        yield img, mask.astype(bool), sigma


def fit(estimate):
    params = estimate()
    if params is None or not np.all(np.isfinite(params)):
        return "0 0 0 0"
    return "%.6f %.6f %.6f 1" % tuple(params)


def circle_model(xy):
    model = CircleModel()
    return model.params if model.estimate(xy) else None


def circle_ransac(xy):
    model, _ = ransac(xy, CircleModel, min_samples=3, residual_threshold=1.0, max_trials=1000, random_state=0)
    return None if model is None else model.params


def main():
    warnings.simplefilter("ignore")
    lines = []
    for img, mask, sigma in read_images(sys.argv[1]):
        rows, cols = np.nonzero(canny(img.astype(float), sigma=sigma) & mask)
        xy = np.column_stack([cols, rows]).astype(float)
        if len(xy) < 3:
            lines.append("0 0 0 0 0 0 0 0")
            continue
        lines.append(fit(lambda: circle_model(xy)) + " " + fit(lambda: circle_ransac(xy)))
    with open(sys.argv[2], "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
