"""The advanced panel's ROI from the keyboard (real key events through
wx.UIActionSimulator), undo and redo, and the ROI state as a JSON-ready dict."""
import json
import math

import pytest
import wx

import TivraModule as tm
from wxpanel_support import editing_panel, pump

W, H = 400, 300
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


@pytest.fixture
def view():
    with editing_panel(W, H) as shown:
        shown.sim = wx.UIActionSimulator()
        yield shown


def keys(view, *strokes):
    """Real key presses on the focused panel: (key code, modifiers) pairs or plain key codes."""
    view.window().SetFocus()
    pump(0.05)
    for stroke in strokes:
        key, mods = stroke if isinstance(stroke, tuple) else (stroke, wx.MOD_NONE)
        view.sim.Char(key, mods)
        pump(0.05)


def mouse_to(view, x, y):
    origin = view.screen_origin()
    view.sim.MouseMove(origin.x + x, origin.y + y)
    pump(0.05)


def test_keys_move_resize_remove_undo_and_cancel(view):
    view.panel.SetEditingROI(M.Rectangle, [(100, 100), (50, 40)])
    keys(view, wx.WXK_RIGHT, (wx.WXK_DOWN, wx.MOD_SHIFT), (wx.WXK_RIGHT, wx.MOD_CONTROL))
    assert view.panel.GetRect() == (101, 110, 51, 40)
    assert view.crops == [(101, 100, 50, 40), (101, 110, 50, 40), (101, 110, 51, 40)]
    keys(view, wx.WXK_DELETE)
    assert view.panel.GetRect() == (0, 0, 0, 0) and view.crops[-1] == (0, 0, 0, 0)
    keys(view, (ord("Z"), wx.MOD_CONTROL))
    assert view.panel.GetRect() == (101, 110, 51, 40)  # the burst of keys is one step
    keys(view, (ord("Z"), wx.MOD_CONTROL))
    assert view.panel.GetRect() == (100, 100, 50, 40)
    keys(view, (ord("Z"), wx.MOD_CONTROL | wx.MOD_SHIFT), (ord("Y"), wx.MOD_CONTROL))
    assert view.panel.GetRect() == (0, 0, 0, 0)
    assert view.crops[-4:] == [(101, 110, 51, 40), (100, 100, 50, 40), (101, 110, 51, 40), (0, 0, 0, 0)]

    # Escape in the middle of a drag puts the ROI back and reports nothing.
    view.panel.SetEditingROI(M.Rectangle, [(100, 100), (50, 40)])
    reported = len(view.crops)
    mouse_to(view, 125, 120)
    view.sim.MouseDown()
    for x in (160, 200, 240):
        mouse_to(view, x, 150)
    keys(view, wx.WXK_ESCAPE)
    view.sim.MouseUp()
    pump(0.1)
    assert view.panel.GetRect() == (100, 100, 50, 40) and len(view.crops) == reported

    # ...and in the middle of a polygon.
    view.panel.SetROIMode(M.Polygon)
    for x, y in ((50, 50), (150, 60), (120, 160)):
        mouse_to(view, x, y)
        view.sim.MouseClick()
        pump(0.1)
    assert len(view.panel.GetPolygonPoints()) == 3
    keys(view, wx.WXK_ESCAPE)
    assert view.panel.GetPolygonPoints() == [] and len(view.crops) == reported


@pytest.mark.parametrize("kind", EVERY_KIND)
def test_undo_and_redo_restore_exact_geometry(view, kind):
    mode, points, angle = EVERY_KIND[kind]
    view.panel.SetEditingROI(mode, points, angle)
    first = view.panel.GetROIState()
    second = json.loads(json.dumps(first))
    for key in ("x", "cx", "x1", "x2"):
        if key in second:
            second[key] += 7.25
    if "points" in second:
        second["points"][1][0] += 7.25
    view.panel.SetROIState(second)
    keys(view, wx.WXK_RIGHT, (wx.WXK_UP, wx.MOD_SHIFT), (wx.WXK_RIGHT, wx.MOD_CONTROL))
    third = view.panel.GetROIState()
    assert len({json.dumps(s) for s in (first, second, third)}) == 3
    crops = len(view.crops)
    for expected in (second, first):
        assert view.panel.UndoROI() and view.panel.GetROIState() == expected
    assert view.panel.RedoROI() and view.panel.RedoROI() and view.panel.GetROIState() == third
    assert not view.panel.CanRedoROI() and view.panel.CanUndoROI()
    assert len(view.crops) == crops + 4


@pytest.mark.parametrize("kind", list(EVERY_KIND) + ["open Polygon", "empty Circle"])
def test_state_round_trips_through_json(view, kind):
    if kind == "open Polygon":
        state = {"version": 1, "kind": "Polygon", "points": [[1.5, 2.0], [30.25, 4.0]], "closed": False}
    elif kind == "empty Circle":
        state = {"version": 1, "kind": "Circle", "cx": 0.0, "cy": 0.0, "radius": 0.0}
    else:
        view.panel.SetEditingROI(*EVERY_KIND[kind])
        state = view.panel.GetROIState()
    view.panel.SetROIState(json.loads(json.dumps(state)))
    again = view.panel.GetROIState()
    assert again == state and json.loads(json.dumps(again)) == again
    assert all(type(v) is float for k, v in again.items() if k not in ("version", "kind", "points", "closed"))


def nested(depth):
    value = [1.0, 2.0]
    for _ in range(depth):
        value = [value]
    return value


RECT = {"version": 1, "kind": "Rectangle", "x": 1.0, "y": 2.0, "width": 3.0, "height": 4.0}
HOSTILE = [
    ({k: v for k, v in RECT.items() if k != "width"}, 'missing key "width"'),
    (dict(RECT, kind="Blob"), '"kind" = "Blob"'),
    (dict(RECT, version=2), '"version" = 2'),
    (dict(RECT, x="1"), '"x" must be a number, not str'),
    (dict(RECT, x=None), '"x" must be a number, not NoneType'),
    (dict(RECT, y=True), '"y" must be a number, not bool'),
    (dict(RECT, y=math.nan), '"y" = nan is not finite'),
    (dict(RECT, width=math.inf), '"width" = inf is not finite'),
    (dict(RECT, x=10 ** 400), '"x" = inf is not finite'),
    (dict(RECT, height=-4), '"height" = -4 must not be negative'),
    (dict(RECT, x=1e12), '"x" = 1e\\+12 is beyond'),
    ({"version": 1, "kind": "Polygon", "points": nested(100000), "closed": True}, r'"points\[0\]" must be a pair'),
    ({"version": 1, "kind": "Polygon", "points": [[0, 0], [1, {}], [2, 2]], "closed": True},
     r'"points\[1\]\[1\]" must be a number, not dict'),
]


@pytest.mark.parametrize("state, message", HOSTILE)
def test_hostile_states_are_refused_and_change_nothing(view, state, message):
    view.panel.SetEditingROI(*EVERY_KIND["Polygon"])
    before = view.panel.GetROIState()
    with pytest.raises(ValueError, match=message):
        view.panel.SetROIState(state)
    assert view.panel.GetROIState() == before and not view.panel.CanRedoROI()
