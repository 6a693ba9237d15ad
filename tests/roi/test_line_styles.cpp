#include "tivra/roi/LineStyles.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <climits>
#include <cmath>

namespace {

const cv::Scalar kWhite(255, 255, 255);

bool Set(const cv::Mat& img, int x, int y)
{
    return img.at<uchar>(y, x) != 0;
}

} // namespace

// Dashes join samples 0-1, 2-3, ...; dots mark every sample but the end; a cross has two arms.
TEST(LineStyles, DashesDotsArrowHeadsCrossArmsAndZeroLengthOrLongSegments)
{
    cv::Mat dashes = cv::Mat::zeros(3, 30, CV_8UC1), dots = dashes.clone();
    ID::drawDashedLine(dashes, {0, 0}, {20, 0}, kWhite, 1, 5);
    ID::drawDottedLine(dots, {0, 1}, {20, 1}, kWhite, 1, 5);
    for (int x = 0; x < 30; ++x)
        EXPECT_EQ(Set(dashes, x, 0), x <= 5 || (x >= 10 && x <= 15)) << "x = " << x;
    for (int x : {0, 3, 5, 8, 10, 13, 15, 18, 20})
        EXPECT_EQ(Set(dots, x, 1), x % 5 == 0 && x < 20) << x;
    // drawArrow draws the barbs only (their ends truncated: 50 - 7.07 gives 42), drawArrowLine the
    // shaft too. On a zero-length segment nothing is dotted or dashed, but the head is always drawn.
    cv::Mat img = cv::Mat::zeros(100, 60, CV_8UC1);
    ID::drawArrow(img, {0, 50}, {50, 50}, 10, 45, kWhite, 1, cv::LINE_8);
    EXPECT_TRUE(Set(img, 42, 42) && Set(img, 42, 57));
    EXPECT_FALSE(Set(img, 30, 50));
    ID::drawArrowLine(img, {0, 50}, {50, 50}, 10, 45, kWhite, 1, cv::LINE_8);
    EXPECT_TRUE(Set(img, 30, 50));

    cv::Mat still = cv::Mat::zeros(40, 40, CV_8UC1), dashed = still.clone(), dotted = still.clone();
    ID::drawDottedLine(still, {5, 5}, {5, 5}, kWhite, 2, 5);
    ID::drawArrowDashedLine(dashed, {20, 20}, {20, 20}, 10, 20, kWhite, 1, 5);
    ID::drawArrowDottedLine(dotted, {20, 20}, {20, 20}, 10, 20, kWhite, 1, 5);
    EXPECT_EQ(cv::countNonZero(still) + cv::countNonZero(dashed), 0);
    EXPECT_GT(cv::countNonZero(dotted), 0);
    EXPECT_FALSE(Set(dotted, 10, 10));
    cv::Mat cross = cv::Mat::zeros(40, 40, CV_8UC1);
    ID::drawReularCrossLine(cross, {20, 20}, kWhite, 1, 11);
    for (auto [x, y, set] : {std::tuple{15, 20, true}, {25, 20, true}, {20, 15, true}, {20, 25, true}, {26, 20, false},
                             {14, 20, false}})
        EXPECT_EQ(Set(cross, x, y), set) << x << ", " << y;
    EXPECT_EQ(cv::countNonZero(cross), 21);
    // The primitives only sample the part of a long segment near the image; the
    // pixels must be exactly those of drawing every sample of the segment.
    const cv::Point from(-650, -200), to(400, 170);
    const int step = 7;
    const float length = std::hypot(float(from.x - to.x), float(from.y - to.y));
    std::vector<cv::Point> samples;
    for (int d = 0; d < length; d += step) {
        const float t = d / length;
        samples.emplace_back(int(from.x * (1 - t) + t * to.x + 0.5f), int(from.y * (1 - t) + t * to.y + 0.5f));
    }
    cv::Mat longDashes = cv::Mat::zeros(80, 120, CV_8UC1), expectedDashes = longDashes.clone();
    ID::drawDashedLine(longDashes, from, to, kWhite, 3, step);
    for (size_t i = 0; i + 1 < samples.size(); i += 2)
        cv::line(expectedDashes, samples[i], samples[i + 1], kWhite, 3, cv::LINE_8);
    EXPECT_GT(cv::countNonZero(longDashes), 20);
    EXPECT_EQ(cv::norm(longDashes, expectedDashes, cv::NORM_INF), 0.0);

    cv::Mat longDots = cv::Mat::zeros(80, 120, CV_8UC1), expectedDots = longDots.clone();
    ID::drawDottedLine(longDots, from, to, kWhite, 2, step);
    for (const cv::Point& s : samples)
        cv::circle(expectedDots, s, 2, kWhite, cv::FILLED, cv::LINE_8);
    EXPECT_GT(cv::countNonZero(longDots), 20);
    EXPECT_EQ(cv::norm(longDots, expectedDots, cv::NORM_INF), 0.0);
}

TEST(LineStyles, HostileArgumentsNeitherThrowNorHang)
{
    cv::Mat img = cv::Mat::zeros(50, 50, CV_8UC1);
    EXPECT_NO_THROW(ID::drawDashedLine(img, {0, 0}, {40, 40}, kWhite, 1, 0));
    EXPECT_NO_THROW(ID::drawDottedLine(img, {0, 0}, {40, 40}, kWhite, 1, -3));
    EXPECT_NO_THROW(ID::drawDashedLine(img, {-2000000000, 25}, {2000000000, 25}, kWhite, 1, 1));
    EXPECT_NO_THROW(ID::drawDottedLine(img, {-2000000000, 10}, {2000000000, 10}, kWhite, 1, 1));
    EXPECT_NO_THROW(ID::drawArrowLine(img, {0, 0}, {40, 40}, 10, 20, kWhite, 0, cv::LINE_8));
    EXPECT_NO_THROW(ID::drawArrowDashedLine(img, {0, 0}, {40, 40}, 10, 20, kWhite, -5, 5));
    EXPECT_NO_THROW(ID::drawReularCrossLine(img, {INT_MAX, INT_MIN}, kWhite, 100000, INT_MAX));
    EXPECT_TRUE(Set(img, 25, 25)) << "the long dashed line crosses the image";
}
