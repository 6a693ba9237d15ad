#pragma once

#include <opencv2/core.hpp>

#include <vector>

// View transform between source-image pixels and window pixels for a zoomable,
// scrollable image panel. It holds no window: the panel feeds it the image size,
// the client size, the scroll position and the zoom every frame.
class Viewport {
public:
    Viewport() = default;

    void SetOriginalSize(cv::Size size);
    void SetWindowSize(cv::Size size);
    // Clamps to [0.1, 20.0]; a NaN request ends as 20.0.
    void SetScale(double scale);
    // Scroll position in screen (scaled) pixels.
    void SetScrollPosition(cv::Point pos);
    void SetCenteringEnabled(bool enabled);
    void UpdateCenteringOffset();

    cv::Point2f GetCenteringOffset() const { return m_centeringOffset; }
    double GetScale() const { return m_scale; }
    cv::Size GetOriginalSize() const { return m_originalSize; }
    cv::Size GetWindowSize() const { return m_windowSize; }
    cv::Point GetScrollPosition() const { return m_scrollPos; }
    bool IsCenteringEnabled() const { return m_centeringEnabled; }

    // Source rectangle that the window shows, plus up to two source pixels for
    // partial pixels at the edges; (0, 0, 0, 0) when nothing is visible.
    cv::Rect GetVisibleROI() const;
    // New Mat (never sharing memory with the source) holding the visible
    // rectangle scaled to screen pixels with nearest-neighbour sampling; scales
    // within 0.01 of 1.0 are shown 1:1. Empty when nothing is visible.
    cv::Mat ExtractVisibleRegion(const cv::Mat& source) const;

    cv::Point2f OriginalToView(const cv::Point2f& p) const;
    std::vector<cv::Point2f> OriginalToView(const std::vector<cv::Point2f>& points) const;
    cv::Point2f ViewToOriginal(const cv::Point2f& v) const;

    // Full image size in screen pixels at the current scale.
    cv::Size GetVirtualSize() const;

private:
    cv::Point2f VisibleOrigin() const;

    cv::Size m_originalSize{0, 0};
    cv::Size m_windowSize{0, 0};
    cv::Point m_scrollPos{0, 0};
    double m_scale = 1.0;
    bool m_centeringEnabled = false;
    cv::Point2f m_centeringOffset{0.0f, 0.0f};
};
