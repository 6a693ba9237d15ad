#include "tivra/analysis/Gauges.h"
#include "tivra/analysis/LineFitting.h"

#include "Caliper.h"

#include <algorithm>
#include <cmath>

namespace EA {

namespace {

constexpr int kFitIterations = 200;

LineGaugeResult failed(std::string reason) {
    LineGaugeResult r;
    r.reason = std::move(reason);
    return r;
}

double signedResidual(const cv::Vec4f& line, const cv::Point2f& p) {
    return (p.x - line[2]) * line[1] - (p.y - line[3]) * line[0];
}

cv::Point2f foot(const cv::Vec4f& line, const cv::Point2f& p) {
    const double t = (p.x - line[2]) * line[0] + (p.y - line[3]) * line[1];
    return {static_cast<float>(line[2] + t * line[0]), static_cast<float>(line[3] + t * line[1])};
}

// Angle of an undirected line to the horizontal, in (-90, 90].
double lineAngle(const cv::Vec4f& line) {
    double a = std::atan2(line[1], line[0]) * 180.0 / CV_PI;
    if (a > 90.0) a -= 180.0;
    if (a <= -90.0) a += 180.0;
    return a;
}

}  // namespace

LineGaugeResult measureLine(const cv::Mat& img, const cv::RotatedRect& box, const LineGaugeParams& params) {
    if (std::string problem = Caliper::imageProblem(img); !problem.empty()) return failed(problem);
    if (std::string problem = Caliper::paramsProblem(params.caliper); !problem.empty()) return failed(problem);
    if (params.calipers < 2) return failed("a line gauge needs at least 2 calipers");
    if (!(params.inlierThreshold > 0.0)) return failed("inlier threshold must be positive");
    if (!Caliper::allFinite({box.center.x, box.center.y, box.size.width, box.size.height, box.angle})) {
        return failed("ROI geometry is not finite");
    }
    if (!(box.size.width >= 1.0f && box.size.height >= 1.0f)) return failed("degenerate ROI: a side is below one pixel");

    const bool wide = box.size.width >= box.size.height;
    const double a = (box.angle + (wide ? 0.0 : 90.0)) * CV_PI / 180.0;
    const cv::Point2f u(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
    const cv::Point2f v(-u.y, u.x);
    const float length = wide ? box.size.width : box.size.height;
    const float depth = wide ? box.size.height : box.size.width;

    LineGaugeResult result;
    std::vector<cv::Point2f> points;
    int usable = 0;
    for (int i = 0; i < params.calipers; ++i) {
        const float s = -length / 2 + (i + 0.5f) * length / params.calipers;
        CaliperHit hit;
        hit.start = box.center + s * u - depth / 2 * v;
        hit.end = box.center + s * u + depth / 2 * v;
        std::vector<GaugeEdge> edges;
        CaliperParams caliper = params.caliper;
        if (caliper.select == EdgeSelect::All) caliper.select = EdgeSelect::First;
        usable += Caliper::findEdges(img, hit.start, hit.end, caliper, edges) ? 1 : 0;
        if (!edges.empty()) {
            hit.found = true;
            hit.edge = edges.front();
            points.push_back(hit.edge.point);
        }
        result.hits.push_back(hit);
    }
    if (usable == 0) return failed("ROI outside the image");
    if (points.size() < 2) {
        LineGaugeResult r = failed("too few edges: found " + std::to_string(points.size()) + ", need 2");
        r.hits = std::move(result.hits);
        return r;
    }

    cv::Vec4f line;
    fitLineGeminiPro(points, line, kFitIterations, params.inlierThreshold, 1, 2);
    if (line[0] * u.x + line[1] * u.y < 0) line = cv::Vec4f(-line[0], -line[1], line[2], line[3]);
    double lo = 0.0, hi = 0.0;
    for (CaliperHit& hit : result.hits) {
        if (!hit.found) continue;
        const double r = signedResidual(line, hit.edge.point);
        hit.inlier = std::abs(r) < params.inlierThreshold;
        if (!hit.inlier) continue;
        lo = result.inliers == 0 ? r : std::min(lo, r);
        hi = result.inliers == 0 ? r : std::max(hi, r);
        ++result.inliers;
    }
    if (result.inliers < 2 || !Caliper::allFinite({line[0], line[1], line[2], line[3]})) {
        LineGaugeResult r = failed("line fit failed: fewer than 2 edges agree on a line");
        r.hits = std::move(result.hits);
        return r;
    }
    result.line = line;
    result.p1 = foot(line, box.center - length / 2 * u);
    result.p2 = foot(line, box.center + length / 2 * u);
    result.angle = lineAngle(line);
    result.straightness = hi - lo;
    result.ok = true;
    return result;
}

}  // namespace EA
