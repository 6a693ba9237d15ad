"""Overlays from Python. Texts: drawn on screen in any script the font has, numbered apart
from the shape overlays, cleared with them, and bad arguments refused by name. Colour
tuples, seen as overlay lines once the overlays are switched on: (B, G, R[, A]) order,
extra elements ignored, short tuples giving (0, 0, 0, 0)."""
import math

import numpy as np
import pytest

from wx_support import rgb


@pytest.fixture
def texts(shown):
    view = shown(320, 240, image=np.zeros((240, 320, 3), np.uint8))
    view.panel.SetDisplayOverlay(True)
    return view


def green_pixels(view):
    shot = view.capture().astype(int)
    return int(((shot[:, :, 1] > 150) & (shot[:, :, 0] < 80) & (shot[:, :, 2] < 80)).sum())


def test_texts_are_drawn_indexed_apart_and_cleared_with_the_overlays(texts):
    assert texts.panel.AppendOverlay(2, [(5, 200), (50, 200)], (255, 0, 0)) == 0
    assert texts.panel.AppendTextOverlay("\u2300 96.0 px\n\u2220 5\u00b0", (20, 20), size=30) == 0
    assert texts.panel.AppendTextOverlay("second", (20, 150), (0, 255, 0), 20, background=(40, 40, 40)) == 1
    texts.panel.Refresh()
    assert green_pixels(texts) > 200
    texts.panel.ClearOverlay()
    texts.panel.Refresh()
    assert green_pixels(texts) == 0
    assert texts.panel.AppendTextOverlay("again", (20, 20)) == 0 == texts.panel.AppendOverlay(1, [(5, 5)], (0, 255, 0))
    assert texts.panel.AppendMaskOverlay(np.zeros((0, 0), np.uint8), (255, 0, 0)) == -1
    assert texts.panel.AppendMaskOverlay(np.zeros((240, 320), np.uint8), (255, 0, 0), 0.3) == 1


@pytest.mark.parametrize("arguments, named", [
    (dict(position=(math.nan, 3)), "position"),
    (dict(position="xy"), "position"),
    (dict(color=(0, 256, 0)), "color"),
    (dict(color=(0, 255)), "color"),
    (dict(size=0), "size"),
    (dict(size=5000), "size"),
    (dict(background=(1, 2, 3, 4, 5)), "background"),
])
def test_bad_arguments_raise_value_error_naming_them(texts, arguments, named):
    call = dict(text="label", position=(10, 10))
    call.update(arguments)
    with pytest.raises(ValueError, match=named):
        texts.panel.AppendTextOverlay(**call)


GRAY = (100, 100, 100)


def test_colour_tuples(shown):
    view = shown(image=np.full((300, 400, 3), 100, np.uint8))
    for y, colour in ((50, (40, 80, 120)), (150, (200, 10, 60, 255, 7, 7)), (250, (1, 2))):
        view.panel.AppendOverlay(2, [(20, y), (380, y)], colour, 3)
    assert rgb(view.capture(), 200, 50) == GRAY
    view.panel.SetDisplayOverlay(True)
    shot = view.capture()
    assert rgb(shot, 200, 50) == (120, 80, 40)
    assert rgb(shot, 200, 150) == (60, 10, 200)
    # (0, 0, 0, 0): black, or nothing at all where alpha is honoured; never (1, 2, x).
    assert rgb(shot, 200, 250) in ((0, 0, 0), GRAY)
    assert rgb(shot, 200, 100) == GRAY
