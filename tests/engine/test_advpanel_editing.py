"""Editing the current ROI of TivraROIAdvPanel with real mouse gestures (XTest
through wx.UIActionSimulator) and what Python hears about it: crop, double-click
and mouse-move callbacks, callbacks that raise, are replaced or cleared, or call
back into the panel, and the drag that ends outside the window."""
import os

import pytest
import wx

import TivraModule as tm
from wx_support import Mouse, pump, run_script, unraisable_reports

W, H = 400, 300


def test_double_click_and_move_callbacks_get_source_points(editing):
    editing.panel.SetFuncEnable(False, True, True)  # no context menu on the right clicks
    editing.panel.SetZoomIn()  # zoom 1.25
    got = {"left": [], "right": [], "move": []}
    editing.panel.SetOnLeftDClickCallback(got["left"].append)
    editing.panel.SetOnRightDClickCallback(got["right"].append)
    editing.panel.SetOnMouseMoveCallback(got["move"].append)
    mouse = Mouse(editing)
    mouse.move(125, 50)
    assert got["move"][-1] == pytest.approx((100.0, 40.0))
    mouse.sim.MouseDblClick()
    mouse.move(250, 100)
    mouse.sim.MouseDblClick(wx.MOUSE_BTN_RIGHT)
    pump(0.2)
    assert got["left"] == [pytest.approx((100.0, 40.0))]
    assert got["right"] == [pytest.approx((200.0, 80.0))]
    editing.panel.SetOnMouseMoveCallback(None)
    count = len(got["move"])
    mouse.move(20, 20)
    assert len(got["move"]) == count, "a cleared callback is not called"


def test_crop_callback_bound_once_replaced_cleared_raising_and_calling_back(editing):
    editing.panel.SetROIMode(tm.CvROIMode.Rectangle)
    first, second = [], []

    def calling_back(rect):
        second.append((rect, editing.panel.GetEditingROI()))
        editing.panel.SetEditingROI(3, [(1, 1), (5, 5)])

    for _ in range(3):
        editing.panel.SetOnCropCallback(first.append)
    editing.panel.SetOnCropCallback(calling_back)
    mouse = Mouse(editing)
    mouse.drag((10, 10), (40, 30))
    assert first == [] and second == [((10, 10, 30, 20), (3, [(10.0, 10.0), (30.0, 20.0)], 0.0))]
    assert editing.panel.GetRect() == (1, 1, 5, 5)

    calls = []

    def failing(rect):
        calls.append(rect)
        raise ValueError("callback failure")

    def divide(point):
        return 1 / 0

    editing.panel.SetOnCropCallback(failing)
    editing.panel.SetOnMouseMoveCallback(divide)
    with unraisable_reports() as unraisable:
        mouse.drag((100, 100), (150, 130))
        mouse.drag((200, 200), (220, 220))
    assert calls == [(100, 100, 50, 30), (200, 200, 20, 20)]
    assert unraisable.count((ValueError, failing)) == 2, "each failure is reported, naming the callback"
    assert (ZeroDivisionError, divide) in unraisable

    editing.panel.SetOnCropCallback(None)
    mouse.drag((10, 10), (40, 30))
    assert len(calls) == 2
    with pytest.raises(TypeError):
        editing.panel.SetOnCropCallback(42)


def test_release_outside_the_window_or_a_lost_capture_ends_the_drag(editing):
    editing.panel.SetROIMode(tm.CvROIMode.Rectangle)
    mouse = Mouse(editing)
    mouse.move(300, 200, settle=0.1)
    mouse.sim.MouseDown()
    pump(0.05)
    mouse.move(350, 250)
    assert wx.Window.GetCapture() == editing.window(), "the panel holds the mouse while dragging"
    mouse.move(W + 60, H + 60)  # beyond the panel, the button still held
    mouse.sim.MouseUp()
    pump(0.1)
    assert editing.crops == [(300, 200, 100, 100)]
    assert wx.Window.GetCapture() is None
    mouse.move(100, 100)
    assert editing.panel.GetRect() == (300, 200, 100, 100), "no drag continues after the release"
    mouse.move(20, 20, settle=0.1)
    mouse.sim.MouseDown()
    pump(0.05)
    mouse.move(40, 40)
    # What the toolkit sends when another program takes the pointer away.
    editing.window().GetEventHandler().ProcessEvent(wx.MouseCaptureLostEvent(editing.window().GetId()))
    assert editing.crops[1:] == [(20, 20, 20, 20)] and not editing.window().HasCapture()
    mouse.move(60, 60)
    mouse.sim.MouseUp()
    pump(0.1)
    assert editing.crops[1:] == [(20, 20, 20, 20)], "the lost drag is over"


def test_callbacks_destroying_their_panel_host_or_frame():
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "callbacks_destroying_panels.py")
    proc = run_script(f"import runpy; runpy.run_path({script!r}, run_name='__main__')", timeout=240)
    assert proc.returncode == 0, proc.stdout + proc.stderr[-3000:]
    assert proc.stdout.count("survived") == 15, proc.stdout
