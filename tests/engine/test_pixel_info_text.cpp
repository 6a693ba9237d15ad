#include "tivra/engine/PixelInfoText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

// Deep images show their raw values, not an 8-bit copy of them; outside the image
// the text is empty.
TEST(PixelInfoText, ValuesAtTheirOwnDepth)
{
    cv::Mat bgr(480, 640, CV_8UC3, cv::Scalar(0, 0, 0)), mono16(50, 130, CV_16UC1, cv::Scalar(0));
    bgr.at<cv::Vec3b>(7, 5) = cv::Vec3b(10, 20, 30);
    mono16.at<std::uint16_t>(45, 120) = 3071;
    cv::Mat depth(1, 2, CV_32FC1, cv::Scalar(0.125));
    depth.at<float>(0, 1) = std::numeric_limits<float>::quiet_NaN();
    const std::tuple<cv::Mat, cv::Point, double, std::string> rows[] = {
        {bgr, {5, 7}, 1.0, "640x480 1.00X 24-bit image value (30,20,10) (5,7)"},
        {cv::Mat(3, 4, CV_8UC1, cv::Scalar(200)), {3, 2}, 0.125, "4x3 0.12X 8-bit image value 200 (3,2)"},
        {cv::Mat(2, 2, CV_8UC4, cv::Scalar(1, 2, 3, 4)), {1, 1}, 20.0, "2x2 20.00X 32-bit image value (4,3,2,1) (1,1)"},
        {mono16, {120, 45}, 1.0, "130x50 1.00X 16-bit image value 3071 (120,45)"},
        {cv::Mat(1, 1, CV_16SC1, cv::Scalar(-300)), {0, 0}, 1.0, "1x1 1.00X 16-bit image value -300 (0,0)"},
        {cv::Mat(1, 1, CV_16UC3, cv::Scalar(1, 2, 60000)), {0, 0}, 1.0, "1x1 1.00X 48-bit image value (60000,2,1) (0,0)"},
        {depth, {0, 0}, 1.0, "2x1 1.00X 32-bit image value 0.125 (0,0)"},
        {depth, {1, 0}, 1.0, "2x1 1.00X 32-bit image value nan (1,0)"},
        {bgr, {640, 0}, 1.0, ""}, {bgr, {0, -1}, 1.0, ""}, {cv::Mat(), {0, 0}, 1.0, ""}};
    for (const auto& [image, at, scale, text] : rows)
        EXPECT_EQ(FormatPixelInfo(image, at, scale), text);
}
