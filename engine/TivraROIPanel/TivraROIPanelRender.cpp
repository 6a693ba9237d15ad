// Drawing of the classic ROI panel into its scaled copy of the whole image: the
// current ROI, the stored overlays, the texts and the pass/fail/recycle badge.
// A source point p lands at p times the zoom factor.
#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>

#include "tivra/engine/FrameLayers.h"
#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"
#include "tivra/engine/Viewport.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/LineStyles.h"
#include "tivra/roi/ROIRenderer.h"
#include "tivra/roi/ShapeDrawing.h"

namespace {

// Saturating: geometry far outside the image must not overflow a pixel coordinate.
cv::Point Trunc(const cv::Point2d& p)
{
    return ShapeDrawing::ToPixel(p);
}

// A viewport that shows the whole image at `scale` without scrolling or centring:
// the overlay layers then map source points straight into the scaled image.
Viewport WholeImageViewport(cv::Size source, double scale, cv::Size scaled)
{
    Viewport viewport;
    viewport.SetOriginalSize(source);
    viewport.SetScale(scale);
    viewport.SetWindowSize(scaled);
    viewport.SetScrollPosition(cv::Point(0, 0));
    return viewport;
}

}  // namespace

void TivraROIPanel::Update_showDisplayROIs()
{
    DrawCurrentROI(m_drawmatBitmap);
    DrawStoredOverlays(m_drawmatBitmap, WholeImageViewport(m_matBitmap.size(), m_scale, m_drawmatBitmap.size()));
    RenderTextsAndLogos(m_scale);
}

void TivraROIPanel::DrawCurrentROI(cv::Mat& image)
{
    if (!m_cropEnable || m_roiMode == CvROIMode::None)
        return;
    const float s = static_cast<float>(m_scale);
    const int t = static_cast<int>(std::max(m_scale, 1.0));
    const cv::Scalar lime = cv_Color_Defines::lime;
    const auto view = [s](const cv::Point2f& p) { return Trunc(p * s); };
    const cv::Rect2f& r = m_edit.roiRect;
    const bool hasArea = r.width > 0 && r.height > 0;
    switch (m_roiMode) {
    case CvROIMode::Point:
        if (m_edit.leftDownPoint.x > 0 || m_edit.leftDownPoint.y > 0)
            ID::drawReularCrossLine(image, view(m_edit.leftDownPoint), lime, t, 10);
        break;
    case CvROIMode::Line:
        if (m_edit.leftDownPoint != m_edit.leftUpPoint)
            ID::drawArrowLine(image, view(m_edit.leftDownPoint), view(m_edit.leftUpPoint), 15, 20, lime, t,
                              cv::LINE_8);
        break;
    case CvROIMode::Rectangle:
        if (hasArea) {
            cv::rectangle(image, view(r.tl()), view(r.br()), lime, t, cv::LINE_8);
            ROIRenderer::RenderRectangleHandles(image, view(r.tl()), view(r.br()), lime);
        }
        break;
    case CvROIMode::RotatedRectangle: {
        if (!hasArea)
            break;
        std::vector<cv::Point2f> corners = m_edit.polygonPoints;
        if (!m_edit.edgeDragStarted || corners.size() < 4)
            corners = ROIEditor::RotatedCorners(r, m_edit.rotateAngle);
        for (int i = 0; i < 4; ++i)
            cv::line(image, view(corners[i]), view(corners[(i + 1) % 4]), lime, t, cv::LINE_8);
        break;
    }
    case CvROIMode::Circle:
    case CvROIMode::Annulus: {
        if (!hasArea)
            break;
        const cv::Point2d centre = view(r.tl());
        const double outer = m_scale * std::hypot(r.width, r.height);
        if (m_roiMode == CvROIMode::Circle) {
            ShapeDrawing::DrawCircle(image, centre, outer, lime, t);
            break;
        }
        const double inner = m_edit.innerRadius > 0 ? m_scale * m_edit.innerRadius : outer * 0.5;
        for (double radius : {outer, inner})
            ShapeDrawing::DrawArc(image, centre, radius, m_edit.startAngle, m_edit.endAngle, lime, t);
        for (double angle : {m_edit.startAngle, m_edit.endAngle})
            cv::line(image, ShapeDrawing::PointOnCircle(centre, outer, angle),
                     ShapeDrawing::PointOnCircle(centre, inner, angle), lime, t, cv::LINE_8);
        break;
    }
    case CvROIMode::Polygon: {
        const auto& pts = m_edit.polygonPoints;
        for (size_t i = 0; i + 1 < pts.size(); ++i)
            cv::line(image, view(pts[i]), view(pts[i + 1]), lime, t, cv::LINE_8);
        if (!m_edit.polygonDrawing && pts.size() > 2)
            cv::line(image, view(pts.back()), view(pts.front()), lime, t, cv::LINE_8);
        if (m_edit.polygonDrawing && !pts.empty() && m_edit.hoverPoint.x >= 0 && m_edit.hoverPoint.y >= 0)
            cv::line(image, view(pts.back()), view(m_edit.hoverPoint), lime, t, cv::LINE_8);
        for (const cv::Point2f& p : pts)
            cv::circle(image, view(p), 3, lime, -1, cv::LINE_8);
        break;
    }
    default:
        break;
    }
}

void TivraROIPanel::RenderTextsAndLogos(double scale)
{
    // Texts start at the truncated display point, their lines indented by 10 x zoom.
    const int indent = static_cast<int>(scale * 10.0);
    for (const auto& [text, font] : TextsToDraw()) {
        const cv::Point2f anchor(Trunc(cv::Point2d(text->position) * scale));
        FrameLayers::DrawTextAt(m_drawmatBitmap, *text, *font, anchor, scale, indent);
    }
    DrawBadge(m_drawmatBitmap);
}
