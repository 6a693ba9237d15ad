// EA circle fitting and radius / diameter statistics. Fits run without the
// interpreter lock.
#include "BindEA.h"

#include <mutex>
#include <string>
#include <type_traits>

#include "Conversion.h"
#include "tivra/analysis/CircleFitting.h"

namespace py = pybind11;
using tivra::conversion::ArrayToPoints;
using tivra::conversion::TupleToPoint;

namespace tivra::bindings {
namespace {

using namespace ea;
using Handle = const py::object&;
using Points = std::vector<cv::Point2f>;

const char* const kRobustContract =
    "\n\npoints: (N, 2) array-like of edge points. maxIterations bounds the sampling iterations. A point is an "
    "inlier when |distance(point, centre) - radius| < inlierThreshold (pixels). A candidate is rejected when "
    "minRadius > 0 and its radius < minRadius, or maxRadius > 0 and its radius > maxRadius: 0 is no bound. "
    "Sampling is seeded on every call, so the same points give the same circle.\n"
    "Returns (cx, cy, r), or None when no circle is found.";

// fitCircleRANSAC and fitCircleRANSAC2 draw from the C library's process-wide rand()
// sequence (reseeded on each call): two of them running at once on different threads
// would interleave their draws and lose their determinism, so they take turns.
std::mutex& RandSequenceMutex()
{
    static std::mutex mutex;
    return mutex;
}

template <auto Fit, bool UsesRand = false>
py::object FitRobust(Handle points, int maxIterations, float inlierThreshold, float minRadius, float maxRadius)
{
    const Points pts = ArrayToPoints(points, "points");
    cv::Point2f centre;
    float radius = 0.0f;
    bool found = true;
    {
        py::gil_scoped_release release;
        std::unique_lock<std::mutex> turn(RandSequenceMutex(), std::defer_lock);
        if (UsesRand)
            turn.lock();
        if constexpr (std::is_void_v<decltype(Fit(pts, centre, radius, 0, 0.f, 0.f, 0.f))>)
            Fit(pts, centre, radius, maxIterations, inlierThreshold, minRadius, maxRadius);
        else
            found = Fit(pts, centre, radius, maxIterations, inlierThreshold, minRadius, maxRadius);
    }
    return CircleOrNone(found, centre, radius);
}

template <auto Fit>
py::object FitClosedForm(Handle points)
{
    const Points pts = ArrayToPoints(points, "points");
    cv::Point2f centre;
    float radius = 0.0f;
    bool found = true;
    {
        py::gil_scoped_release release;
        if constexpr (std::is_void_v<decltype(Fit(pts, centre, radius))>)
            Fit(pts, centre, radius);
        else
            found = Fit(pts, centre, radius);
    }
    return CircleOrNone(found, centre, radius);
}

template <typename Function>
void DefRobust(py::module_& ea, const char* name, Function fit, const char* what)
{
    ea.def(name, fit, py::arg("points"), py::arg("maxIterations"), py::arg("inlierThreshold"),
           py::arg("minRadius") = 0.0f, py::arg("maxRadius") = 0.0f, (std::string(what) + kRobustContract).c_str());
}

void BindRobustFitters(py::module_& ea)
{
    DefRobust(ea, "fitCircleRANSAC", &FitRobust<EA::fitCircleRANSAC, true>,
              "Plain RANSAC on three-point circles (at most min(N, maxIterations) samples); the result is the "
              "best three-point circle by inlier count, unrefined. Draws from the C library's rand() after "
              "srand(0), which resets the process's rand() sequence.");
    DefRobust(ea, "fitCircleRANSAC2", &FitRobust<EA::fitCircleRANSAC2, true>,
              "RANSAC with three distinct points per sample and a moment fit on the best inliers. Draws from "
              "the C library's rand() after srand(0), which resets the process's rand() sequence.");
    DefRobust(ea, "fitCircleUSAC", &FitRobust<EA::fitCircleUSAC>,
              "RANSAC with shuffled samples and an adaptive iteration bound at 99 % confidence; the minimum "
              "enclosing circle of the best inliers when it agrees with the sampled circle.");
    DefRobust(ea, "fitCircleChatGPT", &FitRobust<EA::fitCircleChatGPT>,
              "MSAC: the three-point circle with the lowest truncated quadratic cost, unrefined. Bounds swap "
              "when both are positive and minRadius > maxRadius.");
    DefRobust(ea, "fitCircleChatGPTv2", &FitRobust<EA::fitCircleChatGPTv2>,
              "MSAC whose threshold and iteration count adapt to the angular coverage of the points (short "
              "arcs get a tighter threshold and more iterations); the best candidates are re-estimated "
              "geometrically from their inliers.");
    DefRobust(ea, "fitCircleGeminiPro", &FitRobust<EA::fitCircleGeminiPro>,
              "Stratified RANSAC (one sample point from each third of the list), stopping early above 95 % "
              "inliers, then least squares and a geometric refinement on the inliers.");
    DefRobust(ea, "fitCircleGeminiUltra", &FitRobust<EA::fitCircleGeminiUltra>,
              "Locally optimised MSAC with an adaptive iteration bound, finished by a damped "
              "(Levenberg-Marquardt) geometric fit on the inliers. The fitter to pick for edge points with "
              "outliers.");
    DefRobust(ea, "fitCircleClaudeOpus45", &FitRobust<EA::fitCircleClaudeOpus45>,
              "MSAC with stratified sampling; every candidate is refined (least squares, geometric fit, "
              "tighter inlier set, geometric fit again) and the refined circle with the lowest cost wins.");
    DefRobust(ea, "fitCircleClaudeOpus45v2", &FitRobust<EA::fitCircleClaudeOpus45v2>,
              "MSAC sampling weighted by local point density with an adaptive iteration bound, refined in rounds "
              "with inlier bands shrinking to 0.75, 0.6 and 0.375 x inlierThreshold. For many outliers packed "
              "densely on the contour.");
}

void BindClosedFormFitters(py::module_& ea)
{
    ea.def("fitCircleFromPoints", &FitClosedForm<EA::fitCircleFromPoints>, py::arg("points"),
           "Algebraic fit of the centred moments of (N, 2) points: (cx, cy, r). Collinear or coincident points "
           "give their mean and mean distance; None when that radius is 0 (no points, or all equal). The fitter "
           "to pick for clean points.");
    ea.def("fitCircleLeastSquares", &FitClosedForm<EA::fitCircleLeastSquares>, py::arg("points"),
           "The moment fit in single precision: (cx, cy, r), or None for fewer than three points or collinear "
           "points.");
    ea.def("fitCircleTaubin", &FitClosedForm<EA::fitCircleTaubin>, py::arg("points"),
           "Algebraic fit of x^2 + y^2 + D x + E y + F = 0 by its normal equations: (cx, cy, r), or None for "
           "fewer than three points or collinear points.");
    ea.def("fitCircleHoughTransform", &FitClosedForm<EA::fitCircleHoughTransform>, py::arg("points"),
           "Hough voting on an image rendered from the points; centre and radius come out as whole pixels. "
           "(cx, cy, r), or None for fewer than three points or when no circle is found.");
    ea.def(
        "selectBestFitCircle",
        [](py::array_t<float, py::array::c_style | py::array::forcecast> circles, float ratio) {
            const bool empty = circles.ndim() == 1 && circles.shape(0) == 0;
            if (!empty && (circles.ndim() != 2 || circles.shape(1) != 3))
                throw py::value_error("circles must have shape (N, 3) of (x, y, r)");
            std::vector<cv::Vec3f> list(empty ? 0 : size_t(circles.shape(0)));
            for (size_t i = 0; i < list.size(); ++i)
                list[i] = cv::Vec3f(circles.at(i, 0), circles.at(i, 1), circles.at(i, 2));
            const cv::Vec3f best = EA::selectBestFitCircle(list, ratio);
            return py::make_tuple(double(best[0]), double(best[1]), double(best[2]));
        },
        py::arg("circles"), py::arg("ratio"),
        "The candidate (x, y, r) with the largest radius from an (N, 3) array-like; (0, 0, 0) for none. The "
        "ratio does not change the result.");
}

void BindSpread(py::module_& ea)
{
    ea.def(
        "FindMeanMaxMinRadius",
        [](Handle pts, Handle centre) {
            const Points points = ArrayToPoints(pts, "pts");
            const cv::Point2f c = TupleToPoint(centre, "centre");
            float mean = 0, max = 0, min = 0;
            cv::Point2f maxPt, minPt;
            {
                py::gil_scoped_release release;
                EA::FindMeanMaxMinRadius(points, c, mean, max, min, maxPt, minPt);
            }
            py::dict result;
            result["mean"] = double(mean);
            result["max"] = double(max);
            result["min"] = double(min);
            result["max_point"] = PointTuple(maxPt);
            result["min_point"] = PointTuple(minPt);
            return result;
        },
        py::arg("pts"), py::arg("centre"),
        "Distances of (N, 2) points to centre, in pixels: {'mean', 'max', 'min', 'max_point', 'min_point'}, "
        "the points where the extremes occur. No points: mean 0, max 1.1754944e-38, min FLT_MAX, both "
        "points (0, 0).");
    ea.def(
        "FindMeanMaxMinDiameter",
        [](int n, Handle pts, Handle centre) {
            const Points points = ArrayToPoints(pts, "pts");
            const cv::Point2f c = TupleToPoint(centre, "centre");
            float mean = 0, max = 0, min = 0;
            cv::Point2f maxA, maxB, minA, minB;
            {
                py::gil_scoped_release release;
                EA::FindMeanMaxMinDiameter(n, points, c, mean, max, min, maxA, maxB, minA, minB);
            }
            py::dict result;
            result["mean"] = double(mean);
            result["max"] = double(max);
            result["min"] = double(min);
            result["max_a"] = PointTuple(maxA);
            result["max_b"] = PointTuple(maxB);
            result["min_a"] = PointTuple(minA);
            result["min_b"] = PointTuple(minB);
            return result;
        },
        py::arg("n"), py::arg("pts"), py::arg("centre"),
        "Chords between opposite points of a closed contour of n points (pts[j] to pts[j + n // 2]), in "
        "pixels: {'mean', 'max', 'min', 'max_a', 'max_b', 'min_a', 'min_b'}, the longest and the shortest "
        "non-zero chord with their end points. With n < 2 or no chord of positive length, mean, max and min "
        "are 0 and the end points (0, 0). centre is not used.");
}

}  // namespace

void BindEACircleFitting(py::module_& ea)
{
    BindRobustFitters(ea);
    BindClosedFormFitters(ea);
    BindSpread(ea);
}

}  // namespace tivra::bindings
