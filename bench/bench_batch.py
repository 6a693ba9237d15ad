#!/usr/bin/python3
"""Throughput of tivra_batch: 2 worker processes against 1, and the cost per image of running
through Dask against calling the same load + circle gauge in a plain Python loop.

Generated 12 MP (4000 x 3000) grey JPEGs with a bright disc of known radius; the recipe is a
64-caliper circle gauge over an annulus around it. Clusters are started (and warmed up on two
images) before timing, so the figures are steady-state throughput. Workers keep freed image memory
(tivra_batch.worker); the overhead is measured against a plain loop with the same allocator setting,
and the plain loop with glibc's defaults is printed beside it. Targets: 2 workers at least
1.8x the throughput of 1 on 2 free cores; at most 10 % overhead per image against the plain loop.

    /usr/bin/python3 bench/bench_batch.py [--count 200] [--build build]
"""
import argparse
import os
import sys
import tempfile
import time

import numpy as np


def make_images(folder, count, size=(3000, 4000)):
    import cv2
    rng = np.random.default_rng(1)
    paths = []
    for i in range(count):
        img = np.full(size, 40, np.uint8)
        cv2.circle(img, (2000, 1500), 900 + i % 50, 200, -1, cv2.LINE_AA)
        img = cv2.add(img, rng.integers(0, 6, size, np.uint8))
        paths.append(os.path.join(folder, "img%04d.jpg" % i))
        cv2.imwrite(paths[-1], img, [cv2.IMWRITE_JPEG_QUALITY, 90])
    return paths


def plain_loop(paths):
    import TivraModule as tm
    start = time.perf_counter()
    for path in paths:
        engine = tm.TivraEngine()
        engine.LoadImage(path, 0)
        tm.EA.measureCircle(engine.GetMat(), (2000, 1500), 800, 1100, calipers=64)
    return time.perf_counter() - start


def tuned_plain_loop(paths):
    from tivra_batch.worker import keep_image_memory
    keep_image_memory()
    plain_loop(paths[:2])
    return plain_loop(paths)


def machine_scaling(paths):
    """Throughput of two plain loops in two processes at once against one: what this machine gives two
    CPU-bound processes, the ceiling for 2 workers against 1."""
    import multiprocessing
    from concurrent.futures import ProcessPoolExecutor
    context = multiprocessing.get_context("spawn")
    with ProcessPoolExecutor(1, mp_context=context) as pool:
        one = pool.submit(tuned_plain_loop, paths).result()
    with ProcessPoolExecutor(2, mp_context=context) as pool:
        start = time.perf_counter()
        list(pool.map(tuned_plain_loop, [paths, paths]))
        two = (time.perf_counter() - start) / 2
    return one / two


def dask_run(recipe, paths, workers):
    from distributed import Client, LocalCluster
    import tivra_batch
    with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        tivra_batch.run(recipe, paths[:2], client=client)
        start = time.perf_counter()
        rows = tivra_batch.run(recipe, paths, client=client)
        elapsed = time.perf_counter() - start
    statuses = rows["status"] if hasattr(rows, "columns") else [r["status"] for r in rows]
    assert all(s == "ok" for s in statuses), "some images were not measured"
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=200, help="number of 12 MP images (default 200)")
    parser.add_argument("--build", default="build")
    args = parser.parse_args()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    python_dir = os.path.join(root, args.build, "python")
    sys.path.insert(0, python_dir)
    os.environ["PYTHONPATH"] = python_dir + os.pathsep + os.environ.get("PYTHONPATH", "")  # for the workers
    import tivra_batch
    recipe = tivra_batch.make_recipe("circle", ("Annulus", [(2000, 1500), (1100, 0), (800, 0), (0, 360)], 0.0),
                                     {"calipers": 64})
    with tempfile.TemporaryDirectory() as folder:
        print("generating %d images of 12 MP..." % args.count, flush=True)
        paths = make_images(folder, args.count)
        plain_loop(paths[:2])
        default_plain = plain_loop(paths)
        # Workers set the allocator for large images; the like-for-like loop does the same.
        plain = tuned_plain_loop(paths)
        ceiling = machine_scaling(paths)
        one = dask_run(recipe, paths, 1)
        two = dask_run(recipe, paths, 2)
    n = len(paths)
    print("plain Python loop, default allocator      : %7.1f ms per image" % (1000 * default_plain / n))
    print("plain Python loop, allocator as in workers: %7.1f ms per image" % (1000 * plain / n))
    print("1 worker                                  : %7.1f ms per image, %.2f images/s" % (1000 * one / n, n / one))
    print("2 workers                                 : %7.1f ms per image, %.2f images/s" % (1000 * two / n, n / two))
    print("2 workers / 1 worker throughput: %.2fx (target >= 1.8x on 2 free cores)" % (one / two))
    print("2 plain loops / 1, in processes side by side: %.2fx (what this machine gives two processes)" % ceiling)
    print("overhead per image, 1 worker vs plain loop: %+.1f %% (target <= 10 %%)" % (100 * (one - plain) / plain))


if __name__ == "__main__":
    main()
