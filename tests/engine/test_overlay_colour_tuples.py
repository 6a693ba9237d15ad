"""Colour tuples crossing the Python boundary, seen on screen as overlay lines of
TivraROIAdvPanel: (B, G, R[, A]) order, extra elements ignored, short tuples
giving (0, 0, 0, 0)."""
import numpy as np
from wxpanel_support import rgb

GRAY = (100, 100, 100)


def test_colour_tuples(shown):
    view = shown(image=np.full((300, 400, 3), 100, np.uint8))
    view.panel.SetDisplayOverlay(True)
    view.panel.AppendOverlay(2, [(20, 50), (380, 50)], (40, 80, 120), 3)
    view.panel.AppendOverlay(2, [(20, 150), (380, 150)], (200, 10, 60, 255, 7, 7), 3)
    view.panel.AppendOverlay(2, [(20, 250), (380, 250)], (1, 2), 3)
    shot = view.capture()
    assert rgb(shot, 200, 50) == (120, 80, 40)
    assert rgb(shot, 200, 150) == (60, 10, 200)
    # (0, 0, 0, 0): black, or nothing at all where alpha is honoured; never (1, 2, x).
    assert rgb(shot, 200, 250) in ((0, 0, 0), GRAY)
    assert rgb(shot, 200, 100) == GRAY
