"""Panning a linked pair of 100-megapixel advanced panels against one panel.

Every frame scrolls the driven panel by (24, 16) window pixels and waits until
each panel on screen has painted the new view: a panel reports a view change
only after the paint that shows it, so the frame ends at the last report. Alone,
one panel paints; linked, its partner follows and paints too. The two set-ups
alternate round by round in one run, so a loaded machine slows both alike; the
pair should cost at most twice one panel per frame.

Run under a virtual X server with a screen larger than the panels:
    xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 bench/bench_linked_pan.py [build]
"""
import os
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, sys.argv[1] if len(sys.argv) > 1 else "build", "python"))

import numpy as np  # noqa: E402
import wx  # noqa: E402

import TivraModule as tm  # noqa: E402

PANEL = (800, 600)
MEGAPIXELS = 100
FRAMES = 40
ROUNDS = 9
ZOOMS = (1.0, 0.2)
TIMEOUT = 10


def image_of(megapixels):
    height = int((megapixels * 1e6 * 3 / 4) ** 0.5)
    width = int(megapixels * 1e6 / height)
    tile = np.random.default_rng(7).integers(0, 256, (256, 256, 3), dtype=np.uint8)
    return np.ascontiguousarray(np.tile(tile, (height // 256 + 1, width // 256 + 1, 1))[:height, :width])


class PaintWaiter:
    """Counts each panel's view reports, which come after the paint of each new view."""

    def __init__(self, app, panels):
        self.app, self.panels = app, panels
        self.reports = [0] * len(panels)
        for i, panel in enumerate(panels):
            panel.SetOnViewChangedCallback(lambda zoom, rect, i=i: self.count(i))

    def count(self, i):
        self.reports[i] += 1

    def run(self, action, painting):
        """Runs `action`, then waits until the first `painting` panels have shown its view."""
        before = list(self.reports)
        action()
        deadline = time.monotonic() + TIMEOUT
        while any(self.reports[i] == before[i] for i in range(painting)):
            if time.monotonic() > deadline:
                raise RuntimeError("a panel did not paint its new view within %d s" % TIMEOUT)
            self.app.Yield(True)


def settle(app, seconds=0.3):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        app.Yield(True)
        time.sleep(0.005)


def pan_frame_seconds(waiter, painting, zoom):
    """Median seconds per painted frame of a pan across the image and back."""
    driver = waiter.panels[0]
    driver.SetZoomFactor(zoom, (0, 0))  # may already be the view: no report to wait for
    settle(waiter.app)
    times = []
    for frame in range(FRAMES):
        step = 1 if frame < FRAMES // 2 else -1
        start = time.perf_counter()
        waiter.run(lambda: driver.ScrollBy(24 * step, 16 * step), painting)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def main():
    app = wx.App(False)
    frame = wx.Frame(None, title="linked pan", pos=(0, 0), size=(2 * PANEL[0] + 60, PANEL[1] + 80))
    host = wx.Panel(frame)
    a = tm.TivraROIAdvPanel(host, x=10, y=10, width=PANEL[0], height=PANEL[1])
    b = tm.TivraROIAdvPanel(host, x=PANEL[0] + 30, y=10, width=PANEL[0], height=PANEL[1])
    frame.Show()
    app.Yield()
    source = image_of(MEGAPIXELS)
    a.SetMat(source)
    b.SetMat(source)
    del source
    waiter = PaintWaiter(app, [a, b])
    print("%d MP image, %d x %d panels, %d frames per pan, median of %d alternating rounds; "
          "the machine is shared, so the ratio is what counts" % (MEGAPIXELS, *PANEL, FRAMES, ROUNDS))
    print("%-6s %12s %12s %8s" % ("zoom", "one ms", "linked ms", "ratio"))
    for zoom in ZOOMS:
        one, linked = [], []
        for _ in range(ROUNDS):
            tm.UnlinkViews(a, b)
            one.append(pan_frame_seconds(waiter, 1, zoom))
            tm.LinkViews(a, b)
            linked.append(pan_frame_seconds(waiter, 2, zoom))
        one_ms, linked_ms = statistics.median(one) * 1e3, statistics.median(linked) * 1e3
        print("%-6.2f %12.2f %12.2f %8.2f" % (zoom, one_ms, linked_ms, linked_ms / one_ms))
    tm.UnlinkViews(a, b)
    del a, b
    frame.Destroy()


if __name__ == "__main__":
    main()
