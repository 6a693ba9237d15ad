#pragma once
// The one-line pixel information a panel shows for the pixel under the mouse.
#include <opencv2/core.hpp>

#include <string>

/// "<cols>x<rows> <zoom>X <bits>-bit image value <value> (<x>,<y>)", where bits
/// counts all channels of a pixel and the value is the raw one at the image's own
/// depth: (R,G,B) for 3 channels, (A,R,G,B) for 4, the bare value for one channel
/// ("16-bit image value 3071"), empty for other channel counts. Empty when
/// `pixel` lies outside `image`.
std::string FormatPixelInfo(const cv::Mat& image, const cv::Point& pixel, double scale);
