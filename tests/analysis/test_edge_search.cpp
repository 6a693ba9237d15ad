#include "tivra/analysis/EdgeSearch.h"

#include "AreaImage.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>

namespace {

using cv::Point;
using cv::Point2f;

// Gray image whose every row holds columnValue(x).
cv::Mat columnsImage(int width, int height, const std::function<double(int)>& columnValue) {
    cv::Mat img(height, width, CV_8UC1);
    for (int x = 0; x < width; ++x) img.col(x).setTo(cv::saturate_cast<uchar>(columnValue(x)));
    return img;
}

TEST(EdgeSearch, KernelWindowsWithTheirProfilesAndResponsesAndNothingToSearchGivesNoEdge) {
    // Searching the other way the same step is falling; unknown polarities find nothing.
    const cv::Mat img = columnsImage(20, 10, [](int x) { return x < 10 ? 0 : 255; });
    for (auto [polarity, from, to, edge, at] : {std::tuple{1, Point(0, 5), Point(19, 5), Point2f(10, 5), 10},
                                                {2, Point(0, 5), Point(19, 5), Point2f(-1, -1), -1},
                                                {2, Point(19, 5), Point(0, 5), Point2f(9, 5), 10},
                                                {0, Point(19, 5), Point(0, 5), Point2f(9, 5), 10},
                                                {4, Point(0, 5), Point(19, 5), Point2f(-1, -1), -1}}) {
        int index = -7;
        EXPECT_EQ(EA::findEdgePoint(img, 50, polarity, 2, from, to, 8, index), edge) << polarity << " from " << from;
        EXPECT_EQ(index, at) << polarity << " from " << from;
    }
    // A ramp has a response everywhere the kernel fits.
    const cv::Mat ramp = columnsImage(20, 3, [](int x) { return 10 * x; });
    std::vector<double> profile, response;
    int index = -7;
    const Point2f p = EA::findEdgePoint(ramp, 30, 1, 5, {0, 1}, {19, 1}, 8, profile, response, index);
    ASSERT_EQ(profile.size(), 20u);
    ASSERT_EQ(response.size(), 20u);
    // Size 5 (-1, -1, 0, 1, 1) centred: 0 for the two samples at each end.
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(cv::Vec2d(profile[x], response[x]), cv::Vec2d(10.0 * x, x < 2 || x >= 18 ? 0.0 : 60.0)) << x;
    EXPECT_EQ(cv::Vec3f(p.x, p.y, float(index)), cv::Vec3f(2, 1, 2));
    // A colour line's profile is the truncated mean (20.67 here); the even centred kernel puts
    // the step after sample 2.
    cv::Mat colour(3, 6, CV_8UC3, cv::Scalar(0, 0, 0));
    colour.colRange(3, 6).setTo(cv::Scalar(10, 20, 32));
    EA::findEdgePoint(colour, 5, 1, 2, {0, 1}, {5, 1}, 8, profile, response, index);
    EXPECT_EQ(profile, (std::vector<double>{0, 0, 0, 20, 20, 20}));
    EXPECT_EQ(index, 2);
    // Nothing to search gives no edge: connectivity 5 is not a pixel walk.
    EXPECT_EQ(EA::findEdgePoint(img, 50, 1, 2, {0, 5}, {19, 5}, 5, index), Point2f(-1, -1));
    EXPECT_EQ(index, -1);
    EXPECT_EQ(EA::findEdgePoint(img, 50, 1, 2, {0, 5}, {19, 5}, 5, profile, response, index), Point2f(-1, -1));
    EXPECT_TRUE(profile.empty());
    EXPECT_EQ(EA::findEdgePoint_subPixel(img, 50, 1, 2, {0, 5}, {19, 5}, 5, index), Point2f(-1, -1));
    EXPECT_TRUE(EA::findAllEdgePoints(img, 50, 0, 2, {0, 5}, {19, 5}, 5).empty());
    EXPECT_TRUE(EA::findAllEdgePoints_subPixel(img, 50, 0, 2, {0, 5}, {19, 5}, 5).empty());
    // Lines wholly outside the image, empty images and empty arcs.
    EXPECT_EQ(EA::findEdgePoint(img, 50, 1, 2, {30, 50}, {90, 50}, 8, index), Point2f(-1, -1));
    EXPECT_EQ(EA::findEdgePoint_subPixel(cv::Mat(), 50, 1, 2, {0, 5}, {19, 5}, 8, index), Point2f(-1, -1));
    EXPECT_EQ(EA::findArcEdgePoint(img, 50, 1, 2, {}, index), Point2f(-1, -1));
    EXPECT_EQ(EA::findArcEdgePoint_subPixel(img, 50, 1, 2, {}, index), Point2f(-1, -1));
    EXPECT_EQ(index, -1);
    // A line clipped by the image still finds the step inside it.
    EXPECT_EQ(EA::findEdgePoint(img, 50, 1, 2, {-40, 5}, {60, 5}, 8, index), Point2f(10, 5));
}

TEST(EdgeSearch, KernelSizesAreLimitedAndTheStrongestEdgeIsChosenPerSearch) {
    cv::RNG rng(7);
    cv::Mat img(1, 60, CV_8UC1);
    rng.fill(img, cv::RNG::UNIFORM, 0, 256);
    std::vector<double> prof, r1, r2, r12, r15, r20;
    int index;
    EA::findEdgePoint(img, 1, 0, 1, {0, 0}, {59, 0}, 8, prof, r1, index);
    EA::findEdgePoint(img, 1, 0, 2, {0, 0}, {59, 0}, 8, prof, r2, index);
    EXPECT_EQ(r1, r2);
    EA::findEdgePoint(img, 1, 0, 12, {0, 0}, {59, 0}, 8, prof, r12, index);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(r12[i], i == 0 || i == 59 ? 0.0 : double(img.at<uchar>(0, i + 1)) - img.at<uchar>(0, i - 1)) << i;
    // The sub-pixel search carries every size up to 15; 20 behaves as 15.
    EA::findEdgePoint_subPixel(img, 1, 0, 15, {0, 0}, {59, 0}, 8, prof, r15, index);
    EA::findEdgePoint_subPixel(img, 1, 0, 20, {0, 0}, {59, 0}, 8, prof, r20, index);
    EXPECT_EQ(r15, r20);
    for (int i = 6; i <= 53; ++i) {
        double expected = 0;
        for (int m = 1; m <= 7 && i > 6 && i < 53; ++m) expected += double(img.at<uchar>(0, i + m)) - img.at<uchar>(0, i - m);
        EXPECT_EQ(r15[i], expected) << i;
    }
    // Two steps of 10 grey levels: the integer search keeps the later one (its bound
    // drops to the integer part), the sub-pixel search the first.
    const cv::Mat steps = columnsImage(12, 1, [](int x) { return x < 3 ? 0 : (x < 8 ? 10 : 20); });
    EXPECT_EQ(EA::findEdgePoint(steps, 5, 3, 2, {0, 0}, {11, 0}, 8, index), Point2f(8, 0));
    EXPECT_EQ(index, 8);
    EA::findEdgePoint_subPixel(steps, 5, 3, 2, {0, 0}, {11, 0}, 8, index);
    EXPECT_EQ(index, 2);
    // Nothing reaches a threshold above the maximum.
    EXPECT_EQ(EA::findEdgePoint_subPixel(steps, 11, 3, 2, {0, 0}, {11, 0}, 8, index), Point2f(-1, -1));
    EXPECT_EQ(index, -1);
    // Arc means are real: steps of 32/3 = 10.67 and then 31/3 = 10.33.
    const cv::Mat colour = (cv::Mat_<cv::Vec3b>(1, 5) << cv::Vec3b(0, 0, 0), cv::Vec3b(10, 11, 11),
                            cv::Vec3b(10, 11, 11), cv::Vec3b(20, 21, 22), cv::Vec3b(20, 21, 22));
    const std::vector<Point2f> arc{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    EXPECT_EQ(EA::findArcEdgePoint(colour, 5, 3, 2, arc, index), Point2f(3, 0));
    EXPECT_EQ(index, 3);
    EA::findArcEdgePoint_subPixel(colour, 5, 3, 2, arc, index);
    EXPECT_EQ(index, 0);
}

TEST(EdgeSearch, ArcRoundingRulesTrailingWindowAndSamplesOutsideTheImage) {
    const cv::Mat img = columnsImage(40, 10, [](int x) { return x < 31 ? 0 : 255; });
    const std::vector<Point2f> arc{{28.5f, 5}, {29.5f, 5}, {30.5f, 5}, {31.5f, 5}, {32.5f, 5}};
    int index;
    // Ties to even: 28, 30, 30, 32, 32 -> the first bright sample is arc point 3, returned as given.
    EXPECT_EQ(EA::findArcEdgePoint(img, 100, 1, 2, arc, index), Point2f(31.5f, 5));
    EXPECT_EQ(index, 3);
    // Ties away from zero: 29, 30, 31, 32, 33 -> the step lies between arc points 1 and 2.
    EXPECT_EQ(EA::findArcEdgePoint_subPixel(img, 100, 1, 2, arc, index), Point2f(30, 5));
    EXPECT_EQ(index, 1);
    // A step ending at sample 8 of 10: with kernel 3 the arc search tests i <= n - k = 7 only.
    const cv::Mat late = columnsImage(10, 1, [](int x) { return x < 8 ? 0 : 255; });
    std::vector<Point2f> row;
    for (int x = 0; x < 10; ++x) row.emplace_back(float(x), 0.0f);
    EXPECT_EQ(EA::findArcEdgePoint(late, 100, 1, 3, row, index), Point2f(-1, -1));
    EXPECT_EQ(EA::findArcEdgePoint(late, 100, 1, 2, row, index), Point2f(8, 0));
    cv::Mat rgba(4, 4, CV_8UC4, cv::Scalar(90, 90, 90, 0));
    // Points left of the image read 0, so a rising step appears where the arc enters it.
    const std::vector<Point2f> entering{{-3, 1}, {-2, 1}, {-1, 1}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {9, 1}, {10, 1}};
    EXPECT_EQ(EA::findArcEdgePoint(rgba, 50, 1, 2, entering, index), Point2f(0, 1));
    EXPECT_EQ(EA::findArcEdgePoint(rgba, 50, 2, 2, entering, index), Point2f(9, 1));
    const std::vector<Point2f> nanArc{{NAN, 1}, {1e30f, 1}, {1, 1}};
    EXPECT_EQ(EA::findArcEdgePoint(rgba, 50, 1, 2, nanArc, index), Point2f(-1, -1));
    EA::findArcEdgePoint_subPixel(rgba, 50, 1, 2, nanArc, index);
    EXPECT_EQ(index, 1);
}

TEST(EdgeSearch, SubPixelFindsAreaSampledEdgesAlongLinesArcsAndDiagonals) {
    for (double sigma : {0.0, 1.0, 2.0})
        for (double edge : {20.0, 20.25, 20.5, 20.8}) {
            const cv::Mat img = areaImage(48, 9, 40, 200, [=](double x, double) { return x > edge; }, sigma);
            for (int k : {2, 3, 4, 5, 8}) {
                // Two samples per response make the size-2 kernel the coarsest.
                const double tolerance = k == 2 ? 0.25 : 0.15;
                int index;
                // A low threshold is first passed on the flank of a blurred edge.
                const Point2f p = EA::findEdgePoint_subPixel(img, 15, 1, k, {2, 4}, {45, 4}, 8, index);
                EXPECT_NEAR(p.x, edge, tolerance) << "sigma " << sigma << " edge " << edge << " k " << k;
                EXPECT_EQ(p.y, 4.0f);
                const Point2f q = EA::findEdgePoint_subPixel(img, 15, 2, k, {45, 4}, {2, 4}, 8, index);
                EXPECT_NEAR(q.x, edge, tolerance) << "reverse sigma " << sigma << " edge " << edge << " k " << k;
            }
        }
    const cv::Mat img = areaImage(9, 60, 220, 30, [](double, double y) { return y > 31.3; }, 1.0);
    std::vector<Point2f> arc;
    for (int y = 50; y >= 10; --y) arc.emplace_back(4.0f, float(y));
    int index;
    for (const Point2f& p : {EA::findEdgePoint_subPixel(img, 20, 0, 3, {4, 5}, {4, 55}, 4, index),
                             EA::findArcEdgePoint_subPixel(img, 20, 1, 4, arc, index)}) {
        EXPECT_NEAR(p.y, 31.3, 0.15);
        EXPECT_EQ(p.x, 4.0f);
    }
    // Arc points one pixel apart along a 45 degree normal round to repeated pixels, so
    // the response has dips on its flank; the edge is still the strongest response.
    const cv::Point2d c(24, 24), n(std::sqrt(0.5), std::sqrt(0.5));
    for (double offset = -0.5; offset < 0.45; offset += 0.1) {
        const cv::Mat img = areaImage(48, 48, 60, 180, [&](double x, double y) {
            return (x - c.x) * n.x + (y - c.y) * n.y > offset;
        }, 2.0);
        std::vector<Point2f> arc;
        for (int t = -18; t <= 18; ++t) arc.emplace_back(float(c.x + t * n.x), float(c.y + t * n.y));
        int index;
        const Point2f p = EA::findArcEdgePoint_subPixel(img, 40, 0, 4, arc, index);
        EXPECT_NEAR((p.x - c.x) * n.x + (p.y - c.y) * n.y, offset, 0.45) << offset;
    }
}

TEST(EdgeSearch, AllEdgesStopNearTheEndTerminateWithAnyKernelAndFindSubPixelPositions) {
    // Steps after x = 19, 49, 96 and 98 on a line of length 100.
    const cv::Mat img = columnsImage(110, 10, [](int x) { return (x >= 20 && x < 50) || x == 97 || x == 98 ? 200 : 0; });
    // The edge at 96 lies 4 pixels from the end, so the search ends there.
    EXPECT_EQ(EA::findAllEdgePoints(img, 100, 0, 2, {0, 5}, {100, 5}, 8), (std::vector<Point2f>{{19, 5}, {49, 5}, {96, 5}}));
    EXPECT_EQ(EA::findAllEdgePoints(img, 100, 1, 2, {0, 5}, {100, 5}, 8), (std::vector<Point2f>{{19, 5}, {96, 5}}));
    EXPECT_TRUE(EA::findAllEdgePoints(img, 250, 0, 2, {0, 5}, {100, 5}, 8).empty());
    const cv::Mat bars = columnsImage(60, 4, [](int x) { return (x / 6) % 2 ? 255 : 0; });
    const auto edges = EA::findAllEdgePoints(bars, 100, 0, -5, {0, 2}, {59, 2}, 8);
    ASSERT_FALSE(edges.empty());
    for (size_t i = 1; i < edges.size(); ++i) EXPECT_GT(edges[i].x, edges[i - 1].x);
    const cv::Mat bar = areaImage(60, 7, 30, 200, [](double x, double) { return x > 15.3 && x <= 40.6; }, 1.0);
    const auto both = EA::findAllEdgePoints_subPixel(bar, 40, 0, 3, {1.9f, 3.7f}, {58.9f, 3.2f}, 8);
    const auto rising = EA::findAllEdgePoints_subPixel(bar, 40, 1, 4, {1, 3}, {58, 3}, 8);
    ASSERT_EQ(both.size(), 2u);
    ASSERT_EQ(rising.size(), 1u);
    EXPECT_NEAR(both[0].x, 15.3, 0.15);
    EXPECT_NEAR(both[1].x, 40.6, 0.15);
    EXPECT_EQ(both[0].y, 3.0f);
    EXPECT_NEAR(rising[0].x, 15.3, 0.15);
    EXPECT_TRUE(EA::findAllEdgePoints_subPixel(bar, 40, 3, 3, {1, 3}, {58, 3}, 8).empty());
}

}  // namespace
