"""The gauges from Python: rendered discs, edges and bars measured through
TivraModule.EA, per-caliper results, and unsuitable input."""
import math

import numpy as np
import pytest

from TivraModule import EA


def render(shape, bright, sub=8):
    """Area-sampled image: each pixel the share of its sub x sub samples where bright(x, y)."""
    h, w = shape
    ys, xs = np.mgrid[0:h * sub, 0:w * sub]
    cover = bright((xs + 0.5) / sub - 0.5, (ys + 0.5) / sub - 0.5).reshape(h, sub, w, sub).mean(axis=(1, 3))
    return np.round(40 + 160 * cover).astype(np.uint8)


DISC = render((120, 130), lambda x, y: np.hypot(x - 64.3, y - 58.6) <= 30.4)


@pytest.mark.parametrize("start, end", [(0, 360), (200, 300)])
def test_circle_gauge_on_a_rendered_disc(start, end):
    bgr = np.dstack([DISC] * 3)
    r = EA.measureCircle(bgr, (64, 59), 22, 40, start, end, calipers=24, polarity=2)
    assert r["ok"], r["reason"]
    assert r["center"] == pytest.approx((64.3, 58.6), abs=0.05)
    assert r["radius"] == pytest.approx(30.4, abs=0.05)
    assert r["diameter"] == pytest.approx(2 * r["radius"])
    assert len(r["points"]) == len(r["inliers"]) == len(r["calipers"]) == 24 == r["inlier_count"]
    for (x, y) in r["points"]:
        assert start <= math.degrees(math.atan2(y - 58.6, x - 64.3)) % 360 <= end


def test_line_and_edge_gauges():
    img = render((100, 200), lambda x, y: (y - 50.25) > (x - 100) * math.tan(math.radians(10)))
    line = EA.measureLine(img, ((100, 50), (150, 24), 10), calipers=12)
    assert line["ok"], line["reason"]
    assert line["angle"] == pytest.approx(10, abs=0.05)
    assert line["straightness"] < 0.2
    assert all(line["inliers"])

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
