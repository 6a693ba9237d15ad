#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/Gauges.h"

#include "Caliper.h"

#include <algorithm>
#include <cmath>

namespace EA {

namespace {

constexpr int kFitIterations = 1000;

CircleGaugeResult failed(std::string reason, std::vector<CaliperHit> hits = {}) {
    CircleGaugeResult r;
    r.reason = std::move(reason);
    r.hits = std::move(hits);
    return r;
}

std::string geometryProblem(cv::Point2f centre, double inner, double outer, double start, double end) {
    if (!Caliper::allFinite({centre.x, centre.y, inner, outer, start, end})) return "ROI geometry is not finite";
    if (inner < 0.0) return "degenerate ROI: negative inner radius";
    if (inner > outer) return "degenerate ROI: inner radius above the outer radius";
    if (outer - inner < 1.0) return "degenerate ROI: the ring is narrower than one pixel";
    if (start == end) return "degenerate ROI: the sweep is empty";
    return {};
}

// Angles of the calipers, in radians, evenly over the sweep (centred in their shares of it).
std::vector<double> caliperAngles(double start, double end, int count) {
    const double lo = std::min(start, end);
    const double sweep = std::min(std::abs(end - start), 360.0);
    std::vector<double> angles;
    for (int i = 0; i < count; ++i) angles.push_back((lo + (i + 0.5) * sweep / count) * CV_PI / 180.0);
    return angles;
}

}  // namespace

CircleGaugeResult measureCircle(const cv::Mat& img, cv::Point2f centre, double innerRadius, double outerRadius,
                                double startAngle, double endAngle, const CircleGaugeParams& params) {
    if (std::string problem = Caliper::imageProblem(img); !problem.empty()) return failed(problem);
    if (std::string problem = Caliper::paramsProblem(params.caliper); !problem.empty()) return failed(problem);
    if (params.calipers < 3) return failed("a circle gauge needs at least 3 calipers");
    if (!(params.inlierThreshold > 0.0)) return failed("inlier threshold must be positive");
    if (std::string problem = geometryProblem(centre, innerRadius, outerRadius, startAngle, endAngle);
        !problem.empty()) {
        return failed(problem);
    }

    CaliperParams caliper = params.caliper;
    if (caliper.select == EdgeSelect::All) caliper.select = EdgeSelect::First;
    std::vector<CaliperHit> hits;
    std::vector<cv::Point2f> points;
    int usable = 0;
    for (double a : caliperAngles(startAngle, endAngle, params.calipers)) {
        const cv::Point2f dir(static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a)));
        const cv::Point2f in = centre + static_cast<float>(innerRadius) * dir;
        const cv::Point2f out = centre + static_cast<float>(outerRadius) * dir;
        CaliperHit hit;
        hit.start = params.inward ? out : in;
        hit.end = params.inward ? in : out;
        std::vector<GaugeEdge> edges;
        usable += Caliper::findEdges(img, hit.start, hit.end, caliper, edges, &centre) ? 1 : 0;
        if (!edges.empty()) {
            hit.found = true;
            hit.edge = edges.front();
            points.push_back(hit.edge.point);
        }
        hits.push_back(hit);
    }
    if (usable == 0) return failed("ROI outside the image", std::move(hits));
    if (points.size() < 3) {
        return failed("too few edges: found " + std::to_string(points.size()) + ", need 3", std::move(hits));
    }

    cv::Point2f c;
    float r = 0.0f;
    if (!fitCircleGeminiUltra(points, c, r, kFitIterations, static_cast<float>(params.inlierThreshold), 0.0f, 0.0f) ||
        !(r > 0.0f) || !Caliper::allFinite({c.x, c.y, r})) {
        return failed("circle fit failed: the edges do not lie on a circle", std::move(hits));
    }
    CircleGaugeResult result;
    double lo = 0.0, hi = 0.0;
    for (CaliperHit& hit : hits) {
        if (!hit.found) continue;
        const double d = std::hypot(hit.edge.point.x - c.x, hit.edge.point.y - c.y);
        hit.inlier = std::abs(d - r) < params.inlierThreshold;
        if (!hit.inlier) continue;
        lo = result.inliers == 0 ? d : std::min(lo, d);
        hi = result.inliers == 0 ? d : std::max(hi, d);
        ++result.inliers;
    }
    if (result.inliers < 3) return failed("circle fit failed: fewer than 3 edges agree on a circle", std::move(hits));
    result.hits = std::move(hits);
    result.centre = c;
    result.radius = r;
    result.diameter = 2.0 * r;
    result.roundness = hi - lo;
    result.ok = true;
    return result;
}

}  // namespace EA
