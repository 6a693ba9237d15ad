#include "tivra/roi/ShapeDrawing.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ShapeDrawing {
namespace {

constexpr double kPixelLimit = 1073741824.0;  // 2^30
constexpr double kPi = 3.141592653589793;
// OpenCV draws thick outlines in 16-bit fixed point: radii and centres up to
// these sizes go to it unchanged, larger ones are drawn here as polylines.
constexpr double kDirectRadius = 16384.0;
constexpr double kDirectCentre = 1048576.0;
constexpr double kMaxSegments = 100000.0;

double Saturate(double v)
{
    return std::isnan(v) ? 0.0 : std::clamp(v, -kPixelLimit, kPixelLimit);
}

// Where a circle may show: false when its outline stays clear of the image,
// either outside it or around it.
bool TouchesImage(const cv::Mat& img, const cv::Point2d& c, double radius, int thickness)
{
    const double reach = thickness + 2.0;
    const double nearX = std::clamp(c.x, 0.0, img.cols - 1.0) - c.x;
    const double nearY = std::clamp(c.y, 0.0, img.rows - 1.0) - c.y;
    const double farX = std::max(std::abs(c.x), std::abs(c.x - (img.cols - 1.0)));
    const double farY = std::max(std::abs(c.y), std::abs(c.y - (img.rows - 1.0)));
    return std::hypot(nearX, nearY) <= radius + reach && std::hypot(farX, farY) >= radius - reach;
}

bool Drawable(const cv::Mat& img, const cv::Point2d& c, double radius, int thickness)
{
    return !img.empty() && IsFinite(c) && std::isfinite(radius) && radius >= 0 &&
           TouchesImage(img, c, radius, thickness);
}

bool DirectlyDrawable(const cv::Point2d& c, double radius)
{
    return radius <= kDirectRadius && std::abs(c.x) <= kDirectCentre && std::abs(c.y) <= kDirectCentre;
}

// The angles (radians, unwrapped around the direction of the image) under which
// the image is seen from a centre outside it; the whole turn from inside.
void AnglesSeen(const cv::Mat& img, const cv::Point2d& c, double margin, double& from, double& to)
{
    const cv::Rect2d box(-margin, -margin, img.cols + 2 * margin, img.rows + 2 * margin);
    if (box.contains(c)) {
        from = -kPi;
        to = kPi;
        return;
    }
    const double towards = std::atan2(box.y + box.height / 2 - c.y, box.x + box.width / 2 - c.x);
    from = to = 0.0;
    for (const cv::Point2d corner : {box.tl(), box.br(), cv::Point2d(box.x, box.br().y), cv::Point2d(box.br().x, box.y)}) {
        double a = std::atan2(corner.y - c.y, corner.x - c.x) - towards;
        a = std::remainder(a, 2 * kPi);
        from = std::min(from, a);
        to = std::max(to, a);
    }
    from += towards;
    to += towards;
}

// A large arc as a polyline fine enough that it strays less than a quarter
// pixel from the circle, sampled only where the image can show it.
void DrawLargeArc(cv::Mat& img, const cv::Point2d& c, double radius, double startDeg, double endDeg,
                  const cv::Scalar& color, int thickness)
{
    double from = 0.0, to = 0.0;
    AnglesSeen(img, c, thickness + 2.0, from, to);
    double start = startDeg * kPi / 180.0;
    double end = endDeg * kPi / 180.0;
    // The seen window, shifted by whole turns onto the arc's range where they overlap.
    const double turns = std::floor((start - from) / (2 * kPi));
    from += turns * 2 * kPi;
    to += turns * 2 * kPi;
    const double step = std::sqrt(2.0 / std::max(radius, 1.0));
    for (int shift = 0; shift < 3; ++shift, from += 2 * kPi, to += 2 * kPi) {
        const double a0 = std::max(start, from);
        const double a1 = std::min(end, to);
        if (!(a1 > a0))
            continue;
        const int segments = static_cast<int>(std::min(std::ceil((a1 - a0) / step), kMaxSegments));
        std::vector<cv::Point> line;
        line.reserve(segments + 1);
        for (int i = 0; i <= segments; ++i) {
            const double a = a0 + (a1 - a0) * i / std::max(segments, 1);
            line.push_back(ToPixel(c + radius * cv::Point2d(std::cos(a), std::sin(a))));
        }
        for (size_t i = 0; i + 1 < line.size(); ++i)
            cv::line(img, line[i], line[i + 1], color, thickness, cv::LINE_8);
    }
}

}  // namespace

bool IsFinite(const cv::Point2d& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

cv::Point ToPixel(const cv::Point2d& p)
{
    return cv::Point(static_cast<int>(Saturate(p.x)), static_cast<int>(Saturate(p.y)));
}

cv::Point PointOnCircle(const cv::Point2d& centre, double radius, double angleDeg)
{
    const double a = angleDeg * kPi / 180.0;
    return ToPixel(centre + radius * cv::Point2d(std::cos(a), std::sin(a)));
}

void DrawCircle(cv::Mat& img, const cv::Point2d& centre, double radius, const cv::Scalar& color, int thickness)
{
    if (!Drawable(img, centre, radius, thickness))
        return;
    if (DirectlyDrawable(centre, radius))
        cv::circle(img, ToPixel(centre), static_cast<int>(radius), color, thickness, cv::LINE_8);
    else
        DrawLargeArc(img, centre, radius, 0.0, 360.0, color, thickness);
}

void DrawArc(cv::Mat& img, const cv::Point2d& centre, double radius, double startDeg, double endDeg,
             const cv::Scalar& color, int thickness)
{
    if (!Drawable(img, centre, radius, thickness) || !std::isfinite(startDeg) || !std::isfinite(endDeg))
        return;
    if (DirectlyDrawable(centre, radius)) {
        const int r = static_cast<int>(radius);
        cv::ellipse(img, ToPixel(centre), cv::Size(r, r), 0, startDeg, endDeg, color, thickness, cv::LINE_8);
        return;
    }
    if (endDeg < startDeg)
        std::swap(startDeg, endDeg);  // cv::ellipse draws the same arc either way round
    DrawLargeArc(img, centre, radius, startDeg, std::min(endDeg, startDeg + 360.0), color, thickness);
}

}  // namespace ShapeDrawing
