// Drawing of the classic ROI panel into its scaled copy of the whole image: the
// current ROI, the stored overlays, the texts and the pass/fail/recycle badge.
// A source point p lands at p times the zoom factor.

#include <opencv2/imgproc.hpp>

#include "tivra/engine/FrameLayers.h"
#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"
#include "tivra/engine/Viewport.h"
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
    const Viewport whole = WholeImageViewport(m_matBitmap.size(), m_scale, m_drawmatBitmap.size());
    DrawCurrentROI(m_drawmatBitmap, whole);
    DrawStoredOverlays(m_drawmatBitmap, whole);
    RenderTextsAndLogos(m_scale);
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
