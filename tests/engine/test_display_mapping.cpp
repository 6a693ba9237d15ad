#include "tivra/engine/DisplayMapping.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <limits>
#include <stdexcept>

using namespace tivra::display;

namespace {

// A one-row image of `values` at `depth`.
cv::Mat Row(std::initializer_list<double> values, int depth)
{
    cv::Mat row(1, static_cast<int>(values.size()), CV_64F);
    int i = 0;
    for (double v : values)
        row.at<double>(0, i++) = v;
    row.convertTo(row, depth);
    return row;
}

std::vector<int> Bytes(const cv::Mat& mat)
{
    const cv::Mat bytes = mat.reshape(1);
    return std::vector<int>(bytes.begin<std::uint8_t>(), bytes.end<std::uint8_t>());
}

DisplayMapping Levels(double low, double high)
{
    DisplayMapping mapping;
    mapping.hasLevels = true;
    mapping.low = low;
    mapping.high = high;
    return mapping;
}

}  // namespace

// low shows black, high white, the middle half way, beyond them clipped.
TEST(DisplayMapping, LevelsAreExactAtEndsAndMiddleAtEveryDepth)
{
    for (int depth : {CV_16S, CV_32F, CV_64F}) {
        const cv::Mat shown = MapToDisplay(Row({-200, -100, 1150, 2450, 5000}, depth), Levels(-100, 2450));
        EXPECT_EQ(shown.type(), CV_8UC1) << depth;
        EXPECT_EQ(Bytes(shown), (std::vector<int>{0, 0, 125, 255, 255})) << depth;
    }
}

TEST(DisplayMapping, WithoutLevelsValuesClipToBytesAsBeforeAndEqualLevelsThreshold)
{
    EXPECT_EQ(Bytes(MapToDisplay(Row({0, 100, 255, 1000, 65535}, CV_16U), {})),
              (std::vector<int>{0, 100, 255, 255, 255}));
    EXPECT_EQ(Bytes(MapToDisplay(Row({-3.2, 44.4, 44.6, 300.7, 1e12}, CV_32F), {})),
              (std::vector<int>{0, 44, 45, 255, 255}));
    const cv::Mat bytes = Row({1, 2, 3}, CV_8U);
    EXPECT_EQ(MapToDisplay(bytes, {}).data, bytes.data) << "8-bit images are painted as they are";
    const cv::Mat mono16 = Row({0, 4095, 65535}, CV_16U);
    EXPECT_EQ(Bytes(MapToDisplay(mono16, Levels(0, 4095))), (std::vector<int>{0, 255, 255}));
    const cv::Mat colour(1, 1, CV_16UC3, cv::Scalar(0, 2048, 4095));
    EXPECT_EQ(Bytes(MapToDisplay(colour, Levels(0, 4095))), (std::vector<int>{0, 128, 255}));
    // Equal levels threshold.
    EXPECT_EQ(Bytes(MapToDisplay(Row({9, 10, 11}, CV_16U), Levels(10, 10))), (std::vector<int>{0, 255, 255}));
}

TEST(DisplayMapping, ColourMapsOneChannelImagesAfterTheLevelsAndAreFoundByName)
{
    DisplayMapping mapping = Levels(0, 1000);
    mapping.colorMap = ColorMapByName("turbo");
    const cv::Mat shown = MapToDisplay(Row({0, 400, 1000}, CV_16U), mapping);
    cv::Mat expected;
    cv::applyColorMap(Row({0, 102, 255}, CV_8U), expected, cv::COLORMAP_TURBO);
    ASSERT_EQ(shown.type(), CV_8UC3);
    EXPECT_EQ(cv::norm(shown, expected, cv::NORM_INF), 0.0);
    EXPECT_EQ(MapToDisplay(cv::Mat(1, 1, CV_8UC3, cv::Scalar(1, 2, 3)), mapping).type(), CV_8UC3)
        << "colour images keep their colours";

    EXPECT_EQ(ColorMapByName("gray"), kNoColorMap);
    EXPECT_EQ(ColorMapByName("viridis"), cv::COLORMAP_VIRIDIS);
    EXPECT_EQ(ColorMapName(cv::COLORMAP_INFERNO), "inferno");
    try {
        ColorMapByName("Jet");
        FAIL() << "an unknown name must be refused";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("jet, winter"), std::string::npos) << e.what();
    }
}

TEST(DisplayMapping, NonFinitePixelsInOneColourAndIgnoredByAutoLevels)
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    cv::Mat raw = Row({0, 10, 20, 30, 40}, CV_32F);
    raw.at<float>(0, 1) = nan;
    raw.at<float>(0, 3) = -inf;
    cv::Mat colour(1, 2, CV_32FC3, cv::Scalar(1, 2, 3));
    colour.at<cv::Vec3f>(0, 1)[1] = inf;
    for (const cv::Mat& image : {raw, colour}) {
        const cv::Mat shown = MapToDisplay(image, Levels(0, 40));
        ASSERT_EQ(shown.type(), CV_8UC3);
        EXPECT_EQ(shown.at<cv::Vec3b>(0, 1), kNonFiniteColour);
    }
    EXPECT_EQ(MapToDisplay(raw, Levels(0, 40)).at<cv::Vec3b>(0, 2), cv::Vec3b(128, 128, 128));
    EXPECT_EQ(AutoLevels(raw, 0, 100), std::make_pair(0.0, 40.0));
    EXPECT_EQ(AutoLevels(Row({nan, inf}, CV_32F), 0.5, 99.5), std::make_pair(0.0, 0.0));
    EXPECT_EQ(FullRange(raw), std::make_pair(0.0, 40.0));
}

struct KnownHistogram {
    int depth;
    double offset;
};

class AutoLevelsOf : public testing::TestWithParam<KnownHistogram> {};

// The values offset+0 .. offset+999 once each: 0.5 % of them lie below
// offset+5 and 0.5 % above offset+994.
TEST_P(AutoLevelsOf, KnownHistogram)
{
    cv::Mat ramp(1, 1000, CV_64F);
    for (int i = 0; i < ramp.cols; ++i)
        ramp.at<double>(0, i) = GetParam().offset + i;
    ramp.convertTo(ramp, GetParam().depth);
    const auto [low, high] = AutoLevels(ramp, 0.5, 99.5);
    const double tolerance = CV_MAT_DEPTH(GetParam().depth) >= CV_32F ? 1000.0 / 65535 : 0.0;
    EXPECT_NEAR(low, GetParam().offset + 5, tolerance);
    EXPECT_NEAR(high, GetParam().offset + 994, tolerance);
    EXPECT_EQ(AutoLevels(ramp, 0, 100), std::make_pair(GetParam().offset, GetParam().offset + 999));
}

INSTANTIATE_TEST_SUITE_P(Depths, AutoLevelsOf,
                         testing::Values(KnownHistogram{CV_16U, 3000}, KnownHistogram{CV_16S, -500},
                                         KnownHistogram{CV_32F, -0.25}, KnownHistogram{CV_64F, 1e6}),
                         [](const auto& info) { return "depth" + std::to_string(info.param.depth); });

TEST(AutoLevels, HugeImagesAreSampled)
{
    // 24 MP: a horizontal ramp 0..4095 whose levels the sample must find.
    cv::Mat ramp(4000, 6000, CV_16UC1);
    for (int x = 0; x < ramp.cols; ++x)
        ramp.col(x).setTo(x * 4096 / ramp.cols);
    const auto [low, high] = AutoLevels(ramp, 1, 99);
    EXPECT_NEAR(low, 41, 3);
    EXPECT_NEAR(high, 4055, 3);
}
