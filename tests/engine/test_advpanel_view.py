"""What the user sees and does on TivraROIAdvPanel: pixels captured from the screen
at a zoom far below 1:1, stretched masks, huge circles; middle-button panning and
its end outside the window or by a lost capture; the right-click callback and the context menu."""
import re

import numpy as np
import pytest
import wx

import TivraModule as tm
from wx_support import Mouse, pump, rgb, unraisable_reports

RED, LIME, GRAY = (255, 0, 0), (0, 255, 0), (100, 100, 100)
MIDDLE = wx.MOUSE_BTN_MIDDLE


def black(width=400, height=300):
    return np.zeros((height, width, 3), np.uint8)


def coded_image(width=2000, height=1500):
    """Each pixel tells where it is: blue = x % 256, green = x // 256, red = y % 256."""
    x = np.arange(width)
    out = np.zeros((height, width, 3), np.uint8)
    out[:, :, 0] = x % 256
    out[:, :, 1] = x // 256
    out[:, :, 2] = (np.arange(height) % 256)[:, None]
    return out


def source_x_at(capture, x, y):
    r, g, b = rgb(capture, x, y)
    return g * 256 + b


def test_mask_of_another_size_is_stretched_over_the_image(shown):
    view = shown(image=np.full((300, 400, 3), 100, np.uint8))
    small = np.zeros((30, 40), np.uint8)
    small[:, :20] = 255
    view.panel.AppendMaskOverlay(small, (0, 0, 255), 1.0)
    view.panel.SetDisplayOverlay(True)
    shot = view.capture()
    assert rgb(shot, 100, 150) == RED and rgb(shot, 300, 150) == GRAY


def test_middle_button_pans_and_release_outside_or_capture_loss_ends_it(shown):
    view = shown(image=coded_image())
    assert source_x_at(view.capture(), 0, 0) == 0
    assert view.screen_origin().x >= 15 and view.screen_origin().y >= 15
    # Dragged up and left beyond the panel, released there: the image followed
    # the mouse pixel for pixel.
    mouse = Mouse(view)
    mouse.drag((350, 250), (-15, -15), steps=3, button=MIDDLE)
    shot = view.capture()
    assert source_x_at(shot, 0, 0) == 365
    assert rgb(shot, 0, 0)[0] == 265 % 256
    for x in (250, 150, 50):  # the button is up: no drag
        mouse.move(x, 150, settle=0.05)
    assert source_x_at(view.capture(), 0, 0) == 365
    mouse.move(300, 200, settle=0.1)
    mouse.sim.MouseDown(MIDDLE)
    pump(0.1)
    mouse.move(260, 200, settle=0.1)
    assert source_x_at(view.capture(), 0, 0) == 405
    window = view.window()
    window.ProcessWindowEvent(wx.MouseCaptureLostEvent(window.GetId()))
    for x in (200, 120, 60):
        mouse.move(x, 200, settle=0.05)
    mouse.sim.MouseUp(MIDDLE)
    pump(0.1)
    assert source_x_at(view.capture(), 0, 0) == 405


class MenuWatch:
    """Notes whether the panel's context menu opened, and closes it with Escape."""

    def __init__(self, view):
        self.opened = False
        view.window().Bind(wx.EVT_MENU_OPEN, self.on_open)

    def on_open(self, event):
        self.opened = True
        wx.CallLater(100, wx.UIActionSimulator().Char, wx.WXK_ESCAPE)
        event.Skip()


def right_click(view, x, y):
    Mouse(view).click(x, y, pause=0.4, button=wx.MOUSE_BTN_RIGHT)


def raising():
    raise RuntimeError("callback failed")


# Only True keeps the menu shut; a callback that raises counts as False and is called again
# next time; the raise is reported. Without a callback the menu opens if it is enabled.
@pytest.mark.parametrize("result, enabled, menu_opens", [(True, True, False), (None, True, True), (False, True, True),
                                                         ("yes", True, True), (raising, True, True),
                                                         (None, False, False)])
def test_right_click_callback_result_decides_the_menu(shown, result, enabled, menu_opens):
    view = shown(image=black(800, 600))
    view.panel.SetFuncEnable(enabled)
    calls = []

    def on_right_click(point, index):
        calls.append((point, index))
        return result() if callable(result) else result

    view.panel.SetOnRightClickCallback(on_right_click)
    watch = MenuWatch(view)
    with unraisable_reports() as unraisable:
        right_click(view, 120, 80)
        right_click(view, 60, 60)
    (x, y), index = calls[0]
    assert len(calls) == 2 and index == -1
    assert x == pytest.approx(120, abs=1) and y == pytest.approx(80, abs=1)
    assert watch.opened is menu_opens
    assert unraisable == ([(RuntimeError, on_right_click)] * 2 if result is raising else [])
    view.panel.SetOnRightClickCallback(None)
    watch.opened = False
    right_click(view, 60, 60)
    assert watch.opened is enabled and len(calls) == 2


def test_menu_scale_up_zooms_in(shown):
    view = shown(image=black(800, 600))
    view.panel.SetFuncEnable(True)
    view.window().Bind(wx.EVT_MENU_OPEN, lambda e: wx.CallLater(
        100, lambda: (wx.UIActionSimulator().Char(wx.WXK_DOWN), wx.UIActionSimulator().Char(wx.WXK_RETURN))))
    right_click(view, 50, 50)
    pump(0.3)
    assert view.panel.GetZoomFactor() == 1.25


def test_large_image_far_below_one_to_one_shows_the_right_pixels(shown):
    wide = shown(600, 400)
    picture = coded_image(6000, 4000)
    picture[:, :, 2] = (np.arange(4000) // 16).astype(np.uint8)[:, None]
    wide.panel.SetMat(picture)
    assert wide.panel.GetZoomFactor() == pytest.approx(0.1)
    wide.panel.AppendOverlay(3, [(3000, 2000), (500, 500)], (0, 255, 0), 1)
    wide.panel.SetDisplayOverlay(True)
    shot = wide.capture()
    # The pixel the full image puts there, or one at most a reduced block (8 pixels) to its left.
    for sx, sy in ((0, 0), (1, 1), (123, 77), (450, 310), (599, 399)):
        assert 0 <= sx * 10 - source_x_at(shot, sx, sy) < 8, (sx, sy)
        assert abs(rgb(shot, sx, sy)[0] - sy * 10 // 16) <= 1, (sx, sy)
    assert rgb(shot, 300, 225)[1] == 255 and rgb(shot, 350, 225)[1] == 255
    assert rgb(shot, 325, 225)[1] < 255


@pytest.mark.parametrize("calls, lime_at", [
    ([("SetEditingROI", 5, [(200, 150), (3e9, 0)])], None),
    ([("SetEditingROI", 5, [(200, 150), (3e8, 0)])] + [("SetZoomIn",)] * 30, None),  # up to zoom 20
    ([("SetEditingROI", 6, [(200, 150), (50, 0), (1e30, 0), (0, 360)])], (250, 150)),
    ([("SetROIMode", tm.CvROIMode.Circle), ("SetRect", (0, 0, 2**31 - 1, 2**31 - 1))], None),
    ([("SetEditingROI", 5, [(200, 1e6 + 150), (1e6, 0)])], (200, 150)),  # rim across the view
])
def test_huge_circles_are_painted_without_aborting(shown, calls, lime_at):
    view = shown(image=black())
    view.panel.SetFuncEnable(True, True)
    for name, *arguments in calls:
        getattr(view.panel, name)(*arguments)
    shot = view.capture()
    if lime_at:
        x, y = lime_at
        assert LIME in [rgb(shot, x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)]
    view.panel.SetOriginal()
    view.panel.SetEditingROI(3, [(100, 80), (120, 60)])
    assert rgb(view.capture(), 100, 110) == LIME, "painting goes on"


@pytest.mark.parametrize("call, named", [
    (lambda p: p.SetEditingROI(5, [(100, 100), (float("inf"), 0)]), "points[1]"),
    (lambda p: p.SetEditingROI(4, [(1, 1), (5, 5)], float("nan")), "angle"),
    (lambda p: p.AppendOverlay(2, [(float("nan"), 0), (1, 1)], (0, 0, 255)), "points[0]"),
])
def test_non_finite_geometry_is_refused(view, call, named):
    view.panel.SetEditingROI(3, [(10, 10), (20, 20)])
    with pytest.raises(ValueError, match=re.escape(named)):
        call(view.panel)
    assert view.panel.GetRect() == (10, 10, 20, 20)
