#pragma once
// Composition guides drawn over a displayed image: centre cross, thirds,
// golden sections, safe zones, an aspect-ratio frame, diagonals and corner
// marks. Two paths share the modes:
//   - the window path draws with a wxDC over a painted bitmap, in display pixels;
//   - the buffer path draws with OpenCV into the frame buffer of a zoomed,
//     scrolled view, computing the geometry in source pixels and mapping it
//     through the Viewport.

#include <opencv2/core.hpp>

class wxDC;
class Viewport;

enum class GuideLineMode : int {
    Off = 0,
    CenterCross = 1,
    RuleOfThirds = 2,
    GoldenRatio = 3,
    SafeZones = 4,
    AspectRatioMask = 5,
    DiagonalLines = 6,
    CornerMarkers = 7,
};

enum class AspectRatio : int {
    AR_1_1 = 0,
    AR_4_3 = 1,
    AR_3_2 = 2,
    AR_16_9 = 3,
    AR_2_39_1 = 4,
    AR_9_16 = 5,
};

struct GuideLineStyle {
    cv::Scalar color = cv::Scalar(0, 255, 0, 255);  // B, G, R, alpha on 0..255
    int thickness = 1;                              // line width in pixels
};

// Everything the drawing needs, as held by a panel.
struct GuideLineSettings {
    GuideLineMode mode = GuideLineMode::Off;
    bool visible = true;
    GuideLineStyle style;
    AspectRatio aspectRatio = AspectRatio::AR_16_9;
};

namespace GuideLines {

// Width-to-height ratio of an AspectRatio; values outside the enumeration
// count as 16:9.
double RatioOf(AspectRatio ratio);

// Length of the corner marks for an image of the given size:
// clamp(floor(min(width, height) / 20), 20, 80).
int CornerMarkLength(int width, int height);

// Window path: draws the guides for a bitmap of width x height display pixels
// onto dc, whose origin is the bitmap's top-left corner. The pen takes the
// style's alpha, so alpha 0 draws nothing visible.
void DrawOnDC(wxDC& dc, int width, int height, const GuideLineSettings& settings);

// Buffer path: draws the guides for a source image of sourceSize into buffer,
// the visible region that viewport extracted from it. Alpha is ignored.
void DrawOnVisibleBuffer(cv::Mat& buffer, const Viewport& viewport, cv::Size sourceSize,
                         const GuideLineSettings& settings);

}  // namespace GuideLines
