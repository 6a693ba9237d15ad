#include "tivra/engine/PixelInfoText.h"

#include <cstdint>
#include <cstdio>

namespace {

// One channel's raw value: integers as they are, floats in their shortest
// faithful form (NaN and inf spelled so).
std::string ChannelText(const cv::Mat& image, const cv::Point& pixel, int channel)
{
    const int index = pixel.x * image.channels() + channel;
    char text[32];
    switch (image.depth()) {
    case CV_8U: return std::to_string(image.ptr<std::uint8_t>(pixel.y)[index]);
    case CV_8S: return std::to_string(image.ptr<std::int8_t>(pixel.y)[index]);
    case CV_16U: return std::to_string(image.ptr<std::uint16_t>(pixel.y)[index]);
    case CV_16S: return std::to_string(image.ptr<std::int16_t>(pixel.y)[index]);
    case CV_32S: return std::to_string(image.ptr<std::int32_t>(pixel.y)[index]);
    case CV_32F: std::snprintf(text, sizeof text, "%.7g", image.ptr<float>(pixel.y)[index]); return text;
    case CV_64F: std::snprintf(text, sizeof text, "%.10g", image.ptr<double>(pixel.y)[index]); return text;
    default: return std::string();
    }
}

// The pixel's channels are stored B, G, R[, A] and shown most significant
// first; one channel shows bare.
std::string ValueText(const cv::Mat& image, const cv::Point& pixel)
{
    static const int kShownOrder[2][4] = {{2, 1, 0, -1}, {3, 2, 1, 0}};
    if (image.channels() == 1)
        return ChannelText(image, pixel, 0);
    if (image.channels() != 3 && image.channels() != 4)
        return std::string();
    std::string text = "(";
    for (int channel : kShownOrder[image.channels() - 3]) {
        if (channel >= 0)
            text += (text.size() > 1 ? "," : "") + ChannelText(image, pixel, channel);
    }
    return text + ")";
}

} // namespace

std::string FormatPixelInfo(const cv::Mat& image, const cv::Point& pixel, double scale)
{
    if (image.empty() || image.dims != 2 || !cv::Rect(0, 0, image.cols, image.rows).contains(pixel))
        return std::string();
    const std::string value = ValueText(image, pixel);
    char text[256];
    std::snprintf(text, sizeof text, "%dx%d %.2fX %d-bit image value %s (%d,%d)", image.cols, image.rows, scale,
                  static_cast<int>(image.elemSize() * 8), value.c_str(), pixel.x, pixel.y);
    return text;
}
