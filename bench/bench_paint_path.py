"""Frame cost of TivraROIAdvPanel's paint path, and panning at 1:1 against pyqtgraph.

A 1600 x 1000 client area shows images of 1, 24 and 400 megapixels (no overlays):
- one full frame (Refresh, then waiting until the panel's paint count grows, i.e. the frame
  is on the window) at fit, 1:1 and 8:1; target at most 4 ms. Wall time, and the process's CPU
  time beside it: on a loaded machine the wall time mostly waits for a core;
- a pan at 1:1, one 20-pixel scroll step per frame, each painted; per-frame time
  against pyqtgraph's ImageItem panned the same way in a view of the same size
  (run in a child process, one after the other, in the same run); target ratio
  at most 0.9. pyqtgraph (Debian's python3-pyqtgraph) is optional: without it
  only the panel's numbers are printed.

Run under a virtual X server with a screen larger than the panel:
    xvfb-run -a -s "-screen 0 1920x1080x24" /usr/bin/python3 bench/bench_paint_path.py [build]
"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = sys.argv[1] if len(sys.argv) > 1 and not sys.argv[1].startswith("--") else "build"
sys.path.insert(0, os.path.join(os.path.dirname(HERE), BUILD, "python"))

sys.path.insert(0, os.path.join(HERE, "helpers"))

from panel_paint import CLIENT, frame_ms, image_of, median_ms, panel_showing, pump, shown_parent, zoom_to  # noqa: E402

SIZES_MP = (1, 24, 400)
ZOOMS = ("fit", "1.0", "8.0")
PAN_STEPS = 60
STEP = 20
FRAME_TARGET_MS = 4.0
PAN_TARGET = 0.9


def pan_positions(width, height):
    """Diagonal steps of STEP pixels from the image's centre, the same for both viewers."""
    x0, y0 = (width - CLIENT[0]) // 2, (height - CLIENT[1]) // 2
    return [(x0 + i * STEP, y0 + (i // 2) * STEP) for i in range(PAN_STEPS)]


def measure_panel(app, parent, megapixels):
    panel, window, (width, height) = panel_showing(parent, megapixels)
    pump(app, 0.2)

    frames = {}
    for label in ZOOMS:
        zoom_to(panel, label)
        pump(app, 0.05)
        frame_ms(app, panel, panel.Refresh, 3)
        frames[label] = frame_ms(app, panel, panel.Refresh, 15)

    pannable = width > CLIENT[0] and height > CLIENT[1]
    panning = pan_frame_ms(app, panel, window, width, height) if pannable else None
    del panel
    pump(app, 0.1)
    return frames, panning


def pan_frame_ms(app, panel, window, width, height):
    import wx

    zoom_to(panel, "1.0")
    positions = pan_positions(width, height)
    steps = iter(positions[-1:] + positions * 2)  # every step moves the view, the first one too

    def pan():
        x, y = next(steps)
        for position, orient in ((x, wx.HORIZONTAL), (y, wx.VERTICAL)):  # the panel scrolls by pixels
            event = wx.ScrollWinEvent(wx.wxEVT_SCROLLWIN_THUMBTRACK, position, orient)
            window.GetEventHandler().ProcessEvent(event)

    pan()
    pump(app, 0.05)
    frame_ms(app, panel, pan, PAN_STEPS // 2)
    return frame_ms(app, panel, pan, PAN_STEPS)


def measure_pyqtgraph(megapixels):
    """Per-frame pan time of pyqtgraph at 1:1, in ms; printed by the child process."""
    import pyqtgraph as pg

    app = pg.mkQApp()
    view = pg.GraphicsView()
    box = pg.ViewBox(invertY=True, lockAspect=True, enableMenu=False)
    view.setCentralItem(box)
    item = pg.ImageItem(axisOrder="row-major")
    box.addItem(item)
    picture = image_of(megapixels)
    height, width = picture.shape[:2]
    item.setImage(picture[:, :, ::-1], autoLevels=False, levels=(0, 255))
    del picture
    view.resize(*CLIENT)
    view.show()
    steps = iter(pan_positions(width, height) * 2)

    def pan():
        x, y = next(steps)
        box.setRange(xRange=(x, x + CLIENT[0]), yRange=(y, y + CLIENT[1]), padding=0)
        app.processEvents()
        view.viewport().repaint()

    for _ in range(3):
        app.processEvents()
    median_ms(pan, PAN_STEPS // 2)
    steps = iter(pan_positions(width, height) * 2)  # repaint() paints at once, as a frame
    return median_ms(pan, PAN_STEPS), median_ms(pan, PAN_STEPS, time.process_time)


def pyqtgraph_pan_ms(megapixels):
    """pyqtgraph's (wall, CPU) ms from a child process (Qt and wx keep apart), or None without it."""
    try:
        out = subprocess.run([sys.executable, __file__, "--pyqtgraph", str(megapixels)],
                             capture_output=True, text=True, timeout=300)
        wall, cpu = out.stdout.strip().splitlines()[-1].split()
        return float(wall), float(cpu)
    except (ValueError, IndexError, subprocess.TimeoutExpired):
        return None


def main():
    app, frame, parent = shown_parent("paint path")
    print(f"TivraROIAdvPanel, {CLIENT[0]} x {CLIENT[1]} client, median ms per real frame, wall (CPU) "
          f"(target <= {FRAME_TARGET_MS} ms; pan at 1:1 <= {PAN_TARGET}x pyqtgraph)")
    for megapixels in SIZES_MP:
        frames, panning = measure_panel(app, parent, megapixels)
        theirs = pyqtgraph_pan_ms(megapixels) if panning else None
        against = (f"  pyqtgraph {theirs[0]:6.2f} ({theirs[1]:5.2f})  ratio {panning[0] / theirs[0]:4.2f}"
                   f" ({panning[1] / theirs[1]:4.2f})" if theirs
                   else "  pyqtgraph -" if panning else "")
        pan_text = f"  pan 1:1: {panning[0]:6.2f} ({panning[1]:5.2f})" if panning else ""
        print(f"{megapixels:>4} MP" + "".join(f"  {z:>4}: {w:6.2f} ({c:5.2f})" for z, (w, c) in frames.items()) +
              pan_text + against, flush=True)
    frame.Destroy()


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--pyqtgraph":
        try:
            print("%.3f %.3f" % measure_pyqtgraph(int(sys.argv[2])))
        except ImportError:
            print("pyqtgraph not installed")
    else:
        main()
