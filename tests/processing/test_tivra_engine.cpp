#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "tivra/processing/TivraEngine.h"

namespace {

cv::Mat Picture(int width, int height, int type)
{
    cv::Mat image(height, width, type);
    cv::RNG rng(3);
    rng.fill(image, cv::RNG::UNIFORM, 0, 256);
    cv::GaussianBlur(image, image, cv::Size(9, 9), 0);
    return image;
}

}  // namespace

TEST(TivraEngine, FailingOperationsAndCannyLeaveTheHeldImageAndTwoChannelsAreRefused)
{
    TivraEngine engine;
    const cv::Mat original = Picture(640, 480, CV_8UC3);
    engine.SetMat(original.clone());
    EXPECT_THROW(engine.Resize(1, 0), cv::Exception);  // height 0.75 truncates to 0
    EXPECT_THROW(engine.Resize(10, 10, 99), cv::Exception);
    EXPECT_THROW(engine.GaussianBlur(-4, 0.0), cv::Exception);
    EXPECT_THROW(engine.Resize(0, 2000000000), std::runtime_error);
    EXPECT_FALSE(engine.LoadImage("/nonexistent/missing.png"));
    EXPECT_EQ(cv::norm(engine.GetMat(), original, cv::NORM_INF), 0);
    engine.SetMat(Picture(64, 48, CV_8UC4));
    const cv::Mat edges = engine.Canny(20, 60);
    EXPECT_EQ(edges.type(), CV_8UC1);
    EXPECT_EQ(edges.size(), cv::Size(64, 48));
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(48, 64, 4));
    engine.SetMat(cv::Mat(8, 8, CV_8UC2, cv::Scalar(1, 2)));
    EXPECT_THAT([&] { engine.Canny(10, 20); },
                testing::ThrowsMessage<std::runtime_error>(
                    testing::StrEq("Canny needs an image with 1, 3 or 4 channels, not 2")));
    engine.ConvertToGray();  // nothing to do for two channels
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(8, 8, 2));
}
