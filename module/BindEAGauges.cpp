// Gauges in TivraModule.EA: edges, lines and circles measured inside an ROI.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>

#include "BindEA.h"
#include "Conversion.h"
#include "tivra/analysis/Gauges.h"

namespace py = pybind11;
using namespace py::literals;

namespace tivra::bindings {

namespace {

namespace conv = tivra::conversion;

const char* const kCaliperArgsDoc =
    "    threshold: minimum step contrast in grey levels (the kernel response divided by half its size).\n"
    "    polarity: 0 either, 1 rising (dark to bright along the search), 2 falling.\n"
    "    kernel_size: width of the step kernel in samples, limited to 2..15.\n"
    "    width: lines averaged across each caliper, one pixel apart.\n"
    "    select: 'first' or 'strongest' edge of each caliper";

const std::string kMeasureEdgesDoc = std::string(
    "measureEdges(image, p1, p2, ...) or measureEdges(image, rect, ...)\n\n"
    "Edge gauge: the edges along the line p1 -> p2, or along the long axis of the rotated rectangle\n"
    "rect = ((cx, cy), (w, h), angle) averaged over its whole short side (width is then not used).\n"
    "Positions are sub-pixel, in image pixels with pixel centres at whole numbers.\n\n"
    "Args:\n    image: uint8 array with 1, 3 or 4 channels.\n") + kCaliperArgsDoc +
    ", or 'all' (the default here).\n\n"
    "Returns a dict: ok, reason (why it failed, '' when ok), edges (a list of dicts with point (x, y),\n"
    "position along the search in pixels, polarity 1 rising or 2 falling, strength), gaps (distances\n"
    "between consecutive edges). Unsuitable input (empty image, NaN or degenerate geometry, an ROI\n"
    "outside the image) gives ok False with a reason, never an exception.";

const std::string kMeasureLineDoc = std::string(
    "Line gauge: calipers spread along the long axis of the rotated rectangle rect = ((cx, cy), (w, h),\n"
    "angle), each searching across it (the long axis turned by +90 degrees, downwards for a level\n"
    "rectangle), and a robust line fit of their edges.\n\n"
    "Args:\n    image: uint8 array with 1, 3 or 4 channels.\n    rect: ((cx, cy), (w, h), angle in degrees).\n") +
    kCaliperArgsDoc +
    ".\n    calipers: number of calipers (>= 2).\n"
    "    inlier_threshold: pixels; edge points farther from the line are outliers.\n\n"
    "Returns a dict: ok, reason, line (vx, vy, x0, y0), p1, p2 (the fitted line between the rectangle's\n"
    "short sides), angle (to the horizontal, degrees in (-90, 90], clockwise on screen), straightness\n"
    "(largest minus smallest signed residual of the inliers), inlier_count, and per caliper: points\n"
    "((x, y) or None), inliers (bool), calipers ((start, end) of each search).";

const std::string kMeasureCircleDoc = std::string(
    "Circle gauge: radial calipers over the annulus sector between inner_radius and outer_radius, swept\n"
    "from the smaller to the larger of start_angle and end_angle (degrees, clockwise on screen; a sweep\n"
    "of 360 or more is the full ring), and a robust circle fit of their edges.\n\n"
    "Args:\n    image: uint8 array with 1, 3 or 4 channels.\n    center: (x, y) of the annulus.\n") +
    kCaliperArgsDoc +
    ".\n    calipers: number of calipers (>= 3).\n"
    "    inward: search from the outer towards the inner radius.\n"
    "    inlier_threshold: pixels; edge points farther from the circle are outliers.\n\n"
    "Returns a dict: ok, reason, center (x, y), radius, diameter, roundness (largest minus smallest radial\n"
    "distance of the inliers), inlier_count, and per caliper: points ((x, y) or None), inliers (bool),\n"
    "calipers ((start, end) of each search).";

// (x, y) from a 2-sequence of real numbers. NaN passes: the gauge reports it as a failure.
cv::Point2f ToPoint(const py::handle& value, const char* name)
{
    if (py::isinstance<py::sequence>(value) && !py::isinstance<py::str>(value)) {
        const py::sequence items = py::reinterpret_borrow<py::sequence>(value);
        if (items.size() == 2) {
            try {
                return cv::Point2f(items[0].cast<float>(), items[1].cast<float>());
            } catch (const py::cast_error&) {
            }
        }
    }
    throw py::value_error(std::string(name) + " must be two real numbers (x, y), got " + std::string(py::repr(value)));
}

cv::RotatedRect ToRotatedRect(const py::handle& value)
{
    if (py::isinstance<py::sequence>(value) && !py::isinstance<py::str>(value)) {
        const py::sequence items = py::reinterpret_borrow<py::sequence>(value);
        if (items.size() == 3) {
            try {
                const cv::Point2f centre = ToPoint(items[0], "rect centre");
                const cv::Point2f size = ToPoint(items[1], "rect size");
                return cv::RotatedRect(centre, cv::Size2f(size.x, size.y), items[2].cast<float>());
            } catch (const py::cast_error&) {
            }
        }
    }
    throw py::value_error("rect must be ((cx, cy), (w, h), angle), got " + std::string(py::repr(value)));
}

EA::CaliperParams ToCaliper(double threshold, int polarity, int kernelSize, int width, const std::string& select)
{
    EA::CaliperParams p;
    p.threshold = threshold;
    p.polarity = polarity;
    p.kernelSize = kernelSize;
    p.width = width;
    if (select == "first")
        p.select = EA::EdgeSelect::First;
    else if (select == "strongest")
        p.select = EA::EdgeSelect::Strongest;
    else if (select == "all")
        p.select = EA::EdgeSelect::All;
    else
        throw py::value_error("select must be 'first', 'strongest' or 'all', got '" + select + "'");
    return p;
}

py::dict EdgeDict(const EA::GaugeEdge& e)
{
    return py::dict("point"_a = ea::PointTuple(e.point), "position"_a = e.position, "polarity"_a = e.polarity,
                    "strength"_a = e.strength);
}

// points, inliers and calipers of a line or circle gauge, one entry per caliper.
void AddHits(py::dict& d, const std::vector<EA::CaliperHit>& hits)
{
    py::list points, inliers, calipers;
    for (const EA::CaliperHit& h : hits) {
        points.append(h.found ? py::object(ea::PointTuple(h.edge.point)) : py::object(py::none()));
        inliers.append(h.inlier);
        calipers.append(py::make_tuple(ea::PointTuple(h.start), ea::PointTuple(h.end)));
    }
    d["points"] = points;
    d["inliers"] = inliers;
    d["calipers"] = calipers;
}

py::dict EdgesDict(const EA::EdgeGaugeResult& r)
{
    py::list edges;
    for (const EA::GaugeEdge& e : r.edges)
        edges.append(EdgeDict(e));
    return py::dict("ok"_a = r.ok, "reason"_a = r.reason, "edges"_a = edges, "gaps"_a = r.gaps);
}

template <class Measure>
auto Released(Measure&& measure)
{
    py::gil_scoped_release release;
    return measure();
}

}  // namespace

void BindEAGauges(py::module_& ea)
{
    ea.def(
        "measureEdges",
        [](const conv::ImageArray& image, const py::object& p1, const py::object& p2, double threshold,
           int polarity, int kernel_size, int width, const std::string& select) {
            // Read in place: a gauge keeps nothing, and copying a 24 MP colour image costs a second.
            const cv::Mat img = conv::ArrayAsMat(image);
            const cv::Point2f a = ToPoint(p1, "p1"), b = ToPoint(p2, "p2");
            const EA::CaliperParams p = ToCaliper(threshold, polarity, kernel_size, width, select);
            return EdgesDict(Released([&] { return EA::measureEdges(img, a, b, p); }));
        },
        "image"_a, "p1"_a, "p2"_a, "threshold"_a = 20.0, "polarity"_a = 0, "kernel_size"_a = 2, "width"_a = 5,
        "select"_a = "all", kMeasureEdgesDoc.c_str());
    ea.def(
        "measureEdges",
        [](const conv::ImageArray& image, const py::object& rect, double threshold, int polarity, int kernel_size,
           const std::string& select) {
            const cv::Mat img = conv::ArrayAsMat(image);
            const cv::RotatedRect box = ToRotatedRect(rect);
            const EA::CaliperParams p = ToCaliper(threshold, polarity, kernel_size, 1, select);
            return EdgesDict(Released([&] { return EA::measureEdges(img, box, p); }));
        },
        "image"_a, "rect"_a, "threshold"_a = 20.0, "polarity"_a = 0, "kernel_size"_a = 2, "select"_a = "all",
        "Edge gauge along the long axis of the rotated rectangle rect = ((cx, cy), (w, h), angle), averaged\n"
        "over its whole short side; arguments and result as in the line form above.");

    ea.def(
        "measureLine",
        [](const conv::ImageArray& image, const py::object& rect, double threshold, int polarity, int kernel_size,
           int width, const std::string& select, int calipers, double inlier_threshold) {
            const cv::Mat img = conv::ArrayAsMat(image);
            EA::LineGaugeParams p;
            p.caliper = ToCaliper(threshold, polarity, kernel_size, width, select);
            p.calipers = calipers;
            p.inlierThreshold = inlier_threshold;
            const cv::RotatedRect box = ToRotatedRect(rect);
            const EA::LineGaugeResult r = Released([&] { return EA::measureLine(img, box, p); });
            py::dict d("ok"_a = r.ok, "reason"_a = r.reason,
                       "line"_a = py::make_tuple(r.line[0], r.line[1], r.line[2], r.line[3]), "p1"_a = ea::PointTuple(r.p1),
                       "p2"_a = ea::PointTuple(r.p2), "angle"_a = r.angle, "straightness"_a = r.straightness,
                       "inlier_count"_a = r.inliers);
            AddHits(d, r.hits);
            return d;
        },
        "image"_a, "rect"_a, "threshold"_a = 20.0, "polarity"_a = 0, "kernel_size"_a = 2, "width"_a = 5,
        "select"_a = "first", "calipers"_a = 10, "inlier_threshold"_a = 1.0, kMeasureLineDoc.c_str());

    ea.def(
        "measureCircle",
        [](const conv::ImageArray& image, const py::object& center, double inner_radius, double outer_radius,
           double start_angle, double end_angle, double threshold, int polarity, int kernel_size, int width,
           const std::string& select, int calipers, bool inward, double inlier_threshold) {
            const cv::Mat img = conv::ArrayAsMat(image);
            EA::CircleGaugeParams p;
            p.caliper = ToCaliper(threshold, polarity, kernel_size, width, select);
            p.calipers = calipers;
            p.inward = inward;
            p.inlierThreshold = inlier_threshold;
            const cv::Point2f c = ToPoint(center, "center");
            const EA::CircleGaugeResult r = Released(
                [&] { return EA::measureCircle(img, c, inner_radius, outer_radius, start_angle, end_angle, p); });
            py::dict d("ok"_a = r.ok, "reason"_a = r.reason, "center"_a = ea::PointTuple(r.centre), "radius"_a = r.radius,
                       "diameter"_a = r.diameter, "roundness"_a = r.roundness, "inlier_count"_a = r.inliers);
            AddHits(d, r.hits);
            return d;
        },
        "image"_a, "center"_a, "inner_radius"_a, "outer_radius"_a, "start_angle"_a = 0.0, "end_angle"_a = 360.0,
        "threshold"_a = 20.0, "polarity"_a = 0, "kernel_size"_a = 2, "width"_a = 5, "select"_a = "first",
        "calipers"_a = 32, "inward"_a = false, "inlier_threshold"_a = 1.0, kMeasureCircleDoc.c_str());
}

}  // namespace tivra::bindings
