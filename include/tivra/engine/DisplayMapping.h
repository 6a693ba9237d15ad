#pragma once
// How a raw image of any depth (8 or 16-bit integers, 32 or 64-bit floats; 1, 3
// or 4 channels) becomes the 8-bit picture a panel paints: display levels map
// raw values linearly onto 0..255, a colour map may then colour one-channel
// images, and pixels that are not finite get one fixed colour. Window-free: the
// panels call it on the part of the image they are about to paint.
#include <opencv2/core.hpp>

#include <string>
#include <utility>
#include <vector>

namespace tivra::display {

/// Colour (B, G, R) of NaN and infinite pixels: magenta, which no gray level
/// and few colour-map entries share.
inline const cv::Vec3b kNonFiniteColour(255, 0, 255);

/// The colour map "off": one-channel images stay gray.
constexpr int kNoColorMap = -1;

struct DisplayMapping {
    /// Without levels a raw value v shows as v clipped to 0..255 (floats
    /// rounded), as an 8-bit panel shows it.
    bool hasLevels = false;
    /// low shows as 0 and high as 255, linearly between, clipped outside.
    double low = 0.0;
    double high = 255.0;
    /// An OpenCV COLORMAP_* value, or kNoColorMap. Applied to one-channel
    /// images only, after the levels.
    int colorMap = kNoColorMap;

    bool IsIdentityFor(const cv::Mat& raw) const;
};

/// 8-bit picture of `raw`: one channel for one-channel images without a colour
/// map and without non-finite pixels, 3 channels (4 for 4-channel images)
/// otherwise. Equal levels threshold: values at or above low show as 255.
/// Throws cv::Exception for depths it does not know (8-bit signed, 32-bit int).
cv::Mat MapToDisplay(const cv::Mat& raw, const DisplayMapping& mapping);

/// Levels (low, high) at the given percentiles (0..100) of the finite raw
/// values of every channel. Images above a few million values are sampled on a
/// regular grid. Integer images give integer levels exactly; float images are
/// resolved to 1/65536 of their finite value range. (0, 0) for an image without
/// finite values.
std::pair<double, double> AutoLevels(const cv::Mat& raw, double lowPercent, double highPercent);

/// The raw value range of the image's depth: 0..255, 0..65535, -32768..32767;
/// for floats the finite minimum and maximum ((0, 0) when there is none).
std::pair<double, double> FullRange(const cv::Mat& raw);

/// Names of the colour maps, "gray" (off) first.
const std::vector<std::string>& ColorMapNames();

/// The COLORMAP_* value of a name, kNoColorMap for "gray"; throws
/// std::invalid_argument listing the valid names for any other name.
int ColorMapByName(const std::string& name);

/// The name of a colour-map value ("gray" for kNoColorMap).
std::string ColorMapName(int colorMap);

}  // namespace tivra::display
