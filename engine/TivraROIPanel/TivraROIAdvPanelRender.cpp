// Frame rendering of the advanced panel: the visible part of the image is cut
// through the viewport, the layers are drawn into that buffer, and the buffer is
// blitted at the centring offset. The cost depends on the window, not the image.
#include <algorithm>
#include <cstring>
#include <vector>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/engine/FramePainter.h"
#include "tivra/engine/GuideLines.h"
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "tivra/io/LargeImage.h"

namespace {

// Images above this many pixels, shown at a zoom of 1 / kFirstReduction or less,
// are sampled from a copy reduced by a power of two per axis: the largest factor
// that still leaves at least one level pixel per screen pixel, so a frame reads
// between one and four level pixels per screen pixel whatever the zoom.
constexpr double kReducedAbovePixels = 16e6;
constexpr int kFirstReduction = 4;
constexpr int kLastReduction = 1 << 20;

// 1 when the image itself is sampled at `scale`.
int ReductionFor(double scale, size_t imagePixels)
{
    if (static_cast<double>(imagePixels) <= kReducedAbovePixels || !(scale > 0.0))
        return 1;
    int factor = 1;
    while (factor < kLastReduction && scale * factor * 2 <= 1.0)
        factor *= 2;
    return factor >= kFirstReduction ? factor : 1;
}

template <size_t Bytes>
void CopyPixels(const uchar* row, const std::vector<size_t>& offsets, uchar* out)
{
    for (const size_t offset : offsets) {
        std::memcpy(out, row + offset, Bytes);
        out += Bytes;
    }
}

// out(r, c) = source(rows[r], columns[c]) for rows in `range`; `offsets` holds the
// byte offsets of the columns, so a row costs one pass over the output.
void SampleRows(const cv::Mat& source, const std::vector<int>& rows, const std::vector<size_t>& offsets,
                cv::Mat& out, const cv::Range& range)
{
    const size_t pixel = source.elemSize();
    for (int r = range.start; r < range.end; ++r) {
        const uchar* row = source.ptr(rows[static_cast<size_t>(r)]);
        uchar* target = out.ptr(r);
        switch (pixel) {
        case 1: CopyPixels<1>(row, offsets, target); break;
        case 3: CopyPixels<3>(row, offsets, target); break;
        case 4: CopyPixels<4>(row, offsets, target); break;
        default:
            for (const size_t offset : offsets) {
                std::memcpy(target, row + offset, pixel);
                target += pixel;
            }
        }
    }
}

std::vector<size_t> ByteOffsets(const std::vector<int>& columns, size_t pixel)
{
    std::vector<size_t> offsets(columns.size());
    for (size_t c = 0; c < columns.size(); ++c)
        offsets[c] = static_cast<size_t>(columns[c]) * pixel;
    return offsets;
}

// The buffer that nearest-neighbour scaling of `length` pixels by `scale` samples:
// index i reads pixel min(floor(i / scale), length - 1), as cv::resize does, so a
// level shows the pixel the full image would show, rounded down to its block.
std::vector<int> NearestIndices(int first, int length, int count, double scale, int factor)
{
    const double step = 1. / scale;
    std::vector<int> indices(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        indices[static_cast<size_t>(i)] = (first + std::min(cvFloor(i * step), length - 1)) / factor;
    return indices;
}

// The image reduced `factor` times per axis: level pixel (i, j) is image pixel
// (i * factor, j * factor), so every image pixel has its level pixel at
// (y / factor, x / factor).
cv::Mat BuildLevel(const cv::Mat& image, int factor)
{
    const int rows = (image.rows + factor - 1) / factor;
    const int cols = (image.cols + factor - 1) / factor;
    std::vector<int> sourceRows(static_cast<size_t>(rows));
    std::vector<int> sourceCols(static_cast<size_t>(cols));
    for (int i = 0; i < rows; ++i)
        sourceRows[static_cast<size_t>(i)] = i * factor;
    for (int j = 0; j < cols; ++j)
        sourceCols[static_cast<size_t>(j)] = j * factor;
    const std::vector<size_t> offsets = ByteOffsets(sourceCols, image.elemSize());
    // Written once and read by every frame: on huge pages, a level of a large
    // image spares the first touch of thousands of 4 KiB pages.
    cv::Mat level = NewLargeImage(cv::Size(cols, rows), image.type());
    cv::parallel_for_(cv::Range(0, rows),
                      [&](const cv::Range& range) { SampleRows(image, sourceRows, offsets, level, range); });
    return level;
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

const cv::Mat& TivraROIAdvPanel::ReducedLevel(int factor)
{
    size_t index = 0;
    while ((kFirstReduction << index) < factor)
        ++index;
    if (m_reducedLevels.size() <= index)
        m_reducedLevels.resize(index + 1);
    // Sampled straight from the image: the cost follows the level's rows, so a
    // deep level comes quickly without the levels above it.
    cv::Mat& level = m_reducedLevels[index];
    if (level.empty())
        level = BuildLevel(m_matBitmap, factor);
    return level;
}

cv::Mat TivraROIAdvPanel::VisibleImage()
{
    const int factor = ReductionFor(m_scale, m_matBitmap.total());
    if (factor == 1)
        return m_viewport.ExtractVisibleRegion(m_matBitmap);
    const cv::Rect inside = m_viewport.GetVisibleROI() & cv::Rect(0, 0, m_matBitmap.cols, m_matBitmap.rows);
    if (inside.width < 1 || inside.height < 1)
        return cv::Mat();
    // The size of a cut of the full image, so overlays map onto it unchanged.
    const cv::Size size(std::max(cvRound(inside.width * m_scale), 1), std::max(cvRound(inside.height * m_scale), 1));
    const cv::Mat& level = ReducedLevel(factor);
    const std::vector<int> rows = NearestIndices(inside.y, inside.height, size.height, m_scale, factor);
    const std::vector<int> cols = NearestIndices(inside.x, inside.width, size.width, m_scale, factor);
    cv::Mat buffer(size, level.type());
    SampleRows(level, rows, ByteOffsets(cols, level.elemSize()), buffer, cv::Range(0, size.height));
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
