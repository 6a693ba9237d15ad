"""TivraROIAdvPanel from Python: loading, zoom steps and fit, the current ROI set
from code, the overlay store, and the neutral results once the panel is gone."""
import cv2
import numpy as np
import pytest

import TivraModule as tm
from wxpanel_support import Shown, pump


@pytest.fixture
def shown():
    made = []

    def make(width=400, height=300):
        view = Shown(width, height)
        made.append(view)
        return view

    yield make
    for view in made:
        view.close()


def image(width, height, channels=3, value=90):
    shape = (height, width) if channels == 1 else (height, width, channels)
    return np.full(shape, value, np.uint8)


def test_zoom_steps_from_one_and_two(shown):
    view = shown()
    view.panel.SetMat(image(1000, 800))
    view.panel.SetOriginal()
    assert view.panel.GetZoomFactor() == 1.0
    view.panel.ZoomIn()
    assert view.panel.GetZoomFactor() == 1.25
    view.panel.SetOriginal()
    view.panel.SetZoomOut()
    assert view.panel.GetZoomFactor() == pytest.approx(0.9)
    view.panel.SetOriginal()
    for _ in range(4):
        view.panel.SetZoomIn()
    assert view.panel.GetZoomFactor() == 2.0
    view.panel.ZoomIn()
    assert view.panel.GetZoomFactor() == 2.5
    view.panel.ZoomOut()
    view.panel.ZoomOut()
    assert view.panel.GetZoomFactor() == 1.75


def test_zoom_limits(shown):
    view = shown(198, 198)
    view.panel.SetMat(image(10, 10))  # fitted: 19.8
    assert view.panel.GetZoomFactor() == pytest.approx(19.8)
    view.panel.SetZoomIn()
    assert view.panel.GetZoomFactor() == 20.0
    view.panel.ZoomIn()
    assert view.panel.GetZoomFactor() == 20.0
    view.panel.SetMat(image(2000, 2000))  # 198 / 2000 is below the limit
    assert view.panel.GetZoomFactor() == 0.1
    view.panel.SetZoomOut()
    assert view.panel.GetZoomFactor() == 0.1


def test_zoom_out_from_015_stops_at_01(shown):
    view = shown(300, 300)
    view.panel.SetMat(image(2000, 2000))
    assert view.panel.GetZoomFactor() == pytest.approx(0.15)
    view.panel.ZoomOut()
    assert view.panel.GetZoomFactor() == 0.1


@pytest.mark.parametrize("client, picture, expected", [((800, 600), (4000, 3000), 0.2),
                                                       ((1000, 1000), (10, 10), 20.0)])
def test_fit(shown, client, picture, expected):
    view = shown(*client)
    view.panel.SetMat(image(*picture))
    assert view.panel.GetZoomFactor() == pytest.approx(expected)
    # From a zoom that shows scroll bars, the fit still uses the whole window.
    view.panel.SetOriginal()
    view.panel.ZoomIn()
    view.panel.SetZoomToFit()
    assert view.panel.GetZoomFactor() == pytest.approx(expected)


def test_zoom_aliases_do_the_same(shown):
    view = shown()
    view.panel.SetMat(image(1000, 800))
    view.panel.SetOriginal()
    view.panel.ZoomIn()
    by_alias = view.panel.GetZoomFactor()
    view.panel.SetOriginal()
    view.panel.SetZoomIn()
    assert view.panel.GetZoomFactor() == by_alias == 1.25
    view.panel.ZoomToFit()
    assert view.panel.GetZoomFactor() == pytest.approx(0.375)


def test_editing_roi_circle_and_annulus(shown):
    view = shown()
    view.panel.SetMat(image(400, 300))
    view.panel.SetEditingROI(5, [(100, 100), (30, 0)])
    assert view.panel.GetROIMode() == 5
    assert view.panel.GetOuterRadius() == pytest.approx(30, abs=1e-4)
    assert view.panel.GetInnerRadius() == pytest.approx(15, abs=1e-4)
    assert view.panel.GetRect() == (70, 70, 60, 60)  # the bounding square
    view.panel.SetEditingROI(tm.Annulus.value, [(100, 100), (50, 0), (0, 0), (30, 300)])
    assert view.panel.GetOuterRadius() == pytest.approx(50, abs=1e-4)
    assert view.panel.GetInnerRadius() == pytest.approx(25, abs=1e-4)
    assert (view.panel.GetStartAngle(), view.panel.GetEndAngle()) == (30.0, 300.0)
    view.panel.SetEditingROI(6, [(100, 100), (50, 0), (20, 0), (0, 90)])
    assert view.panel.GetInnerRadius() == pytest.approx(20)


def test_editing_roi_polygon_and_rotated_rectangle(shown):
    view = shown()
    view.panel.SetMat(image(400, 300))
    view.panel.SetEditingROI(7, [(10, 10), (60, 10), (30, 40)])
    assert view.panel.GetRect() == (10, 10, 51, 31)
    assert view.panel.GetPolygonPoints() == [(10.0, 10.0), (60.0, 10.0), (30.0, 40.0)]
    view.panel.SetEditingROI(7, [(10, 10), (60, 10)])
    assert view.panel.GetPolygonPoints() == []
    assert view.panel.GetRect() == (0, 0, 0, 0)
    view.panel.SetEditingROI(4, [(100, 100), (60, 20)], 30.0)
    assert view.panel.GetRotateAngle() == 30.0
    corners = view.panel.GetPolygonPoints()
    assert len(corners) == 4
    centre = np.mean(np.array(corners), axis=0)
    assert centre == pytest.approx((130, 110), abs=1e-3)
    assert view.panel.GetRect() == (100, 100, 60, 20)
    view.panel.SetEditingROI(3, [(10, 10), (50, 20)])
    assert view.panel.GetRect() == (10, 10, 50, 20)
    assert view.panel.GetLeftMouseUpPoint() == (60.0, 30.0)
    view.panel.SetRect((10, 10, 0, 5))  # no width: the current ROI is reset
    assert view.panel.GetRect() == (0, 0, 0, 0)
    assert view.panel.GetEndAngle() == 360.0


def test_roi_mode_change_resets_only_on_a_new_kind(shown):
    view = shown()
    view.panel.SetEditingROI(3, [(10, 10), (50, 20)])
    view.panel.SetROIMode(3)
    assert view.panel.GetRect() == (10, 10, 50, 20)
    view.panel.SetROIMode(5)
    assert view.panel.GetROIMode() == 5
    assert view.panel.GetRect() == (0, 0, 0, 0)
    view.panel.SetEditingROI(3, [(10, 10), (50, 20)])
    view.panel.SetFuncEnable(True)  # crop off: the editing state is reset
    assert view.panel.GetRect() == (0, 0, 0, 0)


def test_overlay_indexes_restart_after_clear(shown):
    view = shown()
    assert [view.panel.AppendOverlay(3, [(i, i), (5, 5)], (0, 0, 255)) for i in range(3)] == [0, 1, 2]
    view.panel.ClearOverlay()
    assert view.panel.AppendOverlay(1, [(5, 5)], (0, 255, 0)) == 0
    assert view.panel.AppendMaskOverlay(np.zeros((0, 0), np.uint8), (255, 0, 0)) == -1
    mask = np.zeros((300, 400), np.uint8)
    assert view.panel.AppendMaskOverlay(mask, (255, 0, 0), 0.3) == 1


def test_convert_mask_to_polygon_takes_the_largest_contour(shown):
    view = shown()
    mask = np.zeros((100, 100), np.uint8)
    mask[10:20, 10:20] = 255
    mask[40:80, 30:90] = 255
    polygon = view.panel.ConvertMaskToPolygon(mask)
    xs = [p[0] for p in polygon]
    ys = [p[1] for p in polygon]
    assert (min(xs), max(xs), min(ys), max(ys)) == (30, 89, 40, 79)
    colour_mask = np.dstack([mask] * 3)
    assert len(view.panel.ConvertMaskToPolygon(colour_mask)) == len(polygon)
    assert view.panel.ConvertMaskToPolygon(np.zeros((10, 10), np.uint8)) == []


def test_loading_keeps_raw_channels_and_file_info(shown, tmp_path):
    view = shown()
    gray = np.tile(np.arange(200, dtype=np.uint8), (100, 1))
    path = tmp_path / "gray scale é.png"
    assert cv2.imencode(".png", gray)[1].tofile(str(path)) is None
    view.panel.SetDisplayOverlay(True)
    assert view.panel.LoadImage(str(path)) is True
    assert view.panel.GetDisplayOverlay() is False
    raw = view.panel.GetRawMat()
    assert raw.shape == (100, 200)
    assert np.array_equal(raw, gray)
    shown_mat = view.panel.GetMat()
    assert shown_mat.shape == (100, 200, 3)
    assert np.array_equal(shown_mat[:, :, 1], gray)
    info = view.panel.GetLoadedImageInfo()
    assert (info["width"], info["height"], info["channels"]) == (200, 100, 1)
    assert view.panel.GetZoomFactor() == pytest.approx(2.0)  # every new image starts fitted
    assert view.panel.LoadImage(str(tmp_path / "missing.png")) is False
    assert view.panel.GetRawMat().shape == (100, 200)


def test_loading_jxl_by_capital_extension(shown, tmp_path):
    view = shown()
    gray = np.tile(np.arange(0, 256, 4, dtype=np.uint8), (48, 1))
    png = tmp_path / "source.png"
    cv2.imwrite(str(png), gray)
    jxl = tmp_path / "picture.JXL"
    import subprocess
    subprocess.run(["cjxl", "-d", "0", str(png), str(jxl)], check=True, capture_output=True)
    assert view.panel.LoadImage(str(jxl)) is True
    assert view.panel.GetRawMat().shape[:2] == (48, 64)
    assert view.panel.GetMat().shape[:2] == (48, 64)


@pytest.mark.parametrize("name", ["picture.HEIC", "photo.heif"])
def test_loading_heif_by_either_extension(shown, tmp_path, name):
    view = shown()
    colour = np.zeros((64, 96, 3), np.uint8)
    colour[:, :48] = (0, 0, 255)
    png = tmp_path / "source.png"
    cv2.imwrite(str(png), colour)
    heic = tmp_path / name
    import subprocess
    subprocess.run(["heif-enc", "-q", "90", "-o", str(heic), str(png)], check=True, capture_output=True)
    assert view.panel.LoadImage(str(heic)) is True
    raw = view.panel.GetRawMat()
    assert raw.shape[:2] == (64, 96)
    assert raw[32, 10, 2] > 200 and raw[32, 80, 2] < 60
    assert view.panel.GetLoadedImageInfo()["width"] == 96


def test_set_mat_keeps_the_array_as_given(shown):
    view = shown()
    gray = image(40, 30, channels=1)
    view.panel.SetMat(gray)
    assert view.panel.GetRawMat().shape == (30, 40)
    info = view.panel.GetLoadedImageInfo()
    assert (info["width"], info["height"], info["channels"]) == (40, 30, 1)
    with pytest.raises(RuntimeError, match="Number of dimensions must be 2 or 3"):
        view.panel.SetMat(np.zeros(5, np.uint8))


def test_arguments_and_defaults(shown):
    view = shown()
    with pytest.raises(RuntimeError, match=r"Rect tuple must have 4 elements \(x, y, w, h\)"):
        view.panel.SetRect((1, 2))
    with pytest.raises(TypeError):
        view.panel.LoadImage("x.png", 1)
    assert view.panel.AppendOverlay(3, [(1, 1), (5, 5)], (0, 255)) == 0
    assert view.panel.IsOk() is True
    assert view.panel.GetHandle() != 0
    assert view.panel.GetGuideLineMode() == tm.GuideLineMode.Off
    assert view.panel.GetAspectRatio() == tm.AspectRatio.AR_16_9
    view.panel.SetGuideLineMode(tm.RuleOfThirds)
    assert view.panel.GetGuideLineMode() == tm.RuleOfThirds
    view.panel.SetMenuROIEnable(Line=False)
    view.panel.SetSize(300, 200)
    pump(0.05)


def test_docstrings():
    cls = tm.TivraROIAdvPanel
    assert cls.__doc__ == "Advanced ROI panel with editing (requires wxPython parent)"
    assert cls.GetZoomFactor.__doc__.endswith("Return current display zoom factor (1.0 = 100%)\n")
    editing = cls.SetEditingROI.__doc__
    assert ("\nSets the current editing ROI state.\n\nArgs:\n"
            "    mode: ROI mode (1=Point, 2=Line, 3=Rect, 4=RotatedRect, 5=Circle, 6=Annulus, 7=Polygon)\n"
            "    points: List of (x, y) tuples.\n    angle: Rotation angle (for RotatedRectangle).\n") in editing
    overlay = cls.AppendOverlay.__doc__
    assert overlay.count("        - Circle: [(center_x, center_y), (radius, 0)]\n") == 2
    assert "\n    angle: Rotation angle for RotatedRectangle (default: 0.0)\n\nReturns:\n" \
        "    Index of the appended overlay\n" in overlay
    assert "Grayscale \u2192 1-ch, colour \u2192 3-ch BGR" in cls.GetRawMat.__doc__
    assert "SetOnRightClickCallback(self: TivraModule.TivraROIAdvPanel, callback: object)" in \
        cls.SetOnRightClickCallback.__doc__
    assert "name: str = 'TivraROIAdvPanel'" in cls.__init__.__doc__
    assert "crop_enable: bool = False, move_enable: bool = True" in cls.SetFuncEnable.__doc__


def test_neutral_results_once_the_parent_is_destroyed(shown):
    view = shown()
    view.panel.SetMat(image(400, 300))
    view.parent.Destroy()
    pump(0.1)
    panel = view.panel
    assert panel.IsOk() is False
    assert panel.GetEndAngle() == 360.0
    assert (panel.GetStartAngle(), panel.GetRotateAngle(), panel.GetInnerRadius(), panel.GetOuterRadius()) == \
        (0.0, 0.0, 0.0, 0.0)
    assert panel.AppendOverlay(3, [(1, 1), (2, 2)], (0, 0, 255)) == -1
    assert panel.AppendMaskOverlay(np.ones((3, 3), np.uint8), (0, 0, 255)) == -1
    assert panel.GetRect() == (0, 0, 0, 0)
    assert panel.GetMat().shape == (0,) and panel.GetRawMat().shape == (0,) and panel.GetDrawMat().shape == (0,)
    assert panel.GetZoomFactor() == 1.0
    assert panel.GetLoadedImageInfo() == {}
    assert panel.GetROIMode() == 0
    assert panel.GetPolygonPoints() == [] and panel.ConvertMaskToPolygon(np.ones((3, 3), np.uint8)) == []
    assert panel.GetLeftMouseDownPoint() == (0.0, 0.0)
    assert panel.GetDisplayOverlay() is False
    assert panel.LoadImage("/nonexistent.png") is False
    assert panel.GetHandle() == 0
    assert panel.GetGuideLineMode() == tm.GuideLineMode.Off and panel.GetGuideLineVisible() is False
    panel.SetRect((1, 2))  # not examined without a panel
    panel.SetEditingROI(3, [1, 2, 3])
    panel.SetOnRightClickCallback(lambda p, i: True)
    panel.ZoomIn()
    panel.Refresh()


def test_draw_mat_is_the_frame_as_painted(shown):
    view = shown(400, 300)
    view.panel.SetMat(image(200, 100))
    view.panel.SetOriginal()
    view.panel.SetFuncEnable(False, True, True)
    view.panel.SetEditingROI(tm.CvROIMode.Rectangle.value, [(20, 20), (50, 40)])
    screen = view.capture()
    frame = view.panel.GetDrawMat()
    assert frame.shape == (300, 400, 3)
    assert np.array_equal(frame[:, :, ::-1], screen)  # BGR; the ROI and its handles included


def test_loading_keeps_float_files_and_turns_photos_upright(shown, tmp_path):
    import piexif
    view = shown()
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
    info = tm.GetImageFileInfo(photo)
    assert (info["width"], info["height"], info["orientation"]) == (40, 20, 6)
