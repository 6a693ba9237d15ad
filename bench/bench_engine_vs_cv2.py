"""TivraEngine against Debian's cv2 on the same 24-megapixel JPEG and PNG,
measured side by side in one run and printed as ratios (engine / cv2), plus
HEIF and JPEG XL decoding against Debian's heif-convert and djxl.

Run with /usr/bin/python3 and the built module on PYTHONPATH
(scripts/run-bench.sh does both)."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

import cv2
import numpy as np

import TivraModule as tm

WIDTH, HEIGHT = 6000, 4000        # 24 megapixels
CODEC_WIDTH, CODEC_HEIGHT = 3000, 2000
REPEATS = 5
TARGET = 1.15


def make_picture(width, height):
    """A photo-like picture: smooth gradients, shapes and mild noise."""
    y, x = np.mgrid[0:height, 0:width].astype(np.float32)
    image = np.dstack([255 * x / width, 255 * y / height, 128 + 80 * np.sin((x + y) / 150)])
    rng = np.random.default_rng(1)
    image += rng.normal(0, 6, image.shape)
    image = np.clip(image, 0, 255).astype(np.uint8)
    for i in range(40):
        centre = (int(rng.integers(0, width)), int(rng.integers(0, height)))
        cv2.circle(image, centre, int(rng.integers(20, 400)), tuple(int(c) for c in rng.integers(0, 256, 3)), -1)
    return image


def best_time(action, repeats=REPEATS):
    """Shortest of several runs: the least disturbed by other work on the machine."""
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        action()
        best = min(best, time.perf_counter() - start)
    return best


def side_by_side(name, engine_action, cv2_action, repeats=REPEATS, target=TARGET, setup=None):
    """Alternates the two so that both see the same machine load; `setup` runs untimed before each engine run."""
    engine_times, cv2_times = [], []
    for _ in range(repeats):
        if setup:
            setup()
        engine_times.append(best_time(engine_action, 1))
        cv2_times.append(best_time(cv2_action, 1))
    engine_best, cv2_best = min(engine_times), min(cv2_times)
    ratio = engine_best / cv2_best
    median_ratio = statistics.median(engine_times) / statistics.median(cv2_times)
    verdict = "(information)" if target is None else "ok" if ratio <= target else "ABOVE TARGET"
    print(f"{name:<28} engine {engine_best * 1000:9.1f} ms   cv2 {cv2_best * 1000:9.1f} ms   "
          f"ratio {ratio:5.2f} (of medians {median_ratio:5.2f})  {verdict}")
    return ratio


def bench_file_formats(workdir, image):
    ratios = []
    for ext in (".jpg", ".png"):
        path = os.path.join(workdir, "picture" + ext)
        cv2.imwrite(path, image)
        engine = tm.TivraEngine()
        ratios.append(side_by_side(f"LoadImage {ext}", lambda: engine.LoadImage(path), lambda: cv2.imread(path)))
        out_engine = os.path.join(workdir, "engine" + ext)
        out_cv2 = os.path.join(workdir, "cv2" + ext)
        ratios.append(side_by_side(f"SaveImage {ext}", lambda: engine.SaveImage(out_engine),
                                   lambda: cv2.imwrite(out_cv2, image)))
    return ratios


def bench_processing(image):
    engine = tm.TivraEngine()
    engine.SetMat(image)
    gray = cv2.cvtColor(image, cv2.COLOR_BGR2GRAY)
    ratios = [
        side_by_side("GaussianBlur(5)", lambda: engine.GaussianBlur(5),
                     lambda: cv2.GaussianBlur(image, (5, 5), 0)),
        side_by_side("Canny(50, 150) colour", lambda: engine.Canny(50, 150),
                     lambda: cv2.Canny(cv2.cvtColor(image, cv2.COLOR_BGR2GRAY), 50, 150)),
    ]
    # Resize works in place: the engine gets the picture back, untimed, before each run.
    resizing = tm.TivraEngine()
    ratios.append(side_by_side("Resize to half (linear)", lambda: resizing.Resize(WIDTH // 2, HEIGHT // 2),
                               lambda: cv2.resize(image, (WIDTH // 2, HEIGHT // 2)), repeats=9,
                               setup=lambda: resizing.SetMat(image)))
    gray_engine = tm.TivraEngine()
    gray_engine.SetMat(gray)
    ratios.append(side_by_side("Canny(50, 150) gray", lambda: gray_engine.Canny(50, 150),
                               lambda: cv2.Canny(gray, 50, 150)))
    # What crossing the boundary costs: two copies against NumPy's one.
    side_by_side("SetMat + GetMat copies", lambda: (engine.SetMat(image), engine.GetMat()), lambda: image.copy(),
                 target=None)
    side_by_side("SetMat + GetMat(copy=False)", lambda: (engine.SetMat(image), engine.GetMat(copy=False)),
                 lambda: image.copy(), target=None)
    return ratios


def bench_codec(workdir, label, encode_command, decode_command, path):
    """Decode time through the engine against the reference command-line decoder."""
    subprocess.run(encode_command, check=True, capture_output=True)
    engine = tm.TivraEngine()
    stderr_fd = os.dup(2)
    devnull = os.open(os.devnull, os.O_WRONLY)
    os.dup2(devnull, 2)  # the HEIF decoder reports the colour conversion on every load
    try:
        engine_time = best_time(lambda: engine.LoadImage(path), 3)
    finally:
        os.dup2(stderr_fd, 2)
        os.close(devnull)
        os.close(stderr_fd)
    assert engine.HasImage(), f"{label} did not decode"
    tool_time = best_time(lambda: subprocess.run(decode_command, check=True, capture_output=True), 3)
    print(f"{label:<28} engine {engine_time * 1000:9.1f} ms   {os.path.basename(decode_command[0])} "
          f"{tool_time * 1000:9.1f} ms   ratio {engine_time / tool_time:5.2f}  (reference only: the tool "
          f"also writes its output)")


def main():
    print(f"TivraEngine / cv2 {cv2.__version__} on {WIDTH}x{HEIGHT} ({WIDTH * HEIGHT / 1e6:.0f} MP), "
          f"best of repeated runs, target ratio <= {TARGET}")
    image = make_picture(WIDTH, HEIGHT)
    with tempfile.TemporaryDirectory() as workdir:
        ratios = bench_file_formats(workdir, image) + bench_processing(image)
        print(f"worst ratio {max(ratios):.2f}")

        small = make_picture(CODEC_WIDTH, CODEC_HEIGHT)
        png = os.path.join(workdir, "codec.png")
        cv2.imwrite(png, small)
        print(f"Codec decoding on {CODEC_WIDTH}x{CODEC_HEIGHT}:")
        if shutil.which("heif-enc") and shutil.which("heif-convert"):
            heic = os.path.join(workdir, "codec.heic")
            bench_codec(workdir, "HEIF LoadImage", ["heif-enc", "-q", "90", png, "-o", heic],
                        ["heif-convert", "--quiet", heic, os.path.join(workdir, "out.y4m")], heic)
        if shutil.which("cjxl") and shutil.which("djxl"):
            jxl = os.path.join(workdir, "codec.jxl")
            bench_codec(workdir, "JPEG XL LoadImage", ["cjxl", "-d", "1", png, jxl],
                        ["djxl", jxl, os.path.join(workdir, "out.ppm")], jxl)
    return 0


if __name__ == "__main__":
    sys.exit(main())
