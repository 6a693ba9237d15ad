#include "tivra/roi/ROIHitTest.h"

#include "tivra/roi/ROIGeometry.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ROIHitTest {
namespace {

constexpr double kPi = 3.141592653589793;
// Rotated rectangle edges are harder to grab than axis-aligned ones, so they
// get a wider band.
constexpr float kRotatedEdgeBand = 1.5f;

ROIHitResult Hit(int handle, float distance, int vertexIndex = -1)
{
    return ROIHitResult{0, vertexIndex, handle, distance};
}

cv::Point2f PointAtAngle(const cv::Point2f& centre, float radius, float degrees)
{
    const float radians = static_cast<float>(degrees * kPi / 180.0);
    return centre + radius * cv::Point2f(std::cos(radians), std::sin(radians));
}

} // namespace

ROIHitResult TestPoint(const cv::Point2f& p, const cv::Point2f& point, float tol)
{
    const float d = ROIGeometry::DistanceToPoint(p, point);
    return d < tol ? Hit(ROIHandle::Body, d) : ROIHitResult{};
}

ROIHitResult TestLine(const cv::Point2f& p, const cv::Point2f& start, const cv::Point2f& end, float tol)
{
    if (start == end) {
        return ROIHitResult{};
    }
    const float ds = ROIGeometry::DistanceToPoint(p, start);
    const float de = ROIGeometry::DistanceToPoint(p, end);
    const float dl = ROIGeometry::DistanceToLine(p, start, end);
    if (ds < tol) {
        return Hit(ROIHandle::LineStart, ds);
    }
    if (de < tol) {
        return Hit(ROIHandle::LineEnd, de);
    }
    if (dl < tol) {
        return Hit(ROIHandle::Body, dl);
    }
    return ROIHitResult{};
}

ROIHitResult TestRectangle(const cv::Point2f& p, const cv::Rect2f& rect, float tol)
{
    if (rect.width <= 0 || rect.height <= 0) {
        return ROIHitResult{};
    }
    const float right = rect.x + rect.width;
    const float bottom = rect.y + rect.height;
    const bool inVerticalBand = rect.y - tol <= p.y && p.y <= bottom + tol;
    const bool inHorizontalBand = rect.x - tol <= p.x && p.x <= right + tol;
    const float dLeft = std::fabs(p.x - rect.x);
    const float dRight = std::fabs(p.x - right);
    const float dTop = std::fabs(p.y - rect.y);
    const float dBottom = std::fabs(p.y - bottom);
    const bool nearSide = inVerticalBand && std::min(dLeft, dRight) < tol;
    const bool nearTopOrBottom = inHorizontalBand && std::min(dTop, dBottom) < tol;
    if (nearSide && nearTopOrBottom) {
        const bool left = dLeft <= dRight;
        const bool top = dTop <= dBottom;
        const int corner = top ? (left ? ROIHandle::TopLeftCorner : ROIHandle::TopRightCorner)
                               : (left ? ROIHandle::BottomLeftCorner : ROIHandle::BottomRightCorner);
        return Hit(corner, std::hypot(std::min(dLeft, dRight), std::min(dTop, dBottom)));
    }
    if (inVerticalBand && dLeft < tol) {
        return Hit(ROIHandle::LeftEdge, dLeft);
    }
    if (inVerticalBand && dRight < tol) {
        return Hit(ROIHandle::RightEdge, dRight);
    }
    if (inHorizontalBand && dTop < tol) {
        return Hit(ROIHandle::TopEdge, dTop);
    }
    if (inHorizontalBand && dBottom < tol) {
        return Hit(ROIHandle::BottomEdge, dBottom);
    }
    if (ROIGeometry::IsInsideRect(p, rect)) {
        return Hit(ROIHandle::Body, 0.0f);
    }
    return ROIHitResult{};
}

ROIHitResult TestRotatedRectangle(const cv::Point2f& p, const std::vector<cv::Point2f>& corners,
                                  const cv::Point2f& /*centre*/, float /*angle*/, float tol)
{
    if (corners.size() != 4) {
        return ROIHitResult{};
    }
    const cv::Point2f handle1 = (corners[1] + corners[2]) * 0.5f;
    const cv::Point2f handle2 = (corners[1] + corners[0]) * 0.5f;
    const float h = std::min(ROIGeometry::DistanceToPoint(p, handle1), ROIGeometry::DistanceToPoint(p, handle2));
    if (h < tol) {
        return Hit(ROIHandle::RotateHandle, h);
    }
    const float edges[4] = {
        ROIGeometry::DistanceToLine(p, corners[0], corners[1]),
        ROIGeometry::DistanceToLine(p, corners[1], corners[2]),
        ROIGeometry::DistanceToLine(p, corners[2], corners[3]),
        ROIGeometry::DistanceToLine(p, corners[3], corners[0]),
    };
    static const int kEdgeHandles[4] = {ROIHandle::LeftEdge, ROIHandle::TopEdge, ROIHandle::RightEdge,
                                        ROIHandle::BottomEdge};
    const float* nearest = std::min_element(std::begin(edges), std::end(edges));
    if (*nearest < kRotatedEdgeBand * tol) {
        return Hit(kEdgeHandles[nearest - edges], *nearest);
    }
    if (cv::pointPolygonTest(corners, p, false) > 0) {
        return Hit(ROIHandle::Body, 0.0f);
    }
    return ROIHitResult{};
}

ROIHitResult TestCircle(const cv::Point2f& p, const cv::Point2f& centre, float radius, float tol)
{
    if (radius <= 0) {
        return ROIHitResult{};
    }
    const float rim = ROIGeometry::DistanceToCircle(p, centre, radius);
    if (rim < tol) {
        return Hit(ROIHandle::OuterEdge, rim);
    }
    const float d = ROIGeometry::DistanceToPoint(p, centre);
    return d < tol ? Hit(ROIHandle::Body, d) : ROIHitResult{};
}

ROIHitResult TestAnnulus(const cv::Point2f& p, const cv::Point2f& centre, float innerRadius, float outerRadius,
                         float startAngle, float endAngle, float tol)
{
    if (innerRadius >= outerRadius || innerRadius < 0 || outerRadius <= 0) {
        return ROIHitResult{};
    }
    const float d = ROIGeometry::DistanceToPoint(p, centre);
    if (d < tol) {
        return Hit(ROIHandle::Body, d);
    }
    const float outerRim = ROIGeometry::DistanceToCircle(p, centre, outerRadius);
    if (outerRim < tol) {
        return Hit(ROIHandle::OuterEdge, outerRim);
    }
    const float innerRim = ROIGeometry::DistanceToCircle(p, centre, innerRadius);
    if (innerRim < tol) {
        return Hit(ROIHandle::InnerEdge, innerRim);
    }
    const float startEdge = ROIGeometry::DistanceToLine(p, PointAtAngle(centre, outerRadius, startAngle),
                                                        PointAtAngle(centre, innerRadius, startAngle));
    if (startEdge < tol) {
        return Hit(ROIHandle::StartAngleEdge, startEdge);
    }
    const float endEdge = ROIGeometry::DistanceToLine(p, PointAtAngle(centre, outerRadius, endAngle),
                                                      PointAtAngle(centre, innerRadius, endAngle));
    if (endEdge < tol) {
        return Hit(ROIHandle::EndAngleEdge, endEdge);
    }
    return ROIHitResult{};
}

ROIHitResult TestPolygon(const cv::Point2f& p, const std::vector<cv::Point2f>& vertices, float tol, bool drawing)
{
    ROIHitResult best;
    for (size_t i = 0; i < vertices.size(); ++i) {
        const float d = ROIGeometry::DistanceToPoint(p, vertices[i]);
        if (d < tol && d < best.distance) {
            best = Hit(ROIHandle::PolygonVertex, d, static_cast<int>(i));
        }
    }
    if (best.roiIndex >= 0 || drawing || vertices.size() < 3) {
        return best;
    }
    const cv::Rect box = cv::boundingRect(vertices);
    const cv::Point2f moveHandle(box.x + box.width * 0.5f, box.y + box.height * 0.5f);
    const float d = ROIGeometry::DistanceToPoint(p, moveHandle);
    return d < tol ? Hit(ROIHandle::Body, d) : ROIHitResult{};
}

} // namespace ROIHitTest
