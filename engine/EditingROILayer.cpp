#include "tivra/engine/EditingROILayer.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "tivra/roi/Colors.h"
#include "tivra/roi/LineStyles.h"
#include "tivra/roi/ROIRenderer.h"
#include "tivra/roi/ShapeDrawing.h"

namespace FrameLayers {
namespace {

// One drawing of the current ROI: the buffer, the mapping into it and the stroke.
struct Pen {
    cv::Mat& buffer;
    const Viewport& viewport;
    double scale;
    int stroke;

    cv::Point2f Map(const cv::Point2f& p) const
    {
        return viewport.OriginalToView(p) - viewport.GetCenteringOffset();
    }

    bool Inside(const cv::Point& p) const
    {
        return p.x >= 0 && p.x < buffer.cols && p.y >= 0 && p.y < buffer.rows;
    }

    void Line(const cv::Point& a, const cv::Point& b) const
    {
        cv::line(buffer, a, b, cv_Color_Defines::lime, stroke, cv::LINE_8);
    }

    void Cross(const cv::Point& c) const
    {
        ID::drawReularCrossLine(buffer, c, cv_Color_Defines::lime, stroke, 10);
    }

    void CrossIfInside(const cv::Point& c) const
    {
        if (Inside(c))
            Cross(c);
    }

    void Dot(const cv::Point& at, int radius, const cv::Scalar& color) const
    {
        cv::circle(buffer, at, radius, color, -1, cv::LINE_8);
    }
};

// Saturating: geometry far outside the view must not overflow a pixel coordinate.
cv::Point Trunc(const cv::Point2d& p)
{
    return ShapeDrawing::ToPixel(p);
}

bool HasArea(const cv::Rect2f& r)
{
    return r.width > 0 && r.height > 0;
}

// Kinds whose geometry is roiRect: without a positive size they are not drawn.
bool DrawnFromRect(int mode)
{
    return mode == CvROIMode::Rectangle || mode == CvROIMode::RotatedRectangle || mode == CvROIMode::Circle ||
           mode == CvROIMode::Annulus;
}

double OuterRadius(const Pen& pen, const cv::Rect2f& r)
{
    return pen.scale * std::hypot(r.width, r.height);
}

void DrawHandle(const Pen& pen, const cv::Point& at, const cv::Scalar& fill)
{
    pen.Dot(at, 5, fill);
    cv::circle(pen.buffer, at, 6, cv_Color_Defines::black, 1, cv::LINE_8);
}

void DrawLine(const Pen& pen, const ROIEditState& s)
{
    if (s.leftDownPoint == s.leftUpPoint)
        return;
    const cv::Point2f down = pen.Map(s.leftDownPoint);
    const cv::Point2f up = pen.Map(s.leftUpPoint);
    ID::drawArrowLine(pen.buffer, Trunc(down), Trunc(up), 15, 20, cv_Color_Defines::lime, pen.stroke, cv::LINE_8);
    pen.CrossIfInside(Trunc((down + up) * 0.5f));
}

void DrawRectangle(const Pen& pen, const cv::Rect2f& r)
{
    const cv::Point tl = Trunc(pen.Map(r.tl()));
    const cv::Point size = Trunc(cv::Point2d(r.width, r.height) * pen.scale);
    // Corner to corner in double: the far corner of a huge rectangle must not wrap around.
    const cv::Point far = Trunc(cv::Point2d(tl) + cv::Point2d(size) - cv::Point2d(1, 1));
    cv::rectangle(pen.buffer, tl, far, cv_Color_Defines::lime, pen.stroke, cv::LINE_8);
    ROIRenderer::RenderRectangleHandles(pen.buffer, tl, far, cv_Color_Defines::lime);
    pen.CrossIfInside(Trunc(cv::Point2d(tl) + cv::Point2d(size.x / 2, size.y / 2)));
}

// During an edge drag the dragged corners are drawn, not the rectangle they came from.
void DrawRotatedRectangle(const Pen& pen, const ROIEditState& s)
{
    std::vector<cv::Point2f> corners = ROIEditor::RotatedCorners(s.roiRect, s.rotateAngle);
    if (s.edgeDragStarted && s.polygonPoints.size() >= 4)
        std::copy_n(s.polygonPoints.begin(), 4, corners.begin());
    for (cv::Point2f& c : corners)
        c = pen.Map(c);
    for (int i = 0; i < 4; ++i)
        pen.Line(Trunc(corners[i]), Trunc(corners[(i + 1) % 4]));
    pen.Cross(Trunc((corners[0] + corners[2]) * 0.5f));
    DrawHandle(pen, Trunc((corners[1] + corners[2]) * 0.5f), cv_Color_Defines::red);
    DrawHandle(pen, Trunc((corners[0] + corners[1]) * 0.5f), cv_Color_Defines::blue);
}

void DrawCircle(const Pen& pen, const ROIEditState& s)
{
    const cv::Point2f centre = pen.Map(s.roiRect.tl());
    ShapeDrawing::DrawCircle(pen.buffer, centre, OuterRadius(pen, s.roiRect), cv_Color_Defines::lime, pen.stroke);
    pen.Cross(Trunc(centre));
    if (s.hit.handle == ROIHandle::OuterEdge)
        pen.Dot(Trunc(pen.Map(s.leftUpPoint)), 5, cv_Color_Defines::red);
}

void DrawAnnulus(const Pen& pen, const ROIEditState& s)
{
    const cv::Point2f centre = pen.Map(s.roiRect.tl());
    const double outer = OuterRadius(pen, s.roiRect);
    const double inner = s.innerRadius > 0 ? pen.scale * s.innerRadius : outer * 0.5;
    for (double radius : {outer, inner})
        ShapeDrawing::DrawArc(pen.buffer, centre, radius, s.startAngle, s.endAngle, cv_Color_Defines::lime,
                              pen.stroke);
    for (double angle : {s.startAngle, s.endAngle}) {
        const cv::Point rim = ShapeDrawing::PointOnCircle(centre, outer, angle);
        const cv::Point hole = ShapeDrawing::PointOnCircle(centre, inner, angle);
        pen.Line(rim, hole);
        for (const cv::Point& corner : {rim, hole})
            cv::circle(pen.buffer, corner, 3, cv_Color_Defines::lime, pen.stroke, cv::LINE_8);
    }
    pen.Cross(Trunc(centre));
}

// The move cross of a closed polygon sits in the middle of its bounding box.
void DrawPolygonCentre(const Pen& pen, const std::vector<cv::Point>& v, bool grabbed)
{
    const auto byX = [](const cv::Point& a, const cv::Point& b) { return a.x < b.x; };
    const auto byY = [](const cv::Point& a, const cv::Point& b) { return a.y < b.y; };
    const auto [minX, maxX] = std::minmax_element(v.begin(), v.end(), byX);
    const auto [minY, maxY] = std::minmax_element(v.begin(), v.end(), byY);
    // In double: huge vertices must not overflow.
    const cv::Point centre =
        Trunc(cv::Point2d((minX->x + 0.0 + maxX->x + 1.0) / 2.0, (minY->y + 0.0 + maxY->y + 1.0) / 2.0));
    pen.Cross(centre);
    if (grabbed)
        pen.Dot(centre, 5, cv_Color_Defines::red);
}

void DrawPolygon(const Pen& pen, const ROIEditState& s)
{
    if (s.polygonPoints.empty())
        return;
    std::vector<cv::Point> v;
    v.reserve(s.polygonPoints.size());
    for (const cv::Point2f& p : s.polygonPoints)
        v.push_back(Trunc(pen.Map(p)));
    for (size_t i = 0; i + 1 < v.size(); ++i)
        pen.Line(v[i], v[i + 1]);
    if (!s.polygonDrawing && v.size() > 2) {
        pen.Line(v.back(), v.front());
        DrawPolygonCentre(pen, v, s.hit.handle == ROIHandle::Body);
    }
    if (s.polygonDrawing && s.hoverPoint.x >= 0 && s.hoverPoint.y >= 0)
        pen.Line(v.back(), Trunc(pen.Map(s.hoverPoint)));
    for (const cv::Point& p : v)
        pen.Dot(p, 3, cv_Color_Defines::lime);
    if (s.activeVertex >= 0 && s.activeVertex < static_cast<int>(v.size()))
        cv::circle(pen.buffer, v[s.activeVertex], 5, cv_Color_Defines::lime, pen.stroke, cv::LINE_8);
}

}  // namespace

void DrawEditingROI(cv::Mat& buffer, const ROIEditState& edit, const Viewport& viewport, double scale)
{
    if (DrawnFromRect(edit.mode) && !HasArea(edit.roiRect))
        return;
    const Pen pen{buffer, viewport, scale, static_cast<int>(std::max(scale, 1.0))};
    switch (edit.mode) {
    case CvROIMode::Point: pen.CrossIfInside(Trunc(pen.Map(edit.leftDownPoint))); break;
    case CvROIMode::Line: DrawLine(pen, edit); break;
    case CvROIMode::Rectangle: DrawRectangle(pen, edit.roiRect); break;
    case CvROIMode::RotatedRectangle: DrawRotatedRectangle(pen, edit); break;
    case CvROIMode::Circle: DrawCircle(pen, edit); break;
    case CvROIMode::Annulus: DrawAnnulus(pen, edit); break;
    case CvROIMode::Polygon: DrawPolygon(pen, edit); break;
    default: break;
    }
}

}  // namespace FrameLayers
