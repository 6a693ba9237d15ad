"""Deep images in both Python panels: raw data kept as given, display levels and colour
maps, checked on the screen."""
import cv2
import numpy as np
import pytest

import TivraModule as tm
from wx_support import pump, screen_region

W, H = 240, 80
PANELS = [tm.TivraPanel, tm.TivraROIAdvPanel]


@pytest.fixture(params=PANELS, ids=lambda cls: cls.__name__)
def view(parent, request):
    """A W x H panel of each class in a shown frame, and a screen read of it."""
    panel = request.param(parent.GetHandle(), -1, 10, 10, W, H)
    pump()
    yield panel, lambda: screen_region(parent, W, H, origin=(10, 10)).astype(int)


def blocks(values, dtype, channels=1):
    """W x H image of len(values) vertical blocks, one value each."""
    row = np.repeat(np.array(values, np.float64), W // len(values))
    image = np.tile(row, (H, 1)).astype(dtype)
    return np.dstack([image] * channels) if channels > 1 else image


def block_colours(shot, count):
    return [tuple(shot[H // 2, (2 * i + 1) * W // (2 * count)]) for i in range(count)]


@pytest.mark.parametrize("dtype", [np.uint16, np.int16, np.float32, np.float64])
@pytest.mark.parametrize("channels", [1, 3, 4])
def test_set_mat_keeps_deep_arrays(view, dtype, channels):
    panel, _ = view
    image = blocks([0 if dtype == np.uint16 else -2.5, 300, 4095], dtype, channels)
    panel.SetMat(image)
    np.testing.assert_array_equal(panel.GetRawMat(), image, strict=True)
    assert panel.GetMat().dtype == np.uint8 and panel.GetMat().max() == 255  # clipped as before
    # laid out as 8-bit images of the same shape are: BGR in the basic panel, as given in the advanced one
    assert panel.GetMat().shape == ((H, W, 3) if isinstance(panel, tm.TivraPanel) else image.shape)


def test_levels_and_colour_map_on_screen(view):
    panel, screen = view
    image = blocks([0, 1000, 2000, 4000], np.uint16)
    panel.SetMat(image)
    before = screen()
    assert panel.SetAutoLevels(0, 100) == (0.0, 4000.0)
    panel.SetDisplayLevels(0, 4000)
    assert panel.GetDisplayLevels() == (0.0, 4000.0)
    assert [c[0] for c in block_colours(screen(), 4)] == pytest.approx([0, 64, 128, 255], abs=1)
    panel.SetColorMap("jet")
    expected = cv2.applyColorMap(np.array([[0, 64, 128, 255]], np.uint8), cv2.COLORMAP_JET)[0, :, ::-1]
    assert np.abs(np.array(block_colours(screen(), 4)) - expected).max() <= 2
    panel.SetColorMap(None)
    panel.ResetDisplayLevels()
    assert panel.GetDisplayLevels() is None and panel.GetColorMap() == "gray"
    assert np.array_equal(screen(), before), "switching off shows today's picture again"
    assert [c[0] for c in block_colours(before, 4)] == [0, 255, 255, 255]


def test_bad_arguments_raise(view):
    panel, _ = view
    with pytest.raises(ValueError, match="low < high"):
        panel.SetDisplayLevels(5, 5)
    with pytest.raises(ValueError, match="lowPercent < highPercent"):
        panel.SetAutoLevels(60, 40)
    with pytest.raises(ValueError, match="turbo"):
        panel.SetColorMap("no such map")
    assert panel.SetAutoLevels() is None, "nothing to measure without an image"
