"""View control of TivraROIAdvPanel from Python: the view-changed callback once
per change with what GetViewRect says, bad arguments, the keys, each source pixel
drawn where the mouse finds it, and linked views that stay equal through real
wheel and middle-button gestures."""
import ctypes

import numpy as np
import pytest
import wx

import TivraModule as tm
from wx_support import get_app, pump


def image(width=3000, height=2000):
    out = np.zeros((height, width, 3), np.uint8)
    out[:, :, 0] = (np.arange(width) % 256)[None, :]
    return out


@pytest.fixture
def pair():
    get_app()
    frame = wx.Frame(None, title="linked views", pos=(20, 20), size=(900, 420))
    host = wx.Panel(frame)
    panels = [tm.TivraROIAdvPanel(host, x=10 + 440 * i, y=10, width=400, height=300) for i in range(2)]
    frame.Show()
    pump(0.3)
    for panel in panels:
        panel.SetMat(image())
    yield panels
    tm.UnlinkViews(*panels)
    del panels[:]
    frame.Destroy()
    pump(0.05)


def reports_of(panel):
    seen = []
    panel.SetOnViewChangedCallback(lambda zoom, rect: seen.append((zoom, rect)))
    return seen


def test_view_changed_callback_gets_the_view_and_can_be_cleared(pair):
    panel = pair[0]
    seen = reports_of(panel)
    panel.SetZoomFactor(2.0, (1500, 1000))
    pump(0.1)
    assert seen == [(panel.GetZoomFactor(), panel.GetViewRect())]
    panel.SetOnViewChangedCallback(None)
    panel.ScrollBy(20, 20)
    assert len(seen) == 1


@pytest.mark.parametrize("call, message", [
    (lambda p: p.SetZoomFactor(float("nan")), "zoom factor"),
    (lambda p: p.SetZoomFactor(-1.0), "zoom factor"),
    (lambda p: p.SetViewCenter(float("inf"), 0), "view centre"),
    (lambda p: p.ZoomToRect(0, 0, 10, 0), "rectangle"),
])
def test_bad_view_arguments_raise_and_change_nothing(pair, call, message):
    view = pair[0].GetViewRect()
    with pytest.raises(ValueError, match=message):
        call(pair[0])
    assert pair[0].GetViewRect() == view


def test_keys_zoom_and_scroll_the_focused_panel(pair):
    panel = pair[0]
    window = panel.GetWindow()
    sim = wx.UIActionSimulator()
    sim.MouseMove(window.ClientToScreen(wx.Point(200, 150)))
    sim.MouseClick()  # the click gives focus
    pump(0.2)
    assert wx.Window.FindFocus() is window
    sim.Char(ord("0"))
    pump(0.1)
    assert panel.GetZoomFactor() == 1.0
    centre = panel.GetViewRect()
    sim.Char(ord("+"), wx.MOD_SHIFT)
    sim.Char(ord("+"), wx.MOD_SHIFT)
    pump(0.1)
    assert panel.GetZoomFactor() == 1.5
    x, y, w, h = panel.GetViewRect()
    assert abs(x + w / 2 - (centre[0] + centre[2] / 2)) <= 1 and abs(y + h / 2 - (centre[1] + centre[3] / 2)) <= 1
    sim.Char(wx.WXK_RIGHT)
    pump(0.1)
    assert panel.GetViewRect()[0] > x
    sim.Char(ord("f"))
    pump(0.1)
    assert panel.GetViewRect() == (0.0, 0.0, 3000.0, 2000.0)


def test_each_source_pixel_is_drawn_where_the_mouse_finds_it(pair):
    from gi.repository import Gdk
    panel = pair[0]
    panel.SetZoomFactor(4.0, (0, 0))
    panel.ScrollBy(6, 0)  # window x maps to source (x + 6) / 4
    panel.GetWindow().Refresh()
    pump(0.3)
    origin = panel.GetWindow().ClientToScreen(wx.Point(0, 0))
    shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), origin.x, origin.y, 40, 1)
    blues = list(shot.get_pixels()[2:120:3])
    assert blues == [(x + 6) // 4 for x in range(40)]


def wheel(clicks, up):
    """Real wheel clicks through the X server (buttons 4 and 5), where the mouse is."""
    x11 = ctypes.CDLL("libX11.so.6")
    xtest = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    for _ in range(clicks):
        for pressed in (True, False):
            xtest.XTestFakeButtonEvent(display, 4 if up else 5, pressed, 0)
    x11.XFlush(display)
    x11.XCloseDisplay(display)
    pump(0.3)


def test_linked_views_stay_equal_through_wheel_and_middle_drag(pair):
    a, b = pair
    a.SetOriginal()
    tm.LinkViews(a, b)
    assert b.GetZoomFactor() == 1.0 and b.GetViewRect() == a.GetViewRect()
    seen_a, seen_b = reports_of(a), reports_of(b)
    sim = wx.UIActionSimulator()
    sim.MouseMove(a.GetWindow().ClientToScreen(wx.Point(200, 150)))
    pump(0.1)
    sim.KeyDown(wx.WXK_CONTROL)
    wheel(2, up=True)
    sim.KeyUp(wx.WXK_CONTROL)
    wheel(3, up=False)
    assert a.GetZoomFactor() == 1.5
    start = b.GetWindow().ClientToScreen(wx.Point(300, 200))
    sim.MouseMove(start)
    pump(0.1)
    sim.MouseDown(wx.MOUSE_BTN_MIDDLE)
    for step in range(1, 5):
        sim.MouseMove(start.x - 30 * step, start.y - 20 * step)
        pump(0.05)
    sim.MouseUp(wx.MOUSE_BTN_MIDDLE)
    pump(0.2)
    assert (a.GetZoomFactor(), a.GetViewRect()) == (b.GetZoomFactor(), b.GetViewRect())
    # Each panel told of every view once, the same views in the same order: nothing bounced.
    assert len(seen_a) >= 4 and seen_a == seen_b
    tm.UnlinkViews(a)
    b.ScrollBy(50, 0)
    assert a.GetViewRect() != b.GetViewRect()
