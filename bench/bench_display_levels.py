"""Cost of display levels and colour maps on deep camera images, side by side.

1. Paint: a 1600 x 1000 view at zoom 1 of a 100-megapixel uint16 image with auto
   levels and the "inferno" colour map, against the same paint of a uint8 image
   (target: ratio <= 1.3, since only the visible part is mapped). The two panels
   are painted in turn, so that the machine's load falls on both alike.
2. Auto levels on the 100-megapixel uint16 image (target <= 50 ms) against NumPy's
   percentile of the same data.
3. Memory: what the panel holds for the uint16 image, against its raw size.

Run under a virtual X server with a screen larger than the panel:
    xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 bench/bench_display_levels.py [build]
"""
import gc
import os
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, sys.argv[1] if len(sys.argv) > 1 else "build", "python"))
sys.path.insert(0, os.path.join(ROOT, "bench", "helpers"))

import numpy as np  # noqa: E402

import TivraModule as tm  # noqa: E402
from panel_paint import CLIENT, pump, shown_parent, wait_for_paint  # noqa: E402

SIDE = 10000  # 100 megapixels
ROUNDS = 15


def resident_bytes():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def mono12_frame(dtype):
    """A SIDE x SIDE frame with structure everywhere: tiles of 12-bit noise (8-bit for uint8)."""
    tile = np.random.default_rng(3).integers(0, 4096, (250, 250), dtype=np.uint16)
    frame = np.tile(tile, (SIDE // 250, SIDE // 250))
    return frame if dtype == np.uint16 else (frame >> 4).astype(np.uint8)


def paint_ms(app, panel):
    """One real frame: Refresh, then wait until it is on the window."""
    before = panel.GetPaintCount()
    start = time.perf_counter()
    panel.Refresh()
    wait_for_paint(app, panel, before)
    return (time.perf_counter() - start) * 1000.0


def main():
    app, frame, parent = shown_parent("levels benchmark")

    gc.collect()
    before = resident_bytes()
    deep = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, *CLIENT)
    image = mono12_frame(np.uint16)
    raw_bytes = image.nbytes
    deep.SetMat(image)
    del image
    gc.collect()
    pump(app, 0.3)
    held = resident_bytes() - before

    bytes_panel = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, *CLIENT)
    bytes_panel.SetMat(mono12_frame(np.uint8))
    for panel in (deep, bytes_panel):
        panel.SetOriginal()

    levels_ms = []
    for _ in range(5):
        start = time.perf_counter()
        levels = deep.SetAutoLevels()
        levels_ms.append((time.perf_counter() - start) * 1000.0)
    deep.SetColorMap("inferno")
    pump(app, 0.3)

    samples = {"uint16": [], "uint8": []}
    for _ in range(ROUNDS):
        samples["uint16"].append(paint_ms(app, deep))
        samples["uint8"].append(paint_ms(app, bytes_panel))
    paint = {key: statistics.median(values) for key, values in samples.items()}
    auto_ms = statistics.median(levels_ms)

    raw = deep.GetRawMat()
    start = time.perf_counter()
    np.percentile(raw, [0.5, 99.5])
    numpy_ms = (time.perf_counter() - start) * 1000.0

    print(f"paint of a {CLIENT[0]} x {CLIENT[1]} view, 100 MP at zoom 1 (median of {ROUNDS}, in turn):")
    print(f"  uint16 + auto levels + inferno {paint['uint16']:7.2f} ms")
    print(f"  uint8, nothing mapped          {paint['uint8']:7.2f} ms")
    print(f"  ratio {paint['uint16'] / paint['uint8']:.2f} (target <= 1.3)")
    print(f"auto levels on 100 MP uint16: {auto_ms:.1f} ms with the repaint it asks for, about "
          f"{auto_ms - paint['uint16']:.1f} ms without (target <= 50 ms), levels {levels}; "
          f"NumPy percentile {numpy_ms:.0f} ms: {numpy_ms / auto_ms:.0f}x")
    print(f"memory held for the uint16 image: {held / 1e6:.0f} MB for {raw_bytes / 1e6:.0f} MB of raw data "
          f"({held / raw_bytes:.2f}x)")
    del deep, bytes_panel
    frame.Destroy()


if __name__ == "__main__":
    main()
