#include "tivra/roi/ROIRenderer.h"

#include "tivra/analysis/SaturatingCast.h"
#include "tivra/analysis/Geometry.h"
#include "tivra/roi/LineStyles.h"
#include "tivra/roi/ROIPoints.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

namespace ROIRenderer {
namespace {

using tivra::TruncToInt;

constexpr double kPi = 3.141592653589793;
constexpr int kMaxThickness = 32767; // OpenCV rejects thicker strokes
constexpr int kStyleStep = 5;
constexpr int kArrowHeadLength = 15;
constexpr int kArrowHeadAngle = 20;
constexpr int kPointMarkerRadius = 2;
constexpr int kAnnulusCornerRadius = 3;

int RoundToInt(float value)
{
    return TruncToInt(std::nearbyint(value)); // ties to even
}

// A point scaled into the buffer: product in double, rounded to float, then to
// the nearest integer.
cv::Point ToBuffer(const cv::Point2f& p, double scale)
{
    return cv::Point(RoundToInt(static_cast<float>(p.x * scale)), RoundToInt(static_cast<float>(p.y * scale)));
}

int StrokeWidth(int thickness, double thicknessScale)
{
    return TruncToInt(thickness * thicknessScale);
}

// cv::line needs a width in [1, 32767]; a thinner request still shows one pixel.
int LineStroke(int width)
{
    return std::clamp(width, 1, kMaxThickness);
}

// Point markers pass their width to cv::circle as given (a negative width
// fills the marker); OpenCV rejects anything thicker than 32767.
int MarkerStroke(int width)
{
    return std::min(width, kMaxThickness);
}

bool InScaleOneBand(double scale)
{
    return 0.99 < scale && scale < 1.01;
}

void DrawClippedLine(cv::Mat& img, cv::Point a, cv::Point b, const cv::Scalar& color, int stroke)
{
    if (cv::clipLine(img.size(), a, b)) {
        cv::line(img, a, b, color, LineStroke(stroke), cv::LINE_8);
    }
}

// A circle outline whose ring cannot reach the image is skipped: OpenCV walks
// the whole circumference, which for a huge radius would stall a repaint.
bool CircleMayTouchImage(const cv::Mat& img, cv::Point centre, int radius, int stroke)
{
    const double nearX = std::clamp<double>(centre.x, 0, img.cols - 1) - centre.x;
    const double nearY = std::clamp<double>(centre.y, 0, img.rows - 1) - centre.y;
    const double farX = std::max(std::abs(centre.x - 0.0), std::abs(centre.x - (img.cols - 1.0)));
    const double farY = std::max(std::abs(centre.y - 0.0), std::abs(centre.y - (img.rows - 1.0)));
    const double reach = stroke + 2.0;
    const bool tooFar = std::hypot(nearX, nearY) > radius + reach;
    const bool enclosesImage = std::hypot(farX, farY) < radius - reach;
    return !tooFar && !enclosesImage;
}

void DrawStyledSegment(cv::Mat& img, cv::Point a, cv::Point b, const cvROI& roi, int stroke, bool arrow)
{
    const int width = LineStroke(stroke);
    switch (roi.lineStyle) {
    case 0:
        if (arrow) {
            ID::drawArrowLine(img, a, b, kArrowHeadLength, kArrowHeadAngle, roi.color, width, cv::LINE_8);
        } else {
            cv::line(img, a, b, roi.color, width, cv::LINE_8);
        }
        break;
    case 1:
        if (arrow) {
            ID::drawArrowDashedLine(img, a, b, kArrowHeadLength, kArrowHeadAngle, roi.color, width, kStyleStep);
        } else {
            ID::drawDashedLine(img, a, b, roi.color, width, kStyleStep);
        }
        break;
    case 2:
        if (arrow) {
            ID::drawArrowDottedLine(img, a, b, kArrowHeadLength, kArrowHeadAngle, roi.color, width, kStyleStep);
        } else {
            ID::drawDottedLine(img, a, b, roi.color, width, kStyleStep);
        }
        break;
    default:
        break; // unknown styles draw nothing
    }
}

void RenderSegments(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale, bool arrow)
{
    if (!roi || roi->points.size() < 2 || Internal::AllPointsNonPositive(roi->points)) {
        return;
    }
    const int stroke = StrokeWidth(roi->thickness, thicknessScale);
    for (size_t i = 0; i + 1 < roi->points.size(); i += 2) {
        const ROIPoints::Segment s = ROIPoints::SegmentAt(roi->points, i);
        DrawStyledSegment(img, ToBuffer(s.start, scale), ToBuffer(s.end, scale), *roi, stroke, arrow);
    }
}

void DrawRotatedRectangle(cv::Mat& img, const ROIPoints::Box& box, double scale, const cv::Scalar& color, int stroke)
{
    const cv::Size2f scaled(static_cast<float>(box.size.x * scale), static_cast<float>(box.size.y * scale));
    if (!(scaled.width > 0) || !(scaled.height > 0)) {
        return;
    }
    const cv::Point2f half(scaled.width / 2, scaled.height / 2);
    const cv::Point2f origin = InScaleOneBand(scale) ? box.topLeft : box.topLeft * static_cast<float>(scale);
    cv::Point2f corners[4];
    cv::RotatedRect(origin + half, scaled, static_cast<float>(box.angle)).points(corners);
    cv::Point ints[4];
    for (int i = 0; i < 4; ++i) {
        ints[i] = cv::Point(TruncToInt(corners[i].x), TruncToInt(corners[i].y));
    }
    for (int i = 0; i < 4; ++i) {
        DrawClippedLine(img, ints[i], ints[(i + 1) % 4], color, stroke);
    }
}

// Small circles (point markers, annulus corners, small rings) are drawn by
// stamping: OpenCV strokes a thick circle as dozens of thick segments, while the
// shape of a circle with an integer centre does not depend on where it lies. Each
// radius and stroke is rasterised once per thread by OpenCV itself, so the
// stamped pixels are the ones cv::circle would set.
constexpr int kMaxStampRadius = 16;
constexpr int kMaxStampStroke = 16;

const cv::Mat& CircleStamp(int radius, int stroke)
{
    thread_local std::map<std::pair<int, int>, cv::Mat> stamps;
    cv::Mat& stamp = stamps[{radius, stroke}];
    if (stamp.empty()) {
        const int half = radius + std::max(stroke, 0) + 2;
        stamp = cv::Mat::zeros(2 * half + 1, 2 * half + 1, CV_8UC1);
        cv::circle(stamp, {half, half}, radius, cv::Scalar(255), stroke, cv::LINE_8);
    }
    return stamp;
}

template <int Channels>
void StampPixels(cv::Mat& img, const cv::Mat& stamp, cv::Point topLeft, const cv::Scalar& color)
{
    using Pixel = cv::Vec<uchar, Channels>;
    Pixel value;
    for (int c = 0; c < Channels; ++c) {
        value[c] = cv::saturate_cast<uchar>(color[c]);
    }
    for (int y = 0; y < stamp.rows; ++y) {
        const uchar* on = stamp.ptr<uchar>(y);
        Pixel* row = img.ptr<Pixel>(topLeft.y + y) + topLeft.x;
        for (int x = 0; x < stamp.cols; ++x) {
            if (on[x]) {
                row[x] = value;
            }
        }
    }
}

void DrawCircle(cv::Mat& img, cv::Point centre, int radius, const cv::Scalar& color, int stroke)
{
    const bool small = radius >= 0 && radius <= kMaxStampRadius && stroke <= kMaxStampStroke;
    if (small && (img.type() == CV_8UC3 || img.type() == CV_8UC4)) {
        const int half = radius + std::max(stroke, 0) + 2;
        // 64-bit: a hostile centre sits anywhere in int, and the stamp's corner must not overflow.
        const std::int64_t left = std::int64_t{centre.x} - half;
        const std::int64_t top = std::int64_t{centre.y} - half;
        if (left >= 0 && top >= 0 && left + 2 * half + 1 <= img.cols && top + 2 * half + 1 <= img.rows) {
            const cv::Mat& stamp = CircleStamp(radius, stroke);
            const cv::Point corner(static_cast<int>(left), static_cast<int>(top));
            if (img.type() == CV_8UC3) {
                StampPixels<3>(img, stamp, corner, color);
            } else {
                StampPixels<4>(img, stamp, corner, color);
            }
            return;
        }
    }
    cv::circle(img, centre, radius, color, stroke, cv::LINE_8);
}

// Filled, anti-aliased arrow head at the end of an elliptical arc, pointing
// along the sweep.
void DrawEllipseArrowHead(cv::Mat& img, const cv::Point2d& centre, cv::Size axes, double start, double end,
                          double scale, const cv::Scalar& color)
{
    const double endRad = end * kPi / 180.0;
    const cv::Point2d tip = centre + cv::Point2d(axes.width * std::cos(endRad), axes.height * std::sin(endRad));
    const cv::Point2d radial = tip - centre;
    const double length = std::hypot(radial.x, radial.y);
    const cv::Point2d u = length > 0 ? radial / length : cv::Point2d(0, 0);
    const cv::Point2d back = start < end ? cv::Point2d(u.y, -u.x) : cv::Point2d(-u.y, u.x);
    const double c = 0.9659258262890683; // cos 15 degrees
    const double s = 0.25881904510252074; // sin 15 degrees
    const double size = 3.0 * scale;
    const cv::Point2d barb1 = tip + size * cv::Point2d(back.x * c - back.y * s, back.x * s + back.y * c);
    const cv::Point2d barb2 = tip + size * cv::Point2d(back.x * c + back.y * s, -back.x * s + back.y * c);
    auto toInt = [](const cv::Point2d& p) {
        return cv::Point(RoundToInt(static_cast<float>(p.x)), RoundToInt(static_cast<float>(p.y)));
    };
    const std::vector<std::vector<cv::Point>> head = {{toInt(tip), toInt(barb1), toInt(barb2)}};
    cv::drawContours(img, head, 0, color, cv::FILLED, cv::LINE_AA);
}

// The mask as 8-bit single channel, whatever form the caller stored.
cv::Mat NormalisedMask(const cv::Mat& mask)
{
    cv::Mat m = mask;
    if (m.channels() == 3 || m.channels() == 4) {
        if (m.depth() != CV_8U && m.depth() != CV_16U && m.depth() != CV_32F) {
            m.convertTo(m, CV_32F); // the depths the colour conversion accepts
        }
        cv::cvtColor(m, m, cv::COLOR_BGR2GRAY);
    } else if (m.channels() > 1) {
        cv::extractChannel(m, m, 0);
    }
    if (m.depth() != CV_8U) {
        m.convertTo(m, CV_8U);
    }
    return m;
}

} // namespace

void RenderRectangleHandles(cv::Mat& img, const cv::Point& corner, const cv::Point& opposite, const cv::Scalar& fill)
{
    constexpr int kRadius = 5;
    // In 64 bits: the corners of a huge rectangle may lie anywhere in int's range.
    const std::int64_t xs[] = {corner.x, (std::int64_t(corner.x) + opposite.x) / 2, opposite.x};
    const std::int64_t ys[] = {corner.y, (std::int64_t(corner.y) + opposite.y) / 2, opposite.y};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const bool onBuffer = xs[i] > -2 * kRadius && xs[i] < img.cols + 2 * kRadius &&
                                  ys[j] > -2 * kRadius && ys[j] < img.rows + 2 * kRadius;
            if ((i == 1 && j == 1) || !onBuffer)
                continue; // the centre is the move cross, not a handle
            const cv::Point at(static_cast<int>(xs[i]), static_cast<int>(ys[j]));
            cv::circle(img, at, kRadius, fill, -1, cv::LINE_8);
            cv::circle(img, at, kRadius + 1, cv::Scalar(0, 0, 0, 255), 1, cv::LINE_8);
        }
}

namespace Internal {

bool AllPointsNonPositive(const std::vector<cv::Point2f>& pts)
{
    return std::all_of(pts.begin(), pts.end(), [](const cv::Point2f& p) { return p.x <= 0 && p.y <= 0; });
}

void RenderPoint(cv::Mat& img, const cvROI* roi, double scale, double /*thicknessScale*/)
{
    if (!roi || AllPointsNonPositive(roi->points)) {
        return;
    }
    // Markers keep the record's own outline width at every zoom.
    const int stroke = MarkerStroke(roi->thickness);
    for (const cv::Point2f& p : roi->points) {
        if (p.x > 0) {
            DrawCircle(img, ToBuffer(p, scale), kPointMarkerRadius, roi->color, stroke);
        }
    }
}

void RenderLine(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    RenderSegments(img, roi, scale, thicknessScale, false);
}

void RenderArrowLine(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    RenderSegments(img, roi, scale, thicknessScale, true);
}

void RenderRectangle(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    if (!roi || roi->points.size() < 2 || AllPointsNonPositive(roi->points)) {
        return;
    }
    const int stroke = StrokeWidth(roi->thickness, thicknessScale);
    for (size_t i = 0; i + 1 < roi->points.size(); i += 2) {
        const ROIPoints::Box box = ROIPoints::BoxAt(roi->points, i);
        const cv::Point2f& tl = box.topLeft;
        const cv::Point2f& size = box.size;
        float x = tl.x, y = tl.y, width = 0, height = 0;
        if (InScaleOneBand(scale)) {
            width = std::ceil(size.x);
            height = std::ceil(size.y);
        } else {
            x = static_cast<float>(tl.x * scale);
            y = static_cast<float>(tl.y * scale);
            width = static_cast<float>(std::ceil(size.x * scale));
            height = static_cast<float>(std::ceil(size.y * scale));
        }
        if (!(width > 0) || !(height > 0)) {
            continue;
        }
        const int x0 = TruncToInt(x), y0 = TruncToInt(y);
        const int x1 = TruncToInt(x + width), y1 = TruncToInt(y + height);
        // Each edge is clipped to the image, so edges that cross a zoomed-in
        // view stay visible even when both their corners lie outside it.
        DrawClippedLine(img, {x0, y0}, {x1, y0}, roi->color, stroke);
        DrawClippedLine(img, {x1, y0}, {x1, y1}, roi->color, stroke);
        DrawClippedLine(img, {x1, y1}, {x0, y1}, roi->color, stroke);
        DrawClippedLine(img, {x0, y1}, {x0, y0}, roi->color, stroke);
    }
}

void RenderRotatedRectangle(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    if (!roi || AllPointsNonPositive(roi->points)) {
        return;
    }
    const int stroke = StrokeWidth(roi->thickness, thicknessScale);
    for (const ROIPoints::Box& box : ROIPoints::TurnedBoxes(*roi)) {
        DrawRotatedRectangle(img, box, scale, roi->color, stroke);
    }
}

void RenderCircle(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    if (!roi) {
        return;
    }
    // Outlines are never filled: a filled disc of a huge radius would stall
    // the repaint, and the record describes a ring.
    const int stroke = LineStroke(StrokeWidth(roi->thickness, thicknessScale));
    for (size_t i = 0; i + 1 < roi->points.size(); i += 2) {
        const ROIPoints::Circle circle = ROIPoints::CircleAt(roi->points, i);
        const double radius = circle.radius.x * scale;
        if (!(radius > 0)) {
            continue;
        }
        const cv::Point centre = ToBuffer(circle.centre, scale);
        const int r = TruncToInt(radius);
        if (CircleMayTouchImage(img, centre, r, stroke)) {
            DrawCircle(img, centre, r, roi->color, stroke);
        }
    }
}

void RenderAnnulus(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    if (!roi) {
        return;
    }
    const int stroke = LineStroke(StrokeWidth(roi->thickness, thicknessScale));
    for (size_t i = 0; i + 3 < roi->points.size(); i += 4) {
        const ROIPoints::Ring ring = ROIPoints::RingAt(roi->points, i);
        const cv::Point2f centre(static_cast<float>(ring.centre.x * scale), static_cast<float>(ring.centre.y * scale));
        const cv::Point drawnCentre(RoundToInt(centre.x), RoundToInt(centre.y));
        const double outer = ROIPoints::OuterRadius(ring) * scale;
        const double inner = ROIPoints::InnerRadius(ring) * scale;
        if (!(outer >= 0) || !(inner >= 0)) {
            continue; // a negative scale gives no drawable radius
        }
        const double start = ring.start;
        const double end = ring.end;
        const int outerAxis = TruncToInt(outer), innerAxis = TruncToInt(inner);
        cv::ellipse(img, drawnCentre, {outerAxis, outerAxis}, 0, start, end, roi->color, stroke, cv::LINE_8);
        cv::ellipse(img, drawnCentre, {innerAxis, innerAxis}, 0, start, end, roi->color, stroke, cv::LINE_8);
        const cv::Point corners[4] = {EA::pointOnCircle(centre, outer, start), EA::pointOnCircle(centre, inner, start),
                                      EA::pointOnCircle(centre, outer, end), EA::pointOnCircle(centre, inner, end)};
        cv::line(img, corners[0], corners[1], roi->color, stroke, cv::LINE_8);
        cv::line(img, corners[2], corners[3], roi->color, stroke, cv::LINE_8);
        for (const cv::Point& corner : corners) {
            DrawCircle(img, corner, kAnnulusCornerRadius, roi->color, stroke);
        }
    }
}

void RenderEllipse(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    if (!roi) {
        return;
    }
    // Arcs are stroked by the zoom alone; the record's thickness is not used.
    const int stroke = LineStroke(TruncToInt(thicknessScale));
    for (size_t i = 0; i + 2 < roi->points.size(); i += 3) {
        const ROIPoints::Arc arc = ROIPoints::ArcAt(roi->points, i);
        const cv::Size axes(TruncToInt(0.5 + arc.axes.x * scale), TruncToInt(0.5 + arc.axes.y * scale));
        if (axes.width < 0 || axes.height < 0) {
            continue;
        }
        cv::ellipse(img, ToBuffer(arc.centre, scale), axes, 0, arc.start, arc.end, roi->color, stroke, cv::LINE_8);
        const cv::Point2d centre(arc.centre.x * scale, arc.centre.y * scale);
        DrawEllipseArrowHead(img, centre, axes, arc.start, arc.end, scale, roi->color);
    }
}

void RenderPolygon(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale)
{
    if (!roi || roi->points.empty()) {
        return;
    }
    const int stroke = StrokeWidth(roi->thickness, thicknessScale);
    bool open = false; // a polygon has started and is not yet closed
    cv::Point first, previous;
    for (const cv::Point2f& p : roi->points) {
        if (ROIPoints::IsSeparator(p)) {
            if (open) {
                DrawClippedLine(img, previous, first, roi->color, stroke);
            }
            open = false;
            continue;
        }
        const cv::Point vertex(TruncToInt(p.x * scale), TruncToInt(p.y * scale));
        if (open) {
            DrawClippedLine(img, previous, vertex, roi->color, stroke);
        } else {
            first = vertex;
            open = true;
        }
        previous = vertex;
    }
    if (open) {
        DrawClippedLine(img, previous, first, roi->color, stroke);
    }
}

void RenderMask(cv::Mat& img, const cvROI* roi, double /*scale*/, double /*thicknessScale*/)
{
    if (!roi || roi->mask.empty() || img.empty()) {
        return;
    }
    cv::Mat m = NormalisedMask(roi->mask);
    if (m.size() != img.size()) {
        cv::resize(m, m, img.size(), 0, 0, cv::INTER_NEAREST);
    }
    // Only the bounding box of the covered pixels is blended; the pixels
    // outside it would be left unchanged anyway.
    const cv::Rect covered = cv::boundingRect(m);
    if (covered.empty()) {
        return;
    }
    double alpha = roi->color[3] / 255.0;
    if (!(alpha > 0)) {
        alpha = 0.5;
    }
    const cv::Mat target = img(covered);
    const cv::Mat layer(covered.size(), img.type(), cv::Scalar(roi->color[0], roi->color[1], roi->color[2], 255));
    cv::Mat blended;
    cv::addWeighted(layer, alpha, target, 1.0 - alpha, 0.0, blended);
    blended.copyTo(target, m(covered));
}

} // namespace Internal

void RenderAll(cv::Mat& img, const std::vector<cvROI*>& rois, double scale, double thicknessScale)
{
    using Renderer = void (*)(cv::Mat&, const cvROI*, double, double);
    static const Renderer kByMode[] = {
        nullptr,                          // None
        Internal::RenderPoint,            // Point
        Internal::RenderLine,             // Line
        Internal::RenderRectangle,        // Rectangle
        Internal::RenderRotatedRectangle, // RotatedRectangle
        Internal::RenderCircle,           // Circle
        Internal::RenderAnnulus,          // Annulus
        Internal::RenderPolygon,          // Polygon
        Internal::RenderArrowLine,        // ArrowLine
        Internal::RenderEllipse,          // Ellipse
        Internal::RenderMask,             // Mask
    };
    constexpr int kModeCount = static_cast<int>(sizeof(kByMode) / sizeof(kByMode[0]));
    if (img.empty()) {
        return;
    }
    for (const cvROI* roi : rois) {
        if (!roi || !roi->visible || roi->mode < 0 || roi->mode >= kModeCount || !kByMode[roi->mode]) {
            continue;
        }
        kByMode[roi->mode](img, roi, scale, thicknessScale);
    }
}

void RenderAll(cv::Mat& img, const std::vector<cvROI*>* rois, double scale, double thicknessScale)
{
    if (rois) {
        RenderAll(img, *rois, scale, thicknessScale);
    }
}

void RenderMask(cv::Mat& img, const cvROI& roi, double scale, const cv::Point2f& /*offset*/)
{
    Internal::RenderMask(img, &roi, scale, 0.0);
}

} // namespace ROIRenderer
