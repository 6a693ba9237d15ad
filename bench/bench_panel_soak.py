"""Long runs in one process: 2,000 panel creations and destructions, 10,000 SetMat
calls and 500 loads, with both Python panels. Prints the resident memory after each
block and its growth per 1,000 operations; the target is flat within noise (the
first block includes warm-up). Run under a display (xvfb-run -a)."""
import ctypes
import gc
import os
import statistics
import subprocess
import sys
import tempfile

import cv2
import numpy as np
import wx

import TivraModule as tm

LIBC = ctypes.CDLL("libc.so.6")
VIEW = (320, 240)


def pump():
    wx.SafeYield(None, True)


def resident_mb():
    """Resident memory once freed blocks went back to the system, in MB."""
    gc.collect()
    pump()
    LIBC.malloc_trim(0)
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") / 2**20


def soak(name, operations, block, step):
    """Runs step(i) `operations` times; prints memory growth per 1,000 operations per block."""
    start = resident_mb()
    readings = [start]
    for i in range(operations):
        step(i)
        if (i + 1) % block == 0:
            readings.append(resident_mb())
    growth = [(b - a) * 1000 / block for a, b in zip(readings, readings[1:])]
    settled = statistics.median(growth[1:]) if len(growth) > 1 else growth[0]
    print(f"{name}: {operations} operations, RSS {start:.1f} -> {readings[-1]:.1f} MB; growth per 1,000 "
          f"operations by block: {', '.join(f'{g:+.1f}' for g in growth)} MB; median after warm-up {settled:+.2f} MB",
          flush=True)


def image_files(folder):
    """The same image as PNG, JPEG, TIFF, HEIF and JPEG XL files (the last two by libheif's and libjxl's tools)."""
    image = cv2.resize(np.indices((48, 64, 3)).sum(0).astype(np.uint8) * 3, (640, 480))
    paths = []
    for suffix in ("png", "jpg", "tiff"):
        paths.append(os.path.join(folder, f"image.{suffix}"))
        cv2.imwrite(paths[-1], image)
    for suffix, tool in (("heic", ["heif-enc", "-q", "80", "-o"]), ("jxl", ["cjxl", "-q", "80"])):
        paths.append(os.path.join(folder, f"image.{suffix}"))
        arguments = [paths[-1], paths[0]] if suffix == "heic" else [paths[0], paths[-1]]
        subprocess.run(tool + arguments, check=True, capture_output=True)
    return paths


def main():
    app = wx.App(False)
    wx.Log.SetActiveTarget(wx.LogStderr())
    frame = wx.Frame(None, title="soak", size=(VIEW[0] * 2 + 40, VIEW[1] + 60))
    parent = wx.Panel(frame)
    frame.Show()
    while parent.GetHandle() == 0:
        pump()
    kinds = (tm.TivraPanel, tm.TivraROIAdvPanel)
    small = np.full((120, 160, 3), 90, np.uint8)

    def create_and_destroy(i):
        panel = kinds[i % 2](parent.GetHandle(), -1, 0, 0, *VIEW)
        panel.SetMat(small)
        del panel
        if i % 20 == 0:
            pump()

    panels = [kind(parent.GetHandle(), -1, VIEW[0] * n, 0, *VIEW) for n, kind in enumerate(kinds)]
    frames = [np.random.default_rng(n).integers(0, 256, (480, 640, 3), np.uint8) for n in range(4)]

    def set_mat(i):
        panels[i % 2].SetMat(frames[i % 4])
        if i % 50 == 0:
            pump()

    with tempfile.TemporaryDirectory() as folder:
        paths = image_files(folder)

        def load(i):
            panels[i % 2].LoadImage(paths[i % len(paths)])
            if i % 10 == 0:
                pump()

        soak("panel creation and destruction", 2000, 250, create_and_destroy)
        soak("SetMat", 10000, 1000, set_mat)
        soak(f"LoadImage ({', '.join(os.path.splitext(p)[1] for p in paths)})", 500, 100, load)
    print(f"top-level windows left: {len(wx.GetTopLevelWindows())} (the soak frame is one)")
    del panels
    frame.Destroy()
    pump()
    del app


if __name__ == "__main__":
    sys.exit(main())
