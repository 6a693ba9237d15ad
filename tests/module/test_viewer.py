"""The examples: the viewer (the project's main job), whose unattended run writes a
screenshot that shows something, and where a user's menu choice and drag make an ROI
that the readout and the status bar report; the image information demo."""
import importlib.util
import json
import os
import select
import subprocess
import sys
import time

import cv2
import numpy as np
import pytest
import wx

import TivraModule as tm
import tivra_batch
from wx_support import Mouse, child_env, get_app, pump

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
VIEWER = os.path.join(ROOT, "examples", "viewer.py")
VIEWER_SOURCE = importlib.util.spec_from_file_location("viewer", VIEWER)
viewer_app = importlib.util.module_from_spec(VIEWER_SOURCE)
VIEWER_SOURCE.loader.exec_module(viewer_app)


@pytest.fixture
def viewer():
    """Opens headless viewer frames (ViewerFrame's arguments), destroyed after the test."""
    get_app()
    frames = []

    def open_frame(*args):
        frames.append(viewer_app.ViewerFrame(*args, headless=True))
        pump(0.3)
        return frames[-1]

    yield open_frame
    for frame in frames:
        frame.Destroy()
    pump(0.1)


def menu(frame, *keys):
    for key in keys:
        frame.ProcessEvent(wx.CommandEvent(wx.wxEVT_MENU, frame.ids[key]))


def test_unattended_run_writes_a_screenshot_with_content(tmp_path):
    shot = tmp_path / "viewer.png"
    proc = subprocess.run([sys.executable, VIEWER, "--screenshot", str(shot)], capture_output=True, text=True,
                          timeout=120, env=dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path)))
    assert proc.returncode == 0, proc.stderr
    assert "ROI: Rotated rectangle" in proc.stdout
    image = cv2.imread(str(shot))
    assert image is not None and image.shape[1] >= 600 and image.shape[0] >= 400
    pixels = image.reshape(-1, 3)
    assert len(np.unique(pixels[::7], axis=0)) > 50, "the window shows the chart, not a blank area"
    assert ((pixels == (0, 255, 255)).all(axis=1)).sum() > 1000  # yellow


def test_a_circle_drawn_through_the_menu_and_the_mouse(viewer):
    frame = viewer()
    menu(frame, tm.CvROIMode.Circle, "1:1")
    pump(0.3)
    assert frame.GetMenuBar().IsChecked(frame.ids[tm.CvROIMode.Circle])
    Mouse(frame.host).path([(200, 150), (210, 165), (220, 180), (230, 190)])
    readout = frame.readout.GetValue()
    assert "ROI: Circle" in readout and "centre (200, 150)" in readout and "radius 50.0" in readout
    assert "(230,190)" in frame.GetStatusBar().GetStatusText(0)
    assert frame.panel.GetOuterRadius() == 50.0
    menu(frame, "keep")
    assert frame.panel.GetDisplayOverlay() and frame.overlay_item.IsChecked()


def disc_and_edge_image(path):
    """A bright disc (centre (200, 150), radius 40) and a straight edge at y = 400 + x tan 5 deg."""
    h, w = 900, 900  # larger than the view: at 1:1 window pixels are image pixels
    ys, xs = np.mgrid[0:h, 0:w]
    image = np.full((h, w), 50, np.uint8)
    image[np.hypot(xs - 200, ys - 150) <= 40] = 200
    image[ys > 400 + (xs - 450) * np.tan(np.radians(5))] = 200
    wx.Image(w, h, np.dstack([image] * 3).tobytes()).SaveFile(str(path), wx.BITMAP_TYPE_PNG)
    return str(path)


def test_dragging_the_annulus_over_the_disc_measures_it(viewer, tmp_path):
    frame = viewer(disc_and_edge_image(tmp_path / "target.png"))
    menu(frame, "1:1")
    frame.set_roi(tm.CvROIMode.Annulus, [(400, 150), (60, 0), (25, 0), (0, 360)])
    menu(frame, "gauge-circle")
    pump(0.2)
    assert "failed: too few edges" in frame.readout.GetValue()
    Mouse(frame.host).path([(400, 150), (350, 150), (280, 150), (200, 150)])  # from the centre: the drag moves it
    readout = frame.readout.GetValue()
    assert "radius   40.0" in readout or "radius   39.9" in readout, readout
    assert frame.panel.GetDisplayOverlay()


def test_a_saved_recipe_reopens_and_measures_in_a_batch_as_in_the_viewer(viewer, tmp_path):
    image, recipe = disc_and_edge_image(tmp_path / "target.png"), str(tmp_path / "recipe.json")
    frame = viewer(image)
    frame.set_roi(tm.CvROIMode.Annulus, [(200, 150), (60, 0), (25, 0), (0, 360)])
    frame.gauge_controls.pixel_size.ChangeValue("0.02")
    frame.set_gauge("circle")
    shown = frame.gauge_result
    frame.save_recipe(recipe)
    frame.set_gauge(None)
    frame.set_roi(tm.CvROIMode.Rectangle, [(10, 10), (50, 40)])
    frame.gauge_controls.pixel_size.ChangeValue("0")
    frame.open_recipe(recipe)
    assert frame.gauge == "circle" and frame.gauge_controls.params().pixel_size == 0.02
    assert frame.gauge_result["radius"] == shown["radius"] and shown["ok"]
    row = tivra_batch.measure_file(tivra_batch.load_recipe(recipe), image)
    assert row["radius"] == pytest.approx(shown["radius"], abs=0.05)
    assert row["diameter_mm"] == pytest.approx(shown["diameter"] * 0.02, abs=0.002)


def test_levels_colour_map_and_raw_readout_of_a_16_bit_frame(viewer, tmp_path):
    frame16 = np.tile(np.arange(0, 4096, 16, dtype=np.uint16), (64, 1))
    frame16[10, 20] = 3071
    cv2.imwrite(str(tmp_path / "mono12.png"), frame16)
    frame = viewer(str(tmp_path / "mono12.png"))
    menu(frame, "levels-auto", "map-inferno")
    low, high = frame.panel.GetDisplayLevels()
    assert frame.histogram.levels == (low, high) and 0 < low < 100 and 3900 < high < 4096
    assert frame.panel.GetColorMap() == "inferno" and frame.histogram.counts.sum() == frame16.size
    frame._on_mouse_move((20, 10))
    assert "(20,10)  value 3071" in frame.GetStatusBar().GetStatusText(0)
    menu(frame, "levels-off")
    assert frame.panel.GetDisplayLevels() is None and frame.histogram.levels is None


def test_compare_with_opens_a_second_image_linked_beside_the_first_and_large_images_open_without_a_copy(
        viewer, tmp_path):
    frame = viewer()
    other = tmp_path / "other.png"
    assert cv2.imwrite(str(other), viewer_app.make_test_chart())
    assert not frame.compare_with(str(tmp_path / "missing.png")) and frame.compare is None
    assert list(frame.host.GetChildren()) == [frame.panel.GetWindow()]
    assert frame.compare_with(str(other)) and frame.host.IsSplit()
    frame.zoom("1:1")
    frame.panel.ScrollBy(120, 80)
    pump(0.3)
    assert frame.compare.GetZoomFactor() == 1.0
    centres = [(x + w / 2, y + h / 2) for x, y, w, h in (frame.panel.GetViewRect(), frame.compare.GetViewRect())]
    assert abs(centres[0][0] - centres[1][0]) <= 1 and abs(centres[0][1] - centres[1][1]) <= 1
    frame.close_compare()
    pump(0.2)
    assert not frame.host.IsSplit() and frame.panel.GetWindow().GetSize() == frame.host.GetClientSize()
    path = str(tmp_path / "large.png")
    image = np.random.default_rng(3).integers(0, 256, (300, 400, 3), np.uint8)
    assert cv2.imwrite(path, image)
    assert frame.open_image_without_copy(path)
    assert not frame.image.flags.writeable and "without a copy" in frame.GetTitle()
    np.testing.assert_array_equal(frame.panel.GetMat(), image)
    assert not frame.open_image_without_copy(str(tmp_path / "missing.png"))


def fit_colour_pixels():
    """How many screen pixels show the colour the viewer draws a fitted circle in."""
    from gi.repository import Gdk
    root = Gdk.get_default_root_window()
    shot = Gdk.pixbuf_get_from_window(root, 0, 0, root.get_width(), root.get_height())
    rows = np.frombuffer(shot.get_pixels(), np.uint8).reshape(shot.get_height(), shot.get_rowstride())
    pixels = rows[:, :shot.get_width() * shot.get_n_channels()].reshape(shot.get_height(), shot.get_width(), -1)
    return int((np.abs(pixels[:, :, :3].astype(int) - (0, 200, 255)).max(axis=2) < 40).sum())


def test_make_demo_on_a_display_opens_the_viewer_measuring_the_ring_target():
    get_app()
    before = fit_colour_pixels()
    build = os.path.dirname(os.path.dirname(tm.__file__))
    demo = subprocess.Popen(["bash", os.path.join(ROOT, "scripts", "run-demo.sh"), build], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True, env=dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path)))
    try:
        assert select.select([demo.stdout], [], [], 90)[0], "the viewer printed no measurement"
        ring = json.loads(demo.stdout.readline())
        assert ring["status"] == "ok" and ring["gauge"] == "circle"
        assert ring["center"] == pytest.approx([960, 600], abs=0.5) and ring["radius"] == pytest.approx(48, abs=1)
        deadline = time.monotonic() + 30
        while fit_colour_pixels() < before + 50 and time.monotonic() < deadline:
            time.sleep(0.2)
        assert fit_colour_pixels() >= before + 50, "the fitted circle is not on screen"
        assert demo.poll() is None, "the window closed by itself"
    finally:
        demo.terminate()
        demo.wait(10)


def test_roi_saved_loaded_undone_and_redone_through_the_menus(viewer, tmp_path):
    frame = viewer()
    path = str(tmp_path / "roi.json")
    frame.set_roi(tm.CvROIMode.Annulus, [(200, 150), (60, 0), (25, 0), (0, 270)])
    annulus = frame.panel.GetROIState()
    frame.save_roi(path)
    frame.set_roi(tm.CvROIMode.Rectangle, [(10, 10), (50, 40)])
    rectangle = frame.panel.GetROIState()
    frame.load_roi(path)
    assert frame.panel.GetROIState() == annulus == json.load(open(path))
    assert frame.GetMenuBar().IsChecked(frame.ids[tm.CvROIMode.Annulus])
    menu(frame, "undo")
    assert frame.panel.GetROIState() == rectangle
    assert frame.GetMenuBar().IsChecked(frame.ids[tm.CvROIMode.Rectangle])
    menu(frame, "redo")
    assert frame.panel.GetROIState() == annulus


def test_demo_prints_the_sample_information():
    proc = subprocess.run([sys.executable, os.path.join(ROOT, "examples", "image_info_demo.py")],
                          env=child_env(PYTHONPATH=":".join(sys.path)), capture_output=True, text=True, timeout=120)
    assert proc.returncode == 0, proc.stderr
    for text in ("640 x 480 px, 3 channels, 8 bits per sample", "Tivra Demo Camera 1", "48.858222, 2.294500"):
        assert text in proc.stdout
