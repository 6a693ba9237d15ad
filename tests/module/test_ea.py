"""TivraModule.EA: the measurement library from Python gives what the native calls
gave on the same fixtures (tests/data/module/ea_native.txt, one line per call: its
name and its numbers, printed exactly), reports failures as None or the documented
errors, and fits without holding the interpreter lock; the gauges measure rendered discs, edges and bars, with
per-caliper results and reasons for unsuitable input."""
import math
import pathlib
import threading
import time

import cv2
import numpy as np
import pytest

from TivraModule import EA

NATIVE_RESULTS = pathlib.Path(__file__).resolve().parent.parent / "data" / "module" / "ea_native.txt"


def circle_points():
    rng = np.random.default_rng(7)
    t = np.linspace(0, 2 * np.pi, 60, endpoint=False)
    r = 35 + rng.normal(0, 0.3, t.size)
    pts = np.stack([80 + r * np.cos(t), 60 + r * np.sin(t)], 1)
    outliers = rng.uniform(20, 140, (15, 2))
    return np.concatenate([pts, outliers]).astype(np.float32)


def line_points():
    rng = np.random.default_rng(8)
    s = np.linspace(0, 1, 40)[:, None]
    arm1 = (10, 10) + s * (80, 40)
    arm2 = (90, 50) + s[1:] * (30, -40)
    pts = np.concatenate([arm1, arm2]) + rng.normal(0, 0.2, (79, 2))
    pts[[5, 30, 60]] += (12, -9)
    return pts.astype(np.float32)


def disc_image():
    img = np.full((120, 160), 30, np.uint8)
    cv2.circle(img, (80, 60), 35, 200, -1)
    return cv2.GaussianBlur(img, (5, 5), 1.2)


def flat(value):
    """Numbers of a result in order: tuples, arrays and dicts flattened; None gives nothing."""
    if value is None:
        return []
    if isinstance(value, dict):
        return [v for item in value.values() for v in flat(item)]
    if isinstance(value, (tuple, list, np.ndarray)):
        return [v for item in value for v in flat(item)]
    return [float(value)]


def python_results(circle, line, img):
    p = [tuple(map(float, q)) for q in circle]
    from_, to = (5, 60), (150, 60)
    edge, profile, response = EA.findEdgePoint_subPixel(img, 40, 2, 4, from_, to, 4, with_profile=True)
    peak = EA.findCruveLocalPeakValleyPoint(line, 3, 4)
    turns = [peak[k][f] for k in ("peak", "valley") for f in ("index", "point", "distance", "value")]
    r = {
        "circleFromThreePoints": EA.circleFromThreePoints(p[0], p[7], p[13]),
        "calculate3pointsAngle": EA.calculate3pointsAngle(p[0], p[7], p[13]),
        "calculatepoint2pointAngle": EA.calculatepoint2pointAngle(p[0], p[7]),
        "rotatePoint": EA.rotatePoint(p[3], p[9], 33.0),
        "point2LineDistance": EA.point2LineDistance(p[0], p[7], p[13]),
        "getLineIntersection": EA.getLineIntersection(p[0], p[7], p[3], p[13]),
        "calcBisectoroftwolines": EA.calcBisectoroftwolines(p[0], p[7], p[3], p[13]),
        "calcPolygonCenter": EA.calcPolygonCenter(circle[:20]),
        "findBoundingBox": EA.findBoundingBox(circle),
        "calculateEquidistantPoints": EA.calculateEquidistantPoints(p[0], p[7], 3.0),
        "findEdgePoint": EA.findEdgePoint(img, 40, 1, 5, from_, to),
        "findEdgePoint_subPixel": edge,
        "profile": np.stack([profile, response], 1),
        "findArcEdgePoint_subPixel": EA.findArcEdgePoint_subPixel(img, 40, 0, 3, circle),
        "findAllEdgePoints": EA.findAllEdgePoints(img, 40, 0, 3, from_, to),
        "findAllEdgePoints_subPixel": EA.findAllEdgePoints_subPixel(img, 40, 0, 3, from_, to),
        "fitCircleFromPoints": EA.fitCircleFromPoints(circle),
        "fitCircleLeastSquares": EA.fitCircleLeastSquares(circle),
        "fitCircleTaubin": EA.fitCircleTaubin(circle),
        "fitCircleHoughTransform": EA.fitCircleHoughTransform(circle),
        "FindMeanMaxMinRadius": EA.FindMeanMaxMinRadius(circle, (80, 60)),
        "FindMeanMaxMinDiameter": EA.FindMeanMaxMinDiameter(len(circle), circle, (80, 60)),
        "fitLineRANSAC": EA.fitLineRANSAC(line, 200, 1.0, 10),
        "fitLineChatGPT": EA.fitLineChatGPT(line, 200, 1.0, 10),
        "fitLineLeastSquaresUSAC": EA.fitLineLeastSquaresUSAC(line, 200, 1.0),
        "fitLineClaudeOpus45": EA.fitLineClaudeOpus45(line, 200, 1.0, 10),
        "fitLineGeminiPro": EA.fitLineGeminiPro(line, 200, 1.0, 2, 10),
        "fitLinearCurve": EA.fitLinearCurve(line, 1),
        "findCruveLocalPeakValleyPoint": turns,
    }
    for name in ("RANSAC", "RANSAC2", "USAC", "ChatGPT", "ChatGPTv2", "GeminiPro", "GeminiUltra",
                 "ClaudeOpus45", "ClaudeOpus45v2"):
        r["fitCircle" + name] = getattr(EA, "fitCircle" + name)(circle, 300, 1.5, 5.0)
    for name in ("LeastSquares", "USAC", "Taubin", "KMeans", "LevenbergMarquardt"):
        r["fitLine" + name] = getattr(EA, "fitLine" + name)(line)
    return r


def test_every_family_gives_the_native_results():
    rows = (row.split() for row in NATIVE_RESULTS.read_text().splitlines())
    native = {name: [float(v) for v in values] for name, *values in rows}
    # Inputs given as float64 lists must come out as the float32 arrays the native calls read.
    ours = python_results(circle_points().astype(np.float64).tolist(), line_points(), disc_image())
    assert native.keys() == ours.keys()
    for name, values in native.items():
        assert flat(ours[name]) == pytest.approx(values, rel=1e-6, abs=1e-9), name


def test_failures_come_back_as_none_or_zeros():
    collinear = [(0, 0), (1, 1), (2, 2), (3, 3)]
    img = np.zeros((20, 20), np.uint8)
    assert EA.fitCircleChatGPT(collinear, 50, 0.5) is None
    assert EA.fitCircleRANSAC(collinear, 50, 0.5) is None  # native "no model": radius 0
    assert EA.fitCircleLeastSquares(collinear[:2]) is None
    assert EA.fitCircleFromPoints([]) is None
    assert EA.circleFromThreePoints(*collinear[:3]) is None
    assert EA.getLineIntersection((0, 0), (1, 0), (0, 1), (1, 1)) is None
    assert EA.findEdgePoint(img, 10, 0, 3, (0, 5), (19, 5)) is None
    edge, profile, response = EA.findEdgePoint(img, 10, 0, 3, (0, 5), (19, 5), with_profile=True)
    assert edge is None and profile.dtype == response.dtype == np.float64 and profile.shape == response.shape == (20,)
    assert EA.findArcEdgePoint(img, 10, 0, 3, []) is None
    assert EA.findAllEdgePoints(img, 10, 0, 3, (0, 5), (19, 5)).shape == (0, 2)
    assert EA.fitLineRANSAC([(1, 1)], 10, 1.0, 2) == (0, 0, 0, 0)
    assert EA.FitCircle(collinear) is None and EA.FitLine([(1, 2)]) is None
    with pytest.raises(RuntimeError, match="At least 2 points are required for line fitting"):
        EA.fitLineLevenbergMarquardt([(1, 2)])
    with pytest.raises(RuntimeError, match="The polygon has zero area."):
        EA.calcPolygonCenter(collinear)


@pytest.mark.parametrize("call, message", [
    (lambda: EA.fitCircleTaubin(np.zeros((4, 3))), r"points must have shape \(N, 2\), got shape \(4, 3\)"),
    (lambda: EA.fitLineTaubin(np.zeros(6)), r"pts must have shape \(N, 2\), got shape \(6,\)"),
    (lambda: EA.FitCircle([(1, 2), (3,)]), "points must be an"),
    (lambda: EA.rotatePoint((1, 2, 3), (0, 0), 5), r"p must be an \(x, y\) pair"),
    (lambda: EA.pointLineDistance((1, 2), (1, 0, 0)), "line must be four real numbers"),
    (lambda: EA.findEdgePoint(np.zeros((9, 9), np.uint8), 5, 0, 3, (0, 0), (math.nan, 3)), "p2 must be a finite"),
    (lambda: EA.findEdgePoint(np.zeros((9, 9), np.uint8), 5, 0, 3, (0, 0), (8, 3), 6), "connectivity must be 4 or 8"),
    (lambda: EA.FitLine([(0, 0), (1, 1)], threshold=0), "threshold must be a positive"),
])
def test_bad_shapes_and_arguments_raise_value_error_naming_them(call, message):
    with pytest.raises(ValueError, match=message):
        call()


def test_front_doors_return_geometry_and_inlier_mask():
    t = np.linspace(0, np.pi, 50)
    arc = np.stack([100 + 40 * np.cos(t), 80 + 40 * np.sin(t)], 1)
    noisy = np.concatenate([arc, [(0, 0), (300, 10), (100, 80)]])
    (cx, cy, r), inliers = EA.FitCircle(noisy, threshold=0.5)
    assert (cx, cy, r) == pytest.approx((100, 80, 40), abs=1e-3)
    assert inliers.dtype == bool and inliers.tolist() == [True] * 50 + [False] * 3
    pts = np.stack([np.arange(30.0), 2 * np.arange(30.0) + 1], 1)
    (vx, vy, x0, y0), inliers = EA.FitLine(np.concatenate([pts, [(5, 40)]]))
    assert abs(vy / vx) == pytest.approx(2, abs=1e-4) and y0 == pytest.approx(2 * x0 + 1, abs=1e-3)
    assert inliers.tolist() == [True] * 30 + [False]


def test_a_fit_on_a_thread_lets_the_main_thread_run():
    rng = np.random.default_rng(3)
    t = rng.uniform(0, 2 * np.pi, 20000)
    pts = np.stack([500 + 200 * np.cos(t), 400 + 200 * np.sin(t)], 1) + rng.normal(0, 0.5, (t.size, 2))
    span = {}

    def fit():
        span["start"] = time.perf_counter()
        span["circle"] = EA.fitCircleClaudeOpus45(pts, 200, 1.5)
        span["end"] = time.perf_counter()

    worker = threading.Thread(target=fit)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
    worker.join()
    assert span["circle"] == pytest.approx((500, 400, 200), abs=0.1)
    duration = span["end"] - span["start"]
    assert duration > 0.05, "the fit must last long enough to observe"
    during = [t for t in ticks if span["start"] + 0.2 * duration < t < span["end"] - 0.2 * duration]
    assert len(during) > 100


@pytest.mark.parametrize("fitter", [EA.fitCircleRANSAC, EA.fitCircleRANSAC2])
def test_rand_based_fitters_keep_their_result_on_parallel_threads(fitter):
    rng = np.random.default_rng(4)
    t = rng.uniform(0, 2 * np.pi, 2000)
    pts = np.stack([300 + 100 * np.cos(t), 200 + 100 * np.sin(t)], 1) + rng.normal(0, 1.0, (t.size, 2))
    expected = fitter(pts, 2000, 1.0)
    results = []

    def fit():
        results.extend(fitter(pts, 2000, 1.0) for _ in range(4))

    workers = [threading.Thread(target=fit) for _ in range(4)]
    for w in workers:
        w.start()
    for w in workers:
        w.join()
    assert results == [expected] * 16


def render(shape, bright, sub=8):
    """Area-sampled image: each pixel the share of its sub x sub samples where bright(x, y)."""
    h, w = shape
    ys, xs = np.mgrid[0:h * sub, 0:w * sub]
    cover = bright((xs + 0.5) / sub - 0.5, (ys + 0.5) / sub - 0.5).reshape(h, sub, w, sub).mean(axis=(1, 3))
    return np.round(40 + 160 * cover).astype(np.uint8)


DISC = render((120, 130), lambda x, y: np.hypot(x - 64.3, y - 58.6) <= 30.4)


def test_circle_gauge_on_an_arc_of_a_rendered_disc():
    r = EA.measureCircle(np.dstack([DISC] * 3), (64, 59), 22, 40, 200, 300, calipers=24, polarity=2)
    assert r["ok"], r["reason"]
    assert r["center"] == pytest.approx((64.3, 58.6), abs=0.05) and r["radius"] == pytest.approx(30.4, abs=0.05)
    assert len(r["points"]) == len(r["inliers"]) == len(r["calipers"]) == 24 == r["inlier_count"]
    for (x, y) in r["points"]:
        assert 200 <= math.degrees(math.atan2(y - 58.6, x - 64.3)) % 360 <= 300


def test_line_and_edge_gauges():
    img = render((100, 200), lambda x, y: (y - 50.25) > (x - 100) * math.tan(math.radians(10)))
    line = EA.measureLine(img, ((100, 50), (150, 24), 10), calipers=12)
    assert line["ok"], line["reason"]
    assert line["angle"] == pytest.approx(10, abs=0.05) and all(line["inliers"])

    bars = render((20, 100), lambda x, y: ((x >= 30.5) & (x < 50.5)) | ((x >= 70.25) & (x < 80.25)))
    for edges in (EA.measureEdges(bars, (5, 10), (95, 10)), EA.measureEdges(bars, ((50, 10), (90, 6), 0))):
        assert edges["ok"], edges["reason"]
        assert [e["polarity"] for e in edges["edges"]] == [1, 2, 1, 2]
        assert edges["gaps"] == pytest.approx([20, 19.75, 10], abs=0.05)


def test_calipers_without_an_edge_give_none():
    half = DISC.copy()
    half[:, 65:] = 40  # the right half of the disc is gone
    r = EA.measureCircle(half, (64, 59), 22, 40, calipers=8, polarity=2)
    assert r["ok"]
    assert r["points"][0] is None and r["points"][4] is not None
    assert r["inliers"][0] is False


@pytest.mark.parametrize("call, reason", [
    (lambda: EA.measureCircle(DISC, (64, 59), float("nan"), 40), "not finite"),
    (lambda: EA.measureEdges(DISC, (-900, -900), (-800, -900)), "outside the image"),
])
def test_unsuitable_roi_fails_with_a_reason(call, reason):
    r = call()
    assert r["ok"] is False and reason in r["reason"]


@pytest.mark.parametrize("call, message", [
    (lambda: EA.measureCircle(DISC, (64, 59, 1), 22, 40), "center must be two real numbers"),
    (lambda: EA.measureLine(DISC, ((60, 60), 5)), "rect must be"),
    (lambda: EA.measureEdges(DISC, (1, 1), (9, 9), select="best"), "select must be"),
])
def test_bad_arguments_raise_value_error(call, message):
    with pytest.raises(ValueError, match=message):
        call()
