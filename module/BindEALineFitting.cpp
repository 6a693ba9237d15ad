// EA line fitting and the curve peak / valley search. Fits run without the
// interpreter lock.
#include "BindEA.h"

#include "Conversion.h"
#include "tivra/analysis/CurvePeakValley.h"
#include "tivra/analysis/LineFitting.h"

namespace py = pybind11;
using tivra::conversion::ArrayToPoints;

namespace tivra::bindings {
namespace {

using namespace ea;
using Handle = const py::object&;
using Points = std::vector<cv::Point2f>;

const char* const kLineForm =
    "\n\npts: (N, 2) array-like. Returns (vx, vy, x0, y0) as cv::fitLine does: a unit direction and a point "
    "on the line.";

// Runs `fit(points, line)` without the interpreter lock on a line that starts at zeros,
// so "left unchanged" reads as (0, 0, 0, 0).
template <typename Fit>
py::tuple FitWithoutLock(Handle pts, Fit fit)
{
    const Points points = ArrayToPoints(pts, "pts");
    cv::Vec4f line(0, 0, 0, 0);
    {
        py::gil_scoped_release release;
        fit(points, line);
    }
    return Vec4Tuple(line);
}

template <void (*Fit)(const Points&, cv::Vec4f&)>
py::tuple FitPlain(Handle pts)
{
    return FitWithoutLock(pts, Fit);
}

void BindPlainFitters(py::module_& ea)
{
    ea.def("fitLineLeastSquares", &FitPlain<EA::fitLineLeastSquares>, py::arg("pts"),
           (std::string("cv::fitLine with DIST_L2; (0, 0, 0, 0) for fewer than two points.") + kLineForm).c_str());
    ea.def("fitLineUSAC", &FitPlain<EA::fitLineUSAC>, py::arg("pts"),
           (std::string("cv::fitLine with DIST_HUBER (no sampling despite the name); (0, 0, 0, 0) for fewer than "
                        "two points.") +
            kLineForm)
               .c_str());
    ea.def("fitLineTaubin", &FitPlain<EA::fitLineTaubin>, py::arg("pts"),
           (std::string("Principal axis through the centroid; (0, 0, 0, 0) for fewer than two points.") + kLineForm)
               .c_str());
    ea.def("fitLineKMeans", &FitPlain<EA::fitLineKMeans>, py::arg("pts"),
           "Line through the centres of a two-cluster k-means split of (N, 2) points, returned as the segment "
           "(x1, y1, x2, y2) over the points' x range (y range when the centres lie one above the other). Fewer "
           "than two points print a message to standard error and give (0, 0, 0, 0).");
    ea.def("fitLineLevenbergMarquardt", &FitPlain<EA::fitLineLevenbergMarquardt>, py::arg("pts"),
           (std::string("Orthogonal least squares refined by Levenberg-Marquardt. Raises RuntimeError for fewer "
                        "than two points.") +
            kLineForm)
               .c_str());
}

void BindSamplingFitters(py::module_& ea)
{
    ea.def(
        "fitLineRANSAC",
        [](Handle pts, int maxIterations, double threshold, int minInliers) {
            return FitWithoutLock(pts, [&](const Points& p, cv::Vec4f& l) {
                EA::fitLineRANSAC(p, l, maxIterations, threshold, minInliers);
            });
        },
        py::arg("pts"), py::arg("maxIterations"), py::arg("threshold"), py::arg("minInliers"),
        (std::string("Best line through two sampled points: most inliers closer than threshold pixels, at least "
                     "minInliers, min(N, maxIterations) samples, no refinement. (0, 0, 0, 0) when no sample "
                     "qualifies.") +
         kLineForm)
            .c_str());
    ea.def(
        "fitLineChatGPT",
        [](Handle pts, int maxIterations, double threshold, int minInliers) {
            return FitWithoutLock(pts, [&](const Points& p, cv::Vec4f& l) {
                EA::fitLineChatGPT(p, l, maxIterations, threshold, minInliers);
            });
        },
        py::arg("pts"), py::arg("maxIterations"), py::arg("threshold"), py::arg("minInliers"),
        (std::string("Sampling (OpenCV's RNG, seed 12345); the best sample's inliers (closer than threshold "
                     "pixels, at least minInliers) are refitted by their principal axis. (0, 0, 0, 0) when no "
                     "sample qualifies.") +
         kLineForm)
            .c_str());
    ea.def(
        "fitLineLeastSquaresUSAC",
        [](Handle pts, int maxIterations, float threshold) {
            return FitWithoutLock(pts, [&](const Points& p, cv::Vec4f& l) {
                EA::fitLineLeastSquaresUSAC(p, l, maxIterations, threshold);
            });
        },
        py::arg("pts"), py::arg("maxIterations"), py::arg("threshold"),
        (std::string("Adaptive sampling whose iteration count shrinks with the inlier ratio, then cv::fitLine "
                     "(DIST_L2) on the inliers closer than threshold pixels. (0, 0, 0, 0) for too few points.") +
         kLineForm)
            .c_str());
    ea.def(
        "fitLineClaudeOpus45",
        [](Handle pts, int maxIterations, double threshold, int minInliers) {
            return FitWithoutLock(pts, [&](const Points& p, cv::Vec4f& l) {
                EA::fitLineClaudeOpus45(p, l, maxIterations, threshold, minInliers);
            });
        },
        py::arg("pts"), py::arg("maxIterations"), py::arg("threshold"), py::arg("minInliers"),
        (std::string("Sampling with soft (Gaussian) scoring, principal-axis refits of the inliers and a final "
                     "Tukey-biweight refinement; the direction points right (down when vertical). (0, 0, 0, 0) "
                     "for fewer than two points.") +
         kLineForm)
            .c_str());
    ea.def(
        "fitLineGeminiPro",
        [](Handle pts, int maxIterations, double threshold, int refineMode, int minInliers) {
            return FitWithoutLock(pts, [&](const Points& p, cv::Vec4f& l) {
                EA::fitLineGeminiPro(p, l, maxIterations, threshold, refineMode, minInliers);
            });
        },
        py::arg("pts"), py::arg("maxIterations"), py::arg("threshold"), py::arg("refineMode"),
        py::arg("minInliers"),
        (std::string("MSAC sampling (truncated quadratic cost, threshold in pixels, candidates with at least "
                     "minInliers inliers). refineMode 0 keeps the best sample, 2 runs up to five weighted "
                     "principal-axis passes over the inliers, any other value one unweighted pass. Without a "
                     "qualifying sample, cv::fitLine (DIST_L2) of all points; (0, 0, 0, 0) for fewer than two. "
                     "The fitter to pick for edge points with outliers, with refineMode 1.") +
         kLineForm)
            .c_str());
    ea.def(
        "fitLinearCurve",
        [](Handle pts, int method) {
            const Points points = ArrayToPoints(pts, "pts");
            cv::Vec3f curve;
            {
                py::gil_scoped_release release;
                curve = EA::fitLinearCurve(points, method);
            }
            return py::make_tuple(double(curve[0]), double(curve[1]), double(curve[2]));
        },
        py::arg("pts"), py::arg("method"),
        "Line as y = k*x + b: returns (k, b, valid) for (N, 2) points. method 1 robust sampling, 2 Huber, "
        "anything else least squares. A vertical line gives k = inf and b = its x; valid is 0.0 (and k, b 0) "
        "when no line was found.");
}

py::dict TurnDict(int index, const cv::Point2f& point, float distance, float value, const cv::Vec2f& line,
                  float lineValid, const std::vector<double>& coefficients)
{
    py::dict d;
    d["index"] = index;
    d["point"] = PointTuple(point);
    d["distance"] = double(distance);
    d["value"] = double(value);
    d["line"] = py::make_tuple(double(line[0]), double(line[1]));
    d["line_valid"] = lineValid != 0.0f;
    py::list values;
    for (double c : coefficients)
        values.append(c);
    d["coefficients"] = py::tuple(values);
    return d;
}

void BindCurvePeakValley(py::module_& ea)
{
    ea.def(
        "findCruveLocalPeakValleyPoint",
        [](Handle curve, int step, int window) {
            const std::vector<cv::Point2f> points = ArrayToPoints(curve, "curve");
            int peakIndex = -1, valleyIndex = -1;
            cv::Point2f peakPoint, valleyPoint;
            float peakDistance = 0, valleyDistance = 0, peakValue = 0, valleyValue = 0, peakValid = 0,
                  valleyValid = 0;
            std::vector<double> peakCoefficients, valleyCoefficients;
            cv::Vec2f peakLine, valleyLine;
            {
                py::gil_scoped_release release;
                EA::findCruveLocalPeakValleyPoint(points, peakIndex, valleyIndex, peakPoint, valleyPoint,
                                                  peakDistance, valleyDistance, peakValue, valleyValue,
                                                  &peakCoefficients, &valleyCoefficients, step, window, &peakLine,
                                                  &peakValid, &valleyLine, &valleyValid);
            }
            py::dict result;
            result["peak"] = TurnDict(peakIndex, peakPoint, peakDistance, peakValue, peakLine, peakValid,
                                       peakCoefficients);
            result["valley"] = TurnDict(valleyIndex, valleyPoint, valleyDistance, valleyValue, valleyLine,
                                         valleyValid, valleyCoefficients);
            return result;
        },
        py::arg("curve"), py::arg("step"), py::arg("window"),
        "Sharpest bends of an ordered (N, 2) point list. The turning value at i is the cross product of "
        "p(i) - p(i - step) and p(i + step) - p(i); positive turns are clockwise on screen. The peak is the "
        "largest turn beating the five values on each side strictly, the valley the smallest.\n\n"
        "Returns {'peak': {...}, 'valley': {...}}, each with 'index' (-1 when none), 'point' ((-1, -1) when "
        "none), 'value' (the turning value; -inf for no peak, +inf for no valley), 'line' ((k, b) of "
        "y = k*x + b fitted with a Huber loss to the points within window of it, itself excluded; k = inf "
        "for a vertical line x = b), 'line_valid', 'distance' (of the point from that line, 0 when none) and "
        "'coefficients' ((k, b, 0.0)). Curves shorter than 2*step + 1 or 2*window + 1 points give indices -1 "
        "and zero values.");
}

}  // namespace

void BindEALineFitting(py::module_& ea)
{
    BindPlainFitters(ea);
    BindSamplingFitters(ea);
    BindCurvePeakValley(ea);
}

}  // namespace tivra::bindings
