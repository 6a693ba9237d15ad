"""Support for tests that show TivraROIAdvPanel in a real wxPython window under Xvfb:
one application for the whole process, a shown frame per test, event pumping, and
screen captures of what the user sees."""
import contextlib
import sys
import time

import gi
import numpy as np
import wx

gi.require_version("Gdk", "3.0")
from gi.repository import Gdk  # noqa: E402

import TivraModule as tm


_APP = []
M = tm.CvROIMode
# One ROI of every kind, as SetEditingROI takes it; odd angles and coordinates.
EVERY_KIND = {
    "Point": (M.Point, [(12.5, 20.25)], 0.0),
    "Line": (M.Line, [(10, 10), (140.5, 93)], 0.0),
    "Rectangle": (M.Rectangle, [(10, 12), (130, 80)], 0.0),
    "RotatedRectangle": (M.RotatedRectangle, [(60, 52), (130, 54)], 33.7),
    "Circle": (M.Circle, [(150, 150), (47.3, 0)], 0.0),
    "Annulus": (M.Annulus, [(150, 150), (60, 0), (17.5, 0), (-30, 200)], 0.0),
    "Polygon": (M.Polygon, [(10, 10), (160.5, 12), (95, 148.25), (12, 140)], 0.0),
}


def app():
    """The process's wx application (made once, kept alive)."""
    current = wx.GetApp()
    if current is None:
        current = wx.App(False)
        _APP.append(current)
        wx.Log.SetActiveTarget(wx.LogStderr())  # errors on stderr, never in dialogs
    return current


def pump(seconds=0.15):
    """Runs the event loop for a while so that paints and mouse events are handled."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        wx.GetApp().Yield(True)
        time.sleep(0.01)


class Shown:
    """A shown frame with a plain wx.Panel as the parent of one TivraROIAdvPanel."""

    def __init__(self, width, height, panel_id=-1):
        app()
        self.frame = wx.Frame(None, title="advpanel test", pos=(20, 20), size=(width + 120, height + 120))
        self.parent = wx.Panel(self.frame)
        self.frame.Show()
        pump(0.2)
        self.panel = tm.TivraROIAdvPanel(self.parent.GetHandle(), panel_id, 0, 0, width, height)
        self.size = (width, height)
        pump(0.1)

    def window(self):
        """The native panel as a wx.Window (for binding events and positions)."""
        for child in self.parent.GetChildren():
            if child.GetName() == "TivraROIAdvPanel":
                return child
        raise AssertionError("panel window not found")

    def screen_origin(self):
        return self.parent.ClientToScreen(wx.Point(0, 0))

    def capture(self):
        """What the panel's area shows on screen, as an RGB array (height, width, 3)."""
        self.panel.Refresh()
        pump(0.2)
        width, height = self.size
        origin = self.screen_origin()
        # Read from the X server each time: a blit from wx.ScreenDC may return an
        # earlier snapshot of the screen.
        shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), origin.x, origin.y, width, height)
        rows = np.frombuffer(shot.get_pixels(), np.uint8).reshape(height, shot.get_rowstride())
        channels = shot.get_n_channels()
        return rows[:, :width * channels].reshape(height, width, channels)[:, :, :3].copy()

    def close(self):
        del self.panel
        self.frame.Destroy()
        pump(0.05)


class Mouse:
    """Real pointer gestures (XTest through wx.UIActionSimulator) at a Shown panel's coordinates."""

    def __init__(self, view):
        self.sim = wx.UIActionSimulator()
        self.origin = view.screen_origin()

    def move(self, x, y, settle=0.03):
        self.sim.MouseMove(self.origin.x + int(x), self.origin.y + int(y))
        pump(settle)

    def path(self, points, button=wx.MOUSE_BTN_LEFT):
        """Press at the first point, pass through the others, release at the last."""
        self.move(*points[0], settle=0.1)
        self.sim.MouseDown(button)
        pump(0.05)
        for x, y in points[1:]:
            self.move(x, y)
        self.sim.MouseUp(button)
        pump(0.1)

    def drag(self, start, end, steps=4, button=wx.MOUSE_BTN_LEFT):
        (x0, y0), (x1, y1) = start, end
        self.path([start] + [(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps) for i in range(1, steps + 1)],
                  button)

    def click(self, x, y, pause=0.1, button=wx.MOUSE_BTN_LEFT):
        self.move(x, y, settle=0.05)
        self.sim.MouseClick(button)
        pump(pause)


def rgb(capture, x, y):
    return tuple(int(v) for v in capture[y, x])


@contextlib.contextmanager
def unraisable_reports():
    """Collects what reaches sys.unraisablehook meanwhile, as (exception type, object) pairs."""
    seen = []
    previous, sys.unraisablehook = sys.unraisablehook, lambda report: seen.append((report.exc_type, report.object))
    try:
        yield seen
    finally:
        sys.unraisablehook = previous
