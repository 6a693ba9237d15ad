// Frame rendering of the advanced panel: the visible part of the image is cut
// through the viewport, the layers are drawn into that buffer, and the buffer is
// blitted at the centring offset. The cost depends on the window, not the image.
#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/engine/GuideLines.h"
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/LineStyles.h"
#include "tivra/roi/ROIRenderer.h"
#include "tivra/roi/ShapeDrawing.h"

namespace {

// Images above this many pixels, shown at a zoom of 1 / kReduction or less, are
// sampled from a copy reduced kReduction times per axis.
constexpr double kReducedAbovePixels = 16e6;
constexpr int kReduction = 4;

bool IsInside(const cv::Mat& buffer, const cv::Point& p)
{
    return p.x >= 0 && p.x < buffer.cols && p.y >= 0 && p.y < buffer.rows;
}

// Saturating: geometry far outside the view must not overflow a pixel coordinate.
cv::Point Trunc(const cv::Point2d& p)
{
    return ShapeDrawing::ToPixel(p);
}

void DrawHandle(cv::Mat& buffer, const cv::Point& at, const cv::Scalar& fill)
{
    cv::circle(buffer, at, 5, fill, -1, cv::LINE_8);
    cv::circle(buffer, at, 6, cv_Color_Defines::black, 1, cv::LINE_8);
}

// The buffer the layers are drawn into: 3-channel BGR, so that every colour,
// whatever its fourth component, lands opaque.
void NormaliseBuffer(cv::Mat& buffer)
{
    if (buffer.channels() == 1)
        cv::cvtColor(buffer, buffer, cv::COLOR_GRAY2BGR);
    else if (buffer.channels() == 4)
        cv::cvtColor(buffer, buffer, cv::COLOR_BGRA2BGR);
}

}  // namespace

void TivraROIAdvPanel::PaintFrame(wxDC& dc)
{
    RenderFrame(dc);
}

cv::Mat& TivraROIAdvPanel::GetDrawMat()
{
    return m_paintedFrame;
}

// What the window shows: the background, and the buffer at its offset.
void TivraROIAdvPanel::KeepPaintedFrame(const cv::Mat& buffer, const cv::Point& offset)
{
    const wxSize client = GetClientSize();
    const wxColour background = GetBackgroundColour();
    m_paintedFrame.create(std::max(client.y, 0), std::max(client.x, 0), CV_8UC3);
    m_paintedFrame.setTo(cv::Scalar(background.Blue(), background.Green(), background.Red()));
    const cv::Rect target = cv::Rect(offset, buffer.size()) & cv::Rect(0, 0, m_paintedFrame.cols, m_paintedFrame.rows);
    if (!target.empty())
        buffer(cv::Rect(target.tl() - offset, target.size())).copyTo(m_paintedFrame(target));
}

void TivraROIAdvPanel::RenderVisible(wxDC& dc, const cv::Mat& mat, bool withLayers)
{
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (mat.empty()) {
        KeepPaintedFrame(cv::Mat(), cv::Point());
        return;
    }
    const wxSize client = GetClientSize();
    m_viewport.SetWindowSize(cv::Size(client.x, client.y));
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    const wxPoint start = GetViewStart();
    m_viewport.SetScrollPosition(cv::Point(start.x * unitX, start.y * unitY));
    cv::Mat buffer = withLayers ? VisibleImage() : m_viewport.ExtractVisibleRegion(mat);
    if (buffer.empty()) {
        KeepPaintedFrame(cv::Mat(), cv::Point());
        return;
    }
    buffer = tivra::display::MapToDisplay(buffer, m_displayMapping);  // only what is painted
    NormaliseBuffer(buffer);
    if (withLayers) {
        DrawGuideOnVisibleBuffer(buffer);
        DrawCurrentEditingROI(buffer);
        DrawStoredOverlays(buffer, m_viewport);
        DrawTexts(buffer);
        DrawBadge(buffer);
    }
    const wxBitmap bitmap = ConvertMatToBitmap(buffer, m_simdMode);
    if (!bitmap.IsOk())
        return;
    const cv::Point2f offset = m_viewport.GetCenteringOffset();
    dc.DrawBitmap(bitmap, static_cast<int>(offset.x), static_cast<int>(offset.y), false);
    KeepPaintedFrame(buffer, cv::Point(static_cast<int>(offset.x), static_cast<int>(offset.y)));
}

cv::Mat TivraROIAdvPanel::VisibleImage()
{
    const bool reduce = static_cast<double>(m_matBitmap.total()) > kReducedAbovePixels &&
                        m_scale * kReduction <= 1.0;
    if (!reduce)
        return m_viewport.ExtractVisibleRegion(m_matBitmap);
    const cv::Rect visible = m_viewport.GetVisibleROI();
    if (visible.width < 1 || visible.height < 1)
        return cv::Mat();
    if (m_reducedMat.empty())
        cv::resize(m_matBitmap, m_reducedMat, cv::Size(m_matBitmap.cols / kReduction, m_matBitmap.rows / kReduction),
                   0, 0, cv::INTER_NEAREST);
    // The same buffer size as a cut of the full image: overlays map onto it unchanged.
    const cv::Size size(cvRound(visible.width * m_scale), cvRound(visible.height * m_scale));
    const cv::Rect reducedVisible =
        cv::Rect(cv::Point(visible.x / kReduction, visible.y / kReduction),
                 cv::Point((visible.br().x + kReduction - 1) / kReduction,
                           (visible.br().y + kReduction - 1) / kReduction)) &
        cv::Rect(0, 0, m_reducedMat.cols, m_reducedMat.rows);
    if (size.width < 1 || size.height < 1 || reducedVisible.empty())
        return cv::Mat();
    cv::Mat buffer;
    cv::resize(m_reducedMat(reducedVisible), buffer, size, 0, 0, cv::INTER_NEAREST);
    return buffer;
}

void TivraROIAdvPanel::RenderFrame(wxDC& dc)
{
    RenderVisible(dc, m_matBitmap, true);
    DrawGuideLineWxDC(dc);
}

void TivraROIAdvPanel::RenderFrameFast(wxDC& dc, const cv::Mat& mat)
{
    RenderVisible(dc, mat, false);
}

void TivraROIAdvPanel::DrawGuideLineWxDC(wxDC&) {}

void TivraROIAdvPanel::DrawGuideOnVisibleBuffer(cv::Mat& buffer)
{
    GuideLines::DrawOnVisibleBuffer(buffer, m_viewport, m_matBitmap.size(), GetGuideLineSettings());
}

void TivraROIAdvPanel::DrawCurrentEditingROI(cv::Mat& buffer)
{
    if (!m_cropEnable || m_roiMode == CvROIMode::None)
        return;
    const int t = static_cast<int>(std::max(m_scale, 1.0));
    const cv::Scalar lime = cv_Color_Defines::lime;
    const cv::Point2f offset = m_viewport.GetCenteringOffset();
    const auto toBuffer = [&](const cv::Point2f& p) { return m_viewport.OriginalToView(p) - offset; };
    const auto cross = [&](const cv::Point& c) { ID::drawReularCrossLine(buffer, c, lime, t, 10); };
    const bool hasArea = m_edit.roiRect.width > 0 && m_edit.roiRect.height > 0;
    const cv::Point2f topLeft(m_edit.roiRect.x, m_edit.roiRect.y);

    switch (m_roiMode) {
    case CvROIMode::Point: {
        const cv::Point p = Trunc(toBuffer(m_edit.leftDownPoint));
        if (IsInside(buffer, p))
            cross(p);
        break;
    }
    case CvROIMode::Line: {
        if (m_edit.leftDownPoint == m_edit.leftUpPoint)
            break;
        const cv::Point2f down = toBuffer(m_edit.leftDownPoint);
        const cv::Point2f up = toBuffer(m_edit.leftUpPoint);
        ID::drawArrowLine(buffer, Trunc(down), Trunc(up), 15, 20, lime, t, cv::LINE_8);
        const cv::Point mid = Trunc((down + up) * 0.5f);
        if (IsInside(buffer, mid))
            cross(mid);
        break;
    }
    case CvROIMode::Rectangle: {
        if (!hasArea)
            break;
        const cv::Point tl = Trunc(toBuffer(topLeft));
        const cv::Point size = Trunc(cv::Point2d(m_edit.roiRect.width, m_edit.roiRect.height) * m_scale);
        // Corner to corner in double: the far corner of a huge rectangle must not wrap around.
        const cv::Point2d far = cv::Point2d(tl) + cv::Point2d(size) - cv::Point2d(1, 1);
        cv::rectangle(buffer, tl, Trunc(far), lime, t, cv::LINE_8);
        ROIRenderer::RenderRectangleHandles(buffer, tl, Trunc(far), lime);
        const cv::Point centre = Trunc(cv::Point2d(tl) + cv::Point2d(size.x / 2, size.y / 2));
        if (IsInside(buffer, centre))
            cross(centre);
        break;
    }
    case CvROIMode::RotatedRectangle: {
        if (!hasArea)
            break;
        std::vector<cv::Point2f> corners(4);
        if (m_edit.edgeDragStarted && m_edit.polygonPoints.size() >= 4) {
            std::copy_n(m_edit.polygonPoints.begin(), 4, corners.begin());
        } else {
            const cv::Size2f size = m_edit.roiRect.size();
            cv::RotatedRect(topLeft + cv::Point2f(size.width, size.height) * 0.5f, size,
                            static_cast<float>(m_edit.rotateAngle))
                .points(corners.data());
        }
        std::vector<cv::Point2f> c(4);
        for (int i = 0; i < 4; ++i)
            c[i] = toBuffer(corners[i]);
        for (int i = 0; i < 4; ++i)
            cv::line(buffer, Trunc(c[i]), Trunc(c[(i + 1) % 4]), lime, t, cv::LINE_8);
        cross(Trunc((c[0] + c[2]) * 0.5f));
        DrawHandle(buffer, Trunc((c[1] + c[2]) * 0.5f), cv_Color_Defines::red);
        DrawHandle(buffer, Trunc((c[0] + c[1]) * 0.5f), cv_Color_Defines::blue);
        break;
    }
    case CvROIMode::Circle: {
        if (!hasArea)
            break;
        const cv::Point2f centreF = toBuffer(topLeft);
        const cv::Point centre = Trunc(centreF);
        const double radius = m_scale * std::hypot(m_edit.roiRect.width, m_edit.roiRect.height);
        ShapeDrawing::DrawCircle(buffer, centreF, radius, lime, t);
        cross(centre);
        if (m_edit.hit.handle == ROIHandle::OuterEdge)
            cv::circle(buffer, Trunc(toBuffer(m_edit.leftUpPoint)), 5, cv_Color_Defines::red, -1, cv::LINE_8);
        break;
    }
    case CvROIMode::Annulus: {
        if (!hasArea)
            break;
        const cv::Point2f centreF = toBuffer(topLeft);
        const cv::Point centre = Trunc(centreF);
        const double outer = m_scale * std::hypot(m_edit.roiRect.width, m_edit.roiRect.height);
        const double inner = m_edit.innerRadius > 0 ? m_scale * m_edit.innerRadius : outer * 0.5;
        for (double radius : {outer, inner})
            ShapeDrawing::DrawArc(buffer, centreF, radius, m_edit.startAngle, m_edit.endAngle, lime, t);
        const cv::Point outerStart = ShapeDrawing::PointOnCircle(centreF, outer, m_edit.startAngle);
        const cv::Point innerStart = ShapeDrawing::PointOnCircle(centreF, inner, m_edit.startAngle);
        const cv::Point outerEnd = ShapeDrawing::PointOnCircle(centreF, outer, m_edit.endAngle);
        const cv::Point innerEnd = ShapeDrawing::PointOnCircle(centreF, inner, m_edit.endAngle);
        cv::line(buffer, outerStart, innerStart, lime, t, cv::LINE_8);
        cv::line(buffer, outerEnd, innerEnd, lime, t, cv::LINE_8);
        for (const cv::Point& p : {outerStart, innerStart, outerEnd, innerEnd})
            cv::circle(buffer, p, 3, lime, t, cv::LINE_8);
        cross(centre);
        break;
    }
    case CvROIMode::Polygon: {
        if (m_edit.polygonPoints.empty())
            break;
        std::vector<cv::Point> v;
        v.reserve(m_edit.polygonPoints.size());
        for (const cv::Point2f& p : m_edit.polygonPoints)
            v.push_back(Trunc(toBuffer(p)));
        for (size_t i = 0; i + 1 < v.size(); ++i)
            cv::line(buffer, v[i], v[i + 1], lime, t, cv::LINE_8);
        if (!m_edit.polygonDrawing && v.size() > 2) {
            cv::line(buffer, v.back(), v.front(), lime, t, cv::LINE_8);
            const auto byX = [](const cv::Point& a, const cv::Point& b) { return a.x < b.x; };
            const auto byY = [](const cv::Point& a, const cv::Point& b) { return a.y < b.y; };
            const auto [minX, maxX] = std::minmax_element(v.begin(), v.end(), byX);
            const auto [minY, maxY] = std::minmax_element(v.begin(), v.end(), byY);
            // The middle of the bounding box, in double: huge vertices must not overflow.
            const cv::Point centre = Trunc(cv::Point2d((minX->x + 0.0 + maxX->x + 1.0) / 2.0,
                                                      (minY->y + 0.0 + maxY->y + 1.0) / 2.0));
            cross(centre);
            if (m_edit.hit.handle == ROIHandle::Body)
                cv::circle(buffer, centre, 5, cv_Color_Defines::red, -1, cv::LINE_8);
        }
        if (m_edit.polygonDrawing && m_edit.hoverPoint.x >= 0 && m_edit.hoverPoint.y >= 0)
            cv::line(buffer, v.back(), Trunc(toBuffer(m_edit.hoverPoint)), lime, t, cv::LINE_8);
        for (const cv::Point& p : v)
            cv::circle(buffer, p, 3, lime, -1, cv::LINE_8);
        if (m_edit.activeVertex >= 0 && m_edit.activeVertex < static_cast<int>(v.size()))
            cv::circle(buffer, v[m_edit.activeVertex], 5, lime, t, cv::LINE_8);
        break;
    }
    default:
        break;
    }
}

void TivraROIAdvPanel::DrawROI(cv::Mat& buffer, const cvROI& roi, const std::vector<cv::Point2f>& viewPoints)
{
    FrameLayers::DrawOverlay(buffer, roi, viewPoints, m_viewport, m_scale, m_matBitmap.size(), m_roiColor);
}

void TivraROIAdvPanel::DrawTexts(cv::Mat& buffer)
{
    for (const auto& [text, font] : TextsToDraw())
        FrameLayers::DrawText(buffer, *text, *font, m_viewport, m_scale);
}
