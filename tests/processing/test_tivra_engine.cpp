#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <unistd.h>

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

TEST(TivraEngine, StartsEmpty)
{
    TivraEngine engine;
    EXPECT_FALSE(engine.HasImage());
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(0, 0, 0));
    EXPECT_TRUE(engine.Canny(10, 20).empty());
    engine.Resize(10, 10);
    engine.GaussianBlur(5);
    engine.ConvertToGray();
    EXPECT_FALSE(engine.HasImage());
}

TEST(TivraEngine, ResizeFollowsTheAspectRatioWhenOneSideIsMissing)
{
    TivraEngine engine;
    const cv::Mat original = Picture(640, 480, CV_8UC3);
    engine.SetMat(original.clone());
    engine.Resize(0, 0);
    engine.Resize(-1, -5);
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(480, 640, 3));

    engine.Resize(0, 100);  // 100 / 480 * 640 = 133.33
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(100, 133, 3));

    engine.SetMat(original.clone());
    engine.Resize(320, 0);
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(240, 320, 3));
    engine.Resize(50, 70, cv::INTER_NEAREST);
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(70, 50, 3));
}

TEST(TivraEngine, FailingOperationsLeaveTheImage)
{
    TivraEngine engine;
    const cv::Mat original = Picture(640, 480, CV_8UC3);
    engine.SetMat(original.clone());
    EXPECT_THROW(engine.Resize(1, 0), cv::Exception);  // height 0.75 truncates to 0
    EXPECT_THROW(engine.Resize(10, 10, 99), cv::Exception);
    EXPECT_THROW(engine.GaussianBlur(-4, 0.0), cv::Exception);
    EXPECT_THROW(engine.Resize(0, 2000000000), std::runtime_error);
    EXPECT_EQ(cv::norm(engine.GetMat(), original, cv::NORM_INF), 0);
}

TEST(TivraEngine, CannyLeavesTheHeldImageAndRejectsTwoChannels)
{
    TivraEngine engine;
    engine.SetMat(Picture(64, 48, CV_8UC4));
    const cv::Mat edges = engine.Canny(20, 60);
    EXPECT_EQ(edges.type(), CV_8UC1);
    EXPECT_EQ(edges.size(), cv::Size(64, 48));
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(48, 64, 4));

    engine.SetMat(cv::Mat(8, 8, CV_8UC2, cv::Scalar(1, 2)));
    try {
        engine.Canny(10, 20);
        FAIL() << "a 2-channel image must be refused";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Canny needs an image with 1, 3 or 4 channels, not 2");
    }
    engine.ConvertToGray();  // nothing to do for two channels
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(8, 8, 2));
}

TEST(TivraEngine, LoadAndSave)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("tivra-engine-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / fs::u8path("\xe7\x94\xbb\xe5\x83\x8f.png")).u8string();  // 画像.png

    TivraEngine engine;
    EXPECT_FALSE(engine.SaveImage(path));  // nothing held: no file
    EXPECT_FALSE(fs::exists(fs::u8path(path)));

    const cv::Mat image = Picture(33, 21, CV_8UC3);
    engine.SetMat(image.clone());
    ASSERT_TRUE(engine.SaveImage(path));
    engine.Clear();
    ASSERT_TRUE(engine.LoadImage(path));
    EXPECT_EQ(cv::norm(engine.GetMat(), image, cv::NORM_INF), 0);
    ASSERT_TRUE(engine.LoadImage(path, cv::IMREAD_GRAYSCALE));
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(21, 33, 1));

    EXPECT_FALSE(engine.LoadImage((dir / "missing.png").string()));
    EXPECT_EQ(engine.GetImageSize(), std::make_tuple(21, 33, 1));  // a failed load keeps the image
    fs::remove_all(dir);
}

TEST(TivraEngine, EnginesOnSeparateThreadsAreIndependent)
{
    const cv::Mat a = Picture(300, 200, CV_8UC3);
    const cv::Mat b = Picture(200, 300, CV_8UC1);
    cv::Mat expectedA, expectedB;
    cv::GaussianBlur(a, expectedA, cv::Size(7, 7), 0);
    cv::resize(b, expectedB, cv::Size(100, 150));

    cv::Mat resultA, resultB;
    std::thread first([&] {
        TivraEngine engine;
        for (int i = 0; i < 20; ++i) {
            engine.SetMat(a.clone());
            engine.GaussianBlur(6);
        }
        resultA = engine.GetMat();
    });
    std::thread second([&] {
        TivraEngine engine;
        for (int i = 0; i < 20; ++i) {
            engine.SetMat(b.clone());
            engine.Resize(100, 0);
        }
        resultB = engine.GetMat();
    });
    first.join();
    second.join();
    EXPECT_EQ(cv::norm(resultA, expectedA, cv::NORM_INF), 0);
    EXPECT_EQ(cv::norm(resultB, expectedB, cv::NORM_INF), 0);
}
