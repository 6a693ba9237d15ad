"""Point lists and rectangles crossing the Python boundary, observed through the
getters of a TivraROIAdvPanel shown in a real wxPython window."""
import numpy as np
import pytest

import TivraModule as tm


@pytest.fixture
def panel(parent):
    adv = tm.TivraROIAdvPanel(parent.GetHandle(), -1, 0, 0, 400, 300)
    adv.SetMat(np.full((300, 400, 3), 90, np.uint8))
    return adv


def test_points_skip_short_items_and_ignore_extra_elements(panel):
    panel.SetEditingROI(tm.Polygon.value, [(1, 2), (3,), [5, 6], (7.5, 8.25, 99), np.array([9, 1]), ()])
    assert panel.GetPolygonPoints() == [(1.0, 2.0), (5.0, 6.0), (7.5, 8.25), (9.0, 1.0)]
    assert all(type(x) is float and type(y) is float for x, y in panel.GetPolygonPoints())


@pytest.mark.parametrize("call, error, message", [
    (lambda p: p.SetEditingROI(7, [(1, 2), 5]), TypeError, r"points\[1\] must be an \(x, y\) pair of numbers, got 5"),
    (lambda p: p.SetEditingROI(7, [(1, 2), ("x", 4)]), RuntimeError,
     r"points\[1\] must be an \(x, y\) pair of numbers, got \('x', 4\)"),
    (lambda p: p.AppendOverlay(7, [(None, 2)], (0, 0, 255)), RuntimeError, r"points\[0\] must be an \(x, y\) pair"),
    (lambda p: p.AppendOverlay(3, [(1, 2), (3, 4)], (0, "red", 255)), RuntimeError,
     r"color must be \(B, G, R\) or \(B, G, R, A\) numbers, got \(0, 'red', 255\)"),
    (lambda p: p.SetRect((1, 2, 3.5, 4)), RuntimeError, r"rect must be \(x, y, w, h\) of ints, got \(1, 2, 3.5, 4\)"),
    # a tuple where a list is declared
    (lambda p: p.SetEditingROI(7, ((1, 2), (3, 4))), TypeError, r"SetEditingROI\(\): incompatible"),
])
def test_bad_point_arguments_name_the_argument_and_its_form(panel, call, error, message):
    with pytest.raises(error, match=f"^{message}"):
        call(panel)
    assert panel.GetRect() == (0, 0, 0, 0)


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
