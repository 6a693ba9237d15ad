"""The paint and memory figures of the panels and the engine in one table: each row beside the figure
measured on this machine before the work on the paint path ("before"), and pyqtgraph where it applies.

Rows: a 1600 x 1000 frame at fit, 1:1 and 8:1 on 1, 24 and 400 MP (real frames: each waits until the
panel has painted); the 400 / 1 MP frame ratio at every zoom; panning at 1:1 against pyqtgraph on 24 and
400 MP; SetMat(copy=False) of 400 MP up to the first painted frame; memory held after SetMat by both
panels, in image sizes; 10,000 overlays at fit on 24 MP; Resize against cv2.resize; SetMat + GetMat
against np.copy; SetMat(copy=True) of both panels against np.copy and the basic panel's peak memory
during it. Wall times, the process's CPU time in brackets: on a loaded machine the wall time
mostly waits for a core. Medians of repeated runs. It needs about 5 GB of memory and a few minutes.

Run under a virtual X server with a screen larger than the panel:
    xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 bench/bench_paint_table.py [build]
"""
import gc
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), sys.argv[1] if len(sys.argv) > 1 else "build", "python"))
sys.path.insert(0, os.path.join(HERE, "helpers"))
sys.path.insert(0, HERE)

import cv2  # noqa: E402
import numpy as np  # noqa: E402

import bench_advpanel_paint as overlays_bench  # noqa: E402
import bench_paint_path as paint_path  # noqa: E402
from panel_paint import CLIENT, image_of, median_ms, pump, shown_parent, wait_for_paint  # noqa: E402

import TivraModule as tm  # noqa: E402

# Measured on this machine when the work began (advanced panel, median ms per frame).
BEFORE_FRAME = "5.2-6.4"
BEFORE = {
    "pan 24": 6.2, "pan 400": 6.4, "pyqtgraph 24": 6.0, "pyqtgraph 400": 5.4,
    "ratio": "1.5-2.0", "first frame 400": 2100.0, "adv sizes": 2.07, "basic sizes": 3.65,
    "overlays": 74.5, "resize": 1.36, "setget": 3.67,
}


def row(name, after, before, target, beside=""):
    print(f"  {name:<40} {after:>20} {before:>10} {target:>10}  {beside}", flush=True)


def wall_cpu(pair):
    return f"{pair[0]:.2f} ({pair[1]:.2f})"


def frames_and_pans(app, parent):
    table, pans = {}, {}
    for megapixels in paint_path.SIZES_MP:
        table[megapixels], pans[megapixels] = paint_path.measure_panel(app, parent, megapixels)
        gc.collect()
        for zoom, pair in table[megapixels].items():
            row(f"frame {megapixels} MP at {zoom}", wall_cpu(pair), BEFORE_FRAME, "<= 4")
    for zoom in paint_path.ZOOMS:
        ratio = [table[400][zoom][i] / table[1][zoom][i] for i in (0, 1)]
        row(f"400 / 1 MP frame at {zoom}", wall_cpu(ratio), BEFORE["ratio"], "<= 1.5")
    for megapixels in (24, 400):
        theirs = paint_path.pyqtgraph_pan_ms(megapixels)
        ours = pans[megapixels]
        beside = (f"pyqtgraph {wall_cpu(theirs)}, ratio {ours[0] / theirs[0]:.2f} ({ours[1] / theirs[1]:.2f}); "
                  f"before {BEFORE[f'pan {megapixels}'] / BEFORE[f'pyqtgraph {megapixels}']:.2f}"
                  if theirs else "pyqtgraph not installed")
        row(f"pan 1:1 frame {megapixels} MP", wall_cpu(ours), BEFORE[f"pan {megapixels}"], "0.9x pqg", beside)


def first_frame_without_copy(app, parent):
    """ms from SetMat(copy=False) of a 400 MP array to its first painted frame (wall and CPU), median of 5."""
    picture = image_of(400)
    walls, cpus = [], []
    for _ in range(5):
        panel = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, *CLIENT)
        pump(app, 0.2)
        before = panel.GetPaintCount()
        wall, cpu = time.perf_counter(), time.process_time()
        panel.SetMat(picture, copy=False)
        wait_for_paint(app, panel, before)
        walls.append((time.perf_counter() - wall) * 1000.0)
        cpus.append((time.process_time() - cpu) * 1000.0)
        del panel
        gc.collect()
        pump(app, 0.1)
    row("SetMat(copy=False) 400 MP to 1st frame", wall_cpu((statistics.median(walls), statistics.median(cpus))),
        BEFORE["first frame 400"], "< 100", "ms; pyqtgraph 29-47 ms in the issue")


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def held_image_sizes(app, parent, panel_class):
    """Memory the panel holds after SetMat of a 24 MP array, once the array is gone, in image sizes."""
    gc.collect()
    before = resident_bytes()  # before the array: it is gone when the panel's share is read
    picture = image_of(24)
    size = picture.nbytes
    panel = panel_class(parent.GetHandle(), -1, 0, 0, *CLIENT)
    panel.SetMat(picture)
    del picture
    gc.collect()
    pump(app, 0.5)
    held = (resident_bytes() - before) / size
    del panel
    gc.collect()
    pump(app, 0.3)
    return held


def peak_image_sizes(app, parent, panel_class):
    """Peak resident memory while SetMat copies a 24 MP array, the caller's array included, in image sizes."""
    gc.collect()
    before = resident_bytes()
    picture = image_of(24)
    panel = panel_class(parent.GetHandle(), -1, 0, 0, *CLIENT)
    with open("/proc/self/clear_refs", "w") as clear_refs:
        clear_refs.write("5")  # the high-water mark starts again from here
    panel.SetMat(picture)
    pump(app, 0.3)
    with open("/proc/self/status") as status:
        peak = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmHWM:"))
    held = (peak - before) / picture.nbytes
    del panel, picture
    gc.collect()
    pump(app, 0.3)
    return held


def copying_set_mat(app, parent):
    """SetMat(copy=True) of 24 MP on both panels against np.copy, timed alternately in one run."""
    picture = image_of(24)
    for name, panel_class in (("advanced", tm.TivraROIAdvPanel), ("basic", tm.TivraPanel)):
        panel = panel_class(parent.GetHandle(), -1, 0, 0, *CLIENT)
        pump(app, 0.2)
        ours, theirs = [], []
        for _ in range(7):
            ours.append(median_ms(lambda: panel.SetMat(picture), 1))
            theirs.append(median_ms(lambda: np.copy(picture), 1))
            pump(app, 0.05)
        ours, theirs = statistics.median(ours), statistics.median(theirs)
        row(f"{name} panel SetMat 24 MP / np.copy", f"{ours / theirs:.2f}", "", "",
            f"{ours:.1f} / {theirs:.1f} ms")
        del panel
        gc.collect()
        pump(app, 0.2)
    row("basic panel peak during SetMat", f"{peak_image_sizes(app, parent, tm.TivraPanel):.2f}", "", "",
        "image sizes, the caller's array included")


def memory(app, parent):
    row("advanced panel holds after SetMat", f"{held_image_sizes(app, parent, tm.TivraROIAdvPanel):.2f}",
        BEFORE["adv sizes"], "<= 1 (2)", "image sizes; pyqtgraph keeps the caller's array")
    row("basic panel holds after SetMat", f"{held_image_sizes(app, parent, tm.TivraPanel):.2f}",
        BEFORE["basic sizes"], "<= 2", "image sizes")


def many_overlays(app, parent):
    _, results = overlays_bench.measure_panel(app, parent, 24, ("fit",), overlays=10000)
    row("10,000 overlays at fit on 24 MP", wall_cpu(results["fit"]), BEFORE["overlays"], "<= 33")


def engine_against_numpy():
    picture = image_of(24)
    height, width = picture.shape[:2]
    engine = tm.TivraEngine()

    def resize():
        engine.SetMat(picture)  # untimed: Resize replaces the held image
        start = time.perf_counter()
        engine.Resize(width // 2, height // 2)
        return (time.perf_counter() - start) * 1000.0

    def cv2_resize():
        start = time.perf_counter()
        cv2.resize(picture, (width // 2, height // 2), interpolation=cv2.INTER_LINEAR)
        return (time.perf_counter() - start) * 1000.0

    ours = statistics.median(resize() for _ in range(7))
    theirs = statistics.median(cv2_resize() for _ in range(7))
    row("Resize 24 MP to half / cv2.resize", f"{ours / theirs:.2f}", BEFORE["resize"], "<= 1.15",
        f"{ours:.1f} / {theirs:.1f} ms")

    def set_and_get():
        engine.SetMat(picture)
        engine.GetMat()

    ours = median_ms(set_and_get, 7)
    theirs = median_ms(lambda: np.copy(picture), 7)
    row("SetMat + GetMat 24 MP / np.copy", f"{ours / theirs:.2f}", BEFORE["setget"], "",
        f"{ours:.1f} / {theirs:.1f} ms")
    ours = median_ms(lambda: engine.SetMat(picture), 7)
    theirs = median_ms(lambda: np.copy(picture), 7)
    row("SetMat 24 MP / np.copy", f"{ours / theirs:.2f}", "10-40", "", f"{ours:.1f} / {theirs:.1f} ms")


def main():
    app, frame, parent = shown_parent("paint table")
    print(f"{CLIENT[0]} x {CLIENT[1]} client; ms unless stated; wall (CPU); medians")
    row("", "after", "before", "target")
    started = time.monotonic()
    frames_and_pans(app, parent)
    first_frame_without_copy(app, parent)
    memory(app, parent)
    copying_set_mat(app, parent)
    many_overlays(app, parent)
    engine_against_numpy()
    print(f"done in {time.monotonic() - started:.0f} s")
    frame.Destroy()


if __name__ == "__main__":
    main()
