#include "tivra/roi/ROIEditor.h"

#include "tivra/analysis/Geometry.h"
#include "tivra/roi/ROIGeometry.h"

#include <algorithm>
#include <cmath>

namespace ROIEditor {
namespace {

bool HasArea(const cv::Rect2f& r)
{
    return r.width > 0 && r.height > 0;
}

float RadiusOf(const cv::Rect2f& r)
{
    return static_cast<float>(std::sqrt(double(r.width) * r.width + double(r.height) * r.height));
}

cv::Point2f CentreOf(const cv::Rect2f& r)
{
    return cv::Point2f(r.x, r.y) + cv::Point2f(r.width, r.height) * 0.5f;
}

// Offset that brings [low, low + extent] inside [0, limit]; a span longer
// than the limit is laid at 0.
float OffsetIntoRange(float low, float extent, float limit)
{
    if (low < 0 || extent >= limit)
        return -low;
    return low + extent > limit ? limit - (low + extent) : 0.0f;
}

// Offset that moves box onto the image; none when the image size is unknown.
cv::Point2f OffsetOntoImage(const cv::Rect2f& box, const cv::Size& image)
{
    if (image.width < 1 || image.height < 1)
        return {};
    return {OffsetIntoRange(box.x, box.width, static_cast<float>(image.width)),
            OffsetIntoRange(box.y, box.height, static_cast<float>(image.height))};
}

// The pointer as the editor follows it: on the image. Spans reach the far
// border (x = cols), a point stays on the last pixel.
cv::Point2f OntoImage(const cv::Point2f& p, const cv::Size& image, int mode)
{
    if (image.width < 1 || image.height < 1)
        return p;
    const float inset = mode == CvROIMode::Point ? 1.0f : 0.0f;
    return {std::clamp(p.x, 0.0f, image.width - inset), std::clamp(p.y, 0.0f, image.height - inset)};
}

cv::Point Truncated(const cv::Point2f& p)
{
    return cv::Point(static_cast<int>(p.x), static_cast<int>(p.y));
}

// Signed angle swept at `centre` from the previous drag pixel to p; the previous
// pixel moves on to p. Positive when the mouse turns clockwise on screen.
double TurnSinceLastStep(ROIEditState& s, const cv::Point& centre, const cv::Point2f& p)
{
    const cv::Point q = Truncated(p);
    const double turn = -EA::calculate3pointsAngle(q, centre, s.lastAnglePoint);
    s.lastAnglePoint = q;
    return turn;
}

// ---------------------------------------------------------------- press

void StartNewShape(ROIEditState& s, const cv::Point2f& p)
{
    s.rotationAccum = 0.0;
    s.endAngle = 360.0;
    s.rotateAngle = 0.0;
    s.innerRadius = -1.0;
    s.startAngle = 0.0;
    s.roiRect = cv::Rect2f();
    s.leftDownPoint = s.leftUpPoint = p;
    if (s.mode == CvROIMode::RotatedRectangle)
        s.polygonPoints.clear(); // the corners of the previous shape are gone with it
}

void PressShape(ROIEditState& s, const cv::Point2f& p)
{
    if (s.hit.roiIndex < 0)
        StartNewShape(s, p);
    s.dragStartRect = s.roiRect;
    if (s.mode == CvROIMode::RotatedRectangle && HasArea(s.roiRect))
        s.polygonPoints = RotatedCorners(s.roiRect, s.rotateAngle);
    else if (s.mode == CvROIMode::Line)
        s.polygonPoints = {s.leftDownPoint, s.leftUpPoint};
}

void ClosePolygon(ROIEditState& s)
{
    s.polygonDrawing = false;
    s.hoverPoint = cv::Point2f(-1.0f, -1.0f);
    s.activeVertex = -1;
    s.dragging = false; // the closing click is the finished edit; its release adds nothing
}

void PressClosedPolygon(ROIEditState& s, const cv::Point2f& p, std::int64_t now)
{
    if (s.hit.roiIndex >= 0 && s.hit.handle == ROIHandle::Body) {
        s.activeVertex = -1;
        s.polygonSnapshot = s.polygonPoints;
    } else if (s.hit.roiIndex >= 0 && s.hit.handle == ROIHandle::PolygonVertex) {
        s.activeVertex = s.hit.vertexIndex;
    } else {
        s.polygonPoints = {p};
        s.polygonDrawing = true;
        s.activeVertex = 0;
        s.lastClickTime = now;
        s.lastClickPoint = p;
    }
}

// Returns true when the press closed the polygon.
bool PressOpenPolygon(ROIEditState& s, const cv::Point2f& p, std::int64_t now)
{
    const bool closable = s.polygonPoints.size() >= 3;
    const bool quickRepeat = s.lastClickTime >= 1 && now - s.lastClickTime < kPolygonCloseMillis &&
                             ROIGeometry::DistanceToPoint(p, s.lastClickPoint) < kPolygonCloseDistance;
    if (quickRepeat) {
        // A repeated click never adds a vertex; with too few vertices it does nothing.
        if (closable)
            ClosePolygon(s);
        return closable;
    }
    const bool onFirstVertex =
        s.hit.roiIndex >= 0 && s.hit.handle == ROIHandle::PolygonVertex && s.hit.vertexIndex == 0;
    if (onFirstVertex && closable) {
        ClosePolygon(s);
        return true;
    }
    s.polygonPoints.push_back(p);
    s.activeVertex = static_cast<int>(s.polygonPoints.size()) - 1;
    s.lastClickTime = now;
    s.lastClickPoint = p;
    return false;
}

// ---------------------------------------------------------------- drag, by kind

void DragLine(ROIEditState& s, const cv::Point2f& p, cv::Point2f d, const cv::Size& image)
{
    const cv::Point2f e0 = s.polygonPoints.size() >= 2 ? s.polygonPoints[0] : s.leftDownPoint;
    const cv::Point2f e1 = s.polygonPoints.size() >= 2 ? s.polygonPoints[1] : s.leftUpPoint;
    if (s.hit.handle == ROIHandle::Body)
        d += OffsetOntoImage(cv::Rect2f(e0 + d, e1 + d), image);
    switch (s.hit.handle) {
    case ROIHandle::LineStart:
        s.leftDownPoint = p;
        s.leftUpPoint = e1;
        break;
    case ROIHandle::LineEnd:
        s.leftDownPoint = e0;
        s.leftUpPoint = p;
        break;
    case ROIHandle::Body:
        s.leftDownPoint = e0 + d;
        s.leftUpPoint = e1 + d;
        break;
    default:
        break; // a new line: the press point stays, the end follows the mouse
    }
    s.roiRect.width = std::abs(s.leftUpPoint.x - s.leftDownPoint.x);
    s.roiRect.height = std::abs(s.leftUpPoint.y - s.leftDownPoint.y);
}

void SpanFromPress(ROIEditState& s, const cv::Point2f& p)
{
    const cv::Point2f& down = s.leftDownPoint;
    s.roiRect = cv::Rect2f(std::min(p.x, down.x), std::min(p.y, down.y), std::abs(p.x - down.x),
                           std::abs(p.y - down.y));
}

void CentreOnMouse(ROIEditState& s, const cv::Point2f& p)
{
    s.roiRect.x = p.x - s.roiRect.width * 0.5f;
    s.roiRect.y = p.y - s.roiRect.height * 0.5f;
}

// The rectangle between a fixed edge and the dragged one, which may pass it:
// the rectangle then flips instead of losing its size.
void SpanX(cv::Rect2f& r, float fixed, float dragged)
{
    r.x = std::min(fixed, dragged);
    r.width = std::abs(dragged - fixed);
}

void SpanY(cv::Rect2f& r, float fixed, float dragged)
{
    r.y = std::min(fixed, dragged);
    r.height = std::abs(dragged - fixed);
}

void DragRectangle(ROIEditState& s, const cv::Point2f& p, const cv::Size& image)
{
    cv::Rect2f& r = s.roiRect;
    const cv::Rect2f& start = s.dragStartRect;
    const float left = start.x;
    const float right = start.x + start.width;
    const float top = start.y;
    const float bottom = start.y + start.height;
    switch (s.hit.handle) {
    case ROIHandle::Body:
        CentreOnMouse(s, p);
        r += OffsetOntoImage(r, image);
        break;
    case ROIHandle::LeftEdge: SpanX(r, right, p.x); break;
    case ROIHandle::RightEdge: SpanX(r, left, p.x); break;
    case ROIHandle::TopEdge: SpanY(r, bottom, p.y); break;
    case ROIHandle::BottomEdge: SpanY(r, top, p.y); break;
    case ROIHandle::TopLeftCorner: SpanX(r, right, p.x); SpanY(r, bottom, p.y); break;
    case ROIHandle::TopRightCorner: SpanX(r, left, p.x); SpanY(r, bottom, p.y); break;
    case ROIHandle::BottomLeftCorner: SpanX(r, right, p.x); SpanY(r, top, p.y); break;
    case ROIHandle::BottomRightCorner: SpanX(r, left, p.x); SpanY(r, top, p.y); break;
    default:
        SpanFromPress(s, p);
        break;
    }
}

void DragRotation(ROIEditState& s, const cv::Point2f& p, bool snap)
{
    const double turn = TurnSinceLastStep(s, Truncated(CentreOf(s.roiRect)), p);
    s.rotationAccum = EA::normalizeAngle(s.rotationAccum + turn);
    s.rotateAngle = snap ? std::round(s.rotationAccum / 45.0) * 45.0 : s.rotationAccum;
}

void CaptureDraggedEdge(ROIEditState& s)
{
    s.edgeDragStarted = true;
    switch (s.hit.handle) {
    case ROIHandle::LeftEdge: s.edgeCorners = {0, 1, 3, 2}; break;
    case ROIHandle::RightEdge: s.edgeCorners = {3, 2, 0, 1}; break;
    case ROIHandle::TopEdge: s.edgeCorners = {1, 2, 0, 3}; break;
    default: s.edgeCorners = {0, 3, 1, 2}; break;
    }
    const cv::Point2f& a = s.polygonPoints[s.edgeCorners[0]];
    const cv::Point2f& b = s.polygonPoints[s.edgeCorners[1]];
    const double dx = double(b.x) - a.x;
    s.edgeSlope = std::abs(dx) > 1e-6 ? (double(b.y) - a.y) / dx : 1e6;
}

// The moving corner lands where the dragged edge (through p, its slope kept)
// meets the perpendicular through its fixed partner.
cv::Point2f EdgeCornerAt(const cv::Point2f& p, const cv::Point2f& fixed, double m)
{
    if (m == 0.0)
        return cv::Point2f(fixed.x, p.y); // a horizontal edge: the perpendicular is vertical
    const double b = p.y - m * p.x;
    const double k = -1.0 / m;
    const double x = (fixed.y - k * fixed.x - b) / (m - k);
    return cv::Point2f(static_cast<float>(x), static_cast<float>(m * x + b));
}

void MoveAxisAlignedEdge(ROIEditState& s, const cv::Point2f& p)
{
    // Quarter turns of the rectangle, 0 to 3: at an even count its left and right
    // edges are vertical, at an odd count its top and bottom edges are.
    const long quarters = ((std::lround(s.rotateAngle / 90.0) % 4) + 4) % 4;
    const bool sideEdge = s.hit.handle == ROIHandle::LeftEdge || s.hit.handle == ROIHandle::RightEdge;
    const bool moveX = (quarters % 2 == 0) == sideEdge;
    for (int i = 0; i < 2; ++i) {
        cv::Point2f& corner = s.polygonPoints[s.edgeCorners[i]];
        if (moveX)
            corner.x = p.x;
        else
            corner.y = p.y;
    }
}

void DragRotatedEdge(ROIEditState& s, const cv::Point2f& p)
{
    if (s.polygonPoints.size() < 4)
        s.polygonPoints = RotatedCorners(s.roiRect, s.rotateAngle);
    if (!s.edgeDragStarted)
        CaptureDraggedEdge(s);
    if (std::abs(std::fmod(s.rotateAngle, 90.0)) < 1e-6) {
        MoveAxisAlignedEdge(s, p);
    } else {
        for (int i = 0; i < 2; ++i)
            s.polygonPoints[s.edgeCorners[i]] =
                EdgeCornerAt(p, s.polygonPoints[s.edgeCorners[i + 2]], s.edgeSlope);
    }
    const std::vector<cv::Point2f>& c = s.polygonPoints;
    const float w = static_cast<float>(cv::norm(c[1] - c[2]));
    const float h = static_cast<float>(cv::norm(c[0] - c[1]));
    const cv::Point2f centre = (c[0] + c[1] + c[2] + c[3]) * 0.25f;
    s.roiRect = cv::Rect2f(centre.x - w * 0.5f, centre.y - h * 0.5f, w, h);
}

void DragRotatedRectangle(ROIEditState& s, const cv::Point2f& p, const cv::Point2f& d, bool snap,
                          const cv::Size& image)
{
    switch (s.hit.handle) {
    case ROIHandle::RotateHandle:
        DragRotation(s, p, snap);
        s.polygonPoints = RotatedCorners(s.roiRect, s.rotateAngle);
        break;
    case ROIHandle::LeftEdge:
    case ROIHandle::RightEdge:
    case ROIHandle::TopEdge:
    case ROIHandle::BottomEdge:
        DragRotatedEdge(s, p);
        break;
    case ROIHandle::Body:
        CentreOnMouse(s, p);
        s.roiRect += OffsetOntoImage(ROIGeometry::BoundsOf(RotatedCorners(s.roiRect, s.rotateAngle)), image);
        s.polygonPoints = RotatedCorners(s.roiRect, s.rotateAngle);
        break;
    default:
        SpanFromPress(s, p);
        if (d.x != 0 && d.y != 0 && !std::isnan(d.x) && !std::isnan(d.y))
            s.polygonPoints = RotatedCorners(s.roiRect, s.rotateAngle);
        break;
    }
}

void SetRadius(ROIEditState& s, const cv::Point2f& p)
{
    const float side = static_cast<float>(ROIGeometry::DistanceToPoint(p, {s.roiRect.x, s.roiRect.y}) / std::sqrt(2.0));
    s.roiRect.width = s.roiRect.height = side;
}

// A circle's radius is the drag length, in whatever direction.
void NewCircle(ROIEditState& s, const cv::Point2f& p)
{
    const float side = static_cast<float>(ROIGeometry::DistanceToPoint(p, s.leftDownPoint) / std::sqrt(2.0));
    s.roiRect = cv::Rect2f(s.leftDownPoint.x, s.leftDownPoint.y, side, side);
}

// The centre follows the mouse as far as the whole circle stays on the image.
void MoveCircle(ROIEditState& s, const cv::Point2f& p, const cv::Size& image)
{
    const float radius = RadiusOf(s.roiRect);
    const cv::Point2f centre =
        p + OffsetOntoImage(cv::Rect2f(p.x - radius, p.y - radius, 2 * radius, 2 * radius), image);
    s.roiRect.x = centre.x;
    s.roiRect.y = centre.y;
}

void DragStartAngle(ROIEditState& s, double turn)
{
    double start = s.startAngle + turn;
    if (start < 0 && s.endAngle - start > 360)
        start = s.endAngle - 360;
    else if (start > 0 && start > s.endAngle)
        start = s.endAngle;
    if (start > 360)
        start -= 360;
    s.startAngle = start;
}

void DragEndAngle(ROIEditState& s, double turn)
{
    double end = s.endAngle + turn;
    if (end - s.startAngle >= 360)
        end = s.startAngle + 360;
    else if (end < s.startAngle)
        end = s.startAngle;
    if (end > 360) {
        s.startAngle -= 360;
        end -= 360;
    }
    s.endAngle = end;
}

void DragCircleOrAnnulus(ROIEditState& s, const cv::Point2f& p, const cv::Size& image)
{
    switch (s.hit.handle) {
    case ROIHandle::Body:
        MoveCircle(s, p, image);
        break;
    case ROIHandle::OuterEdge:
        SetRadius(s, p);
        // The inner rim never lies outside the outer one.
        s.innerRadius = std::min(s.innerRadius, static_cast<double>(RadiusOf(s.roiRect)));
        break;
    case ROIHandle::InnerEdge:
        s.innerRadius = std::min(static_cast<double>(ROIGeometry::DistanceToPoint(p, {s.roiRect.x, s.roiRect.y})),
                                 static_cast<double>(RadiusOf(s.roiRect)));
        break;
    case ROIHandle::StartAngleEdge:
        DragStartAngle(s, TurnSinceLastStep(s, Truncated({s.roiRect.x, s.roiRect.y}), p));
        break;
    case ROIHandle::EndAngleEdge:
        DragEndAngle(s, TurnSinceLastStep(s, Truncated({s.roiRect.x, s.roiRect.y}), p));
        break;
    default:
        NewCircle(s, p);
        break;
    }
}

void DragPolygon(ROIEditState& s, cv::Point2f d, const cv::Size& image)
{
    if (s.hit.handle != ROIHandle::Body || s.polygonDrawing)
        return;
    if (s.polygonSnapshot.empty() || s.polygonSnapshot.size() != s.polygonPoints.size())
        return;
    const cv::Rect2f box = ROIGeometry::BoundsOf(s.polygonSnapshot);
    d += OffsetOntoImage(box + d, image);
    for (size_t i = 0; i < s.polygonPoints.size(); ++i)
        s.polygonPoints[i] = s.polygonSnapshot[i] + d;
}

bool ValidVertex(const ROIEditState& s)
{
    return s.activeVertex >= 0 && s.activeVertex < static_cast<int>(s.polygonPoints.size());
}

} // namespace

float ToleranceAt(double scale)
{
    return static_cast<float>(kGrabScreenPixels / scale);
}

std::vector<cv::Point2f> RotatedCorners(const cv::Rect2f& rect, double angle)
{
    cv::Point2f c[4];
    cv::RotatedRect(CentreOf(rect), rect.size(), static_cast<float>(angle)).points(c);
    return {c[0], c[1], c[2], c[3]};
}

ROIHitResult HitTest(const ROIEditState& s, const cv::Point2f& p, float tol)
{
    const cv::Rect2f& r = s.roiRect;
    const bool sized = HasArea(r);
    switch (s.mode) {
    case CvROIMode::Point:
        return ROIHitTest::TestPoint(p, s.leftDownPoint, tol);
    case CvROIMode::Line:
        return ROIHitTest::TestLine(p, s.leftDownPoint, s.leftUpPoint, tol);
    case CvROIMode::Rectangle:
        return sized ? ROIHitTest::TestRectangle(p, r, tol) : ROIHitResult{};
    case CvROIMode::RotatedRectangle:
        return sized ? ROIHitTest::TestRotatedRectangle(p, RotatedCorners(r, s.rotateAngle), CentreOf(r),
                                                        static_cast<float>(s.rotateAngle), tol)
                     : ROIHitResult{};
    case CvROIMode::Circle:
        return sized ? ROIHitTest::TestCircle(p, {r.x, r.y}, RadiusOf(r), tol) : ROIHitResult{};
    case CvROIMode::Annulus: {
        if (!sized)
            return ROIHitResult{};
        const float outer = RadiusOf(r);
        const float inner = s.innerRadius > 0 ? static_cast<float>(s.innerRadius) : outer * 0.5f;
        return ROIHitTest::TestAnnulus(p, {r.x, r.y}, inner, outer, static_cast<float>(s.startAngle),
                                       static_cast<float>(s.endAngle), tol);
    }
    case CvROIMode::Polygon:
        return s.polygonPoints.empty() ? ROIHitResult{}
                                       : ROIHitTest::TestPolygon(p, s.polygonPoints, tol, s.polygonDrawing);
    default:
        return ROIHitResult{};
    }
}

bool Press(ROIEditState& s, const cv::Point2f& p, float tol, std::int64_t nowMillis)
{
    s.hit = HitTest(s, p, tol);
    s.dragging = true;
    s.dragStartPoint = p;
    s.lastAnglePoint = Truncated(p);
    if (s.mode != CvROIMode::Polygon) {
        PressShape(s, p);
        return false;
    }
    if (!s.polygonDrawing) {
        PressClosedPolygon(s, p, nowMillis);
        return false;
    }
    return PressOpenPolygon(s, p, nowMillis);
}

void Drag(ROIEditState& s, const cv::Point2f& mouse, bool snapRotation, const cv::Size& image)
{
    const cv::Point2f p = OntoImage(mouse, image, s.mode);
    if (s.mode == CvROIMode::Polygon && s.hit.handle != ROIHandle::Body) {
        // The grabbed vertex, or the one just placed, follows the mouse.
        if (ValidVertex(s))
            s.polygonPoints[s.activeVertex] = p;
        else
            s.hoverPoint = p;
        return;
    }
    s.leftUpPoint = p;
    const cv::Point2f d = p - s.dragStartPoint;
    switch (s.mode) {
    case CvROIMode::Point:
        s.leftDownPoint = p;
        break;
    case CvROIMode::Line:
        DragLine(s, p, d, image);
        break;
    case CvROIMode::Rectangle:
        DragRectangle(s, p, image);
        break;
    case CvROIMode::RotatedRectangle:
        DragRotatedRectangle(s, p, d, snapRotation, image);
        break;
    case CvROIMode::Circle:
    case CvROIMode::Annulus:
        DragCircleOrAnnulus(s, p, image);
        break;
    case CvROIMode::Polygon:
        DragPolygon(s, d, image);
        break;
    default:
        break;
    }
}

bool TrackRubberBand(ROIEditState& s, const cv::Point2f& p)
{
    if (s.mode != CvROIMode::Polygon || s.polygonPoints.empty())
        return false;
    if (s.polygonDrawing && s.activeVertex == -1) {
        s.hoverPoint = p;
        return true;
    }
    if (s.hoverPoint.x == -1.0f)
        return false;
    s.hoverPoint = cv::Point2f(-1.0f, -1.0f);
    return true;
}

bool Hover(ROIEditState& s, const cv::Point2f& p, float tol)
{
    s.hit = HitTest(s, p, tol);
    return s.hit.roiIndex >= 0;
}

bool Release(ROIEditState& s)
{
    if (!s.dragging)
        return false;
    s.dragging = false;
    s.activeVertex = -1;
    s.edgeDragStarted = false;
    return IsReportable(s);
}

bool CloseOnDoubleClick(ROIEditState& s)
{
    if (s.mode != CvROIMode::Polygon || !s.polygonDrawing || s.polygonPoints.size() < 3)
        return false;
    ClosePolygon(s);
    return true;
}

bool IsReportable(const ROIEditState& s)
{
    return !(s.mode == CvROIMode::Polygon && s.polygonDrawing);
}

} // namespace ROIEditor
