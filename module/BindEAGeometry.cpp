// EA geometric primitives: angles, distances, lines, intersections, polygons and rectangles.
// These are cheap, so they keep the interpreter lock.
#include "BindEA.h"

#include "Conversion.h"
#include "tivra/analysis/Geometry.h"

namespace py = pybind11;
using tivra::conversion::ArrayAsMat;
using tivra::conversion::ArrayToPoints;
using tivra::conversion::ImageArray;
using tivra::conversion::TupleToPoint;

namespace tivra::bindings {
namespace {

using namespace ea;
using Handle = const py::object&;

cv::Point2f P(Handle point, const char* name)
{
    return TupleToPoint(point, name);
}

py::object PointOrNone(bool found, const cv::Point2f& p)
{
    return found ? py::object(PointTuple(p)) : py::object(py::none());
}

void BindAngles(py::module_& ea)
{
    ea.def("normalizeAngle", &EA::normalizeAngle, py::arg("a"),
           "Angle in degrees brought into [0, 360] by adding or subtracting 360: 360 stays 360, -360 becomes 0, "
           "725 becomes 5. A non-finite angle gives NaN.");
    ea.def(
        "calculatepoint2pointAngle",
        [](Handle p1, Handle p2) { return EA::calculatepoint2pointAngle(P(p1, "p1"), P(p2, "p2")); },
        py::arg("p1"), py::arg("p2"),
        "Direction from p1 to p2 in degrees, in [0, 360], measured with atan2(dy, dx) in image coordinates "
        "(y down): (0, 0) to (0, 1) is 90, downwards on screen.");
    ea.def(
        "calculate3pointsAngle",
        [](Handle a, Handle vertex, Handle c) {
            return EA::calculate3pointsAngle(P(a, "a"), P(vertex, "vertex"), P(c, "c"));
        },
        py::arg("a"), py::arg("vertex"), py::arg("c"),
        "Signed angle in degrees at vertex from the ray towards a to the ray towards c, in [-180, 180]; "
        "positive when the turn is clockwise on screen, 0 when either ray has zero length.");
    ea.def(
        "calculateline2HorizontalAngle",
        [](Handle p1, Handle p2) { return EA::calculateline2HorizontalAngle(P(p1, "p1"), P(p2, "p2")); },
        py::arg("p1"), py::arg("p2"), "Direction from p2 to p1 in degrees, in [-180, 180].");
    ea.def(
        "calculateline2lineAngle",
        [](Handle a1, Handle a2, Handle b1, Handle b2) {
            return EA::calculateline2lineAngle(P(a1, "a1"), P(a2, "a2"), P(b1, "b1"), P(b2, "b2"));
        },
        py::arg("a1"), py::arg("a2"), py::arg("b1"), py::arg("b2"),
        "Direction of a2->a1 minus direction of b2->b1 in degrees, each taken in [0, 360); range (-360, 360).");
    ea.def(
        "convertToCounterClockwiseAngles",
        [](double start, double end) {
            EA::convertToCounterClockwiseAngles(start, end);
            return py::make_tuple(start, end);
        },
        py::arg("start"), py::arg("end"),
        "Mirrors a sweep (start, end) in degrees into the counter-clockwise convention and returns the new "
        "(start, end): 30, 90 becomes 270, 330.");
    ea.def(
        "convertToClockwiseAngles",
        [](double start, double end) {
            EA::convertToClockwiseAngles(start, end);
            return py::make_tuple(start, end);
        },
        py::arg("start"), py::arg("end"),
        "Mirrors a sweep (start, end) in degrees back into the clockwise convention and returns the new "
        "(start, end); a sweep through 0 may start below 0.");
    ea.def(
        "pointOnCircle",
        [](Handle centre, double radius, double angle) {
            const cv::Point p = EA::pointOnCircle(P(centre, "centre"), radius, angle);
            return py::make_tuple(p.x, p.y);
        },
        py::arg("centre"), py::arg("radius"), py::arg("angle"),
        "Integer pixel (x, y) at angle degrees on the circle (clockwise on screen), each coordinate "
        "truncated toward zero.");
    ea.def(
        "rotatePoint",
        [](Handle p, Handle centre, double angle) {
            return PointTuple(EA::rotatePoint(P(p, "p"), P(centre, "centre"), angle));
        },
        py::arg("p"), py::arg("centre"), py::arg("angle"),
        "p turned about centre by angle degrees (a positive angle turns clockwise on screen), as (x, y).");
}

void BindDistances(py::module_& ea)
{
    ea.def(
        "point2pointDistance", [](Handle p1, Handle p2) { return EA::point2pointDistance(P(p1, "p1"), P(p2, "p2")); },
        py::arg("p1"), py::arg("p2"), "Euclidean distance between two points, in pixels.");
    ea.def("point2pointDistance", py::overload_cast<double, double, double, double>(&EA::point2pointDistance),
           py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"),
           "Euclidean distance between (x1, y1) and (x2, y2), computed in double precision.");
    ea.def(
        "calcuMidPointAndDistance",
        [](Handle p1, Handle p2) {
            cv::Point2f mid;
            float dist = 0.0f;
            EA::calcuMidPointAndDistance(P(p1, "p1"), P(p2, "p2"), mid, dist);
            return py::make_tuple(PointTuple(mid), double(dist));
        },
        py::arg("p1"), py::arg("p2"), "Midpoint of p1p2 and its length: ((x, y), distance).");
    ea.def(
        "point2LineDistance",
        [](Handle l1, Handle l2, Handle p) { return EA::point2LineDistance(P(l1, "l1"), P(l2, "l2"), P(p, "p")); },
        py::arg("l1"), py::arg("l2"), py::arg("p"),
        "Signed distance of p from the infinite line l1->l2; negative when p lies clockwise of the "
        "direction on screen, 0 when l1 equals l2.");
    ea.def(
        "Point2LineDistanceAndPoint",
        [](Handle l1, Handle l2, Handle p) {
            cv::Point2f foot;
            const double d = EA::Point2LineDistanceAndPoint(P(l1, "l1"), P(l2, "l2"), P(p, "p"), foot);
            return py::make_tuple(d, PointTuple(foot));
        },
        py::arg("l1"), py::arg("l2"), py::arg("p"),
        "Distance of p from the infinite line l1l2 and the foot of the perpendicular: (distance, (x, y)). "
        "For l1 = l2 the foot is l1.");
    ea.def(
        "point2LineSegmentDistance",
        [](Handle a, Handle b, Handle p) { return EA::point2LineSegmentDistance(P(a, "a"), P(b, "b"), P(p, "p")); },
        py::arg("a"), py::arg("b"), py::arg("p"), "Distance of p from the segment ab (to a when a = b).");
    ea.def(
        "pointToCircleEdgeDistance",
        [](Handle p, Handle centre, double r) { return EA::pointToCircleEdgeDistance(P(p, "p"), P(centre, "centre"), r); },
        py::arg("p"), py::arg("centre"), py::arg("r"), "|distance(p, centre) - r|.");
    ea.def("pointToCircleEdgeDistance",
           py::overload_cast<double, double, double, double, double>(&EA::pointToCircleEdgeDistance), py::arg("px"),
           py::arg("py"), py::arg("cx"), py::arg("cy"), py::arg("r"),
           "|distance((px, py), (cx, cy)) - r|, in double precision.");
    ea.def(
        "pointToAnnulusEdgeDistance",
        [](double px, double py, Handle centre, double rOuter, double rInner, double start, double end) {
            return EA::pointToAnnulusEdgeDistance(px, py, ToPixel(centre, "centre"), rOuter, rInner, start, end);
        },
        py::arg("px"), py::arg("py"), py::arg("centre"), py::arg("rOuter"), py::arg("rInner"), py::arg("start"),
        py::arg("end"),
        "Distance of (px, py) from the edge of the annulus sector around the integer pixel centre between "
        "rInner and rOuter, swept from start to end degrees (clockwise on screen); 0 inside the sector.");
    ea.def(
        "pointLineDistance",
        [](Handle p, Handle line) { return EA::pointLineDistance(P(p, "p"), ToVec4(line, "line")); },
        py::arg("p"), py::arg("line"),
        "Distance of p from a line (vx, vy, x0, y0) as cv::fitLine gives it; the direction need not be unit length.");
    ea.def(
        "pointToLineDistance",
        [](Handle p, Handle line) { return double(EA::pointToLineDistance(P(p, "p"), ToVec4(line, "line"))); },
        py::arg("p"), py::arg("line"), "Distance of p from a line (vx, vy, x0, y0) whose direction has unit length.");
    ea.def(
        "pointToLinearCurveDistance",
        [](Handle p, Handle curve, float valid) {
            const cv::Point2f kb = P(curve, "curve");
            return double(EA::pointToLinearCurveDistance(P(p, "p"), cv::Vec2f(kb.x, kb.y), valid));
        },
        py::arg("p"), py::arg("curve"), py::arg("valid"),
        "Distance of p from the linear curve (k, b), y = k*x + b; an infinite k is the vertical line x = b. "
        "0 when valid is 0.");
}

void BindLines(py::module_& ea)
{
    ea.def(
        "createLineFromTwoPoints",
        [](Handle p1, Handle p2) { return Vec4Tuple(EA::createLineFromTwoPoints(P(p1, "p1"), P(p2, "p2"))); },
        py::arg("p1"), py::arg("p2"),
        "Line (vx, vy, x0, y0) through p1 and p2 with a unit direction from p1 to p2. Equal points give a "
        "NaN direction; lineFromTwoPoints reports them instead.");
    ea.def(
        "lineFromTwoPoints",
        [](Handle p1, Handle p2) -> py::object {
            cv::Vec4f line;
            if (!EA::lineFromTwoPoints(P(p1, "p1"), P(p2, "p2"), line))
                return py::none();
            return Vec4Tuple(line);
        },
        py::arg("p1"), py::arg("p2"), "Line (vx, vy, x0, y0) through p1 and p2, or None when they coincide.");
    ea.def(
        "getLineSegmentIntersection",
        [](Handle p1, Handle p2, Handle p3, Handle p4) {
            cv::Point2f out;
            const bool found = EA::getLineSegmentIntersection(P(p1, "p1"), P(p2, "p2"), P(p3, "p3"), P(p4, "p4"), out);
            return PointOrNone(found, out);
        },
        py::arg("p1"), py::arg("p2"), py::arg("p3"), py::arg("p4"),
        "Intersection (x, y) of the segments p1p2 and p3p4, ends included; None when they do not meet or are parallel.");
    ea.def(
        "getLine2LineSegmentIntersection",
        [](Handle l1, Handle l2, Handle s1, Handle s2) {
            cv::Point2f out;
            const bool found =
                EA::getLine2LineSegmentIntersection(P(l1, "l1"), P(l2, "l2"), P(s1, "s1"), P(s2, "s2"), out);
            return PointOrNone(found, out);
        },
        py::arg("l1"), py::arg("l2"), py::arg("s1"), py::arg("s2"),
        "Intersection (x, y) of the infinite line l1l2 with the segment s1s2, ends included; None when there is none.");
    ea.def(
        "getLineIntersection",
        [](Handle a1, Handle a2, Handle b1, Handle b2) {
            cv::Point2f out;
            const bool found = EA::getLineIntersection(P(a1, "a1"), P(a2, "a2"), P(b1, "b1"), P(b2, "b2"), out);
            return PointOrNone(found, out);
        },
        py::arg("a1"), py::arg("a2"), py::arg("b1"), py::arg("b2"),
        "Intersection (x, y) of the infinite lines a1a2 and b1b2; None when they are parallel.");
    ea.def(
        "calcBisectoroftwolines",
        [](Handle a1, Handle a2, Handle b1, Handle b2) -> py::object {
            cv::Vec4f bisector;
            if (!EA::calcBisectoroftwolines(P(a1, "a1"), P(a2, "a2"), P(b1, "b1"), P(b2, "b2"), bisector))
                return py::none();
            return Vec4Tuple(bisector);
        },
        py::arg("a1"), py::arg("a2"), py::arg("b1"), py::arg("b2"),
        "Bisector of the lines a1a2 and b1b2 in point form (x0, y0, vx, vy); for parallel lines the mid line "
        "between them. None when a line has zero length.");
    ea.def(
        "calcBisectorBoundaryIntersections",
        [](Handle line, int width, int height) {
            return conversion::PointsToArray(EA::calcBisectorBoundaryIntersections(ToVec4(line, "line"), width, height));
        },
        py::arg("line"), py::arg("width"), py::arg("height"),
        "Points, as an (N, 2) float32 array, where a point-form line (x0, y0, vx, vy) crosses x = 0, x = width, "
        "y = 0 and y = height, in that order (bounds inclusive; a corner may appear twice).");
    ea.def(
        "circleFromThreePoints",
        [](Handle p1, Handle p2, Handle p3) {
            cv::Point2f centre;
            float radius = 0.0f;
            const bool found = EA::circleFromThreePoints(P(p1, "p1"), P(p2, "p2"), P(p3, "p3"), centre, radius);
            return CircleOrNone(found, centre, radius);
        },
        py::arg("p1"), py::arg("p2"), py::arg("p3"),
        "Circle (cx, cy, r) through three points; None when they are (nearly) collinear.");
}

void BindShapes(py::module_& ea)
{
    ea.def(
        "calculateEquidistantPoints",
        [](Handle p1, Handle p2, double spacing) {
            return conversion::PointsToArray(EA::calculateEquidistantPoints(P(p1, "p1"), P(p2, "p2"), spacing));
        },
        py::arg("p1"), py::arg("p2"), py::arg("spacing"),
        "n + 1 points from p1 to p2 as an (N, 2) float32 array, n = trunc(|p1p2| / spacing), coordinates "
        "truncated toward zero. Empty when spacing is not positive.");
    ea.def(
        "calcPolygonCenter",
        [](Handle poly) {
            const std::vector<cv::Point2f> vertices = ArrayToPoints(poly, "poly");
            return PointTuple(EA::calcPolygonCenter(vertices));
        },
        py::arg("poly"),
        "Area centroid (x, y) of a polygon given as (N, 2) vertices; (-1, -1) for fewer than three. "
        "Raises RuntimeError \"The polygon has zero area.\" for a degenerate polygon.");
    ea.def(
        "findBoundingBox",
        [](Handle pts) {
            const cv::Rect r = EA::findBoundingBox(ArrayToPoints(pts, "pts"));
            return py::make_tuple(r.x, r.y, r.width, r.height);
        },
        py::arg("pts"),
        "(x, y, width, height) from the rounded minimum to the rounded maximum corner of the points (no +1); "
        "(0, 0, 0, 0) for no points.");
    ea.def(
        "isRectInMat",
        [](const py::tuple& r, const ImageArray& m) {
            return EA::isRectInMat(conversion::TupleToRect(r), ArrayAsMat(m));
        },
        py::arg("r"), py::arg("m"), "True when the rectangle (x, y, width, height) lies wholly inside image m.");
    ea.def(
        "getValidRect",
        [](const py::tuple& r, const ImageArray& m) {
            return conversion::RectToTuple(EA::getValidRect(conversion::TupleToRect(r), ArrayAsMat(m)));
        },
        py::arg("r"), py::arg("m"),
        "The rectangle (x, y, width, height) clipped to image m. A rectangle wholly outside gives a zero or "
        "negative width or height.");
}

}  // namespace

void BindEAGeometry(py::module_& ea)
{
    BindAngles(ea);
    BindDistances(ea);
    BindLines(ea);
    BindShapes(ea);
}

}  // namespace tivra::bindings
