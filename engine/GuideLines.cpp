#include "tivra/engine/GuideLines.h"

#include "tivra/engine/Viewport.h"
#include "tivra/roi/LineStyles.h"

#include <opencv2/imgproc.hpp>
#include <wx/brush.h>
#include <wx/dc.h>
#include <wx/pen.h>

#include <algorithm>
#include <cmath>

namespace GuideLines {

namespace {

// Window-path dashes: 20 pixels on, 20 off.
constexpr float kDashOn = 20.0f;
constexpr int kDashPeriod = 40;
// The buffer path hands this step to the dashed-line primitive.
constexpr int kBufferDashStep = 10;

constexpr float kThirdLow = 0.33333334f;
constexpr float kThirdHigh = 0.6666667f;
constexpr float kGoldenLow = 0.38196602f;
constexpr float kGoldenHigh = 0.618034f;
constexpr float kSafeZoneMargins[] = {0.05f, 0.1f};
constexpr int kThirdsMarkRadius = 5;

// Rounds to the nearest integer, ties to even (the default rounding mode).
int Nearest(float v) { return static_cast<int>(std::nearbyint(v)); }
int Nearest(double v) { return static_cast<int>(std::nearbyint(v)); }

void SectionFractions(GuideLineMode mode, float& low, float& high)
{
    const bool golden = mode == GuideLineMode::GoldenRatio;
    low = golden ? kGoldenLow : kThirdLow;
    high = golden ? kGoldenHigh : kThirdHigh;
}

// Line widths below 1 are drawn 1 pixel wide: OpenCV refuses them (an error
// thrown inside a paint would end the application) and a DC would draw
// nothing or hairlines. OpenCV's own upper limit caps the other end.
int LineWidth(int thickness)
{
    return std::clamp(thickness, 1, 32767);
}

unsigned char ColorByte(double channel)
{
    return static_cast<unsigned char>(std::clamp(static_cast<int>(channel), 0, 255));
}

// ---- window path -----------------------------------------------------------

void DashedSegment(wxDC& dc, float x0, float y0, float x1, float y1)
{
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float length = std::hypot(dx, dy);
    if (length < 1.0f)
        return;
    const float ux = dx / length;
    const float uy = dy / length;
    for (float t = 0.0f; t < length; t += kDashPeriod) {
        const float end = std::min(t + kDashOn, length);
        dc.DrawLine(Nearest(std::fma(ux, t, x0)), Nearest(std::fma(uy, t, y0)),
                    Nearest(std::fma(ux, end, x0)), Nearest(std::fma(uy, end, y0)));
    }
}

void DashedRectangle(wxDC& dc, int x, int y, int w, int h)
{
    DashedSegment(dc, x, y, x + w, y);
    DashedSegment(dc, x, y + h, x + w, y + h);
    DashedSegment(dc, x, y, x, y + h);
    DashedSegment(dc, x + w, y, x + w, y + h);
}

// Dash runs of 20 every 40 pixels starting at the centre, towards both ends.
void CenterCrossOnDC(wxDC& dc, int w, int h)
{
    const int cx = w / 2;
    const int cy = h / 2;
    for (int x = cx; x < w; x += kDashPeriod)
        dc.DrawLine(x, cy, std::min(x + 20, w), cy);
    for (int x = cx; x >= 0; x -= kDashPeriod)
        dc.DrawLine(std::max(x - 20, 0), cy, x, cy);
    for (int y = cy; y < h; y += kDashPeriod)
        dc.DrawLine(cx, y, cx, std::min(y + 20, h));
    for (int y = cy; y >= 0; y -= kDashPeriod)
        dc.DrawLine(cx, std::max(y - 20, 0), cx, y);
}

void SectionsOnDC(wxDC& dc, int w, int h, float low, float high)
{
    const int y1 = Nearest(h * low);
    const int x1 = Nearest(w * low);
    const int y2 = Nearest(h * high);
    const int x2 = Nearest(w * high);
    DashedSegment(dc, 0, y1, w, y1);
    DashedSegment(dc, x1, 0, x1, h);
    DashedSegment(dc, 0, y2, w, y2);
    DashedSegment(dc, x2, 0, x2, h);
    const int d = 2 * kThirdsMarkRadius;
    for (const auto& [x, y] : {std::pair{x1, y1}, {x1, y2}, {x2, y1}, {x2, y2}})
        dc.DrawEllipse(x - kThirdsMarkRadius, y - kThirdsMarkRadius, d, d);
}

void AspectFrameOnDC(wxDC& dc, int w, int h, double ratio)
{
    if (static_cast<double>(w) / h > ratio) {
        const int fw = Nearest(ratio * h);
        dc.DrawRectangle((w - fw) / 2, 0, fw, h);
    } else {
        const int fh = Nearest(w / ratio);
        dc.DrawRectangle(0, (h - fh) / 2, w, fh);
    }
}

// Eight legs of length l from the corners of the rectangle spanned by
// (left, top) and (right, bottom), both corners inclusive.
template <typename DrawLine>
void CornerLegs(int left, int top, int right, int bottom, int lx, int ly, DrawLine&& line)
{
    line(left, top, left + lx, top);
    line(left, top, left, top + ly);
    line(right, top, right - lx, top);
    line(right, top, right, top + ly);
    line(left, bottom, left + lx, bottom);
    line(left, bottom, left, bottom - ly);
    line(right, bottom, right - lx, bottom);
    line(right, bottom, right, bottom - ly);
}

// The marks sit on the bitmap's last column and row, not one past them,
// where the right and bottom legs would not be seen.
void CornerMarksOnDC(wxDC& dc, int w, int h)
{
    const int l = CornerMarkLength(w, h);
    CornerLegs(0, 0, w - 1, h - 1, l, l, [&dc](int x0, int y0, int x1, int y1) { dc.DrawLine(x0, y0, x1, y1); });
}

// ---- buffer path -----------------------------------------------------------

class BufferPainter {
public:
    BufferPainter(cv::Mat& buffer, const Viewport& viewport, cv::Size source, const GuideLineStyle& style)
        : m_buffer(buffer),
          m_viewport(viewport),
          m_w(static_cast<float>(source.width)),
          m_h(static_cast<float>(source.height)),
          m_color(style.color[0], style.color[1], style.color[2], 0),
          m_thickness(LineWidth(style.thickness))
    {
    }

    void CenterCross();
    void Sections(float low, float high);
    void SafeZones();
    void AspectFrame(double ratio);
    void Diagonals();
    void CornerMarks();

private:
    // Source point to buffer point: the view position minus the centring
    // offset, which the caller adds back when it blits the buffer.
    cv::Point Map(float x, float y) const
    {
        const cv::Point2f v = m_viewport.OriginalToView(cv::Point2f(x, y)) - m_viewport.GetCenteringOffset();
        return {Nearest(v.x), Nearest(v.y)};
    }

    void ClippedDash(cv::Point2f from, cv::Point2f to)
    {
        cv::Point a = Map(from.x, from.y);
        cv::Point b = Map(to.x, to.y);
        if (cv::clipLine(cv::Rect(0, 0, m_buffer.cols, m_buffer.rows), a, b))
            ID::drawDashedLine(m_buffer, a, b, m_color, m_thickness, kBufferDashStep);
    }

    void Solid(cv::Point a, cv::Point b) { cv::line(m_buffer, a, b, m_color, m_thickness, cv::LINE_8); }

    void Darken(const cv::Rect& band)
    {
        const cv::Rect r = band & cv::Rect(0, 0, m_buffer.cols, m_buffer.rows);
        if (r.area() > 0) {
            cv::Mat part = m_buffer(r);
            part.convertTo(part, -1, 0.5);
        }
    }

    // First start of a run of period 40 from `start` towards +infinity whose
    // run can still touch pixel `lowest` (runs further away are invisible).
    int SkipForward(int start, int lowest) const
    {
        const int margin = 20 + m_thickness;
        if (start >= lowest - margin)
            return start;
        const long long gap = static_cast<long long>(lowest) - margin - start;
        return static_cast<int>(start + (gap + kDashPeriod - 1) / kDashPeriod * kDashPeriod);
    }
    int SkipBackward(int start, int highest) const
    {
        const int margin = 20 + m_thickness;
        if (start <= highest + margin)
            return start;
        const long long gap = static_cast<long long>(start) - highest - margin;
        return static_cast<int>(start - (gap + kDashPeriod - 1) / kDashPeriod * kDashPeriod);
    }

    cv::Mat& m_buffer;
    const Viewport& m_viewport;
    float m_w;
    float m_h;
    cv::Scalar m_color;
    int m_thickness;
};

void BufferPainter::CenterCross()
{
    const cv::Point c = Map(m_w * 0.5f, m_h * 0.5f);
    const int cols = m_buffer.cols;
    const int rows = m_buffer.rows;
    for (int x = SkipForward(c.x, 0); x < cols; x += kDashPeriod)
        Solid({x, c.y}, {std::min(x + 20, cols - 1), c.y});
    if (c.x >= 0)
        for (int x = SkipBackward(c.x, cols - 1); x >= 0; x -= kDashPeriod)
            Solid({std::max(x - 20, 0), c.y}, {x, c.y});
    for (int y = SkipForward(c.y, 0); y < rows; y += kDashPeriod)
        Solid({c.x, y}, {c.x, std::min(y + 20, rows - 1)});
    if (c.y >= 0)
        for (int y = SkipBackward(c.y, rows - 1); y >= 0; y -= kDashPeriod)
            Solid({c.x, std::max(y - 20, 0)}, {c.x, y});
}

void BufferPainter::Sections(float low, float high)
{
    const float y1 = m_h * low;
    const float x1 = m_w * low;
    const float y2 = m_h * high;
    const float x2 = m_w * high;
    ClippedDash({0, y1}, {m_w, y1});
    ClippedDash({x1, 0}, {x1, m_h});
    ClippedDash({0, y2}, {m_w, y2});
    ClippedDash({x2, 0}, {x2, m_h});
    for (const auto& [x, y] : {std::pair{x1, y1}, {x1, y2}, {x2, y1}, {x2, y2}})
        cv::circle(m_buffer, Map(x, y), kThirdsMarkRadius, m_color, 1, cv::LINE_8);
}

void BufferPainter::SafeZones()
{
    for (const float f : kSafeZoneMargins) {
        const float mx = m_w * f;
        const float my = m_h * f;
        const cv::Point2f a(mx, my), b(m_w - mx, my), c(m_w - mx, m_h - my), d(mx, m_h - my);
        ClippedDash(a, b);
        ClippedDash(b, c);
        ClippedDash(c, d);
        ClippedDash(d, a);
    }
}

void BufferPainter::AspectFrame(double ratio)
{
    float fw = m_w;
    float fh = m_h;
    if (ratio < m_w / m_h)
        fw = static_cast<float>(ratio * m_h);
    else
        fh = static_cast<float>(m_w / ratio);
    const float ox = (m_w - fw) * 0.5f;
    const float oy = (m_h - fh) * 0.5f;
    const cv::Point p1 = Map(ox, oy);
    const cv::Point p2 = Map(ox + fw, oy + fh);
    const int x1 = std::max(p1.x, 0);
    const int y1 = std::max(p1.y, 0);
    const int x2 = std::min(p2.x, m_buffer.cols - 1);
    const int y2 = std::min(p2.y, m_buffer.rows - 1);
    if (x1 >= x2 || y1 >= y2) {
        // The whole visible part lies outside the frame.
        Darken(cv::Rect(0, 0, m_buffer.cols, m_buffer.rows));
        return;
    }
    Darken(cv::Rect(0, 0, m_buffer.cols, y1));
    Darken(cv::Rect(0, y2, m_buffer.cols, m_buffer.rows - y2));
    Darken(cv::Rect(0, y1, x1, y2 - y1));
    Darken(cv::Rect(x2, y1, m_buffer.cols - x2, y2 - y1));
    cv::rectangle(m_buffer, cv::Point(x1, y1), cv::Point(x2, y2), m_color, m_thickness, cv::LINE_8);
}

void BufferPainter::Diagonals()
{
    ClippedDash({0, 0}, {m_w, m_h});
    ClippedDash({m_w, 0}, {0, m_h});
}

// Lengths are source pixels, so the marks grow and shrink with the zoom. The
// right and bottom legs sit on the image's last visible pixel column and row.
void BufferPainter::CornerMarks()
{
    const float l = static_cast<float>(CornerMarkLength(static_cast<int>(m_w), static_cast<int>(m_h)));
    const cv::Point topLeft = Map(0, 0);
    const cv::Point bottomRight = Map(m_w, m_h) - cv::Point(1, 1);
    const cv::Point length = Map(l, l) - topLeft;
    CornerLegs(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, length.x, length.y,
               [this](int x0, int y0, int x1, int y1) { Solid({x0, y0}, {x1, y1}); });
}

bool Active(const GuideLineSettings& settings)
{
    return settings.visible && settings.mode != GuideLineMode::Off;
}

}  // namespace

double RatioOf(AspectRatio ratio)
{
    static constexpr double kRatios[] = {1.0, 4.0 / 3.0, 1.5, 16.0 / 9.0, 2.39, 0.5625};
    const int index = static_cast<int>(ratio);
    if (index < 0 || index > 5)
        return 16.0 / 9.0;
    return kRatios[index];
}

int CornerMarkLength(int width, int height)
{
    return std::clamp(std::min(width, height) / 20, 20, 80);
}

void DrawOnDC(wxDC& dc, int width, int height, const GuideLineSettings& settings)
{
    if (!Active(settings) || width < 1 || height < 1)
        return;
    const cv::Scalar& c = settings.style.color;
    dc.SetPen(wxPen(wxColour(ColorByte(c[2]), ColorByte(c[1]), ColorByte(c[0]), ColorByte(c[3])),
                    LineWidth(settings.style.thickness), wxPENSTYLE_SOLID));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    float low = 0.0f, high = 0.0f;
    switch (settings.mode) {
    case GuideLineMode::CenterCross:
        CenterCrossOnDC(dc, width, height);
        break;
    case GuideLineMode::RuleOfThirds:
    case GuideLineMode::GoldenRatio:
        SectionFractions(settings.mode, low, high);
        SectionsOnDC(dc, width, height, low, high);
        break;
    case GuideLineMode::SafeZones:
        for (const float f : kSafeZoneMargins) {
            const int mx = Nearest(width * f);
            const int my = Nearest(height * f);
            DashedRectangle(dc, mx, my, width - 2 * mx, height - 2 * my);
        }
        break;
    case GuideLineMode::AspectRatioMask:
        AspectFrameOnDC(dc, width, height, RatioOf(settings.aspectRatio));
        break;
    case GuideLineMode::DiagonalLines:
        DashedSegment(dc, 0, 0, width, height);
        DashedSegment(dc, width, 0, 0, height);
        break;
    case GuideLineMode::CornerMarkers:
        CornerMarksOnDC(dc, width, height);
        break;
    case GuideLineMode::Off:
        break;
    }
}

void DrawOnVisibleBuffer(cv::Mat& buffer, const Viewport& viewport, cv::Size sourceSize,
                         const GuideLineSettings& settings)
{
    if (!Active(settings) || buffer.empty() || sourceSize.width < 1 || sourceSize.height < 1)
        return;
    BufferPainter painter(buffer, viewport, sourceSize, settings.style);
    float low = 0.0f, high = 0.0f;
    switch (settings.mode) {
    case GuideLineMode::CenterCross:
        painter.CenterCross();
        break;
    case GuideLineMode::RuleOfThirds:
    case GuideLineMode::GoldenRatio:
        SectionFractions(settings.mode, low, high);
        painter.Sections(low, high);
        break;
    case GuideLineMode::SafeZones:
        painter.SafeZones();
        break;
    case GuideLineMode::AspectRatioMask:
        painter.AspectFrame(RatioOf(settings.aspectRatio));
        break;
    case GuideLineMode::DiagonalLines:
        painter.Diagonals();
        break;
    case GuideLineMode::CornerMarkers:
        painter.CornerMarks();
        break;
    case GuideLineMode::Off:
        break;
    }
}

}  // namespace GuideLines
