#pragma once

#include <opencv2/core.hpp>

#include <cfloat>
#include <vector>

// Which part of the editing ROI a press grabbed. The enumerators live in their
// own namespace so that None, Body, ... do not clash with other names; callers
// write ROIHandle::LeftEdge, and the values convert to int.
namespace tivra_roi_handle {
enum ROIHandle : int {
    None = -1,
    Body = 0,
    LineStart = 1,
    LineEnd = 2,
    LeftEdge = 3,
    RightEdge = 4,
    TopEdge = 5,
    BottomEdge = 6,
    OuterEdge = 7,
    InnerEdge = 8,
    StartAngleEdge = 9,
    EndAngleEdge = 10,
    PolygonVertex = 12,
    RotateHandle = 13,
    TopLeftCorner = 14,
    TopRightCorner = 15,
    BottomLeftCorner = 16,
    BottomRightCorner = 17,
};
} // namespace tivra_roi_handle
using tivra_roi_handle::ROIHandle;

// Result of one hit test; the default value is the miss.
struct ROIHitResult {
    int roiIndex = -1;     // 0 when the shape was hit, -1 when not
    int vertexIndex = -1;  // grabbed polygon vertex, else -1
    int handle = ROIHandle::None;
    float distance = FLT_MAX; // 0 for a press inside a (rotated) rectangle
};
static_assert(sizeof(ROIHitResult) == 16, "ROIHitResult is a plain 16-byte value");

// One test per ROI kind, in source-image pixels. Every comparison with the
// tolerance is strict: a distance equal to tol is a miss.
namespace ROIHitTest {

ROIHitResult TestPoint(const cv::Point2f& p, const cv::Point2f& point, float tol);
// End points win over the segment body, even when the body is nearer.
ROIHitResult TestLine(const cv::Point2f& p, const cv::Point2f& start, const cv::Point2f& end, float tol);
// Corners (within tol of two edges) win over edges, edges over the interior.
ROIHitResult TestRectangle(const cv::Point2f& p, const cv::Rect2f& rect, float tol);
// corners in the order of cv::RotatedRect::points; edges use a 1.5 x tol band.
// centre and angle are accepted for the callers' convenience and not needed.
ROIHitResult TestRotatedRectangle(const cv::Point2f& p, const std::vector<cv::Point2f>& corners,
                                  const cv::Point2f& centre, float angle, float tol);
// Rim or centre; the rest of the disc grabs nothing.
ROIHitResult TestCircle(const cv::Point2f& p, const cv::Point2f& centre, float radius, float tol);
// Angles in degrees, image convention (y down). Rims are tested as whole circles.
ROIHitResult TestAnnulus(const cv::Point2f& p, const cv::Point2f& centre, float innerRadius, float outerRadius,
                         float startAngle, float endAngle, float tol);
// Nearest vertex, else (once drawn, three vertices or more) the centre of the
// bounding rectangle as a move handle. Edges and the interior are not targets.
ROIHitResult TestPolygon(const cv::Point2f& p, const std::vector<cv::Point2f>& vertices, float tol, bool drawing);

} // namespace ROIHitTest
