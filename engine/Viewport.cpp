#include "tivra/engine/Viewport.h"

#include "tivra/analysis/SaturatingCast.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

using tivra::TruncToInt;

constexpr double kMinScale = 0.1;
constexpr double kMaxScale = 20.0;

float CenteringOffsetOnAxis(int sourceExtent, int windowExtent, double scale)
{
    const float scaled = static_cast<float>(sourceExtent * scale);
    const float window = static_cast<float>(windowExtent);
    return window > scaled ? (window - scaled) * 0.5f : 0.0f;
}

} // namespace

void Viewport::SetOriginalSize(cv::Size size)
{
    m_originalSize = size;
    UpdateCenteringOffset();
}

void Viewport::SetWindowSize(cv::Size size)
{
    m_windowSize = size;
    UpdateCenteringOffset();
}

void Viewport::SetScale(double scale)
{
    // fmin/fmax prefer the number to a NaN, so a NaN request ends as the maximum.
    m_scale = std::fmax(std::fmin(scale, kMaxScale), kMinScale);
    UpdateCenteringOffset();
}

void Viewport::SetScrollPosition(cv::Point pos)
{
    m_scrollPos = pos;
}

void Viewport::SetCenteringEnabled(bool enabled)
{
    m_centeringEnabled = enabled;
    UpdateCenteringOffset();
}

void Viewport::UpdateCenteringOffset()
{
    if (!m_centeringEnabled || m_originalSize.width < 1 || m_originalSize.height < 1) {
        m_centeringOffset = cv::Point2f(0.0f, 0.0f);
        return;
    }
    m_centeringOffset.x = CenteringOffsetOnAxis(m_originalSize.width, m_windowSize.width, m_scale);
    m_centeringOffset.y = CenteringOffsetOnAxis(m_originalSize.height, m_windowSize.height, m_scale);
}

cv::Rect Viewport::GetVisibleROI() const
{
    if (m_originalSize.width < 1 || m_originalSize.height < 1 || !(m_scale > 0.0)) {
        return cv::Rect();
    }
    const int x0 = std::max(TruncToInt(m_scrollPos.x / m_scale), 0);
    const int y0 = std::max(TruncToInt(m_scrollPos.y / m_scale), 0);
    // Two extra source pixels cover the partial pixels at both edges. The sums
    // are formed in double so that no int can overflow.
    const double candidateWidth = static_cast<double>(TruncToInt(m_windowSize.width / m_scale)) + 2.0;
    const double candidateHeight = static_cast<double>(TruncToInt(m_windowSize.height / m_scale)) + 2.0;
    const double width = std::min(static_cast<double>(m_originalSize.width) - x0, candidateWidth);
    const double height = std::min(static_cast<double>(m_originalSize.height) - y0, candidateHeight);
    if (width <= 0.0 || height <= 0.0) {
        return cv::Rect();
    }
    return cv::Rect(x0, y0, static_cast<int>(width), static_cast<int>(height));
}

cv::Mat Viewport::ExtractVisibleRegion(const cv::Mat& source) const
{
    const cv::Rect visible = GetVisibleROI();
    if (visible.width < 1 || visible.height < 1 || source.empty()) {
        return cv::Mat();
    }
    // The panel keeps the source at the size it reported; a smaller Mat must
    // not be read outside its bounds.
    const cv::Rect inside = visible & cv::Rect(0, 0, source.cols, source.rows);
    if (inside.width < 1 || inside.height < 1) {
        return cv::Mat();
    }
    const cv::Mat region = source(inside);
    if (std::abs(m_scale - 1.0) > 0.01) {
        // Scaling straight from the sub-matrix writes a new Mat and reads only
        // the sampled pixels, so the cost follows the window, not the image.
        cv::Mat scaled;
        const cv::Size target(cvRound(region.cols * m_scale), cvRound(region.rows * m_scale));
        if (target.width < 1 || target.height < 1) {
            // A region of a few pixels at low zoom would round to nothing, which
            // OpenCV rejects; show it as at least one pixel instead.
            cv::resize(region, scaled, cv::Size(std::max(target.width, 1), std::max(target.height, 1)), 0, 0,
                       cv::INTER_NEAREST);
        } else {
            cv::resize(region, scaled, cv::Size(), m_scale, m_scale, cv::INTER_NEAREST);
        }
        return scaled;
    }
    return region.clone();
}

cv::Point2f Viewport::VisibleOrigin() const
{
    const cv::Rect visible = GetVisibleROI();
    if (visible.width <= 0 || visible.height <= 0) {
        return cv::Point2f(0.0f, 0.0f);
    }
    return cv::Point2f(static_cast<float>(visible.x), static_cast<float>(visible.y));
}

cv::Point2f Viewport::OriginalToView(const cv::Point2f& p) const
{
    return (p - VisibleOrigin()) * static_cast<float>(m_scale) + m_centeringOffset;
}

std::vector<cv::Point2f> Viewport::OriginalToView(const std::vector<cv::Point2f>& points) const
{
    const cv::Point2f origin = VisibleOrigin();
    const float scale = static_cast<float>(m_scale);
    std::vector<cv::Point2f> result;
    result.reserve(points.size());
    for (const cv::Point2f& p : points) {
        result.push_back((p - origin) * scale + m_centeringOffset);
    }
    return result;
}

cv::Point2f Viewport::ViewToOriginal(const cv::Point2f& v) const
{
    const cv::Point2f scroll(static_cast<float>(m_scrollPos.x), static_cast<float>(m_scrollPos.y));
    return (v - m_centeringOffset + scroll) / static_cast<float>(m_scale);
}

cv::Size Viewport::GetVirtualSize() const
{
    return cv::Size(TruncToInt(m_scale * m_originalSize.width), TruncToInt(m_scale * m_originalSize.height));
}
