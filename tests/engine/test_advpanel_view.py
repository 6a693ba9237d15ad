"""What the user sees and does on TivraROIAdvPanel: pixels captured from the screen
after zoom and pan, mask blending, guides, gray images; middle-button panning and
its end outside the window; the right-click callback and the context menu."""
import re

import numpy as np
import pytest
import wx

import TivraModule as tm
from wxpanel_support import Shown, pump, rgb, unraisable_reports

RED = (255, 0, 0)
BLACK = (0, 0, 0)


@pytest.fixture
def view():
    shown = Shown(400, 300)
    yield shown
    shown.close()


def coded_image(width, height):
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


def middle_drag(view, start, end):
    sim = wx.UIActionSimulator()
    origin = view.screen_origin()
    sim.MouseMove(origin.x + start[0], origin.y + start[1])
    pump(0.1)
    sim.MouseDown(wx.MOUSE_BTN_MIDDLE)
    pump(0.1)
    for t in (0.33, 0.66, 1.0):
        sim.MouseMove(origin.x + int(start[0] + (end[0] - start[0]) * t),
                      origin.y + int(start[1] + (end[1] - start[1]) * t))
        pump(0.05)
    sim.MouseUp(wx.MOUSE_BTN_MIDDLE)
    pump(0.1)


def test_overlay_in_its_colour_after_zoom_and_pan(view):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetOriginal()
    assert view.panel.AppendOverlay(3, [(100, 100), (40, 30)], (0, 0, 255), 1) == 0
    view.panel.SetDisplayOverlay(True)
    shot = view.capture()
    assert rgb(shot, 100, 115) == RED and rgb(shot, 120, 100) == RED
    assert rgb(shot, 120, 115) == BLACK
    for _ in range(4):
        view.panel.ZoomIn()
    assert view.panel.GetZoomFactor() == 2.0
    middle_drag(view, (300, 250), (200, 150))
    shot = view.capture()
    # Source (100, 100) is at screen (2 * 100 - 100, 2 * 100 - 100); the box is 80 x 60 now.
    assert rgb(shot, 100, 130) == RED and rgb(shot, 140, 100) == RED and rgb(shot, 180, 130) == RED
    assert rgb(shot, 140, 160) == RED
    assert rgb(shot, 140, 130) == BLACK and rgb(shot, 96, 130) == BLACK


def test_overlays_hidden_until_display_is_switched_on(view):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetOriginal()
    view.panel.AppendOverlay(2, [(50, 50), (250, 50)], (0, 255, 0), 3)
    assert rgb(view.capture(), 150, 50) == BLACK
    view.panel.SetDisplayOverlay(True)
    assert rgb(view.capture(), 150, 50) == (0, 255, 0)


def test_mask_is_blended_over_the_image(view):
    view.panel.SetMat(np.full((300, 400, 3), 100, np.uint8))
    view.panel.SetOriginal()
    mask = np.zeros((300, 400), np.uint8)
    mask[50:100, 60:160] = 1
    view.panel.AppendMaskOverlay(mask, (255, 0, 0), 0.5)
    view.panel.SetDisplayOverlay(True)
    shot = view.capture()
    r, g, b = rgb(shot, 100, 70)
    assert abs(b - 178) <= 1 and abs(g - 50) <= 1 and abs(r - 50) <= 1
    assert rgb(shot, 200, 70) == (100, 100, 100)


def test_mask_of_another_size_is_stretched_not_fatal(view):
    view.panel.SetMat(np.full((300, 400, 3), 100, np.uint8))
    view.panel.SetOriginal()
    small = np.zeros((30, 40), np.uint8)
    small[:, :20] = 255  # the left half
    view.panel.AppendMaskOverlay(small, (0, 0, 255), 1.0)
    view.panel.SetDisplayOverlay(True)
    shot = view.capture()
    assert rgb(shot, 100, 150) == RED and rgb(shot, 300, 150) == (100, 100, 100)


def test_gray_image_shown_gray_with_coloured_overlays(view):
    gray = np.tile(np.linspace(0, 255, 400).astype(np.uint8), (300, 1))
    view.panel.SetMat(gray)
    view.panel.SetOriginal()
    view.panel.AppendOverlay(5, [(200, 150), (40, 0)], (0, 0, 255), 2)
    view.panel.SetDisplayOverlay(True)
    shot = view.capture()
    r, g, b = rgb(shot, 100, 20)
    assert r == g == b == gray[20, 100]
    assert rgb(shot, 240, 150) == RED or rgb(shot, 239, 150) == RED


def test_aspect_ratio_guide_darkens_outside_the_frame():
    square = Shown(400, 400)
    try:
        square.panel.SetMat(np.full((400, 400, 3), 200, np.uint8))
        square.panel.SetOriginal()
        square.panel.SetGuideLineMode(tm.AspectRatioMask)
        shot = square.capture()
        # 16:9 inside 400 x 400: the frame is 225 rows high, centred.
        assert rgb(shot, 200, 40) == (100, 100, 100)
        assert rgb(shot, 200, 360) == (100, 100, 100)
        assert rgb(shot, 200, 200) == (200, 200, 200)
    finally:
        square.close()


def test_middle_button_pans_and_release_outside_ends_it(view):
    view.panel.SetMat(coded_image(2000, 1500))
    view.panel.SetOriginal()
    assert source_x_at(view.capture(), 0, 0) == 0
    assert view.screen_origin().x >= 15 and view.screen_origin().y >= 15
    # Dragged up and left beyond the panel, released there: the image followed
    # the mouse pixel for pixel.
    middle_drag(view, (350, 250), (-15, -15))
    shot = view.capture()
    assert source_x_at(shot, 0, 0) == 365
    assert rgb(shot, 0, 0)[0] == 265 % 256
    # The button is up: moving over the panel again must not drag the image.
    sim = wx.UIActionSimulator()
    origin = view.screen_origin()
    for x in (250, 150, 50):
        sim.MouseMove(origin.x + x, origin.y + 150)
        pump(0.05)
    assert source_x_at(view.capture(), 0, 0) == 365


def test_capture_loss_ends_panning(view):
    view.panel.SetMat(coded_image(2000, 1500))
    view.panel.SetOriginal()
    window = view.window()
    sim = wx.UIActionSimulator()
    origin = view.screen_origin()
    sim.MouseMove(origin.x + 300, origin.y + 200)
    pump(0.1)
    sim.MouseDown(wx.MOUSE_BTN_MIDDLE)
    pump(0.1)
    sim.MouseMove(origin.x + 260, origin.y + 200)
    pump(0.1)
    assert source_x_at(view.capture(), 0, 0) == 40
    window.ProcessWindowEvent(wx.MouseCaptureLostEvent(window.GetId()))
    for x in (200, 120, 60):
        sim.MouseMove(origin.x + x, origin.y + 200)
        pump(0.05)
    sim.MouseUp(wx.MOUSE_BTN_MIDDLE)
    pump(0.1)
    assert source_x_at(view.capture(), 0, 0) == 40


def test_middle_button_on_a_fitting_image_does_not_pan(view):
    view.panel.SetMat(coded_image(200, 150))
    view.panel.SetOriginal()
    middle_drag(view, (100, 100), (20, 20))
    assert source_x_at(view.capture(), 0, 0) == 0


class MenuWatch:
    """Notes whether the panel's context menu opened, and closes it with Escape."""

    def __init__(self, view):
        self.opened = False
        self.window = view.window()
        self.window.Bind(wx.EVT_MENU_OPEN, self.on_open)

    def on_open(self, event):
        self.opened = True
        wx.CallLater(100, wx.UIActionSimulator().Char, wx.WXK_ESCAPE)
        event.Skip()


def right_click(view, x, y):
    sim = wx.UIActionSimulator()
    origin = view.screen_origin()
    sim.MouseMove(origin.x + x, origin.y + y)
    pump(0.1)
    sim.MouseClick(wx.MOUSE_BTN_RIGHT)
    pump(0.4)


@pytest.mark.parametrize("result, menu_opens", [(True, False), (None, True), (False, True), ("yes", True)])
def test_right_click_callback_result_decides_the_menu(view, result, menu_opens):
    view.panel.SetMat(np.zeros((600, 800, 3), np.uint8))
    view.panel.SetOriginal()
    view.panel.SetFuncEnable(True)
    calls = []

    def on_right_click(point, index):
        calls.append((point, index))
        return result

    view.panel.SetOnRightClickCallback(on_right_click)
    watch = MenuWatch(view)
    right_click(view, 120, 80)
    assert len(calls) == 1
    (x, y), index = calls[0]
    assert index == -1
    assert x == pytest.approx(120, abs=1) and y == pytest.approx(80, abs=1)
    assert watch.opened is menu_opens


class NoTruth:
    def __bool__(self):
        raise ValueError("no truth value")


@pytest.mark.parametrize("behaviour", ["raise", "no truth"])
def test_failing_right_click_callback_counts_as_false_and_is_reported(view, behaviour):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetFuncEnable(True)
    calls = []

    def on_right_click(point, index):
        calls.append(point)
        if behaviour == "raise":
            raise RuntimeError("callback failed")
        return NoTruth()

    view.panel.SetOnRightClickCallback(on_right_click)
    watch = MenuWatch(view)
    right_click(view, 50, 50)
    assert calls and watch.opened is True
    with unraisable_reports() as unraisable:
        right_click(view, 60, 60)
    assert len(calls) == 2
    assert unraisable == ([(RuntimeError, on_right_click)] if behaviour == "raise" else [])


def test_no_callback_and_menu_disabled_opens_nothing(view):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetFuncEnable(False)
    watch = MenuWatch(view)
    right_click(view, 50, 50)
    assert watch.opened is False
    view.panel.SetOnRightClickCallback(lambda p, i: True)
    view.panel.SetOnRightClickCallback(None)
    view.panel.SetFuncEnable(True)
    right_click(view, 50, 50)
    assert watch.opened is True


def test_menu_scale_up_zooms_in(view):
    view.panel.SetMat(np.zeros((600, 800, 3), np.uint8))
    view.panel.SetOriginal()
    view.panel.SetFuncEnable(True)
    window = view.window()
    window.Bind(wx.EVT_MENU_OPEN, lambda e: wx.CallLater(
        100, lambda: (wx.UIActionSimulator().Char(wx.WXK_DOWN), wx.UIActionSimulator().Char(wx.WXK_RETURN))))
    right_click(view, 50, 50)
    pump(0.3)
    assert view.panel.GetZoomFactor() == 1.25


def wheel(view, rotation, control=False):
    window = view.window()
    event = wx.MouseEvent(wx.wxEVT_MOUSEWHEEL)
    event.SetEventObject(window)
    event.SetId(window.GetId())
    event.SetWheelRotation(rotation)
    event.SetWheelDelta(120)
    event.SetLinesPerAction(3)
    event.SetWheelAxis(wx.MOUSE_WHEEL_VERTICAL)
    event.SetControlDown(control)
    event.SetPosition(wx.Point(100, 100))
    window.ProcessWindowEvent(event)
    pump(0.1)


def test_wheel_scrolls_by_lines_and_ctrl_wheel_zooms_one_step(view):
    view.panel.SetMat(coded_image(2000, 1500))
    view.panel.SetOriginal()
    wheel(view, -360)  # 3 x 360 / 120 = 9 lines of 20 pixels, downwards
    assert rgb(view.capture(), 0, 0)[0] == 180
    wheel(view, 120)
    assert rgb(view.capture(), 0, 0)[0] == 120
    wheel(view, 360, control=True)
    assert view.panel.GetZoomFactor() == 1.25
    wheel(view, -360, control=True)
    assert view.panel.GetZoomFactor() == 1.0


LIME = (0, 255, 0)


def test_current_roi_drawn_in_lime_only_while_editing_is_on(view):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetOriginal()
    view.panel.SetEditingROI(3, [(100, 80), (120, 60)])
    assert rgb(view.capture(), 100, 110) == BLACK  # editing off: not drawn
    view.panel.SetFuncEnable(True, True)
    view.panel.SetEditingROI(3, [(100, 80), (120, 60)])
    shot = view.capture()
    assert rgb(shot, 100, 110) == LIME and rgb(shot, 160, 80) == LIME and rgb(shot, 219, 100) == LIME
    assert rgb(shot, 160, 110) == LIME  # the centre cross
    assert rgb(shot, 130, 95) == BLACK


def test_rotated_rectangle_shows_its_two_handles(view):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetOriginal()
    view.panel.SetFuncEnable(True, True)
    view.panel.SetEditingROI(4, [(100, 100), (200, 100)], 0.0)
    shot = view.capture()
    # Unrotated corners 0..3 are bottom-left, top-left, top-right, bottom-right:
    # the red handle sits on the top edge's middle, the blue one on the left edge's.
    assert rgb(shot, 200, 100) == RED
    assert rgb(shot, 100, 150) == (0, 0, 255)
    assert rgb(shot, 150, 200) == LIME


def test_large_image_far_below_one_to_one_shows_the_right_pixels():
    wide = Shown(600, 400)
    try:
        picture = np.zeros((4000, 6000, 3), np.uint8)
        x = np.arange(6000)
        picture[:, :, 0] = (x // 32).astype(np.uint8)  # blue = x / 32: 0 .. 187 across the image
        picture[:, :, 2] = (np.arange(4000) // 32).astype(np.uint8)[:, None]
        wide.panel.SetMat(picture)
        assert wide.panel.GetZoomFactor() == pytest.approx(0.1)
        wide.panel.AppendOverlay(3, [(3000, 2000), (500, 500)], (0, 255, 0), 1)
        wide.panel.SetDisplayOverlay(True)
        shot = wide.capture()
        for sx, sy in ((0, 0), (123, 77), (450, 310), (590, 390)):
            r, g, b = rgb(shot, sx, sy)
            if g == 255:
                continue
            assert abs(b - (sx * 10) // 32) <= 1 and abs(r - (sy * 10) // 32) <= 1, (sx, sy)
        assert rgb(shot, 300, 225)[1] == 255 and rgb(shot, 350, 225)[1] == 255
        assert rgb(shot, 325, 225)[1] == 0
    finally:
        wide.close()


def set_rect_on_circle(panel):
    panel.SetROIMode(tm.CvROIMode.Circle)
    panel.SetRect((0, 0, 2**31 - 1, 2**31 - 1))


def zoomed_in_circle(panel):
    panel.SetEditingROI(5, [(200, 150), (3e8, 0)])
    for _ in range(30):
        panel.SetZoomIn()  # up to 20


@pytest.mark.parametrize("setup, lime_at", [
    (lambda p: p.SetEditingROI(5, [(200, 150), (3e9, 0)]), None),
    (zoomed_in_circle, None),
    (lambda p: p.SetEditingROI(6, [(200, 150), (50, 0), (1e30, 0), (0, 360)]), (250, 150)),
    (set_rect_on_circle, None),
    (lambda p: p.SetEditingROI(5, [(200, 1e6 + 150), (1e6, 0)]), (200, 150)),  # rim across the view
])
def test_huge_circles_are_painted_without_aborting(view, setup, lime_at):
    view.panel.SetMat(np.zeros((300, 400, 3), np.uint8))
    view.panel.SetOriginal()
    view.panel.SetFuncEnable(True, True)
    setup(view.panel)
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
