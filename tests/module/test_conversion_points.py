"""Point lists and rectangles crossing the Python boundary, observed through the
getters of a TivraROIAdvPanel shown in a real wxPython window."""
import numpy as np
import pytest
import wx

import TivraModule as tm


@pytest.fixture
def panel():
    app = wx.GetApp() or wx.App(False)
    frame = wx.Frame(None, size=(420, 320))
    parent = wx.Panel(frame)
    frame.Show()
    app.Yield(True)
    adv = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, 400, 300)
    adv.SetMat(np.full((300, 400, 3), 90, np.uint8))
    yield adv
    del adv
    frame.Destroy()
    app.Yield(True)


def test_points_skip_short_items_and_ignore_extra_elements(panel):
    panel.SetEditingROI(tm.Polygon.value, [(1, 2), (3,), [5, 6], (7.5, 8.25, 99), np.array([9, 1]), ()])
    assert panel.GetPolygonPoints() == [(1.0, 2.0), (5.0, 6.0), (7.5, 8.25), (9.0, 1.0)]
    assert all(type(x) is float and type(y) is float for x, y in panel.GetPolygonPoints())


def test_points_that_are_not_sequences_or_numbers_are_rejected(panel):
    with pytest.raises(TypeError):
        panel.SetEditingROI(tm.Polygon.value, [(1, 2), 5, (3, 4)])
    with pytest.raises(RuntimeError):
        panel.SetEditingROI(tm.Polygon.value, [(1, 2), ("x", 4), (3, 4)])
    with pytest.raises(TypeError):
        panel.SetEditingROI(tm.Polygon.value, ((1, 2), (3, 4), (5, 6)))  # a tuple where a list is declared


def test_rectangles_round_trip_as_int_tuples(panel):
    panel.SetROIMode(tm.Rectangle.value)
    panel.SetRect((10, 20, 30, 40))
    assert panel.GetRect() == (10, 20, 30, 40)
    assert all(type(v) is int for v in panel.GetRect())
    with pytest.raises(RuntimeError, match=r"^Rect tuple must have 4 elements \(x, y, w, h\)$"):
        panel.SetRect((1, 2, 3, 4, 5))
    with pytest.raises(TypeError):
        panel.SetRect([1, 2, 3, 4])
    assert panel.GetRect() == (10, 20, 30, 40)
