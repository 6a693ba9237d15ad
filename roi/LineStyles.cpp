#include "tivra/roi/LineStyles.h"

#include "tivra/analysis/SaturatingCast.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace ID {
namespace {

using tivra::TruncToInt;

constexpr double kPi = 3.141592653589793;
constexpr int kMaxThickness = 32767; // OpenCV rejects anything thicker

int ClampStroke(int width)
{
    return std::clamp(width, 1, kMaxThickness);
}

// Samples along p1 -> p2 at the distances 0, step, 2 step, ... below the length.
// Only the samples that can touch the image (plus slack for dash pairing) are
// produced, so a huge segment costs in proportion to its visible part; the
// samples kept are exactly those of the full sequence.
class SegmentSampler {
public:
    SegmentSampler(cv::Point p1, cv::Point p2, int step)
        : m_p1(static_cast<float>(p1.x), static_cast<float>(p1.y)),
          m_p2(static_cast<float>(p2.x), static_cast<float>(p2.y)),
          m_length(std::hypot(m_p1.x - m_p2.x, m_p1.y - m_p2.y)),
          m_step(step)
    {
    }

    float Length() const { return m_length; }

    // Index range [first, last] of the samples worth drawing in an image of
    // `size` for strokes reaching `margin` pixels from the line; first is even.
    bool VisibleRange(cv::Size size, int margin, long long& first, long long& last) const
    {
        if (m_step <= 0 || !(m_length > 0.0f)) {
            return false;
        }
        double t0 = 0.0, t1 = 1.0;
        if (!ClipToRect(size, margin + m_step + 2.0, t0, t1)) {
            return false;
        }
        const double count = std::ceil(static_cast<double>(m_length) / m_step); // samples at k < count
        first = static_cast<long long>(std::max(0.0, std::floor(t0 * m_length / m_step) - 2.0));
        first -= first % 2;
        last = static_cast<long long>(std::min(count - 1.0, std::ceil(t1 * m_length / m_step) + 2.0));
        return first <= last;
    }

    bool IsSample(long long k) const { return static_cast<float>(k * m_step) < m_length; }

    cv::Point Sample(long long k) const
    {
        const float t = static_cast<float>(k * m_step) / m_length;
        return cv::Point(TruncToInt(m_p1.x * (1.0f - t) + t * m_p2.x + 0.5f),
                         TruncToInt(m_p1.y * (1.0f - t) + t * m_p2.y + 0.5f));
    }

private:
    // Liang-Barsky clip of the parameter range against the image grown by margin.
    bool ClipToRect(cv::Size size, double margin, double& t0, double& t1) const
    {
        const double dx = static_cast<double>(m_p2.x) - m_p1.x;
        const double dy = static_cast<double>(m_p2.y) - m_p1.y;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {m_p1.x + margin, size.width - 1 + margin - m_p1.x, m_p1.y + margin,
                             size.height - 1 + margin - m_p1.y};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0.0) {
                if (q[i] < 0.0) {
                    return false;
                }
                continue;
            }
            const double r = q[i] / p[i];
            if (p[i] < 0.0) {
                t0 = std::max(t0, r);
            } else {
                t1 = std::min(t1, r);
            }
        }
        return t0 <= t1;
    }

    cv::Point2f m_p1;
    cv::Point2f m_p2;
    float m_length;
    int m_step;
};

cv::Point BarbEnd(cv::Point to, double headLength, double angle)
{
    return cv::Point(TruncToInt(to.x + headLength * std::cos(angle)), TruncToInt(to.y + headLength * std::sin(angle)));
}

void DrawDots(cv::Mat& img, const SegmentSampler& sampler, cv::Scalar color, int radius)
{
    long long first = 0, last = -1;
    if (!sampler.VisibleRange(img.size(), radius, first, last)) {
        return;
    }
    for (long long k = first; k <= last && sampler.IsSample(k); ++k) {
        cv::circle(img, sampler.Sample(k), radius, color, cv::FILLED, cv::LINE_8);
    }
}

void DrawDashes(cv::Mat& img, const SegmentSampler& sampler, cv::Scalar color, int thickness)
{
    long long first = 0, last = -1;
    if (!sampler.VisibleRange(img.size(), thickness, first, last)) {
        return;
    }
    for (long long k = first; k + 1 <= last && sampler.IsSample(k + 1); k += 2) {
        cv::line(img, sampler.Sample(k), sampler.Sample(k + 1), color, thickness, cv::LINE_8);
    }
}

} // namespace

void drawArrow(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
               int thickness, int lineType)
{
    // theta points from the head back along the shaft.
    const double theta = std::atan2(static_cast<double>(from.y) - to.y, static_cast<double>(from.x) - to.x);
    const double phi = headAngle * kPi / 180.0;
    const int stroke = ClampStroke(thickness);
    cv::line(img, to, BarbEnd(to, headLength, theta + phi), color, stroke, lineType);
    cv::line(img, to, BarbEnd(to, headLength, theta - phi), color, stroke, lineType);
}

void drawArrowLine(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
                   int thickness, int lineType)
{
    cv::line(img, from, to, color, ClampStroke(thickness), lineType);
    drawArrow(img, from, to, headLength, headAngle, color, thickness, lineType);
}

void drawDashedLine(cv::Mat& img, cv::Point p1, cv::Point p2, cv::Scalar color, int thickness, int step)
{
    DrawDashes(img, SegmentSampler(p1, p2, step), color, ClampStroke(thickness));
}

void drawDottedLine(cv::Mat& img, cv::Point p1, cv::Point p2, cv::Scalar color, int radius, int step)
{
    DrawDots(img, SegmentSampler(p1, p2, step), color, ClampStroke(radius));
}

void drawArrowDashedLine(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
                         int thickness, int step)
{
    const SegmentSampler sampler(from, to, step);
    if (!(sampler.Length() > 0.0f)) {
        return;
    }
    DrawDashes(img, sampler, color, ClampStroke(thickness));
    drawArrow(img, from, to, headLength, headAngle, color, thickness, cv::LINE_8);
}

void drawArrowDottedLine(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
                         int radius, int step)
{
    DrawDots(img, SegmentSampler(from, to, step), color, ClampStroke(radius));
    drawArrow(img, from, to, headLength, headAngle, color, radius, cv::LINE_8);
}

void drawReularCrossLine(cv::Mat& img, cv::Point centre, cv::Scalar color, int thickness, int size)
{
    const double half = size / 2;
    const int stroke = ClampStroke(thickness);
    const cv::Point left(TruncToInt(centre.x - half), centre.y), right(TruncToInt(centre.x + half), centre.y);
    const cv::Point top(centre.x, TruncToInt(centre.y - half)), bottom(centre.x, TruncToInt(centre.y + half));
    cv::line(img, left, right, color, stroke, cv::LINE_8);
    cv::line(img, top, bottom, color, stroke, cv::LINE_8);
}

} // namespace ID
