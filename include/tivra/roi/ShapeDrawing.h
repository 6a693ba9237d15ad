#pragma once
// Drawing primitives for geometry that may lie far outside the image or be
// absurdly large (a radius of 3e9 after zoom): nothing here ever hands OpenCV
// a coordinate or radius it rejects or overflows on, and nothing walks a
// circumference longer than the part that can show.

#include <opencv2/core.hpp>

namespace ShapeDrawing {

/// Truncation toward zero of a point, saturated to +-2^30 so that OpenCV's own
/// drawing arithmetic stays in range; NaN coordinates become 0.
cv::Point ToPixel(const cv::Point2d& p);

/// True when both coordinates are finite.
bool IsFinite(const cv::Point2d& p);

/// A circle outline of `radius` (truncated) about `centre` (truncated), as
/// cv::circle draws it. Non-finite or negative geometry draws nothing.
void DrawCircle(cv::Mat& img, const cv::Point2d& centre, double radius, const cv::Scalar& color, int thickness);

/// The arc of that circle from `startDeg` to `endDeg`, as cv::ellipse draws it.
void DrawArc(cv::Mat& img, const cv::Point2d& centre, double radius, double startDeg, double endDeg,
             const cv::Scalar& color, int thickness);

/// The point at `angleDeg` on the circle, as ToPixel gives it.
cv::Point PointOnCircle(const cv::Point2d& centre, double radius, double angleDeg);

}  // namespace ShapeDrawing
