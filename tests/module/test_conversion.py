"""Values crossing the Python boundary: images through TivraEngine.SetMat and GetMat
(shapes, saturation, strides, copies and deep images), and point lists and
rectangles observed through the getters of a shown TivraROIAdvPanel."""
import cv2
import numpy as np
import pytest

import TivraModule as tm


def round_trip(array):
    engine = tm.TivraEngine()
    engine.SetMat(array)
    return engine, engine.GetMat()


@pytest.mark.parametrize("shape, channels", [((48, 64), 1), ((48, 64, 1), 1), ((48, 64, 3), 3),
                                             ((48, 64, 4), 4)])
def test_shapes_and_channels_and_copies_in_both_directions(shape, channels):
    array = np.random.default_rng(0).integers(0, 256, shape, dtype=np.uint8)
    expected = (array.reshape(48, 64) if channels == 1 else array).copy()
    engine, back = round_trip(array)
    assert engine.GetImageSize() == (48, 64, channels)
    assert back.dtype == np.uint8 and back.flags.c_contiguous
    np.testing.assert_array_equal(back, expected)
    array[...] = 0
    back[...] = 0
    np.testing.assert_array_equal(engine.GetMat(), expected)


@pytest.mark.parametrize("value, error, message", [
    (np.zeros(10, np.uint8), RuntimeError, "^Number of dimensions must be 2 or 3$"),
    (np.zeros((2, 3, 4, 1), np.uint8), RuntimeError, "^Number of dimensions must be 2 or 3$"),
] + [(np.zeros((4, 6, depth), np.uint8), RuntimeError, rf"got shape \(4, 6, {depth}\)$") for depth in (2, 5, 0)] + [
    (None, TypeError, ""), ("image", TypeError, ""), (np.array([[1j]]), TypeError, ""),
])
def test_unusable_values_are_rejected_and_keep_the_image(value, error, message):
    engine = tm.TivraEngine()
    engine.SetMat(np.full((2, 3), 7, np.uint8))
    with pytest.raises(error, match=message):
        engine.SetMat(value)
    np.testing.assert_array_equal(engine.GetMat(), np.full((2, 3), 7, np.uint8))


@pytest.mark.parametrize("values, expected", [
    (np.array([[1000, 65535, 7]], np.uint16), [[255, 255, 7]]),
    (np.array([[300.7, -3.2, 254.6, 1e12, -np.inf, np.nan]]), [[255, 0, 255, 255, 0, 0]]),
    (np.array([[0.4, 0.6, 127.5]], np.float32), [[0, 1, 128]]),
    (np.array([[-129, 40, 2 ** 40]], np.int64), [[0, 40, 255]]),
    (np.array([[-1, 300]], np.int16), [[0, 255]]),
    (np.array([[True, False]]), [[1, 0]]),
    ([[1, 2, 3], [-4, 500, 6]], [[1, 2, 3], [0, 255, 6]]),
])
def test_other_dtypes_and_lists_saturate_as_outputs_do(values, expected):
    np.testing.assert_array_equal(round_trip(values)[1], expected)


@pytest.mark.parametrize("view", [
    lambda a: a.transpose(1, 0, 2),     # column-major
    lambda a: a[::2, 1::3],             # strided slice
    lambda a: a[::-1, ::-1],            # negative strides
    lambda a: a[:, :, ::-1],            # RGB <-> BGR view
    lambda a: np.asfortranarray(a),
])
def test_non_contiguous_arrays_are_read_as_python_sees_them(view):
    base = np.random.default_rng(1).integers(0, 256, (30, 40, 3), dtype=np.uint8)
    array = view(base)
    assert not array.flags.c_contiguous
    np.testing.assert_array_equal(round_trip(array)[1], array)


@pytest.mark.parametrize("name, values, expected", [
    ("deep.png", np.array([[0, 100, 255], [256, 1000, 65535]], np.uint16), [[0, 100, 255], [255, 255, 255]]),
    ("float.tiff", np.array([[-3.0, 0.4, 0.6], [100.5, 254.7, 1e6]], np.float32), [[0, 0, 1], [100, 255, 255]]),
])
def test_deep_images_load_rounded_and_saturated_to_eight_bits(tmp_path, name, values, expected):
    path = str(tmp_path / name)
    assert cv2.imwrite(path, values)
    engine = tm.TivraEngine()
    assert engine.LoadImage(path, tm.IMREAD_UNCHANGED)
    np.testing.assert_array_equal(engine.GetMat(), np.array(expected, np.uint8), strict=True)


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
    assert panel.GetRect() == (10, 20, 30, 40) and all(type(v) is int for v in panel.GetRect())
    with pytest.raises(RuntimeError, match=r"^Rect tuple must have 4 elements \(x, y, w, h\)$"):
        panel.SetRect((1, 2, 3, 4, 5))
    with pytest.raises(TypeError):
        panel.SetRect([1, 2, 3, 4])
    assert panel.GetRect() == (10, 20, 30, 40)
