"""Editing the current ROI of TivraROIAdvPanel with real mouse gestures (XTest
through wx.UIActionSimulator) and what Python hears about it: crop, double-click
and mouse-move callbacks, callbacks that raise, are replaced or cleared, or call
back into the panel, and the drag that ends outside the window."""
import math
import os
import subprocess
import sys

import numpy as np
import pytest
import wx

import TivraModule as tm
from wxpanel_support import editing_panel, pump, unraisable_reports

W, H = 400, 300


@pytest.fixture
def view():
    with editing_panel(W, H) as shown:
        yield shown


class Mouse:
    """Real pointer gestures at panel coordinates."""

    def __init__(self, view):
        self.sim = wx.UIActionSimulator()
        self.origin = view.screen_origin()

    def move(self, x, y, settle=0.03):
        self.sim.MouseMove(self.origin.x + int(x), self.origin.y + int(y))
        pump(settle)

    def drag(self, start, end, steps=4, button=wx.MOUSE_BTN_LEFT):
        self.move(*start, settle=0.1)
        self.sim.MouseDown(button)
        pump(0.05)
        for i in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * i / steps, start[1] + (end[1] - start[1]) * i / steps)
        self.sim.MouseUp(button)
        pump(0.1)

    def path(self, points):
        """Press at the first point, pass through the others, release at the last."""
        self.move(*points[0], settle=0.1)
        self.sim.MouseDown()
        pump(0.05)
        for p in points[1:]:
            self.move(*p)
        self.sim.MouseUp()
        pump(0.1)

    def click(self, x, y, pause=0.1):
        self.move(x, y, settle=0.05)
        self.sim.MouseClick()
        pump(pause)


def test_rectangle_drawn_either_way_and_plain_click(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    mouse = Mouse(view)
    mouse.drag((10, 10), (40, 30))
    assert view.crops == [(10, 10, 30, 20)]
    assert view.panel.GetRect() == (10, 10, 30, 20)
    mouse.drag((240, 230), (210, 210))
    assert view.crops[-1] == (210, 210, 30, 20)
    mouse.click(350, 60)
    assert view.crops[-1] == (0, 0, 0, 0)
    assert len(view.crops) == 3


def test_polygon_closed_by_a_quick_second_click_only_with_three_vertices(view):
    view.panel.SetROIMode(tm.CvROIMode.Polygon)
    mouse = Mouse(view)
    for x, y in ((50, 50), (70, 50)):
        mouse.click(x, y, pause=0.6)
    mouse.click(71, 51, pause=0.6)  # too few vertices: nothing added, nothing closed
    assert view.crops == []
    assert view.panel.GetPolygonPoints() == [(50.0, 50.0), (70.0, 50.0)]
    mouse.click(70, 70, pause=0.6)
    assert view.crops == [], "an open polygon is not reported"
    mouse.click(72, 71, pause=0.6)  # within 5 pixels and 1.5 s of the last vertex
    assert view.crops == [(50, 50, 21, 21)]
    assert len(view.panel.GetPolygonPoints()) == 3


def test_polygon_closed_by_a_double_click(view):
    view.panel.SetROIMode(tm.CvROIMode.Polygon)
    mouse = Mouse(view)
    for x, y in ((100, 100), (200, 100), (200, 180)):
        mouse.click(x, y, pause=0.6)
    mouse.move(150, 200)
    mouse.sim.MouseDblClick()
    pump(0.2)
    assert len(view.crops) == 1
    assert len(view.panel.GetPolygonPoints()) == 4
    x, y, w, h = view.crops[0]
    assert (x, y) == (100, 100) and w >= 100 and h >= 100


def test_shift_snaps_the_rotation_to_45_degrees(view):
    view.panel.SetEditingROI(4, [(100, 100), (120, 60)], 0.0)  # centre (160, 130)
    mouse = Mouse(view)
    arc = [(160 + 100 * math.cos(math.radians(a)), 130 + 100 * math.sin(math.radians(a)))
           for a in range(-90, 15, 5)]  # 100 degrees clockwise
    mouse.sim.KeyDown(wx.WXK_SHIFT)
    pump(0.05)
    try:
        mouse.path([(160, 100)] + arc)  # the handle in the middle of the top edge
    finally:
        mouse.sim.KeyUp(wx.WXK_SHIFT)
        pump(0.05)
    assert view.panel.GetRotateAngle() == 90.0
    assert len(view.crops) == 1


@pytest.mark.parametrize("mode, end, crop", [
    (tm.CvROIMode.Circle, (160, 100), (40, 40, 120, 120)),  # a circle reports its bounding square
    (tm.CvROIMode.Annulus, (100, 40), (40, 40, 120, 120)),
    (tm.CvROIMode.Rectangle, (W + 200, -50), (100, 0, 300, 100)),  # a flick out stops at the border
])
def test_drags_along_an_axis_or_out_of_the_image_keep_the_roi(view, mode, end, crop):
    view.panel.SetROIMode(mode)
    Mouse(view).drag((100, 100), end, steps=1)
    assert view.crops == [crop]


def test_rectangle_handles_show_and_a_corner_moves_both_sides(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    mouse = Mouse(view)
    mouse.drag((100, 100), (200, 160))
    shot = view.capture()
    handles = [(100, 100), (150, 100), (200, 100), (100, 130), (200, 130), (100, 160), (150, 160), (200, 160)]
    assert all(tuple(shot[y + 3, x + 3]) != (60, 60, 60) for x, y in handles)
    mouse.drag((199, 159), (250, 200))
    assert view.crops[-1] == (100, 100, 150, 100)


def test_editing_off_skips_presses_but_reports_moves(view):
    moves = []
    view.panel.SetOnMouseMoveCallback(moves.append)
    view.panel.SetFuncEnable(True, False, True)
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    Mouse(view).drag((10, 10), (60, 50))
    assert view.crops == []
    assert view.panel.GetRect() == (0, 0, 0, 0)
    assert moves and moves[-1] == pytest.approx((60.0, 50.0))


def test_double_click_and_move_callbacks_get_source_points(view):
    view.panel.SetFuncEnable(False, True, True)  # no context menu on the right clicks
    view.panel.SetZoomIn()  # zoom 1.25
    got = {"left": [], "right": [], "move": []}
    view.panel.SetOnLeftDClickCallback(got["left"].append)
    view.panel.SetOnRightDClickCallback(got["right"].append)
    view.panel.SetOnMouseMoveCallback(got["move"].append)
    mouse = Mouse(view)
    mouse.move(125, 50)
    assert got["move"][-1] == pytest.approx((100.0, 40.0))
    mouse.sim.MouseDblClick()
    mouse.move(250, 100)
    mouse.sim.MouseDblClick(wx.MOUSE_BTN_RIGHT)
    pump(0.2)
    assert got["left"] == [pytest.approx((100.0, 40.0))]
    assert got["right"] == [pytest.approx((200.0, 80.0))]
    view.panel.SetOnMouseMoveCallback(None)
    count = len(got["move"])
    mouse.move(20, 20)
    assert len(got["move"]) == count, "a cleared callback is not called"


def test_crop_callback_bound_once_replaced_cleared_and_raising(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    first, second = [], []
    for _ in range(3):
        view.panel.SetOnCropCallback(first.append)
    view.panel.SetOnCropCallback(second.append)
    mouse = Mouse(view)
    mouse.drag((10, 10), (40, 30))
    assert first == [] and second == [(10, 10, 30, 20)]

    calls = []

    def failing(rect):
        calls.append(rect)
        raise ValueError("callback failure")

    def divide(point):
        return 1 / 0

    view.panel.SetOnCropCallback(failing)
    view.panel.SetOnMouseMoveCallback(divide)
    with unraisable_reports() as unraisable:
        mouse.drag((100, 100), (150, 130))
        mouse.drag((200, 200), (220, 220))
    assert calls == [(100, 100, 50, 30), (200, 200, 20, 20)]
    assert unraisable.count((ValueError, failing)) == 2, "each failure is reported, naming the callback"
    assert (ZeroDivisionError, divide) in unraisable

    view.panel.SetOnCropCallback(None)
    mouse.drag((10, 10), (40, 30))
    assert len(calls) == 2
    with pytest.raises(TypeError):
        view.panel.SetOnCropCallback(42)


def test_callback_calls_back_into_the_panel(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    seen = []

    def on_crop(rect):
        seen.append((rect, view.panel.GetRect()))
        view.panel.SetEditingROI(3, [(1, 1), (5, 5)])

    view.panel.SetOnCropCallback(on_crop)
    Mouse(view).drag((10, 10), (40, 30))
    assert seen == [((10, 10, 30, 20), (10, 10, 30, 20))]
    assert view.panel.GetRect() == (1, 1, 5, 5)


def test_release_outside_the_window_ends_the_drag_at_the_border(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    mouse = Mouse(view)
    mouse.move(300, 200, settle=0.1)
    mouse.sim.MouseDown()
    pump(0.05)
    mouse.move(350, 250)
    assert wx.Window.GetCapture() == view.window(), "the panel holds the mouse while dragging"
    mouse.move(W + 60, H + 60)  # beyond the panel, the button still held
    mouse.sim.MouseUp()
    pump(0.1)
    assert view.crops == [(300, 200, 100, 100)]
    assert wx.Window.GetCapture() is None
    mouse.move(100, 100)
    assert view.panel.GetRect() == (300, 200, 100, 100), "no drag continues after the release"


def test_lost_capture_ends_the_drag_with_its_crop_event(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    mouse = Mouse(view)
    mouse.move(20, 20, settle=0.1)
    mouse.sim.MouseDown()
    pump(0.05)
    mouse.move(40, 40)
    # What the toolkit sends when another program takes the pointer away.
    view.window().GetEventHandler().ProcessEvent(wx.MouseCaptureLostEvent(view.window().GetId()))
    assert view.crops == [(20, 20, 20, 20)]
    assert not view.window().HasCapture()
    mouse.move(60, 60)
    mouse.sim.MouseUp()
    pump(0.1)
    assert view.crops == [(20, 20, 20, 20)], "the lost drag is over"


def test_callbacks_destroying_their_panel_host_or_frame():
    here = os.path.dirname(os.path.abspath(__file__))
    env = dict(os.environ, PYTHONPATH=os.pathsep.join([here] + sys.path))
    proc = subprocess.run([sys.executable, os.path.join(here, "callbacks_destroying_panels.py")], env=env,
                          capture_output=True, text=True, timeout=240)
    assert proc.returncode == 0, proc.stdout + proc.stderr[-3000:]
    assert proc.stdout.count("survived") == 15, proc.stdout


@pytest.mark.parametrize("mode, points, angle", [
    (1, [(30.0, 40.0)], 0.0),
    (2, [(10.0, 20.0), (110.0, 70.0)], 0.0),
    (3, [(50.0, 50.0), (200.0, 150.0)], 0.0),
    (4, [(100.0, 100.0), (120.0, 60.0)], 30.0),
    (5, [(200.0, 150.0), (80.0, 0.0)], 0.0),
    (6, [(200.0, 150.0), (100.0, 0.0), (40.0, 0.0), (30.0, 200.0)], 0.0),
    (7, [(10.0, 10.0), (90.0, 20.0), (50.0, 80.0)], 0.0),
])
def test_editing_roi_reads_back_as_set(view, mode, points, angle):
    view.panel.SetEditingROI(mode, points, angle)
    got_mode, got_points, got_angle = view.panel.GetEditingROI()
    assert (got_mode, got_angle) == (mode, pytest.approx(angle))
    assert np.allclose(got_points, points, atol=1e-4)


def test_editing_roi_follows_a_drawn_rectangle(view):
    view.panel.SetROIMode(tm.CvROIMode.Rectangle)
    Mouse(view).drag((10, 10), (40, 30))
    assert view.panel.GetEditingROI() == (3, [(10.0, 10.0), (30.0, 20.0)], 0.0)
