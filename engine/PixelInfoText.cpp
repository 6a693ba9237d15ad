#include "tivra/engine/PixelInfoText.h"

#include <cstdio>

namespace {

// The pixel's bytes are read as stored (B, G, R[, A]) and shown most significant first.
std::string ValueText(const cv::Mat& image, const cv::Point& pixel)
{
    const unsigned char* px = image.ptr<unsigned char>(pixel.y) + pixel.x * image.elemSize();
    char text[64];
    switch (image.elemSize()) {
    case 4:
        std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", px[3], px[2], px[1], px[0]);
        return text;
    case 3:
        std::snprintf(text, sizeof text, "(%d,%d,%d)", px[2], px[1], px[0]);
        return text;
    case 1:
        return std::to_string(px[0]);
    default:
        return std::string();
    }
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
