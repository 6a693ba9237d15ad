"""What a user sees in a TivraPanel: screen pixels captured after painting."""
import gc
import weakref

import numpy as np
import pytest

import TivraModule as tm
from wx_support import pump, run_script, screen_region

W, H = 300, 200
PANELS = [tm.TivraPanel, tm.TivraROIAdvPanel]


@pytest.fixture
def view(parent):
    """A 300 x 200 panel at (10, 10) in a shown frame, and a capture of it."""
    panel = tm.TivraPanel(parent.GetHandle(), x=10, y=10, width=W, height=H)
    pump()
    yield panel, lambda: screen_region(parent, W, H, origin=(10, 10)).astype(int)


def is_green(pixel):
    return pixel[1] > 150 and pixel[0] < 80 and pixel[2] < 80


def test_canvas_colour_fills_an_empty_panel_and_shows_around_an_image_at_scale_one(view):
    panel, grab = view
    panel.SetCanvasBgColor(10, 200, 30)

    def is_canvas(area):
        return (np.abs(area - [10, 200, 30]) <= 2).all()

    assert is_canvas(grab()), "never shown"
    panel.SetMat(np.full((80, 100, 3), (255, 0, 0), np.uint8))
    shot = grab()
    assert (shot[10:70, 10:90] == (0, 0, 255)).all() and is_canvas(shot[100:, :]) and is_canvas(shot[:, 120:])
    panel.SetMat(np.zeros((0, 0), np.uint8))
    assert panel.GetMat().shape == (0,) and is_canvas(grab()), "cleared by an empty array"


def test_guides_with_alpha_zero_or_hidden_are_invisible(view):
    panel, grab = view
    panel.SetMat(np.zeros((H, W, 3), np.uint8))
    panel.SetGuideLineMode(tm.DiagonalLines)
    panel.SetGuideLineColor(0, 255, 0, 255)
    assert sum(is_green(p) for p in grab().reshape(-1, 3)) > 100
    panel.SetGuideLineColor(0, 255, 0, 0)
    assert not any(is_green(p) for p in grab().reshape(-1, 3))
    panel.SetGuideLineColor(0, 255, 0, 255)
    grab()  # hiding alone must repaint
    panel.SetGuideLineVisible(False)
    assert not any(is_green(p) for p in grab().reshape(-1, 3))
    assert panel.GetGuideLineMode() == tm.DiagonalLines


def test_images_beyond_the_x11_size_limit_are_shown():
    # X refuses server images wider or taller than 32767 pixels, and GTK
    # aborts the process on that error: only the visible part may be sent.
    proc = run_script("""
        panel = tm.TivraPanel(parent.GetHandle(), width=300, height=200)
        image = np.zeros((40, 40000, 3), np.uint8)
        image[:, :100] = (0, 0, 255)
        panel.SetMat(image)
        pump(0.3)
        print(screen_region(parent, 1, 1, origin=(50, 20))[0, 0].tolist())
    """, in_window=True)
    assert proc.returncode == 0, proc.stderr[-2000:]
    assert proc.stdout.splitlines() == ["[255, 0, 0]"]


def panel_at_one_to_one(cls, parent, image, **set_mat):
    """A W x H panel of class cls at (10, 10) showing image at scale 1."""
    panel = cls(parent.GetHandle(), -1, 10, 10, W, H)
    panel.SetMat(image, **set_mat)
    panel.SetOriginal()
    return panel


@pytest.mark.parametrize("channels", [1, 3])
@pytest.mark.parametrize("kind", PANELS)
def test_frames_reach_the_screen_pixel_exact(parent, kind, channels):
    noise = np.random.default_rng(channels).integers(0, 256, (H + 50, W + 50, channels), np.uint8)
    panel = panel_at_one_to_one(kind, parent, noise[:, :, 0] if channels == 1 else noise)
    shot = screen_region(parent, W - 40, H - 40, origin=(10, 10))
    expected = np.repeat(noise, 3, axis=2) if channels == 1 else noise[:, :, ::-1]
    np.testing.assert_array_equal(shot, expected[:H - 40, :W - 40])
    assert panel.IsOk()


@pytest.mark.parametrize("kind", PANELS)
def test_shared_array_shows_its_changes_and_lives_while_shown(parent, kind):
    image = np.zeros((H, W, 3), np.uint8)
    panel = panel_at_one_to_one(kind, parent, image, copy=False)
    for refused in (image[:, ::2], image.astype(np.uint16)):
        with pytest.raises(ValueError, match="copy=False"):
            panel.SetMat(refused, copy=False)
    image[:] = (255, 0, 0)
    kept = weakref.ref(image)
    del image
    gc.collect()
    assert kept() is not None
    panel.Refresh()
    assert (screen_region(parent, 20, 20, origin=(30, 30)) == [0, 0, 255]).all()
    panel.SetMat(np.zeros((H, W, 3), np.uint8))
    gc.collect()
    assert kept() is None


@pytest.mark.parametrize("kind", PANELS)
def test_copied_image_ignores_later_changes_views_are_read_only_and_paints_counted(parent, kind):
    image = np.full((H, W, 3), (0, 255, 0), np.uint8)
    panel = panel_at_one_to_one(kind, parent, image)
    image[:] = 0
    pump()
    painted = panel.GetPaintCount()
    panel.Refresh()
    assert (screen_region(parent, 20, 20, origin=(30, 30)) == [0, 255, 0]).all()
    assert panel.GetPaintCount() > painted
    view = panel.GetMat(copy=False)
    assert np.shares_memory(view, panel.GetMat(copy=False)) and not np.shares_memory(view, panel.GetMat())
    with pytest.raises(ValueError, match="read-only"):
        view[0, 0] = 1
    panel.SetMat(image)
    assert (view == (0, 255, 0)).all() and (panel.GetMat(copy=False) == 0).all()
    panel.SetMat(np.full((3000, 4000, 3), 77, np.uint8), copy=False)
    shared = panel.GetMat(copy=False)
    panel.SetMat(image)
    assert (shared == 77).all()  # the view holds the array the panel no longer does
    parent.GetParent().Destroy()
    pump(0.05)
    assert panel.GetPaintCount() == 0
