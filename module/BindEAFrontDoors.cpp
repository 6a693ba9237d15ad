// EA.FitCircle and EA.FitLine: one call for users who do not want to choose among
// the fitters. Each calls the fitter the accuracy benchmarks recommend and adds the
// inlier mask the caller would otherwise compute.
#include "BindEA.h"

#include <cmath>
#include <string>

#include "Conversion.h"
#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/LineFitting.h"

namespace py = pybind11;
using tivra::conversion::ArrayToPoints;

namespace tivra::bindings {
namespace {

using Points = std::vector<cv::Point2f>;

// Sampling budgets: enough for half the points being outliers at 99.9 % confidence.
constexpr int kCircleIterations = 1000;
constexpr int kLineIterations = 500;
constexpr int kLineRefineOnePass = 1;
constexpr int kLineMinInliers = 2;

void CheckThreshold(double threshold)
{
    if (!(threshold > 0.0) || !std::isfinite(threshold))
        throw py::value_error("threshold must be a positive number of pixels, got " + std::to_string(threshold));
}

// Marks the points whose distance from the model is below threshold (NaN points are never inliers).
template <typename Distance>
py::array_t<bool> InlierMask(const Points& points, double threshold, Distance distance)
{
    py::array_t<bool> mask(static_cast<py::ssize_t>(points.size()));
    bool* out = mask.mutable_data();
    for (size_t i = 0; i < points.size(); ++i)
        out[i] = distance(points[i]) < threshold;
    return mask;
}

py::object FitCircle(const py::object& pointsIn, double threshold, bool robust)
{
    CheckThreshold(threshold);
    const Points points = ArrayToPoints(pointsIn, "points");
    cv::Point2f centre;
    float radius = 0.0f;
    bool found = true;
    {
        py::gil_scoped_release release;
        if (robust)
            found = EA::fitCircleGeminiUltra(points, centre, radius, kCircleIterations, float(threshold), 0.0f, 0.0f);
        else
            EA::fitCircleFromPoints(points, centre, radius);
    }
    const py::object circle = ea::CircleOrNone(found, centre, radius);
    if (circle.is_none() || !std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(radius))
        return py::none();
    const auto mask = InlierMask(points, threshold, [&](const cv::Point2f& p) {
        return std::abs(std::hypot(double(p.x) - centre.x, double(p.y) - centre.y) - double(radius));
    });
    return py::make_tuple(circle, mask);
}

py::object FitLine(const py::object& pointsIn, double threshold, bool robust)
{
    CheckThreshold(threshold);
    const Points points = ArrayToPoints(pointsIn, "points");
    cv::Vec4f line(0, 0, 0, 0);
    {
        py::gil_scoped_release release;
        if (robust)
            EA::fitLineGeminiPro(points, line, kLineIterations, threshold, kLineRefineOnePass, kLineMinInliers);
        else
            EA::fitLineLeastSquares(points, line);
    }
    const double length = std::hypot(double(line[0]), double(line[1]));
    if (!(length > 0.0) || !std::isfinite(length) || !std::isfinite(line[2]) || !std::isfinite(line[3]))
        return py::none();
    const auto mask = InlierMask(points, threshold, [&](const cv::Point2f& p) {
        return std::abs(line[0] * (double(p.y) - line[3]) - line[1] * (double(p.x) - line[2])) / length;
    });
    return py::make_tuple(ea::Vec4Tuple(line), mask);
}

}  // namespace

void BindEAFrontDoors(py::module_& ea)
{
    ea.def("FitCircle", &FitCircle, py::arg("points"), py::arg("threshold") = 1.0, py::arg("robust") = true,
           "Fits a circle to (N, 2) edge points and returns ((cx, cy, r), inliers), inliers being a boolean "
           "array of N marking the points within threshold pixels of the circle; None when no circle is "
           "found.\n\n"
           "robust=True (for points with outliers) runs fitCircleGeminiUltra with 1000 iterations and "
           "threshold as its inlier threshold; robust=False runs fitCircleFromPoints, the algebraic fit for "
           "clean points. threshold must be positive.");
    ea.def("FitLine", &FitLine, py::arg("points"), py::arg("threshold") = 1.0, py::arg("robust") = true,
           "Fits a straight line to (N, 2) edge points and returns ((vx, vy, x0, y0), inliers): a unit "
           "direction and a point on the line as cv::fitLine gives them, and a boolean array of N marking the "
           "points within threshold pixels of the line; None for fewer than two points.\n\n"
           "robust=True (for points with outliers) runs fitLineGeminiPro with 500 iterations, threshold as its "
           "inlier threshold and one principal-axis refinement of the inliers; robust=False runs "
           "fitLineLeastSquares. threshold must be positive.");
}

}  // namespace tivra::bindings
