#include "tivra/roi/ROIEditRecord.h"

#include "tivra/analysis/SaturatingCast.h"
#include "tivra/roi/ROIGeometry.h"
#include "tivra/roi/ROIPoints.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <sstream>
#include <string>

namespace ROIEditRecord {
namespace {

// Width and height of the radius vector of a circle or annulus: the radius is
// spread evenly over both components, so a radius along one axis still has both.
cv::Size2f RadiusVector(const cv::Point2f& radius)
{
    const float side = static_cast<float>(ROIPoints::RadiusLength(radius) / std::sqrt(2.0));
    return {side, side};
}

cv::Rect2f Span(const cv::Point2f& a, const cv::Point2f& b)
{
    return cv::Rect2f(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y));
}

int Trunc(float v)
{
    return tivra::TruncToInt(v);
}

// A rectangle keeps its corners as the press and release points; a rotated one
// keeps its turned corners.
void ApplyBox(ROIEditState& s, const ROIPoints::Box& box)
{
    s.roiRect = cv::Rect2f(box.topLeft.x, box.topLeft.y, box.size.x, box.size.y);
    if (s.mode == CvROIMode::RotatedRectangle) {
        s.rotateAngle = s.rotationAccum = box.angle;
        s.polygonPoints = ROIEditor::RotatedCorners(s.roiRect, box.angle);
    } else {
        s.leftDownPoint = box.topLeft;
        s.leftUpPoint = box.topLeft + box.size;
    }
}

void ApplyRing(ROIEditState& s, const ROIPoints::Ring& ring)
{
    s.roiRect = cv::Rect2f(ring.centre, RadiusVector(ring.radius));
    s.innerRadius = ring.inner.x;
    s.startAngle = ring.start;
    s.endAngle = ring.end;
    s.leftDownPoint = ring.centre;
}

}  // namespace

void RequireFiniteGeometry(const cvROI& roi)
{
    for (size_t i = 0; i < roi.points.size(); ++i) {
        const cv::Point2f& p = roi.points[i];
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            std::ostringstream message;
            message << "points[" << i << "] = (" << p.x << ", " << p.y << ") is not a finite point";
            throw std::invalid_argument(message.str());
        }
    }
    if (!std::isfinite(roi.angle))
        throw std::invalid_argument("angle = " + std::to_string(roi.angle) + " is not finite");
}

void Reset(ROIEditState& s)
{
    s.roiRect = cv::Rect2f();
    s.leftDownPoint = s.leftUpPoint = cv::Point2f();
    s.innerRadius = -1.0;
    s.startAngle = 0.0;
    s.endAngle = 360.0;
    s.rotateAngle = 0.0;
    s.rotationAccum = 0.0;
    s.polygonPoints.clear();
    s.hoverPoint = cv::Point2f(-1.0f, -1.0f);
    s.activeVertex = -1;
    s.edgeDragStarted = false;
    s.hit = ROIHitResult{};
    s.dragging = false;
}

void Apply(ROIEditState& s, const cvROI& roi)
{
    s.mode = roi.mode;
    const auto& p = roi.points;
    const auto needs = [&](size_t count) {
        if (p.size() == count)
            return true;
        Reset(s);
        return false;
    };
    switch (roi.mode) {
    case CvROIMode::Point:
        if (needs(1))
            s.leftDownPoint = p.front();
        break;
    case CvROIMode::Line:
        if (needs(2)) {
            const ROIPoints::Segment line = ROIPoints::SegmentAt(p, 0);
            s.leftDownPoint = line.start;
            s.leftUpPoint = line.end;
            s.roiRect = Span(line.start, line.end);
        }
        break;
    case CvROIMode::Rectangle:
    case CvROIMode::RotatedRectangle:
        if (needs(2))
            ApplyBox(s, ROIPoints::TurnedBoxes(roi).front());
        break;
    case CvROIMode::Circle:
        if (needs(2)) {
            const ROIPoints::Circle circle = ROIPoints::CircleAt(p, 0);
            s.roiRect = cv::Rect2f(circle.centre, RadiusVector(circle.radius));
            s.leftDownPoint = circle.centre;
            s.leftUpPoint = circle.centre + circle.radius;
        }
        break;
    case CvROIMode::Annulus:
        if (needs(4))
            ApplyRing(s, ROIPoints::RingAt(p, 0));
        break;
    case CvROIMode::Polygon:
        if (p.size() < 3) {
            Reset(s);
        } else {
            s.polygonPoints = p;
            s.roiRect = cv::Rect2f(cv::boundingRect(p));
            s.polygonDrawing = false;
        }
        break;
    case CvROIMode::None:
        Reset(s);
        break;
    default:
        break;
    }
}

cvROI ToRecord(const ROIEditState& s)
{
    cvROI roi;
    roi.visible = true;
    roi.mode = s.mode;
    const cv::Rect2f& r = s.roiRect;
    const cv::Point2f radius(static_cast<float>(OuterRadius(s)), 0.0f);
    const cv::Point2f size(r.width, r.height);
    switch (s.mode) {
    case CvROIMode::Point:
        roi.points = {s.leftDownPoint};
        break;
    case CvROIMode::Line:
        roi.points = ROIPoints::PointsOf(ROIPoints::Segment{s.leftDownPoint, s.leftUpPoint});
        break;
    case CvROIMode::Rectangle:
    case CvROIMode::RotatedRectangle:
        roi.points = ROIPoints::PointsOf(ROIPoints::Box{r.tl(), size, s.rotateAngle});
        roi.angle = s.mode == CvROIMode::RotatedRectangle ? s.rotateAngle : 0.0;
        break;
    case CvROIMode::Circle:
        roi.points = ROIPoints::PointsOf(ROIPoints::Circle{r.tl(), radius});
        break;
    case CvROIMode::Annulus:
        roi.points = ROIPoints::PointsOf(ROIPoints::Ring{
            r.tl(), radius, cv::Point2f(static_cast<float>(InnerRadius(s)), 0.0f), s.startAngle, s.endAngle});
        break;
    case CvROIMode::Polygon:
        roi.points = s.polygonPoints;
        break;
    default:
        break;
    }
    return roi;
}

cv::Rect ReportedRect(const ROIEditState& s)
{
    const cv::Point2f& down = s.leftDownPoint;
    const cv::Point2f& up = s.leftUpPoint;
    const cv::Rect2f& r = s.roiRect;
    switch (s.mode) {
    case CvROIMode::Point:
        if (down.x > 0 || down.y > 0)
            return cv::Rect(Trunc(down.x), Trunc(down.y), 0, 0);
        break;
    case CvROIMode::Line:
        if (down != up)
            return cv::Rect(Trunc(std::min(down.x, up.x)), Trunc(std::min(down.y, up.y)),
                            Trunc(std::abs(up.x - down.x)), Trunc(std::abs(up.y - down.y)));
        break;
    case CvROIMode::Rectangle:
    case CvROIMode::RotatedRectangle:
        if (r.width > 0 && r.height > 0)
            return cv::Rect(Trunc(r.x), Trunc(r.y), Trunc(r.width), Trunc(r.height));
        break;
    case CvROIMode::Circle:
    case CvROIMode::Annulus:
        if (r.width > 0 && r.height > 0) {
            const cv::Rect2f box = CoveredBox(s);
            return cv::Rect(Trunc(box.x), Trunc(box.y), Trunc(box.width), Trunc(box.height));
        }
        break;
    case CvROIMode::Polygon:
        if (s.polygonPoints.size() >= 3)
            return cv::boundingRect(s.polygonPoints);
        break;
    default:
        break;
    }
    return cv::Rect();
}

cv::Rect2f CoveredBox(const ROIEditState& s)
{
    const cv::Rect2f& r = s.roiRect;
    const bool hasArea = r.width > 0 && r.height > 0;
    switch (s.mode) {
    case CvROIMode::Line: {
        const cv::Point2f& a = s.leftDownPoint;
        const cv::Point2f& b = s.leftUpPoint;
        return cv::Rect2f(cv::Point2f(std::min(a.x, b.x), std::min(a.y, b.y)),
                          cv::Point2f(std::max(a.x, b.x), std::max(a.y, b.y)));
    }
    case CvROIMode::Rectangle:
        return hasArea ? r : cv::Rect2f();
    case CvROIMode::RotatedRectangle:
        return hasArea ? ROIGeometry::BoundsOf(ROIEditor::RotatedCorners(r, s.rotateAngle)) : cv::Rect2f();
    case CvROIMode::Circle:
    case CvROIMode::Annulus: {
        if (!hasArea)
            return cv::Rect2f();
        const float radius = static_cast<float>(OuterRadius(s));
        return cv::Rect2f(r.x - radius, r.y - radius, 2 * radius, 2 * radius);
    }
    case CvROIMode::Polygon:
        return s.polygonPoints.size() >= 3 ? ROIGeometry::BoundsOf(s.polygonPoints) : cv::Rect2f();
    default:
        return cv::Rect2f();
    }
}

bool HasShape(const ROIEditState& s)
{
    switch (s.mode) {
    case CvROIMode::Point:
        return s.leftDownPoint.x > 0 || s.leftDownPoint.y > 0;
    case CvROIMode::Line:
        return s.leftDownPoint != s.leftUpPoint;
    case CvROIMode::Rectangle:
    case CvROIMode::RotatedRectangle:
    case CvROIMode::Circle:
    case CvROIMode::Annulus:
        return s.roiRect.width > 0 && s.roiRect.height > 0;
    case CvROIMode::Polygon:
        return s.polygonPoints.size() >= 3 && !s.polygonDrawing;
    default:
        return false;
    }
}

double OuterRadius(const ROIEditState& s)
{
    const double w = s.roiRect.width;
    const double h = s.roiRect.height;
    if (!(w > 0) && !(h > 0))
        return 0.0;
    // Single precision, like every coordinate of the ROI: a radius spread over
    // both components reads back as it was given.
    return static_cast<float>(std::sqrt(w * w + h * h));
}

double InnerRadius(const ROIEditState& s)
{
    if (s.innerRadius > 0)
        return s.innerRadius;
    const double outer = OuterRadius(s);
    return outer > 0 ? 0.5 * outer : 0.0;
}

}  // namespace ROIEditRecord
