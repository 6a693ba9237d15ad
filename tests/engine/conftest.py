"""Fixtures of the advanced-panel tests: shown panels closed after each test."""
import numpy as np
import pytest

from wx_support import Shown, pump


@pytest.fixture
def shown():
    """Makes Shown panels (400 x 300 unless told); with an image, shown at zoom 1."""
    made = []

    def make(width=400, height=300, image=None):
        view = Shown(width, height)
        made.append(view)
        if image is not None:
            view.panel.SetMat(image)
            view.panel.SetOriginal()
        return view

    yield make
    for view in made:
        view.close()


@pytest.fixture
def view(shown):
    return shown()


@pytest.fixture
def editing(shown):
    """A panel at zoom 1 over a flat grey image with ROI editing on; crop reports go to .crops."""
    view = shown(image=np.full((300, 400, 3), 60, np.uint8))
    view.panel.SetFuncEnable(True, True, True)
    view.crops = []
    view.panel.SetOnCropCallback(view.crops.append)
    pump(0.1)
    return view
