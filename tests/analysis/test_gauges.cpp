#include "tivra/analysis/Gauges.h"

#include "AreaImage.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <limits>

namespace {

cv::Mat disc(double cx, double cy, double r, double inside, double outside) {
    return areaImage(160, 150, outside, inside, [=](double x, double y) { return std::hypot(x - cx, y - cy) <= r; });
}

// Full rings and arcs, searched either way, with the polarity the search meets.
TEST(Gauges, CircleFindsRenderedDiscsLeavesOutOutliersAndNeedsThePolarityItMeets) {
    const double cx = 80.37, cy = 74.81, r = 41.23;
    for (auto [brightDisc, inward, polarity, start, end] :
         {std::tuple{true, false, 2, 0.0, 360.0}, {true, true, 1, 0.0, 360.0}, {false, false, 1, 0.0, 360.0},
          {false, true, 0, 0.0, 360.0}, {true, false, 2, 200.0, 290.0}, {true, true, 0, 300.0, 120.0}}) {
        SCOPED_TRACE(testing::Message() << brightDisc << inward << polarity << " " << start << ".." << end);
        const cv::Mat img = disc(cx, cy, r, brightDisc ? 210 : 30, brightDisc ? 30 : 210);
        EA::CircleGaugeParams p;
        p.inward = inward;
        p.caliper.polarity = polarity;
        const EA::CircleGaugeResult res = EA::measureCircle(img, {80, 75}, 33, 50, start, end, p);
        ASSERT_TRUE(res.ok) << res.reason;
        EXPECT_LT(cv::norm(cv::Point2d(res.centre) - cv::Point2d(cx, cy)), 0.03);
        EXPECT_NEAR(res.radius, r, 0.02);
        EXPECT_NEAR(res.diameter, 2 * r, 0.04);
        EXPECT_LT(res.roundness, 0.1);
        EXPECT_EQ(res.inliers, p.calipers);
        EXPECT_EQ(res.hits.size(), size_t(p.calipers));
    }
    cv::Mat img = disc(80, 75, 40, 210, 30);
    EA::CircleGaugeParams p;
    p.caliper.polarity = 1;  // outward over a bright disc the edge falls
    EA::CircleGaugeResult res = EA::measureCircle(img, {80, 75}, 30, 50, 0, 360, p);
    EXPECT_FALSE(res.ok);
    EXPECT_NE(res.reason.find("too few edges"), std::string::npos) << res.reason;
    for (const EA::CaliperHit& h : res.hits) EXPECT_FALSE(h.found);
    cv::rectangle(img, cv::Rect(115, 70, 12, 16), cv::Scalar(210), cv::FILLED);  // a bump under the first caliper (7.5 degrees)
    p = EA::CircleGaugeParams();
    p.calipers = 24;
    res = EA::measureCircle(img, {80, 75}, 30, 55, 0, 360, p);
    ASSERT_TRUE(res.ok) << res.reason;
    EXPECT_NEAR(res.radius, 40, 0.05);
    EXPECT_FALSE(res.hits[0].inlier);
    EXPECT_EQ(res.inliers, 23);
}

TEST(Gauges, LinesAndEdgesMeasuredAndFailuresReportTheirReason) {
    for (double angle : {0.0, 7.3, 45.0, 90.0, 133.0}) {
        SCOPED_TRACE(angle);
        // Bright below the edge through (120.25, 119.625); (nx, ny) is its downward normal.
        const double a = angle * CV_PI / 180.0, nx = -std::sin(a), ny = std::cos(a);
        const cv::Mat img = areaImage(240, 240, 40, 200, [=](double x, double y) {
            return (x - 120.25) * nx + (y - 119.625) * ny > 0;
        });
        EA::LineGaugeParams p;
        p.calipers = 20;
        // The rectangle lies along the edge; with an angle past 90 its long axis points the other way.
        const EA::LineGaugeResult res =
            EA::measureLine(img, cv::RotatedRect({120, 120}, {200, 30}, float(angle)), p);
        ASSERT_TRUE(res.ok) << res.reason;
        EXPECT_NEAR(std::remainder(res.angle - angle, 180.0), 0.0, 0.03);
        EXPECT_LT(res.straightness, 0.12);
        EXPECT_EQ(res.inliers, p.calipers);
        // The fitted line passes through the edge's anchor point.
        EXPECT_NEAR((res.line[2] - 120.25) * nx + (res.line[3] - 119.625) * ny, 0.0, 0.02);
    }
    const cv::Mat img = areaImage(140, 40, 20, 220, [](double x, double) {
        return (x >= 40.25 && x < 60.75) || (x >= 80.5 && x < 90.5);
    });
    EA::CaliperParams p;
    p.select = EA::EdgeSelect::All;
    for (const EA::EdgeGaugeResult& res :
         {EA::measureEdges(img, {10, 20}, {130, 20}, p),
          EA::measureEdges(img, cv::RotatedRect({70, 20}, {120, 9}, 0), p)}) {
        ASSERT_TRUE(res.ok) << res.reason;
        ASSERT_EQ(res.edges.size(), 4u);
        const double expected[4] = {40.25, 60.75, 80.5, 90.5};
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(res.edges[i].point.x, expected[i], 0.02) << i;
            EXPECT_EQ(res.edges[i].polarity, i % 2 == 0 ? 1 : 2);
            EXPECT_GT(res.edges[i].strength, 100);
        }
        ASSERT_EQ(res.gaps.size(), 3u);
        EXPECT_NEAR(res.gaps[0], 20.5, 0.03);
        EXPECT_NEAR(res.gaps[2], 10.0, 0.03);
    }
    p.select = EA::EdgeSelect::First;
    p.polarity = 2;
    const EA::EdgeGaugeResult first = EA::measureEdges(img, {130, 20}, {10, 20}, p);  // searching leftwards
    ASSERT_TRUE(first.ok);
    ASSERT_EQ(first.edges.size(), 1u);
    EXPECT_NEAR(first.edges[0].point.x, 80.5, 0.02);
    // Unsuitable input never throws: it fails with a reason.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const cv::Mat round = disc(80, 75, 40, 210, 30), flat(100, 100, CV_8UC3, cv::Scalar::all(128));
    EA::CaliperParams badPolarity;
    badPolarity.polarity = 3;
    const std::vector<std::pair<std::function<std::string()>, const char*>> cases = {
        {[] { return EA::measureCircle(cv::Mat(), {5, 5}, 1, 4, 0, 360, {}).reason; }, "empty image"},
        {[] { return EA::measureEdges(cv::Mat(9, 9, CV_32F), {0, 0}, {8, 8}, {}).reason; }, "8-bit"},
        {[&] { return EA::measureCircle(round, {80, 75}, 50, 30, 0, 360, {}).reason; }, "inner radius above"},
        {[&] { return EA::measureCircle(round, {80, 75}, nan, 30, 0, 360, {}).reason; }, "not finite"},
        {[&] { return EA::measureLine(round, cv::RotatedRect({80, 75}, {50, 20}, float(nan)), {}).reason; }, "not finite"},
        {[&] { return EA::measureLine(round, cv::RotatedRect({80, 75}, {0, 0}, 0), {}).reason; }, "degenerate"},
        {[&] { return EA::measureEdges(round, {80, 75}, {80, 75}, {}).reason; }, "degenerate"},
        {[&] { return EA::measureCircle(round, {80, 75}, 30, 50, 40, 40, {}).reason; }, "sweep"},
        {[&] { return EA::measureCircle(round, {-500, -500}, 30, 50, 0, 360, {}).reason; }, "outside the image"},
        {[&] { return EA::measureLine(flat, cv::RotatedRect({50, 50}, {60, 20}, 0), {}).reason; }, "too few edges"},
        {[&] { return EA::measureEdges(flat, {10, 50}, {90, 50}, {}).reason; }, "no edge"},
        {[&] { return EA::measureEdges(round, {10, 50}, {90, 50}, badPolarity).reason; }, "polarity"}};
    for (const auto& [reason, expected] : cases) {
        std::string got;
        ASSERT_NO_THROW(got = reason()) << expected;
        EXPECT_NE(got.find(expected), std::string::npos) << got;
    }
}

}  // namespace
