"""What the panel paint benchmarks share: the client size, test images, event pumping, zoom steps, a
panel showing an image, and real frames timed by the median of repeated ones.

Under GTK 3, wx's Update() does not paint: the paint comes later, from GTK's frame clock. A frame here
ends when the panel's GetPaintCount() grows, i.e. once the painted frame is on the window."""
import statistics
import time

import numpy as np

CLIENT = (1600, 1000)


def image_of(megapixels):
    """A 4:3 BGR image with structure everywhere (tiles of noise), made without a huge random draw."""
    height = int((megapixels * 1e6 * 3 / 4) ** 0.5)
    width = int(megapixels * 1e6 / height)
    tile = np.random.default_rng(7).integers(0, 256, (256, 256, 3), dtype=np.uint8)
    reps = (height // 256 + 1, width // 256 + 1, 1)
    return np.ascontiguousarray(np.tile(tile, reps)[:height, :width])


def pump(app, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        app.Yield(True)
        time.sleep(0.005)


def shown_parent(title):
    """A wx.App and a shown frame whose wx.Panel child holds a CLIENT-sized panel: (app, frame, parent)."""
    import wx

    app = wx.App(False)
    frame = wx.Frame(None, title=title, pos=(0, 0), size=(CLIENT[0] + 40, CLIENT[1] + 60))
    parent = wx.Panel(frame)
    frame.Show()
    pump(app, 0.3)
    return app, frame, parent


PAINT_TIMEOUT = 10


def wait_for_paint(app, panel, before):
    """Runs the event loop until `panel` has painted past paint count `before`; blocks on events
    instead of spinning, so the process's CPU time stays the paint's own."""
    loop = wx_loop(app)
    deadline = time.monotonic() + PAINT_TIMEOUT
    while panel.GetPaintCount() == before:
        if time.monotonic() > deadline:
            raise RuntimeError(f"the panel did not paint within {PAINT_TIMEOUT} s")
        loop.DispatchTimeout(50)
        app.ProcessPendingEvents()


def wx_loop(app):
    import wx

    if not hasattr(app, "_frame_loop"):
        app._frame_loop = wx.GUIEventLoop()
        app._frame_activator = wx.EventLoopActivator(app._frame_loop)
    return app._frame_loop


def frame_ms(app, panel, action, repeats):
    """Median wall and process-CPU ms of `repeats` real frames: each runs `action` (which must make
    the panel paint again) and ends once that frame is on the window."""
    walls, cpus = [], []
    for _ in range(repeats):
        before = panel.GetPaintCount()
        wall, cpu = time.perf_counter(), time.process_time()
        action()
        wait_for_paint(app, panel, before)
        walls.append((time.perf_counter() - wall) * 1000.0)
        cpus.append((time.process_time() - cpu) * 1000.0)
    return statistics.median(walls), statistics.median(cpus)


def median_ms(action, repeats, clock=time.perf_counter):
    samples = []
    for _ in range(repeats):
        start = clock()
        action()
        samples.append((clock() - start) * 1000.0)
    return statistics.median(samples)


def zoom_to(panel, label):
    if label == "fit":
        panel.ZoomToFit()
    else:
        panel.SetOriginal()
        while panel.GetZoomFactor() < float(label):
            panel.ZoomIn()


def panel_showing(parent, megapixels):
    """A TivraROIAdvPanel of the client size showing a new image: (panel, its wx window, (width, height))."""
    import TivraModule as tm

    panel = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, *CLIENT)
    window = next(c for c in parent.GetChildren() if c.GetName() == "TivraROIAdvPanel")
    picture = image_of(megapixels)
    panel.SetMat(picture)
    return panel, window, (picture.shape[1], picture.shape[0])
