#include "tivra/engine/PixelInfoText.h"

#include <gtest/gtest.h>

TEST(PixelInfoText, ColourGrayAndAlphaPixels)
{
    cv::Mat bgr(480, 640, CV_8UC3, cv::Scalar(0, 0, 0));
    bgr.at<cv::Vec3b>(7, 5) = cv::Vec3b(10, 20, 30);
    EXPECT_EQ(FormatPixelInfo(bgr, {5, 7}, 1.0), "640x480 1.00X 24-bit image value (30,20,10) (5,7)");

    cv::Mat gray(3, 4, CV_8UC1, cv::Scalar(200));
    EXPECT_EQ(FormatPixelInfo(gray, {3, 2}, 0.125), "4x3 0.12X 8-bit image value 200 (3,2)");

    cv::Mat bgra(2, 2, CV_8UC4, cv::Scalar(1, 2, 3, 4));
    EXPECT_EQ(FormatPixelInfo(bgra, {1, 1}, 20.0), "2x2 20.00X 32-bit image value (4,3,2,1) (1,1)");

    cv::Mat deep(2, 2, CV_16UC1, cv::Scalar(1000));
    EXPECT_EQ(FormatPixelInfo(deep, {0, 0}, 1.0), "2x2 1.00X 16-bit image value  (0,0)") << "no value for 2-byte pixels";
}

TEST(PixelInfoText, OutsideTheImageIsEmpty)
{
    cv::Mat bgr(10, 10, CV_8UC3);
    EXPECT_EQ(FormatPixelInfo(bgr, {10, 0}, 1.0), "");
    EXPECT_EQ(FormatPixelInfo(bgr, {0, -1}, 1.0), "");
    EXPECT_EQ(FormatPixelInfo(cv::Mat(), {0, 0}, 1.0), "");
}
