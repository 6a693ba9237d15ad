#include "tivra/roi/ROIPoints.h"

#include <cmath>

namespace ROIPoints {

std::size_t GroupSize(const cvROI& roi)
{
    switch (roi.mode) {
    case CvROIMode::Line:
    case CvROIMode::ArrowLine:
    case CvROIMode::Rectangle:
    case CvROIMode::Circle:
        return 2;
    case CvROIMode::RotatedRectangle:
        return roi.points.size() == 2 ? 2 : 3;
    case CvROIMode::Ellipse:
        return 3;
    case CvROIMode::Annulus:
        return 4;
    default:
        return 1;
    }
}

Segment SegmentAt(const std::vector<cv::Point2f>& pts, std::size_t i)
{
    return {pts[i], pts[i + 1]};
}

Box BoxAt(const std::vector<cv::Point2f>& pts, std::size_t i)
{
    return {pts[i], pts[i + 1]};
}

Circle CircleAt(const std::vector<cv::Point2f>& pts, std::size_t i)
{
    return {pts[i], pts[i + 1]};
}

Ring RingAt(const std::vector<cv::Point2f>& pts, std::size_t i)
{
    return {pts[i], pts[i + 1], pts[i + 2], pts[i + 3].x, pts[i + 3].y};
}

Arc ArcAt(const std::vector<cv::Point2f>& pts, std::size_t i)
{
    return {pts[i], pts[i + 1], pts[i + 2].x, pts[i + 2].y};
}

std::vector<Box> TurnedBoxes(const cvROI& roi)
{
    const std::vector<cv::Point2f>& pts = roi.points;
    if (pts.size() == 2)
        return {{pts[0], pts[1], roi.angle}};
    std::vector<Box> boxes;
    if (pts.size() % 3 != 0)
        return boxes;
    for (std::size_t i = 0; i + 2 < pts.size(); i += 3)
        boxes.push_back({pts[i], pts[i + 1], pts[i + 2].x});
    return boxes;
}

double OuterRadius(const Ring& r)
{
    return r.inner.y > 0 ? r.inner.y : std::hypot(r.radius.x, r.radius.y);
}

double InnerRadius(const Ring& r)
{
    return r.inner.x > 0 ? r.inner.x : OuterRadius(r) / 2;
}

double RadiusLength(const cv::Point2f& radius)
{
    return radius.y <= 0 ? radius.x : std::hypot(radius.x, radius.y);
}

bool IsSeparator(const cv::Point2f& p)
{
    return p.x < kPolygonSeparatorX;
}

std::vector<cv::Point2f> PointsOf(const Segment& s)
{
    return {s.start, s.end};
}

std::vector<cv::Point2f> PointsOf(const Box& b)
{
    return {b.topLeft, b.size};
}

std::vector<cv::Point2f> PointsOf(const Circle& c)
{
    return {c.centre, c.radius};
}

std::vector<cv::Point2f> PointsOf(const Ring& r)
{
    return {r.centre, r.radius, r.inner, cv::Point2f(static_cast<float>(r.start), static_cast<float>(r.end))};
}

std::vector<cv::Point2f> PointsOf(const Arc& a)
{
    return {a.centre, a.axes, cv::Point2f(static_cast<float>(a.start), static_cast<float>(a.end))};
}

Entry EntryAt(const cvROI& roi, std::size_t k)
{
    const std::size_t slot = k % GroupSize(roi);
    switch (roi.mode) {
    case CvROIMode::Rectangle:
    case CvROIMode::Circle:
    case CvROIMode::RotatedRectangle:
    case CvROIMode::Ellipse:
        return slot == 0 ? Entry::Position : slot == 1 ? Entry::Length : Entry::Kept;
    case CvROIMode::Annulus:
        return slot == 0 ? Entry::Position : slot == 3 ? Entry::Kept : Entry::Length;
    default:
        return Entry::Position;
    }
}

} // namespace ROIPoints
