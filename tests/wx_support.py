"""Helpers for tests that put the module's panels in real wxPython windows under Xvfb:
one wx.App per process, shown frames, event pumping, real pointer gestures, screen
reads through GDK, and scripts run in a fresh interpreter."""
import contextlib
import os
import subprocess
import sys
import textwrap
import time

import gi
import numpy as np
import wx

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

import TivraModule as tm  # noqa: E402

# Under `make sanitize` the interpreter runs with the sanitizer runtime preloaded; a
# child interpreter without it cannot load the module.
SANITIZER_VARIABLES = ("LD_PRELOAD", "ASAN_OPTIONS", "UBSAN_OPTIONS")
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


def get_app():
    """The process's wx application (made once, kept alive)."""
    if wx.App.Get() is None:
        _APP.append(wx.App(False))
        # Panel errors go to the wx log; keep them on stderr, never in dialogs.
        wx.Log.SetActiveTarget(wx.LogStderr())
    return wx.App.Get()


def pump(seconds=0.15):
    """Runs the event loop with input enabled for a while (at least once), so that
    paints, idle deletions and mouse events are handled."""
    end = time.monotonic() + seconds
    wx.GetApp().Yield(True)
    while time.monotonic() < end:
        time.sleep(0.01)
        wx.GetApp().Yield(True)


def shown_parent(size=(500, 400), pos=(0, 0)):
    """A shown frame with a wx.Panel filling it; returns (frame, panel)."""
    frame = wx.Frame(None, title="test frame", pos=pos, size=size)
    parent = wx.Panel(frame)
    frame.Show()
    deadline = time.monotonic() + 5
    while parent.GetHandle() == 0 and time.monotonic() < deadline:
        pump(0.02)
    assert parent.GetHandle() != 0
    return frame, parent


def hidden_frames():
    """The module's hidden frames, as GTK windows: the frame is none of the
    application's top-level windows, so wx does not list it."""
    return [w for w in Gtk.Window.list_toplevels() if w.get_title() == "TivraModule Hidden Frame"]


def screen_region(window, width, height, origin=(0, 0)):
    """What the X server shows of window's client area from origin on, read
    through GDK once the window has painted: an RGB array (h, w, 3). Read from
    the X server each time: a blit from wx.ScreenDC may return an earlier snapshot."""
    window.Update()
    pump(0.2)
    sx, sy = window.ClientToScreen(origin)
    shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), sx, sy, width, height)
    rows = np.frombuffer(shot.get_pixels(), np.uint8)
    stride, channels = shot.get_rowstride(), shot.get_n_channels()
    return np.stack([rows[y * stride:y * stride + width * channels].reshape(width, channels)[:, :3]
                     for y in range(height)])


class Shown:
    """A shown frame with a plain wx.Panel as the parent of one TivraROIAdvPanel."""

    def __init__(self, width, height):
        get_app()
        self.frame, self.parent = shown_parent((width + 120, height + 120), (20, 20))
        pump(0.2)
        self.panel = tm.TivraROIAdvPanel(self.parent.GetHandle(), -1, 0, 0, width, height)
        self.size = (width, height)
        pump(0.1)

    def window(self):
        """The native panel as a wx.Window (for binding events and positions)."""
        return self.panel.GetWindow()

    def screen_origin(self):
        return self.parent.ClientToScreen(wx.Point(0, 0))

    def capture(self):
        """What the panel's area shows on screen, as an RGB array (height, width, 3)."""
        self.panel.Refresh()
        return screen_region(self.parent, *self.size)

    def close(self):
        del self.panel
        self.frame.Destroy()
        pump(0.05)


class Mouse:
    """Real pointer gestures (XTest through wx.UIActionSimulator) at the client
    coordinates of a Shown panel or of a wx.Window."""

    def __init__(self, target):
        self.sim = wx.UIActionSimulator()
        self.origin = target.screen_origin() if isinstance(target, Shown) else target.ClientToScreen(wx.Point(0, 0))

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


def child_env(**variables):
    """A minimal environment for a child interpreter: `variables`, the sanitizer's if any."""
    inherited = {name: os.environ[name] for name in SANITIZER_VARIABLES if name in os.environ}
    return dict(inherited, **variables)


SHOWN_PARENT_SCRIPT = """\
import numpy as np, wx, TivraModule as tm
from wx_support import get_app, hidden_frames, pump, screen_region, shown_parent
app = get_app()
frame, parent = shown_parent()
"""


def run_script(code, timeout=60, cwd=None, in_window=False):
    """Runs code in a fresh interpreter on the same display (in folder cwd), after making
    the app and a shown frame and parent if in_window: process-wide counters start anew,
    and a crash cannot take the test run with it."""
    here = os.path.dirname(os.path.abspath(__file__))
    env = dict(os.environ, PYTHONPATH=os.pathsep.join([here] + sys.path))
    code = (SHOWN_PARENT_SCRIPT if in_window else "") + textwrap.dedent(code)
    return subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, timeout=timeout,
                          cwd=cwd)
