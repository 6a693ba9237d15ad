#include "tivra/roi/ROIKeyboard.h"

#include "tivra/roi/ROIEditRecord.h"

#include <algorithm>
#include <cmath>

namespace ROIKeyboard {
namespace {

// The part of a step d along one axis that keeps [low, high] within [0, limit],
// or at least takes it no further out.
float ClipStep(float d, float low, float high, float limit)
{
    if (d > 0)
        return std::min(d, std::max(0.0f, limit - high));
    if (d < 0)
        return std::max(d, std::min(0.0f, -low));
    return 0.0f;
}

cv::Point2f ClipOntoImage(const ROIEditState& s, cv::Point2f d, const cv::Size& image)
{
    if (image.width < 1 || image.height < 1)
        return d;
    // A point marks a pixel: it stays on the last one; shapes reach the far border.
    const bool point = s.mode == CvROIMode::Point;
    const cv::Rect2f box = point ? cv::Rect2f(s.leftDownPoint, cv::Size2f()) : ROIEditRecord::CoveredBox(s);
    const float inset = point ? 1.0f : 0.0f;
    return {ClipStep(d.x, box.x, box.x + box.width, image.width - inset),
            ClipStep(d.y, box.y, box.y + box.height, image.height - inset)};
}

void SetRadius(ROIEditState& s, double radius)
{
    // A radius is spread evenly over both components, as the mouse sets it.
    s.roiRect.width = s.roiRect.height = static_cast<float>(radius / std::sqrt(2.0));
}

bool ResizeBox(ROIEditState& s, cv::Point2f d, bool aboutCentre)
{
    cv::Rect2f& r = s.roiRect;
    const float w = std::max(1.0f, r.width + d.x);
    const float h = std::max(1.0f, r.height + d.y);
    if (w == r.width && h == r.height)
        return false;
    if (aboutCentre)
        r += cv::Point2f((r.width - w) * 0.5f, (r.height - h) * 0.5f);
    r.width = w;
    r.height = h;
    if (s.mode == CvROIMode::RotatedRectangle)
        s.polygonPoints = ROIEditor::RotatedCorners(r, s.rotateAngle);
    else
        s.leftUpPoint = r.br();
    return true;
}

bool ResizeLine(ROIEditState& s, float delta)
{
    const cv::Point2f span = s.leftUpPoint - s.leftDownPoint;
    const double length = cv::norm(span);
    const double wanted = std::max(1.0, length + delta);
    if (wanted == length)
        return false;
    s.leftUpPoint = s.leftDownPoint + span * static_cast<float>(wanted / length);
    s.roiRect.width = std::abs(s.leftUpPoint.x - s.leftDownPoint.x);
    s.roiRect.height = std::abs(s.leftUpPoint.y - s.leftDownPoint.y);
    return true;
}

bool ResizeCircle(ROIEditState& s, float outerDelta, float innerDelta)
{
    const double outer = ROIEditRecord::OuterRadius(s);
    const double inner = ROIEditRecord::InnerRadius(s);
    const double wantedOuter = std::max(1.0, outer + outerDelta);
    if (wantedOuter != outer)
        SetRadius(s, wantedOuter);
    const double newOuter = ROIEditRecord::OuterRadius(s);
    // The inner rim never lies outside the outer one.
    if (s.mode == CvROIMode::Annulus && (innerDelta != 0 || s.innerRadius > newOuter))
        s.innerRadius = std::clamp(inner + innerDelta, std::min(1.0, newOuter), newOuter);
    return newOuter != outer || ROIEditRecord::InnerRadius(s) != inner;
}

float ScaleFor(float extent, float delta)
{
    return extent > 0 ? std::max(1.0f, extent + delta) / extent : 1.0f;
}

bool ResizePolygon(ROIEditState& s, cv::Point2f d)
{
    const cv::Rect2f box = ROIEditRecord::CoveredBox(s);
    const float sx = ScaleFor(box.width, d.x);
    const float sy = ScaleFor(box.height, d.y);
    if (sx == 1.0f && sy == 1.0f)
        return false;
    const cv::Point2f centre = (box.tl() + box.br()) * 0.5f;
    for (cv::Point2f& p : s.polygonPoints)
        p = centre + cv::Point2f((p.x - centre.x) * sx, (p.y - centre.y) * sy);
    s.roiRect = ROIEditRecord::CoveredBox(s);
    return true;
}

} // namespace

bool Editable(const ROIEditState& s)
{
    return ROIEditRecord::HasShape(s) && !s.dragging;
}

bool Move(ROIEditState& s, cv::Point2f d, const cv::Size& image)
{
    d = ClipOntoImage(s, d, image);
    if (d.x == 0 && d.y == 0)
        return false;
    s.leftDownPoint += d;
    s.leftUpPoint += d;
    s.roiRect += d;
    for (cv::Point2f& p : s.polygonPoints)
        p += d;
    return true;
}

bool Resize(ROIEditState& s, cv::Point2f d)
{
    switch (s.mode) {
    case CvROIMode::Rectangle:
        return ResizeBox(s, d, false);
    case CvROIMode::RotatedRectangle:
        return ResizeBox(s, d, true);
    case CvROIMode::Line:
        return ResizeLine(s, d.x + d.y);
    case CvROIMode::Circle:
        return ResizeCircle(s, d.x + d.y, 0.0f);
    case CvROIMode::Annulus:
        return ResizeCircle(s, d.x, d.y);
    case CvROIMode::Polygon:
        return ResizePolygon(s, d);
    default:
        return false;
    }
}

bool Remove(ROIEditState& s)
{
    if (!ROIEditRecord::HasShape(s) && s.polygonPoints.empty() && !s.dragging)
        return false;
    ROIEditRecord::Reset(s);
    // Nothing is left open: the removal is a finished edit and the next click starts a new polygon.
    if (s.mode == CvROIMode::Polygon)
        s.polygonDrawing = false;
    return true;
}

} // namespace ROIKeyboard
