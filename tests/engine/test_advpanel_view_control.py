"""View control of TivraROIAdvPanel from Python: bad arguments, the keys, each source pixel
drawn where the mouse finds it, and linked views that stay equal through real
wheel and middle-button gestures, each telling its view-changed callback what GetViewRect says."""
import ctypes

import numpy as np
import pytest
import wx

import TivraModule as tm
from wx_support import get_app, pump, screen_region


@pytest.fixture
def pair():
    get_app()
    frame = wx.Frame(None, title="linked views", pos=(20, 20), size=(900, 420))
    host = wx.Panel(frame)
    panels = [tm.TivraROIAdvPanel(host, x=10 + 440 * i, y=10, width=400, height=300) for i in range(2)]
    frame.Show()
    pump(0.3)
    picture = np.zeros((2000, 3000, 3), np.uint8)
    picture[:, :, 0] = (np.arange(3000) % 256)[None, :]
    for panel in panels:
        panel.SetMat(picture)
    yield panels
    tm.UnlinkViews(*panels)
    del panels[:]
    frame.Destroy()
    pump(0.05)


@pytest.mark.parametrize("call, message", [
    (lambda p: p.SetZoomFactor(float("nan")), "zoom factor"),
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
    views = []
    for key, modifiers in ((ord("0"), 0), (ord("+"), wx.MOD_SHIFT), (ord("+"), wx.MOD_SHIFT), (wx.WXK_RIGHT, 0),
                           (ord("f"), 0)):
        sim.Char(key, modifiers)
        pump(0.1)
        views.append((panel.GetZoomFactor(), panel.GetViewRect()))
    (one, (x0, y0, w0, h0)), (zoom, (x, y, w, h)) = views[0], views[2]
    assert one == 1.0 and zoom == 1.5
    assert abs(x + w / 2 - (x0 + w0 / 2)) <= 1 and abs(y + h / 2 - (y0 + h0 / 2)) <= 1, "zoomed about the centre"
    assert views[3][1][0] > x and views[4][1] == (0.0, 0.0, 3000.0, 2000.0)


def test_each_source_pixel_is_drawn_where_the_mouse_finds_it(pair):
    panel = pair[0]
    panel.SetZoomFactor(4.0, (0, 0))
    panel.ScrollBy(6, 0)  # window x maps to source (x + 6) / 4
    panel.GetWindow().Refresh()
    blues = screen_region(panel.GetWindow(), 40, 1)[0, :, 2]
    assert list(blues) == [(x + 6) // 4 for x in range(40)]


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
    seen_a, seen_b = [], []
    a.SetOnViewChangedCallback(lambda zoom, rect: seen_a.append((zoom, rect)))
    b.SetOnViewChangedCallback(lambda zoom, rect: seen_b.append((zoom, rect)))
    sim = wx.UIActionSimulator()
    sim.MouseMove(a.GetWindow().ClientToScreen(wx.Point(200, 150)))
    pump(0.1)
    sim.KeyDown(wx.WXK_CONTROL)
    wheel(2, up=True)
    sim.KeyUp(wx.WXK_CONTROL)
    assert a.GetZoomFactor() == 1.5
    top = a.GetViewRect()[1]
    wheel(3, up=False)  # 3 lines of 20 pixels a click, downwards
    assert a.GetViewRect()[1] == pytest.approx(top + 3 * 3 * 20 / 1.5)
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
    assert len(seen_a) >= 4 and seen_a == seen_b and seen_a[-1] == (a.GetZoomFactor(), a.GetViewRect())
    tm.UnlinkViews(a)
    b.SetOnViewChangedCallback(None)
    b.ScrollBy(50, 0)
    assert a.GetViewRect() != b.GetViewRect() and seen_b == seen_a
