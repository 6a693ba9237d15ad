"""TivraROIAdvPanel from Python: loading, zoom steps and fit, the current ROI set
from code, the overlay store, and the neutral results once the panel is gone."""

import cv2
import numpy as np
import pytest

import TivraModule as tm
from wx_support import pump


def image(width, height):
    return np.full((height, width, 3), 90, np.uint8)


@pytest.mark.parametrize("client, picture, steps", [
    ((400, 300), (1000, 800), [("SetOriginal", 1.0), ("SetZoomOut", 0.9), ("SetOriginal", 1.0), ("SetZoomIn", 1.25),
                               ("ZoomIn", 1.5), ("ZoomOut", 1.25), ("ZoomToFit", 0.375)]),
    # From a zoom that shows scroll bars, the fit still uses the whole window.
    ((800, 600), (4000, 3000), [(None, 0.2), ("SetOriginal", 1.0), ("ZoomIn", 1.25), ("SetZoomToFit", 0.2)]),
    ((1000, 1000), (10, 10), [(None, 20.0), ("SetOriginal", 1.0), ("ZoomIn", 1.25), ("SetZoomToFit", 20.0)]),
])
def test_zoom_steps_limits_and_fit(shown, client, picture, steps):
    view = shown(*client)
    view.panel.SetMat(image(*picture))  # every new image starts fitted
    for method, expected in steps:
        if method:
            getattr(view.panel, method)()
        assert view.panel.GetZoomFactor() == pytest.approx(expected), method


@pytest.mark.parametrize("mode, points, angle, expected", [
    (5, [(100, 100), (30, 0)], 0, {"GetROIMode": 5, "GetOuterRadius": 30.0, "GetInnerRadius": 15.0,
                                   "GetRect": (70, 70, 60, 60)}),  # the bounding square
    (tm.Annulus.value, [(100, 100), (50, 0), (0, 0), (30, 300)], 0,
     {"GetOuterRadius": 50.0, "GetInnerRadius": 25.0, "GetStartAngle": 30.0, "GetEndAngle": 300.0}),
    (7, [(10, 10), (60, 10), (30, 40)], 0,
     {"GetRect": (10, 10, 51, 31), "GetPolygonPoints": [(10, 10), (60, 10), (30, 40)]}),
    (4, [(100, 100), (60, 20)], 30.0, {"GetRotateAngle": 30.0, "GetRect": (100, 100, 60, 20)}),
    (3, [(10, 10), (50, 20)], 0, {"GetRect": (10, 10, 50, 20), "GetLeftMouseUpPoint": (60.0, 30.0)}),
])
def test_editing_roi_geometry(view, mode, points, angle, expected):
    view.panel.SetMat(image(400, 300))
    view.panel.SetEditingROI(mode, points, angle)
    for getter, value in expected.items():
        got = getattr(view.panel, getter)()
        assert got == (pytest.approx(value, abs=1e-4) if isinstance(value, float) else value), getter
    if mode == 4:
        corners = view.panel.GetPolygonPoints()
        assert len(corners) == 4 and np.mean(corners, axis=0) == pytest.approx((130, 110), abs=1e-3)


def test_roi_mode_change_resets_only_on_a_new_kind(view):
    view.panel.SetEditingROI(3, [(10, 10), (50, 20)])
    view.panel.SetROIMode(3)
    assert view.panel.GetRect() == (10, 10, 50, 20)
    view.panel.SetROIMode(5)
    assert view.panel.GetROIMode() == 5 and view.panel.GetRect() == (0, 0, 0, 0)
    view.panel.SetEditingROI(3, [(10, 10), (50, 20)])
    view.panel.SetRect((10, 10, 0, 5))  # no width: the current ROI is reset
    assert view.panel.GetRect() == (0, 0, 0, 0) and view.panel.GetEndAngle() == 360.0
    view.panel.SetEditingROI(3, [(10, 10), (50, 20)])
    view.panel.SetFuncEnable(True)  # crop off: the editing state is reset
    assert view.panel.GetRect() == (0, 0, 0, 0)


def test_convert_mask_to_polygon_takes_the_largest_contour(view):
    mask = np.zeros((100, 100), np.uint8)
    mask[10:20, 10:20] = 255
    mask[40:80, 30:90] = 255
    polygon = np.array(view.panel.ConvertMaskToPolygon(mask))
    assert (*polygon.min(axis=0), *polygon.max(axis=0)) == (30, 40, 89, 79)
    assert len(view.panel.ConvertMaskToPolygon(np.dstack([mask] * 3))) == len(polygon)
    assert view.panel.ConvertMaskToPolygon(np.zeros((10, 10), np.uint8)) == []


def test_loading_keeps_raw_channels_and_file_info(view, tmp_path):
    gray = np.tile(np.arange(200, dtype=np.uint8), (100, 1))
    path = tmp_path / "gray scale é.png"
    assert cv2.imencode(".png", gray)[1].tofile(str(path)) is None
    view.panel.SetDisplayOverlay(True)
    assert view.panel.LoadImage(str(path)) is True
    assert view.panel.GetDisplayOverlay() is False
    assert np.array_equal(view.panel.GetRawMat(), gray)
    assert np.array_equal(view.panel.GetMat(), np.dstack([gray] * 3))
    info = view.panel.GetLoadedImageInfo()
    assert (info["width"], info["height"], info["channels"]) == (200, 100, 1)
    assert view.panel.GetZoomFactor() == pytest.approx(2.0)  # every new image starts fitted
    assert view.panel.LoadImage(str(tmp_path / "missing.png")) is False
    assert view.panel.GetRawMat().shape == (100, 200)


def test_neutral_results_once_the_parent_is_destroyed(view):
    view.panel.SetMat(image(400, 300))
    view.parent.Destroy()
    pump(0.1)
    panel = view.panel
    neutral = {"IsOk": False, "GetEndAngle": 360.0, "GetStartAngle": 0.0, "GetRotateAngle": 0.0, "GetInnerRadius": 0.0,
               "GetOuterRadius": 0.0, "GetRect": (0, 0, 0, 0), "GetZoomFactor": 1.0, "GetLoadedImageInfo": {},
               "GetROIMode": 0, "GetPolygonPoints": [], "GetLeftMouseDownPoint": (0.0, 0.0), "GetDisplayOverlay": False,
               "GetHandle": 0, "GetGuideLineMode": tm.GuideLineMode.Off, "GetGuideLineVisible": False}
    assert {name: getattr(panel, name)() for name in neutral} == neutral
    assert panel.AppendOverlay(3, [(1, 1), (2, 2)], (0, 0, 255)) == -1
    assert panel.AppendMaskOverlay(np.ones((3, 3), np.uint8), (0, 0, 255)) == -1
    assert panel.GetMat().shape == (0,) and panel.GetRawMat().shape == (0,) and panel.GetDrawMat().shape == (0,)
    assert panel.ConvertMaskToPolygon(np.ones((3, 3), np.uint8)) == [] and panel.LoadImage("/x.png") is False
    panel.SetRect((1, 2))  # not examined without a panel
    panel.SetEditingROI(3, [1, 2, 3])
    panel.SetOnRightClickCallback(lambda p, i: True)
    panel.ZoomIn()
    panel.Refresh()


def test_draw_mat_is_the_frame_as_painted(shown):
    view = shown(image=image(200, 100))
    view.panel.SetFuncEnable(False, True, True)
    view.panel.SetEditingROI(tm.CvROIMode.Rectangle.value, [(20, 20), (50, 40)])
    screen = view.capture()
    frame = view.panel.GetDrawMat()
    assert frame.shape == (300, 400, 3)
    assert np.array_equal(frame[:, :, ::-1], screen)  # BGR; the ROI and its handles included


def test_loading_keeps_float_files_and_turns_photos_upright(view, tmp_path):
    import piexif
    basic = tm.TivraPanel(view.parent.GetHandle(), width=100, height=100)
    floats = str(tmp_path / "float.tiff")
    cv2.imwrite(floats, np.full((20, 10), 0.5, np.float32))
    photo = str(tmp_path / "portrait.jpg")
    stored = np.zeros((20, 40, 3), np.uint8)
    stored[:, :10] = 255  # stored sideways: the band is on top once turned by orientation 6
    cv2.imwrite(photo, stored)
    piexif.insert(piexif.dump({"0th": {piexif.ImageIFD.Orientation: 6}}), photo)
    upright = cv2.imread(photo)
    assert upright.shape == (40, 20, 3)
    # The basic panel reads with the engine's flags: unchanged (-1) keeps floats, and the orientation too.
    basic_load = lambda path: basic.LoadImage(path, -1 if path == floats else 1)  # noqa: E731
    for panel, load in ((view.panel, view.panel.LoadImage), (basic, basic_load)):
        assert load(floats) is True  # float files are shown and kept as they are
        assert panel.GetRawMat().dtype == np.float32 and panel.GetRawMat()[0, 0] == 0.5
        assert load(photo) is True
        assert np.array_equal(panel.GetMat(), upright)
