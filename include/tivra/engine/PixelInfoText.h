#pragma once
// The one-line pixel information a panel shows for the pixel under the mouse.
#include <opencv2/core.hpp>

#include <string>

/// "<cols>x<rows> <zoom>X <bits>-bit image value <value> (<x>,<y>)", where the value
/// is (R,G,B) for 3-byte pixels, (A,R,G,B) for 4-byte ones, the byte for gray ones
/// and empty for other element sizes. Empty when `pixel` lies outside `image`.
std::string FormatPixelInfo(const cv::Mat& image, const cv::Point& pixel, double scale);
