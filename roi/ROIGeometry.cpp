#include "tivra/roi/ROIGeometry.h"

#include "tivra/analysis/SaturatingCast.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace ROIGeometry {

float DistanceToPoint(const cv::Point2f& p, const cv::Point2f& q)
{
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

float DistanceToLine(const cv::Point2f& p, const cv::Point2f& a, const cv::Point2f& b)
{
    const cv::Point2f ab = b - a;
    const cv::Point2f ap = p - a;
    const double t = static_cast<double>(ap.x) * ab.x + static_cast<double>(ap.y) * ab.y;
    if (t <= 0.0) {
        return DistanceToPoint(p, a);
    }
    const double lengthSquared = static_cast<double>(ab.x) * ab.x + static_cast<double>(ab.y) * ab.y;
    if (t >= lengthSquared) {
        return DistanceToPoint(p, b);
    }
    const double u = t / lengthSquared;
    const cv::Point2f foot(static_cast<float>(a.x + u * ab.x), static_cast<float>(a.y + u * ab.y));
    return DistanceToPoint(p, foot);
}

float DistanceToCircle(const cv::Point2f& p, const cv::Point2f& centre, float r)
{
    return std::fabs(DistanceToPoint(p, centre) - r);
}

float DistanceToPolygon(const cv::Point2f& p, const std::vector<cv::Point2f>& poly)
{
    if (poly.size() < 2) {
        return FLT_MAX;
    }
    float best = FLT_MAX;
    for (size_t i = 0; i < poly.size(); ++i) {
        const cv::Point2f& next = poly[(i + 1) % poly.size()];
        best = std::min(best, DistanceToLine(p, poly[i], next));
    }
    return best;
}

bool IsInsideRect(const cv::Point2f& p, const cv::Rect2f& r)
{
    return r.x <= p.x && p.x < r.x + r.width && r.y <= p.y && p.y < r.y + r.height;
}

cv::Rect2f BoundsOf(const std::vector<cv::Point2f>& pts)
{
    if (pts.empty()) {
        return cv::Rect2f();
    }
    cv::Point2f low = pts.front();
    cv::Point2f high = pts.front();
    for (const cv::Point2f& q : pts) {
        low = cv::Point2f(std::min(low.x, q.x), std::min(low.y, q.y));
        high = cv::Point2f(std::max(high.x, q.x), std::max(high.y, q.y));
    }
    return cv::Rect2f(low, high);
}

cv::Rect GetBoundingBox(const std::vector<cv::Point2f>& pts)
{
    const cv::Rect2f bounds = BoundsOf(pts);
    using tivra::TruncToInt;
    return cv::Rect(TruncToInt(bounds.x), TruncToInt(bounds.y), TruncToInt(bounds.width), TruncToInt(bounds.height));
}

} // namespace ROIGeometry
