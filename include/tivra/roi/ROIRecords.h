#pragma once

#include <opencv2/core.hpp>

#include <vector>

// The enumerators live in their own namespace so that short names such as
// None, Point or Line do not leak into the global scope; callers write
// CvROIMode::Rectangle, and the values convert to int like a plain enum.
namespace tivra_roi_mode {
enum CvROIMode : int {
    None = 0,
    Point = 1,
    Line = 2,
    Rectangle = 3,
    RotatedRectangle = 4,
    Circle = 5,
    Annulus = 6,
    Polygon = 7,
    ArrowLine = 8, // drawing only, not offered to Python
    Ellipse = 9,   // drawing only, not offered to Python
    Mask = 10,
};
} // namespace tivra_roi_mode
using tivra_roi_mode::CvROIMode;

// A point with an x below this value separates polygons inside one Polygon record.
constexpr float kPolygonSeparatorX = -1000000.0f;

// One shape drawn over an image, in source-image pixels. The meaning of
// `points` depends on `mode`:
//   Point            marker positions
//   Line, ArrowLine  pairs (start, end)
//   Rectangle        pairs (top-left, (width, height))
//   RotatedRectangle (top-left, (width, height)) rotated by `angle`, or
//                    triples (top-left, (width, height), (angle, unused))
//   Circle           pairs (centre, (radius, unused))
//   Annulus          groups (centre, (outer radius, 0), (inner radius, outer
//                    radius if > 0), (start angle, end angle))
//   Polygon          vertices; x < kPolygonSeparatorX starts another polygon
//   Ellipse          triples (centre, (semi-axis x, semi-axis y), (start, end))
//   Mask             unused; the shape is `mask`
struct cvROI {
    bool visible = false;
    int thickness = 1;
    int roiIndex = -1;   // >= 0 asks the panel to draw in its ROI colour
    double angle = 0.0;  // degrees, cv::RotatedRect convention
    int mode = CvROIMode::None;
    int lineStyle = 0;   // Line and ArrowLine: 0 solid, 1 dashed, 2 dotted
    cv::Scalar color = cv::Scalar(0, 0, 0, 0); // B, G, R, A on 0..255
    std::vector<cv::Point2f> points;
    cv::Mat mask;        // Mask only: non-zero pixels are covered
};
