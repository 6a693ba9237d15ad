"""Recipes (a gauge, its ROI, its parameters and the pixel size) and the measurement of one image.

Nothing here imports wx: workers measure with the window-free engine and the EA gauges only.
"""
import json
import math
import numbers
import os

import TivraModule as tm

FORMAT = "tivra-recipe"
GAUGES = ("edges", "line", "circle")
DEFAULT_PARAMETERS = {"threshold": 20.0, "polarity": 0, "calipers": 32, "width": 5, "select": "first",
                      "inward": False}
# The figures each gauge adds to a row, after file, status and reason.
FIGURES: dict[str, list[str]] = {
    "circle": ["center_x", "center_y", "radius", "diameter", "roundness", "points", "calipers"],
    "line": ["angle", "straightness", "p1_x", "p1_y", "p2_x", "p2_y", "points", "calipers"],
    "edges": ["edges", "positions", "gaps"],
}
# Lengths that also get a column in millimetres when the recipe has a pixel size.
LENGTHS: dict[str, list[str]] = {"circle": ["radius", "diameter", "roundness"], "line": ["straightness"], "edges": []}
# What each gauge parameter takes: a check and the words that name the expected value.
PARAMETER_RULES = {
    "threshold": (lambda v: _is_number(v) and 0 <= v <= 1e6, "a number from 0 to 1e6"),
    "polarity": (lambda v: v in (0, 1, 2) and not isinstance(v, bool), "0, 1 or 2"),
    "calipers": (lambda v: _is_whole(v) and 1 <= v <= 100000, "a whole number from 1 to 100000"),
    "width": (lambda v: _is_whole(v) and 1 <= v <= 10000, "a whole number from 1 to 10000"),
    "select": (lambda v: v in ("first", "strongest", "all"), "'first', 'strongest' or 'all'"),
    "inward": (lambda v: isinstance(v, bool), "true or false"),
}
# No coordinate or angle beyond this magnitude is taken (as in a stored ROI state).
LARGEST = 1e7
NEEDS = {"edges": "a line or a (rotated) rectangle", "line": "a (rotated) rectangle",
         "circle": "an annulus or a circle"}


def _is_number(value):
    return isinstance(value, numbers.Real) and not isinstance(value, bool) and math.isfinite(value)


def _is_whole(value):
    return _is_number(value) and float(value).is_integer()


def _checked_parameters(parameters):
    if parameters is None:
        parameters = {}
    if not isinstance(parameters, dict):
        raise ValueError("parameters must be an object of gauge parameters, got %r" % (parameters,))
    unknown = set(parameters) - set(DEFAULT_PARAMETERS)
    if unknown:
        raise ValueError("unknown gauge parameters: %s" % ", ".join(sorted(map(str, unknown))))
    for name, value in parameters.items():
        valid, expected = PARAMETER_RULES[name]
        if not valid(value):
            raise ValueError("parameter %s must be %s, got %r" % (name, expected, value))
    merged = dict(DEFAULT_PARAMETERS, **parameters)
    for name in ("polarity", "calipers", "width"):
        merged[name] = int(merged[name])
    return merged


def make_recipe(gauge, roi, parameters=None, pixel_size=0.0):
    """A recipe dict from a gauge kind, an ROI (mode, points, angle) as GetEditingROI returns it,
    gauge parameters (threshold, polarity, calipers, width, select, inward) and the pixel size in mm
    (0: unknown). Raises ValueError naming what is wrong."""
    if gauge not in GAUGES:
        raise ValueError("gauge must be one of %s, got %r" % (", ".join(GAUGES), gauge))
    try:
        mode, points, angle = roi
        mode = tm.CvROIMode.__members__[mode] if isinstance(mode, str) else tm.CvROIMode(int(mode))
        points = [[float(p[0]), float(p[1])] for p in points]
        angle = float(angle)
        if mode not in tm.CvROIMode.__members__.values():
            raise ValueError("no ROI mode %d" % int(mode))
    except (TypeError, ValueError, KeyError, IndexError, OverflowError) as error:
        raise ValueError("roi must be (mode, [(x, y), ...], angle), got %r (%s)" % (roi, error)) from None
    if not all(abs(v) <= LARGEST for v in [angle] + [c for p in points for c in p]):
        raise ValueError("roi must have finite points and angle within %g, got %r" % (LARGEST, roi))
    merged = _checked_parameters(parameters)
    if pixel_size is None:
        pixel_size = 0.0
    if not _is_number(pixel_size) or pixel_size < 0:
        raise ValueError("pixel_size must be a finite number >= 0, got %r" % (pixel_size,))
    pixel_size = float(pixel_size)
    recipe = {"format": FORMAT, "version": 1, "gauge": gauge,
              "roi": {"mode": mode.name, "points": points, "angle": angle},
              "parameters": merged, "pixel_size": pixel_size}
    if gauge_roi(recipe) is None:
        raise ValueError("the %s gauge needs %s ROI, got %s" % (gauge, NEEDS[gauge], mode.name))
    return recipe


def load_recipe(recipe):
    """A checked recipe dict from a path to a JSON recipe or from a dict. Raises ValueError naming
    what is wrong with it."""
    if not isinstance(recipe, (dict, str, os.PathLike)):
        raise ValueError("a recipe is a dict or the path of a JSON recipe, got %r" % (recipe,))
    if not isinstance(recipe, dict):
        with open(recipe, encoding="utf-8") as f:
            try:
                recipe = json.load(f)
            # Bytes that are not UTF-8 raise UnicodeDecodeError (a ValueError), deep nesting RecursionError.
            except (ValueError, RecursionError) as error:
                raise ValueError("%s is not a JSON recipe: %s" % (f.name, error)) from None
    if not isinstance(recipe, dict) or recipe.get("format", FORMAT) != FORMAT or "roi" not in recipe:
        raise ValueError("not a TivraModule recipe: needs gauge, roi, parameters and pixel_size")
    roi = recipe["roi"]
    if not isinstance(roi, dict):
        raise ValueError("roi must be an object with mode, points and angle, got %r" % (roi,))
    return make_recipe(recipe.get("gauge"), (roi.get("mode"), roi.get("points"), roi.get("angle", 0.0)),
                       recipe.get("parameters"), recipe.get("pixel_size", 0.0))


def save_recipe(path, recipe):
    """Writes a recipe (a dict, checked first) as JSON."""
    recipe = load_recipe(recipe)
    with open(path, "w", encoding="utf-8") as f:
        json.dump(recipe, f, indent=2)
        f.write("\n")


def columns(recipe):
    """The row's keys for this recipe: file, status, reason, then the gauge's figures."""
    names = ["file", "status", "reason"] + FIGURES[recipe["gauge"]]
    if recipe["pixel_size"] > 0:
        names += [name + "_mm" for name in LENGTHS[recipe["gauge"]]]
    return names


def gauge_roi(recipe):
    """What the recipe's gauge measures in, from its ROI, or None when the ROI does not suit it."""
    gauge, roi = recipe["gauge"], recipe["roi"]
    return gauge_region(gauge, tm.CvROIMode.__members__[roi["mode"]], roi["points"], roi["angle"])


def gauge_region(gauge, kind, points, angle):
    """The gauge's own ROI from an ROI of this kind in the form GetEditingROI gives, or None
    when this kind of ROI does not suit the gauge."""
    try:
        if gauge in ("edges", "line") and kind in (tm.CvROIMode.Rectangle, tm.CvROIMode.RotatedRectangle):
            (x, y), (w, h) = points[0], points[1]
            return {"rect": ((x + w / 2, y + h / 2), (w, h), angle if kind == tm.CvROIMode.RotatedRectangle else 0.0)}
        if gauge == "edges" and kind == tm.CvROIMode.Line:
            return {"p1": points[0], "p2": points[1]}
        if gauge == "circle" and kind == tm.CvROIMode.Annulus:
            return {"center": points[0], "inner": points[2][0], "outer": points[1][0],
                    "start": points[3][0], "end": points[3][1]}
        if gauge == "circle" and kind == tm.CvROIMode.Circle:
            return {"center": points[0], "inner": 0.0, "outer": points[1][0], "start": 0.0, "end": 360.0}
    except IndexError:
        pass
    return None


def _measure(recipe, image):
    gauge, p, where = recipe["gauge"], recipe["parameters"], gauge_roi(recipe)
    caliper = dict(threshold=p["threshold"], polarity=p["polarity"], kernel_size=2)
    if gauge == "edges" and "p1" in where:
        return tm.EA.measureEdges(image, where["p1"], where["p2"], width=p["width"], **caliper)
    if gauge == "edges":
        return tm.EA.measureEdges(image, where["rect"], **caliper)
    if gauge == "line":
        return tm.EA.measureLine(image, where["rect"], width=p["width"], select=p["select"],
                                 calipers=max(p["calipers"], 2), **caliper)
    return tm.EA.measureCircle(image, where["center"], where["inner"], where["outer"], where["start"], where["end"],
                               width=p["width"], select=p["select"], calipers=max(p["calipers"], 3),
                               inward=p["inward"], **caliper)


def _figures(gauge, result):
    if gauge == "circle":
        return {"center_x": result["center"][0], "center_y": result["center"][1], "radius": result["radius"],
                "diameter": result["diameter"], "roundness": result["roundness"],
                "points": result["inlier_count"], "calipers": len(result["points"])}
    if gauge == "line":
        return {"angle": result["angle"], "straightness": result["straightness"], "p1_x": result["p1"][0],
                "p1_y": result["p1"][1], "p2_x": result["p2"][0], "p2_y": result["p2"][1],
                "points": result["inlier_count"], "calipers": len(result["points"])}
    return {"edges": len(result["edges"]), "positions": json.dumps([e["position"] for e in result["edges"]]),
            "gaps": json.dumps(list(result["gaps"]))}


def measure_image(recipe, image, file=""):
    """One row: the recipe's gauge run on image (a uint8 array). Failures give status "failed" and
    the gauge's reason, with the figures left empty (None)."""
    row = dict.fromkeys(columns(recipe))
    row.update(file=file, status="ok", reason="")
    result = _measure(recipe, image)
    if not result["ok"]:
        row.update(status="failed", reason=result["reason"])
        return row
    row.update(_figures(recipe["gauge"], result))
    for name in LENGTHS[recipe["gauge"]] if recipe["pixel_size"] > 0 else []:
        row[name + "_mm"] = row[name] * recipe["pixel_size"]
    return row


def measure_file(recipe, path):
    """One row for the image file at path; a file that cannot be read gives status "unreadable",
    any other error status "failed", each with its reason. Never raises."""
    try:
        engine = tm.TivraEngine()
        # Grey is what the gauges measure on: loading it directly skips a colour conversion.
        if not engine.LoadImage(str(path), 0) or not engine.HasImage():
            row = dict.fromkeys(columns(recipe))
            row.update(file=str(path), status="unreadable", reason="cannot read an image from this file")
            return row
        return measure_image(recipe, engine.GetMat(), str(path))
    except Exception as error:  # one bad file must not stop the batch
        row = dict.fromkeys(columns(recipe))
        row.update(file=str(path), status="failed", reason="%s: %s" % (type(error).__name__, error))
        return row
