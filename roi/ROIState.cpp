#include "tivra/roi/ROIState.h"

#include "tivra/roi/ROIEditRecord.h"

#include <opencv2/imgproc.hpp>

#include <array>
#include <cmath>
#include <sstream>
#include <stdexcept>
#include <utility>

ROIStateValue ROIStateValue::Boolean(bool value)
{
    ROIStateValue v;
    v.type = Type::Bool;
    v.flag = value;
    return v;
}

ROIStateValue ROIStateValue::Integral(long long value)
{
    ROIStateValue v;
    v.type = Type::Integer;
    v.number = static_cast<double>(value);
    return v;
}

ROIStateValue ROIStateValue::Real(double value)
{
    ROIStateValue v;
    v.type = Type::Real;
    v.number = value;
    return v;
}

ROIStateValue ROIStateValue::String(std::string value)
{
    ROIStateValue v;
    v.type = Type::Text;
    v.text = std::move(value);
    return v;
}

ROIStateValue ROIStateValue::Sequence(std::vector<ROIStateValue> values)
{
    ROIStateValue v;
    v.type = Type::List;
    v.items = std::move(values);
    return v;
}

namespace ROIState {
namespace {

constexpr std::array<const char*, 8> kKindNames{"None",   "Point",  "Line",    "Rectangle",
                                                "RotatedRectangle", "Circle", "Annulus", "Polygon"};

[[noreturn]] void Fail(const std::string& message)
{
    throw std::invalid_argument(message);
}

std::string Shown(double v)
{
    std::ostringstream text;
    text << v;
    return text.str();
}

std::string TypeName(const ROIStateValue& v)
{
    switch (v.type) {
    case ROIStateValue::Type::Bool: return "bool";
    case ROIStateValue::Type::Integer: return "int";
    case ROIStateValue::Type::Real: return "float";
    case ROIStateValue::Type::Text: return "str";
    case ROIStateValue::Type::List: return "list";
    default: return v.text.empty() ? "an unknown type" : v.text;
    }
}

const ROIStateValue& Require(const ROIStateFields& fields, const std::string& key)
{
    const auto found = fields.find(key);
    if (found == fields.end())
        Fail("missing key \"" + key + "\"");
    return found->second;
}

double NumberOf(const ROIStateValue& v, const std::string& name)
{
    if (v.type != ROIStateValue::Type::Integer && v.type != ROIStateValue::Type::Real)
        Fail("\"" + name + "\" must be a number, not " + TypeName(v));
    if (!std::isfinite(v.number))
        Fail("\"" + name + "\" = " + Shown(v.number) + " is not finite");
    if (std::abs(v.number) > kLargest)
        Fail("\"" + name + "\" = " + Shown(v.number) + " is beyond " + Shown(kLargest) + " in magnitude");
    return v.number;
}

double Number(const ROIStateFields& fields, const std::string& key)
{
    return NumberOf(Require(fields, key), key);
}

double Size(const ROIStateFields& fields, const std::string& key)
{
    const double v = Number(fields, key);
    if (v < 0)
        Fail("\"" + key + "\" = " + Shown(v) + " must not be negative");
    return v;
}

cv::Point2f PointOf(const ROIStateFields& fields, const char* x, const char* y)
{
    return {static_cast<float>(Number(fields, x)), static_cast<float>(Number(fields, y))};
}

int KindOf(const ROIStateFields& fields)
{
    const ROIStateValue& version = Require(fields, "version");
    if (version.type != ROIStateValue::Type::Integer)
        Fail("\"version\" must be an integer, not " + TypeName(version));
    if (version.number != kVersion)
        Fail("\"version\" = " + Shown(version.number) + " is not supported (this module reads version " +
             std::to_string(kVersion) + ")");
    const ROIStateValue& kind = Require(fields, "kind");
    if (kind.type != ROIStateValue::Type::Text)
        Fail("\"kind\" must be a string, not " + TypeName(kind));
    for (size_t mode = 0; mode < kKindNames.size(); ++mode)
        if (kind.text == kKindNames[mode])
            return static_cast<int>(mode);
    Fail("\"kind\" = \"" + kind.text + "\" is not a kind of ROI");
}

void LoadCircle(const ROIStateFields& fields, ROIEditState& s)
{
    const cv::Point2f centre = PointOf(fields, "cx", "cy");
    const double radius = Size(fields, "radius");
    const float side = static_cast<float>(radius / std::sqrt(2.0));
    s.roiRect = cv::Rect2f(centre.x, centre.y, side, side);
    s.leftDownPoint = centre;
}

void LoadAnnulus(const ROIStateFields& fields, ROIEditState& s)
{
    LoadCircle(fields, s);
    const double outer = ROIEditRecord::OuterRadius(s);
    const double inner = Size(fields, "inner_radius");
    if (inner > outer)
        Fail("\"inner_radius\" = " + Shown(inner) + " must not exceed \"radius\" = " + Shown(outer));
    const double start = Number(fields, "start_angle");
    const double end = Number(fields, "end_angle");
    if (end < start)
        Fail("\"end_angle\" = " + Shown(end) + " must not be less than \"start_angle\" = " + Shown(start));
    if (end - start > 360)
        Fail("\"end_angle\" = " + Shown(end) + " sweeps more than 360 degrees from \"start_angle\"");
    s.innerRadius = inner > 0 ? inner : -1.0;
    s.startAngle = start;
    s.endAngle = end;
}

void LoadBox(const ROIStateFields& fields, ROIEditState& s)
{
    const cv::Point2f topLeft = PointOf(fields, "x", "y");
    s.roiRect = cv::Rect2f(topLeft.x, topLeft.y, static_cast<float>(Size(fields, "width")),
                           static_cast<float>(Size(fields, "height")));
    if (s.mode == CvROIMode::Rectangle) {
        s.leftDownPoint = s.roiRect.tl();
        s.leftUpPoint = s.roiRect.br();
        return;
    }
    s.rotateAngle = s.rotationAccum = Number(fields, "angle");
    if (s.roiRect.width > 0 && s.roiRect.height > 0)
        s.polygonPoints = ROIEditor::RotatedCorners(s.roiRect, s.rotateAngle);
}

void LoadPolygon(const ROIStateFields& fields, ROIEditState& s)
{
    const ROIStateValue& points = Require(fields, "points");
    if (points.type != ROIStateValue::Type::List)
        Fail("\"points\" must be a list of [x, y] pairs, not " + TypeName(points));
    if (points.items.size() > kMostPolygonPoints)
        Fail("\"points\" holds " + std::to_string(points.items.size()) + " points, more than " +
             std::to_string(kMostPolygonPoints));
    for (size_t i = 0; i < points.items.size(); ++i) {
        const ROIStateValue& pair = points.items[i];
        const std::string name = "points[" + std::to_string(i) + "]";
        if (pair.type != ROIStateValue::Type::List || pair.items.size() != 2)
            Fail("\"" + name + "\" must be a pair [x, y]");
        s.polygonPoints.emplace_back(static_cast<float>(NumberOf(pair.items[0], name + "[0]")),
                                     static_cast<float>(NumberOf(pair.items[1], name + "[1]")));
    }
    const ROIStateValue& closed = Require(fields, "closed");
    if (closed.type != ROIStateValue::Type::Bool)
        Fail("\"closed\" must be true or false, not " + TypeName(closed));
    if (closed.flag && s.polygonPoints.size() < 3)
        Fail("\"closed\" polygon needs at least 3 points, \"points\" holds " +
             std::to_string(s.polygonPoints.size()));
    s.polygonDrawing = !closed.flag;
    if (closed.flag)
        s.roiRect = cv::Rect2f(cv::boundingRect(s.polygonPoints));
}

ROIStateValue Real(float v)
{
    return ROIStateValue::Real(v);
}

void SavePolygon(const ROIEditState& s, ROIStateFields& fields)
{
    std::vector<ROIStateValue> points;
    points.reserve(s.polygonPoints.size());
    for (const cv::Point2f& p : s.polygonPoints)
        points.push_back(ROIStateValue::Sequence({Real(p.x), Real(p.y)}));
    fields["points"] = ROIStateValue::Sequence(std::move(points));
    fields["closed"] = ROIStateValue::Boolean(!s.polygonDrawing && s.polygonPoints.size() >= 3);
}

} // namespace

std::string KindName(int mode)
{
    return mode >= 0 && mode < static_cast<int>(kKindNames.size()) ? kKindNames[mode] : "";
}

ROIStateFields Save(const ROIEditState& s)
{
    const std::string kind = KindName(s.mode);
    ROIStateFields f;
    f["version"] = ROIStateValue::Integral(kVersion);
    f["kind"] = ROIStateValue::String(kind.empty() ? "None" : kind);
    const cv::Rect2f& r = s.roiRect;
    switch (s.mode) {
    case CvROIMode::Point:
        f["x"] = Real(s.leftDownPoint.x);
        f["y"] = Real(s.leftDownPoint.y);
        break;
    case CvROIMode::Line:
        f["x1"] = Real(s.leftDownPoint.x);
        f["y1"] = Real(s.leftDownPoint.y);
        f["x2"] = Real(s.leftUpPoint.x);
        f["y2"] = Real(s.leftUpPoint.y);
        break;
    case CvROIMode::RotatedRectangle:
        f["angle"] = ROIStateValue::Real(s.rotateAngle);
        [[fallthrough]];
    case CvROIMode::Rectangle:
        f["x"] = Real(r.x);
        f["y"] = Real(r.y);
        f["width"] = Real(r.width);
        f["height"] = Real(r.height);
        break;
    case CvROIMode::Annulus:
        f["inner_radius"] = ROIStateValue::Real(ROIEditRecord::InnerRadius(s));
        f["start_angle"] = ROIStateValue::Real(s.startAngle);
        f["end_angle"] = ROIStateValue::Real(s.endAngle);
        [[fallthrough]];
    case CvROIMode::Circle:
        f["cx"] = Real(r.x);
        f["cy"] = Real(r.y);
        f["radius"] = ROIStateValue::Real(ROIEditRecord::OuterRadius(s));
        break;
    case CvROIMode::Polygon:
        SavePolygon(s, f);
        break;
    default:
        break;
    }
    return f;
}

ROIEditState Load(const ROIStateFields& fields)
{
    ROIEditState s;
    s.mode = KindOf(fields);
    switch (s.mode) {
    case CvROIMode::Point:
        s.leftDownPoint = PointOf(fields, "x", "y");
        break;
    case CvROIMode::Line:
        s.leftDownPoint = PointOf(fields, "x1", "y1");
        s.leftUpPoint = PointOf(fields, "x2", "y2");
        s.roiRect = cv::Rect2f(s.leftDownPoint, s.leftUpPoint);
        break;
    case CvROIMode::Rectangle:
    case CvROIMode::RotatedRectangle:
        LoadBox(fields, s);
        break;
    case CvROIMode::Circle:
        LoadCircle(fields, s);
        break;
    case CvROIMode::Annulus:
        LoadAnnulus(fields, s);
        break;
    case CvROIMode::Polygon:
        LoadPolygon(fields, s);
        break;
    default:
        break;
    }
    return s;
}

} // namespace ROIState
