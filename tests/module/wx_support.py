"""Helpers for tests that put the module's panels in real wxPython windows:
one wx.App per process, shown frames, event pumping and screen captures."""
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

HIDDEN_FRAME_TITLE = "TivraModule Hidden Frame"
# Under `make sanitize` the interpreter runs with the sanitizer runtime preloaded; a
# child interpreter without it cannot load the module.
SANITIZER_VARIABLES = ("LD_PRELOAD", "ASAN_OPTIONS", "UBSAN_OPTIONS")


def get_app():
    app = wx.App.Get()
    if app is None:
        app = wx.App(False)
        # Panel errors go to the wx log; keep them on stderr, never in dialogs.
        wx.Log.SetActiveTarget(wx.LogStderr())
    return app


def pump(seconds=0.15):
    """Runs pending wx events (paint, size, idle deletions) for a while."""
    end = time.monotonic() + seconds
    while True:
        wx.SafeYield(None, True)
        if time.monotonic() >= end:
            break
        time.sleep(0.01)


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


def child_with_handle(parent, handle):
    """The wxPython view of the parent's child window with that handle."""
    matches = [c for c in parent.GetChildren() if c.GetHandle() == handle]
    return matches[0] if matches else None


def hidden_frames():
    """The module's hidden frames, as GTK windows: the frame is none of the
    application's top-level windows, so wx does not list it."""
    return [w for w in Gtk.Window.list_toplevels() if w.get_title() == HIDDEN_FRAME_TITLE]


def screen_pixel(window, x, y):
    """The RGB colour the X server shows at a point of window's client area."""
    sx, sy = window.ClientToScreen((x, y))
    shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), sx, sy, 1, 1)
    return tuple(shot.get_pixels()[:3])


def screen_region(window, width, height, origin=(0, 0)):
    """What the X server shows of window's client area from origin on, read
    through GDK once the window has painted: an RGB array (h, w, 3)."""
    window.Update()
    pump(0.2)
    sx, sy = window.ClientToScreen(origin)
    shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), sx, sy, width, height)
    rows = np.frombuffer(shot.get_pixels(), np.uint8)
    stride, channels = shot.get_rowstride(), shot.get_n_channels()
    return np.stack([rows[y * stride:y * stride + width * channels].reshape(width, channels)[:, :3]
                     for y in range(height)])

def child_env(**variables):
    """A minimal environment for a child interpreter: `variables`, the sanitizer's if any."""
    inherited = {name: os.environ[name] for name in SANITIZER_VARIABLES if name in os.environ}
    return dict(inherited, **variables)


SHOWN_PARENT_SCRIPT = """\
import numpy as np, wx, TivraModule as tm
from wx_support import child_with_handle, get_app, hidden_frames, pump, screen_region, shown_parent
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
