// Frame rendering of the advanced panel: the visible part of the image is cut
// through the viewport, the layers are drawn into that buffer, and the buffer is
// blitted at the centring offset. The cost depends on the window, not the image.
#include <algorithm>

#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/engine/FramePainter.h"
#include "tivra/engine/GuideLines.h"
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

namespace {

// Images above this many pixels, shown at a zoom of 1 / kReduction or less, are
// sampled from a copy reduced kReduction times per axis; a copy still above it,
// at a zoom of 1 / kReduction² or less, from one reduced again, and so on.
constexpr double kReducedAbovePixels = 16e6;
constexpr int kReduction = 4;
constexpr size_t kReducedLevels = 2;

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
    ScheduleViewReport();
}

cv::Mat& TivraROIAdvPanel::GetDrawMat()
{
    const PaintedFrame& painted = m_painted;
    m_paintedFrame.create(painted.client.height, painted.client.width, CV_8UC3);
    m_paintedFrame.setTo(painted.background);
    const cv::Rect target =
        cv::Rect(painted.offset, painted.buffer.size()) & cv::Rect(0, 0, m_paintedFrame.cols, m_paintedFrame.rows);
    if (!target.empty())
        painted.buffer(cv::Rect(target.tl() - painted.offset, target.size())).copyTo(m_paintedFrame(target));
    return m_paintedFrame;
}

// What the window shows: the background, and the buffer at its offset.
void TivraROIAdvPanel::KeepPaintedFrame(const cv::Mat& buffer, const cv::Point& offset)
{
    const wxSize client = GetClientSize();
    const wxColour background = GetBackgroundColour();
    m_painted = {buffer, offset, cv::Size(std::max(client.x, 0), std::max(client.y, 0)),
                 cv::Scalar(background.Blue(), background.Green(), background.Red())};
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
    // The buffer starts at a whole source pixel; the scroll position may lie
    // inside it, so the buffer moves left and up by that part to put each source
    // pixel where the mouse mapping finds it.
    const cv::Point scroll = m_viewport.GetScrollPosition();
    const cv::Rect visible = m_viewport.GetVisibleROI();
    const cv::Point2f centring = m_viewport.GetCenteringOffset();
    const cv::Point offset(static_cast<int>(centring.x) - static_cast<int>(scroll.x - visible.x * m_scale),
                           static_cast<int>(centring.y) - static_cast<int>(scroll.y - visible.y * m_scale));
    FramePainter::Draw(dc, buffer, wxPoint(offset.x, offset.y));
    KeepPaintedFrame(buffer, offset);
}

const cv::Mat& TivraROIAdvPanel::ReducedLevel(size_t level)
{
    if (m_reducedLevels.size() < level)
        m_reducedLevels.resize(level);
    cv::Mat& reduced = m_reducedLevels[level - 1];
    // Sampled straight from the image: the cost follows the level's size, so a
    // deep level comes quickly without the levels above it.
    if (reduced.empty()) {
        int factor = 1;
        for (size_t i = 0; i < level; ++i)
            factor *= kReduction;
        cv::resize(m_matBitmap, reduced, cv::Size(m_matBitmap.cols / factor, m_matBitmap.rows / factor), 0, 0,
                   cv::INTER_NEAREST);
    }
    return reduced;
}

cv::Mat TivraROIAdvPanel::VisibleImage()
{
    // The deepest level that still has more pixels than the view samples from it.
    size_t level = 0;
    int factor = 1;
    while (level < kReducedLevels &&
           static_cast<double>(m_matBitmap.total()) / (factor * factor) > kReducedAbovePixels &&
           m_scale * factor * kReduction <= 1.0) {
        ++level;
        factor *= kReduction;
    }
    if (level == 0)
        return m_viewport.ExtractVisibleRegion(m_matBitmap);
    const cv::Rect visible = m_viewport.GetVisibleROI();
    if (visible.width < 1 || visible.height < 1)
        return cv::Mat();
    const cv::Mat& reducedMat = ReducedLevel(level);
    // The same buffer size as a cut of the full image: overlays map onto it unchanged.
    const cv::Size size(cvRound(visible.width * m_scale), cvRound(visible.height * m_scale));
    const cv::Rect reducedVisible =
        cv::Rect(cv::Point(visible.x / factor, visible.y / factor),
                 cv::Point((visible.br().x + factor - 1) / factor, (visible.br().y + factor - 1) / factor)) &
        cv::Rect(0, 0, reducedMat.cols, reducedMat.rows);
    if (size.width < 1 || size.height < 1 || reducedVisible.empty())
        return cv::Mat();
    cv::Mat buffer;
    cv::resize(reducedMat(reducedVisible), buffer, size, 0, 0, cv::INTER_NEAREST);
    return buffer;
}

void TivraROIAdvPanel::RenderFrame(wxDC& dc)
{
    RenderVisible(dc, m_matBitmap, true);
    DrawGuideLineWxDC(dc);
    if (m_loading)
        DrawLoadingIndicator(dc);
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
    DrawCurrentROI(buffer, m_viewport);
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
