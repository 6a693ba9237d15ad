"""Image loading side by side, in one run, as ratios (medians of repeated runs;
the machine may be shared, so compare the ratios, not the times):
- GetImageFileInfo per JPEG, PNG and TIFF file against Pillow's Image.open +
  size + getexif on the same file (target: at most 1 ms per file);
- the advanced panel's LoadImage up to its first paint against cv2.imread of
  the same file, 24 and 100 megapixels, JPEG and PNG (target: at most 1.15x);
- process memory added per loaded 8-bit colour image against its decoded size
  (target: at most 1.1x)."""
import os
import statistics
import tempfile
import time

import cv2
import numpy as np
import wx
from PIL import Image

import TivraModule as tm

REPEATS = 5


def median_seconds(action, repeats=REPEATS):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def photo(megapixels):
    height = int((megapixels * 1e6 * 3 / 4) ** 0.5)
    width = int(megapixels * 1e6 / height)
    small = np.random.default_rng(3).integers(0, 255, (height // 16, width // 16, 3), dtype=np.uint8)
    return cv2.resize(small, (width, height), interpolation=cv2.INTER_LINEAR)


def write_files(folder, megapixels, extensions):
    pixels = photo(megapixels)
    paths = {}
    for extension in extensions:
        paths[extension] = os.path.join(folder, f"photo{megapixels}{extension}")
        cv2.imwrite(paths[extension], pixels)
    return paths


def pillow_info(path):
    with Image.open(path) as image:
        return image.size, image.getexif()


def bench_file_info(folder):
    print("GetImageFileInfo against Pillow open + size + getexif (24 MP)")
    for extension, path in write_files(folder, 24, (".jpg", ".png", ".tif")).items():
        ours = median_seconds(lambda: tm.GetImageFileInfo(path), 21)
        pillow = median_seconds(lambda: pillow_info(path), 3)  # Pillow decodes a PNG to find its EXIF
        print(f"  {extension:5} {ours * 1e3:7.3f} ms  Pillow {pillow * 1e3:9.3f} ms  ratio {ours / pillow:7.4f}"
              f"  {'ok' if ours <= 1e-3 else 'ABOVE 1 ms'}")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def load_to_first_paint(panel, path):
    assert panel.LoadImage(path)
    wx.GetApp().Yield(True)  # the paint event the load asked for


def bench_load(folder, frame, parent):
    print("Advanced panel LoadImage to first paint against cv2.imread")
    for megapixels in (24, 100):
        for extension, path in write_files(folder, megapixels, (".jpg", ".png")).items():
            panel = tm.TivraROIAdvPanel(parent.GetHandle(), width=800, height=600)
            ours = median_seconds(lambda: load_to_first_paint(panel, path), 3)
            theirs = median_seconds(lambda: cv2.imread(path), 3)
            ratio = ours / theirs
            print(f"  {megapixels:3} MP {extension:5} {ours:6.3f} s  cv2 {theirs:6.3f} s  ratio {ratio:5.2f}"
                  f"  {'ok' if ratio <= 1.15 else 'ABOVE 1.15x'}")
            del panel
            wx.GetApp().Yield(True)


def bench_memory(folder, parent):
    print("Memory added per loaded 8-bit colour image (24 MP JPEG)")
    path = write_files(folder, 24, (".jpg",))[".jpg"]
    decoded = cv2.imread(path).nbytes
    panels = []
    before = resident_bytes()
    for _ in range(3):
        panel = tm.TivraROIAdvPanel(parent.GetHandle(), width=200, height=150)
        assert panel.LoadImage(path)
        panels.append(panel)
    wx.GetApp().Yield(True)
    added = (resident_bytes() - before) / len(panels)
    print(f"  {added / 2**20:7.1f} MiB per image, decoded {decoded / 2**20:7.1f} MiB, ratio {added / decoded:5.2f}"
          f"  {'ok' if added <= 1.1 * decoded else 'ABOVE 1.1x'}")


def main():
    app = wx.App(False)
    frame = wx.Frame(None, size=(820, 640))
    parent = wx.Panel(frame)
    frame.Show()
    with tempfile.TemporaryDirectory() as folder:
        bench_file_info(folder)
        bench_memory(folder, parent)
        bench_load(folder, frame, parent)
    frame.Destroy()
    app.Destroy()


if __name__ == "__main__":
    main()
