#pragma once
// The current ROI as plain fields (numbers, texts, lists) that a host writes to
// JSON or any other store and hands back later. Format version 1, one layout
// per kind, every coordinate, size and radius in source pixels:
//   all kinds        "version": 1, "kind": "None", "Point", "Line", "Rectangle",
//                    "RotatedRectangle", "Circle", "Annulus" or "Polygon"
//   Point            "x", "y"
//   Line             "x1", "y1", "x2", "y2"
//   Rectangle        "x", "y", "width", "height"
//   RotatedRectangle as Rectangle (the unrotated rectangle) plus "angle" in degrees
//   Circle           "cx", "cy", "radius"
//   Annulus          as Circle plus "inner_radius", "start_angle", "end_angle"
//   Polygon          "points": [[x, y], ...], "closed": true or false
// Reading validates everything before it changes anything and names the field
// at fault; fields it does not know are ignored.

#include "tivra/roi/ROIEditor.h"

#include <map>
#include <string>
#include <vector>

struct ROIStateValue {
    enum class Type { Bool, Integer, Real, Text, List, Other };
    Type type = Type::Other;
    bool flag = false;
    double number = 0.0;              // Integer and Real
    std::string text;                 // Text; for Other the name of the host's type
    std::vector<ROIStateValue> items; // List

    static ROIStateValue Boolean(bool value);
    static ROIStateValue Integral(long long value);
    static ROIStateValue Real(double value);
    static ROIStateValue String(std::string value);
    static ROIStateValue Sequence(std::vector<ROIStateValue> values);
};

using ROIStateFields = std::map<std::string, ROIStateValue>;

namespace ROIState {

constexpr int kVersion = 1;
/// No coordinate, size or angle beyond this magnitude is taken.
constexpr double kLargest = 1e7;
constexpr std::size_t kMostPolygonPoints = 100000;

/// The ROI's kind and geometry in the fields above. Stored in single precision,
/// each number reads back exactly.
ROIStateFields Save(const ROIEditState& s);

/// A fresh editing state holding the ROI the fields describe. Throws
/// std::invalid_argument naming the field for a missing key, a value of the
/// wrong type, a number that is not finite or is absurd (a negative size, an
/// inner radius beyond the outer one, an annulus sweeping backwards or more than
/// a full turn, a magnitude beyond kLargest), an unknown kind or version.
ROIEditState Load(const ROIStateFields& fields);

/// "Point", "Line", ... for a kind that the editing ROI takes, empty otherwise.
std::string KindName(int mode);

} // namespace ROIState
