#!/usr/bin/python3
"""TivraModule.EA from Python against the same native calls, side by side in one run.

Prints:
  - a 1,000-point fitCircleGeminiUltra called from Python against the native call
    (ea_native_timing, same points): the ratio, goal <= 1.1;
  - a 100-point fitCircleFromPoints: microseconds the Python call costs more than
    the native one, goal <= 10;
  - 4 Python threads fitting in parallel against 1 thread doing the same fits:
    the speed-up, goal >= 1.7 on 2 idle cores, and the CPU-time parallelism of the
    threaded run (above 1.0 only when the fits really run side by side).
Times are CPU time of the calling thread (the machine is shared), except the
thread comparison, which is wall time by nature.

usage: PYTHONPATH=build/python /usr/bin/python3 bench/bench_ea_python.py
"""
import json
import os
import pathlib
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np

import TivraModule
from TivraModule import EA

NATIVE = pathlib.Path(TivraModule.__file__).resolve().parent.parent / "bench" / "ea_native_timing"


def circle_set(n, outlier_share, seed):
    """Noisy points on a half circle of radius 100 with uniform box outliers, as float32."""
    rng = np.random.default_rng(seed)
    inliers = n - int(n * outlier_share)
    t = np.linspace(0, np.pi, inliers)
    r = 100 + rng.normal(0, 0.3, inliers)
    pts = np.stack([400 + r * np.cos(t), 300 + r * np.sin(t)], 1)
    outliers = rng.uniform((250, 150), (550, 450), (n - inliers, 2))
    return np.concatenate([pts, outliers]).astype(np.float32)


def cpu_micros_per_call(call, min_seconds=1.0):
    """Best of five CPU-time measurements of repeated calls, in microseconds per call."""
    count, best = 1, float("inf")
    while True:
        start = time.thread_time()
        for _ in range(count):
            call()
        spent = time.thread_time() - start
        if spent >= min_seconds / 5:
            break
        count *= 2
    for _ in range(5):
        start = time.thread_time()
        for _ in range(count):
            call()
        best = min(best, (time.thread_time() - start) / count)
    return best * 1e6


def native_micros(ultra, from_points):
    with tempfile.TemporaryDirectory() as tmp:
        a, b = os.path.join(tmp, "ultra.bin"), os.path.join(tmp, "from.bin")
        ultra.tofile(a)
        from_points.tofile(b)
        out = subprocess.run([str(NATIVE), a, b, "--benchmark_format=json", "--benchmark_repetitions=5",
                              "--benchmark_report_aggregates_only=true"],
                             check=True, capture_output=True, text=True).stdout
    times = {}
    for entry in json.loads(out)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            times[entry["run_name"]] = entry["cpu_time"]  # microseconds: the benchmarks use kMicrosecond
    return times


def thread_speedup(points, fits=512, threads=4):
    """Best wall times of `fits` fits on one thread and spread over `threads` threads, and the
    CPU-time parallelism of the threaded run (process CPU time / wall time): at most 1.0 if the
    fits held the interpreter lock, whatever the cores."""
    def work(count):
        for _ in range(count):
            EA.fitCircleGeminiUltra(points, 1000, 1.0)

    best_one = best_many = float("inf")
    parallelism = 0.0
    with ThreadPoolExecutor(threads) as pool:
        for _ in range(3):
            start = time.perf_counter()
            work(fits)
            best_one = min(best_one, time.perf_counter() - start)
            start, cpu = time.perf_counter(), time.process_time()
            list(pool.map(work, [fits // threads] * threads))
            wall = time.perf_counter() - start
            parallelism = max(parallelism, (time.process_time() - cpu) / wall)
            best_many = min(best_many, wall)
    return best_one, best_many, parallelism


def main():
    if not NATIVE.exists():
        sys.exit(f"{NATIVE} is missing: build the project first (make build)")
    ultra = circle_set(1000, 0.3, 1)
    small = circle_set(100, 0.0, 2)
    native = native_micros(ultra, small)
    py_ultra = cpu_micros_per_call(lambda: EA.fitCircleGeminiUltra(ultra, 1000, 1.0))
    py_small = cpu_micros_per_call(lambda: EA.fitCircleFromPoints(small))
    py_small64 = cpu_micros_per_call(lambda: EA.fitCircleFromPoints(small.astype(np.float64)))
    small_list = small.tolist()
    py_small_list = cpu_micros_per_call(lambda: EA.fitCircleFromPoints(small_list), 0.3)

    print(f"{'call':48s} {'native us':>10s} {'Python us':>10s} {'ratio':>7s} {'extra us':>9s}")
    rows = [("fitCircleGeminiUltra, 1000 points (30 % outliers)", native["fitCircleGeminiUltra"], py_ultra),
            ("fitCircleFromPoints, 100 points, float32 array", native["fitCircleFromPoints"], py_small),
            ("fitCircleFromPoints, 100 points, float64 array", native["fitCircleFromPoints"], py_small64),
            ("fitCircleFromPoints, 100 points, list of pairs", native["fitCircleFromPoints"], py_small_list)]
    for name, n, p in rows:
        print(f"{name:48s} {n:10.2f} {p:10.2f} {p / n:7.3f} {p - n:9.2f}")

    one, many, parallelism = thread_speedup(ultra)
    cores = len(os.sched_getaffinity(0))
    load = os.getloadavg()[0]
    print(f"\n512 fitCircleGeminiUltra fits: 1 thread {one * 1e3:.1f} ms, 4 threads {many * 1e3:.1f} ms, "
          f"speed-up {one / many:.2f} on {cores} cores (load average {load:.1f}); CPU-time parallelism of the "
          f"threaded run {parallelism:.2f}")
    if load > cores:
        print("  the machine is busy: the cores this process gets, not the threads, limit the speed-up")

    print("\nGoals")
    print(f"  GeminiUltra Python / native          {py_ultra / native['fitCircleGeminiUltra']:.3f}  (<= 1.1)")
    print(f"  FromPoints Python - native, us       {py_small - native['fitCircleFromPoints']:.2f}  (<= 10)")
    print(f"  4 threads / 1 thread                 {one / many:.2f}  (>= 1.7 on 2 cores)")


if __name__ == "__main__":
    main()
