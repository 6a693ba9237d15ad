#include "tivra/analysis/Gauges.h"

#include "Caliper.h"

#include <cmath>

namespace EA {

namespace {

EdgeGaugeResult failed(std::string reason) {
    EdgeGaugeResult r;
    r.reason = std::move(reason);
    return r;
}

}  // namespace

EdgeGaugeResult measureEdges(const cv::Mat& img, cv::Point2f p1, cv::Point2f p2, const CaliperParams& params) {
    if (std::string problem = Caliper::imageProblem(img); !problem.empty()) return failed(problem);
    if (std::string problem = Caliper::paramsProblem(params); !problem.empty()) return failed(problem);
    if (!Caliper::allFinite({p1.x, p1.y, p2.x, p2.y})) return failed("ROI geometry is not finite");
    if (std::hypot(p2.x - p1.x, p2.y - p1.y) < 1.0) return failed("degenerate ROI: the line is shorter than one pixel");
    EdgeGaugeResult result;
    if (!Caliper::findEdges(img, p1, p2, params, result.edges)) return failed("ROI outside the image");
    if (result.edges.empty()) return failed("no edge found");
    for (size_t i = 1; i < result.edges.size(); ++i) {
        result.gaps.push_back(result.edges[i].position - result.edges[i - 1].position);
    }
    result.ok = true;
    return result;
}

EdgeGaugeResult measureEdges(const cv::Mat& img, const cv::RotatedRect& box, const CaliperParams& params) {
    if (!Caliper::allFinite({box.center.x, box.center.y, box.size.width, box.size.height, box.angle})) {
        return failed("ROI geometry is not finite");
    }
    if (!(box.size.width >= 1.0f && box.size.height >= 1.0f)) return failed("degenerate ROI: a side is below one pixel");
    const bool wide = box.size.width >= box.size.height;
    const double a = (box.angle + (wide ? 0.0 : 90.0)) * CV_PI / 180.0;
    const double half = (wide ? box.size.width : box.size.height) / 2.0;
    const cv::Point2f u(static_cast<float>(std::cos(a) * half), static_cast<float>(std::sin(a) * half));
    CaliperParams across = params;
    across.width = static_cast<int>(std::floor(wide ? box.size.height : box.size.width));
    return measureEdges(img, box.center - u, box.center + u, across);
}

}  // namespace EA
