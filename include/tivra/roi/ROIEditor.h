#pragma once
// Mouse editing of the one current ROI, free of any window: the panels convert
// the mouse position to source-image pixels, pass a grab tolerance in source
// pixels (10 screen pixels divided by the zoom) and map the results to cursors,
// repaints and crop events themselves.

#include "tivra/roi/ROIHitTest.h"
#include "tivra/roi/ROIRecords.h"

#include <opencv2/core.hpp>

#include <array>
#include <cstdint>
#include <vector>

// The current ROI and the state of the gesture that edits it. The geometry by
// kind: Point = leftDownPoint; Line = leftDownPoint to leftUpPoint; Rectangle =
// roiRect; RotatedRectangle = roiRect turned by rotateAngle about its centre,
// corners in polygonPoints; Circle = centre (roiRect.x, roiRect.y), radius the
// length of (roiRect.width, roiRect.height), both radius / sqrt(2) once drawn
// or set; Annulus = a circle plus
// innerRadius (<= 0: half the outer radius) and the angles; Polygon =
// polygonPoints.
struct ROIEditState {
    int mode = CvROIMode::None;
    cv::Rect2f roiRect;
    cv::Point2f leftDownPoint;
    cv::Point2f leftUpPoint;
    double innerRadius = -1.0;
    double startAngle = 0.0;
    double endAngle = 360.0;
    double rotateAngle = 0.0;
    std::vector<cv::Point2f> polygonPoints;

    cv::Point2f hoverPoint{-1.0f, -1.0f}; // rubber-band end while a polygon is open
    int activeVertex = -1;
    bool edgeDragStarted = false;
    ROIHitResult hit;                     // grabbed at the press, or under the mouse when hovering
    bool dragging = false;
    cv::Point2f dragStartPoint;
    cv::Rect2f dragStartRect;
    cv::Point lastAnglePoint;
    std::array<int, 4> edgeCorners{0, 0, 0, 0}; // moving a, moving b, fixed a, fixed b
    double rotationAccum = 0.0;           // unsnapped rotation of a rotation drag
    double edgeSlope = 0.0;
    std::int64_t lastClickTime = 0;       // milliseconds
    cv::Point2f lastClickPoint{-1.0f, -1.0f};
    bool polygonDrawing = true;
    std::vector<cv::Point2f> polygonSnapshot;
};

namespace ROIEditor {

/// A press or hover grabs within this many screen pixels.
constexpr double kGrabScreenPixels = 10.0;
/// A second polygon click this quick and this near the previous one closes the polygon.
constexpr std::int64_t kPolygonCloseMillis = 1500;
constexpr float kPolygonCloseDistance = 5.0f;

/// The grab tolerance in source pixels at zoom `scale`.
float ToleranceAt(double scale);

/// The corners of roiRect turned by `angle` about its centre, in cv::RotatedRect::points order.
std::vector<cv::Point2f> RotatedCorners(const cv::Rect2f& rect, double angle);

/// Which part of the current ROI lies under p; a miss for kind None, for shapes
/// without a positive size and for polygons without vertices.
ROIHitResult HitTest(const ROIEditState& s, const cv::Point2f& p, float tol);

/// A left press at p on the image: starts a drag, a new shape, or adds, moves or
/// closes a polygon vertex. `nowMillis` is the time of the press. Returns true
/// when the press closed a polygon, which is a finished edit (and then ends the
/// gesture, so that the release reports nothing more).
bool Press(ROIEditState& s, const cv::Point2f& p, float tol, std::int64_t nowMillis);

/// One motion step with the button held, the mouse at p (anywhere: it is
/// followed as far as the border of an image of size `image`, and a moved
/// ROI stays on the image; an empty size sets no bounds). `snapRotation`
/// (Shift) snaps a rotation to 45 degrees.
void Drag(ROIEditState& s, const cv::Point2f& p, bool snapRotation, const cv::Size& image = cv::Size());

/// Motion over the image: the rubber band of an open polygon follows p, and is
/// dropped once no vertex is being placed. Returns true when the ROI must be redrawn.
bool TrackRubberBand(ROIEditState& s, const cv::Point2f& p);

/// Motion with the button up: `hit` becomes what lies under p. Returns true when
/// something is grabbable there.
bool Hover(ROIEditState& s, const cv::Point2f& p, float tol);

/// The button came up (or the mouse was lost). Returns true when a finished edit
/// is to be reported.
bool Release(ROIEditState& s);

/// A left double click: closes an open polygon of three vertices or more.
/// Returns true when it did.
bool CloseOnDoubleClick(ROIEditState& s);

/// False while a polygon is still open: there is no finished shape to report.
bool IsReportable(const ROIEditState& s);

} // namespace ROIEditor
