"""The advanced panel's ROI from the keyboard (real key events through
wx.UIActionSimulator), undo and redo, and the ROI state as a JSON-ready dict."""
import json

import pytest
import wx

import TivraModule as tm
from wx_support import EVERY_KIND, pump

M = tm.CvROIMode


def keys(editing, *strokes):
    """Real key presses on the focused panel: (key code, modifiers) pairs or plain key codes."""
    editing.window().SetFocus()
    pump(0.05)
    for stroke in strokes:
        key, mods = stroke if isinstance(stroke, tuple) else (stroke, wx.MOD_NONE)
        wx.UIActionSimulator().Char(key, mods)
        pump(0.05)


def test_keys_and_python_move_resize_remove_undo_and_redo(editing):
    editing.panel.SetEditingROI(M.Rectangle, [(100, 100), (50, 40)])
    keys(editing, wx.WXK_RIGHT, (wx.WXK_DOWN, wx.MOD_SHIFT), (wx.WXK_RIGHT, wx.MOD_CONTROL))
    assert editing.panel.GetRect() == (101, 110, 51, 40)
    assert editing.crops == [(101, 100, 50, 40), (101, 110, 50, 40), (101, 110, 51, 40)]
    keys(editing, wx.WXK_DELETE)
    assert editing.panel.GetRect() == (0, 0, 0, 0) and editing.crops[-1] == (0, 0, 0, 0)
    keys(editing, (ord("Z"), wx.MOD_CONTROL))
    assert editing.panel.GetRect() == (101, 110, 51, 40)  # the burst of keys is one step
    keys(editing, (ord("Z"), wx.MOD_CONTROL))
    assert editing.panel.GetRect() == (100, 100, 50, 40)
    keys(editing, (ord("Z"), wx.MOD_CONTROL | wx.MOD_SHIFT), (ord("Y"), wx.MOD_CONTROL))
    assert editing.panel.GetRect() == (0, 0, 0, 0)
    assert editing.crops[-4:] == [(101, 110, 51, 40), (100, 100, 50, 40), (101, 110, 51, 40), (0, 0, 0, 0)]
    assert editing.panel.UndoROI() and editing.panel.GetRect() == (101, 110, 51, 40) and editing.panel.CanRedoROI()
    assert editing.panel.RedoROI() and editing.panel.GetRect() == (0, 0, 0, 0) and not editing.panel.CanRedoROI()
    assert editing.panel.CanUndoROI() and editing.crops[-2:] == [(101, 110, 51, 40), (0, 0, 0, 0)]


@pytest.mark.parametrize("kind, state", [(kind, None) for kind in EVERY_KIND] + [
    ("open Polygon", {"version": 1, "kind": "Polygon", "points": [[1.5, 2.0], [30.25, 4.0]], "closed": False}),
    ("empty Circle", {"version": 1, "kind": "Circle", "cx": 0.0, "cy": 0.0, "radius": 0.0})])
def test_state_round_trips_through_json(editing, kind, state):
    if state is None:
        editing.panel.SetEditingROI(*EVERY_KIND[kind])
        state = editing.panel.GetROIState()
    editing.panel.SetROIState(json.loads(json.dumps(state)))
    again = editing.panel.GetROIState()
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
    (dict(RECT, x=10 ** 400), '"x" = inf is not finite'),
    (dict(RECT, height=-4), '"height" = -4 must not be negative'),
    ({"version": 1, "kind": "Polygon", "points": nested(100000), "closed": True}, r'"points\[0\]" must be a pair'),
    ({"version": 1, "kind": "Polygon", "points": [[0, 0], [1, {}], [2, 2]], "closed": True},
     r'"points\[1\]\[1\]" must be a number, not dict'),
]


@pytest.mark.parametrize("state, message", HOSTILE)
def test_hostile_states_are_refused_and_change_nothing(editing, state, message):
    editing.panel.SetEditingROI(*EVERY_KIND["Polygon"])
    before = editing.panel.GetROIState()
    with pytest.raises(ValueError, match=message):
        editing.panel.SetROIState(state)
    assert editing.panel.GetROIState() == before and not editing.panel.CanRedoROI()
