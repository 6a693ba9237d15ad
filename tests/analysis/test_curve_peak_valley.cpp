#include "tivra/analysis/CurvePeakValley.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using cv::Point2f;

struct Bends {
    int peakIndex = 99, valleyIndex = 99;
    Point2f peakPoint{99, 99}, valleyPoint{99, 99};
    float peakDistance = 99, valleyDistance = 99, peakValue = 99, valleyValue = 99;
    std::vector<double> peakCoef{7}, valleyCoef{7};
    cv::Vec2f peakLine{9, 9}, valleyLine{9, 9};
    float peakValid = 9, valleyValid = 9;
};

// Without `optional` the optional outputs are left null.
Bends run(const std::vector<Point2f>& curve, int step, int window, bool optional = true) {
    Bends b;
    const auto opt = [optional](auto* output) { return optional ? output : nullptr; };
    EA::findCruveLocalPeakValleyPoint(curve, b.peakIndex, b.valleyIndex, b.peakPoint, b.valleyPoint, b.peakDistance,
                                      b.valleyDistance, b.peakValue, b.valleyValue, opt(&b.peakCoef), opt(&b.valleyCoef),
                                      step, window, opt(&b.peakLine), opt(&b.peakValid), opt(&b.valleyLine),
                                      opt(&b.valleyValid));
    return b;
}

// Neither bend found: indices -1, points (-1, -1), distances 0, zero coefficients and the given values.
void expectNoBends(const Bends& b, float peakValue, float valleyValue) {
    EXPECT_EQ(cv::Vec4f(b.peakIndex, b.valleyIndex, b.peakPoint.x, b.peakPoint.y), cv::Vec4f(-1, -1, -1, -1));
    EXPECT_EQ(cv::Vec4f(b.peakDistance, b.valleyDistance, b.peakValue, b.valleyValue),
              cv::Vec4f(0, 0, peakValue, valleyValue));
    EXPECT_EQ(b.peakCoef, (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(b.valleyCoef, (std::vector<double>{0, 0, 0}));
}

// y = |x| for x = -10..10: walking right, the curve turns from up-right to down-right,
// a clockwise turn on screen at the apex (0, 0).
std::vector<Point2f> vShape() {
    std::vector<Point2f> v;
    for (int x = -10; x <= 10; ++x) v.emplace_back(float(x), float(std::abs(x)));
    return v;
}

TEST(CurvePeakValley, StraightLineHasNoBendsApexIsPeakOneWayAndValleyTheOtherAsCornersAndSpikes) {
    std::vector<Point2f> line;
    for (int i = 0; i < 30; ++i) line.emplace_back(float(2 * i), float(i));
    const Bends flat = run(line, 2, 3);
    expectNoBends(flat, -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(cv::Vec4f(flat.valleyPoint.x, flat.valleyPoint.y, flat.peakValid, flat.valleyValid), cv::Vec4f(-1, -1, 0, 0));
    // The neighbours (+-1..4, 1..4) are symmetric: their line is y = 2.5. Turn (2, -2) x (2, 2) = 8.
    const Bends b = run(vShape(), 2, 4);
    EXPECT_EQ(cv::Vec4f(b.peakIndex, b.valleyIndex, b.peakValue, b.peakValid), cv::Vec4f(10, -1, 8, 1));
    EXPECT_EQ(b.peakPoint, Point2f(0, 0));
    EXPECT_LT(cv::norm(b.peakLine - cv::Vec2f(0, 2.5f)), 1e-4);
    EXPECT_NEAR(b.peakDistance, 2.5f, 1e-4f);
    ASSERT_EQ(b.peakCoef.size(), 3u);
    EXPECT_LT(cv::norm(cv::Vec2d(b.peakCoef[1], b.peakCoef[2]) - cv::Vec2d(2.5, 0)), 1e-4);
    std::vector<Point2f> reversed = vShape();
    std::reverse(reversed.begin(), reversed.end());
    const Bends r = run(reversed, 2, 4);
    EXPECT_EQ(cv::Vec4f(r.peakIndex, r.valleyIndex, r.valleyValue, r.valleyValid), cv::Vec4f(-1, 10, -8, 1));
    EXPECT_NEAR(r.valleyDistance, 2.5f, 1e-4f);
    EXPECT_EQ(r.peakValid, 0.0f);
    std::vector<Point2f> late = vShape();  // the apex at the last index with five neighbours after it
    late.resize(16);
    EXPECT_EQ(run(late, 1, 4).peakIndex, 10);
    // A right angle: right along y = 0, then down along x = 10, clockwise on screen.
    std::vector<Point2f> corner;
    for (int x = 0; x <= 10; ++x) corner.emplace_back(float(x), 0.0f);
    for (int y = 1; y <= 10; ++y) corner.emplace_back(10.0f, float(y));
    const Bends turn = run(corner, 2, 3);
    EXPECT_EQ(cv::Vec4f(turn.peakIndex, turn.peakPoint.x, turn.peakPoint.y, turn.peakValue), cv::Vec4f(10, 10, 0, 4));
    EXPECT_GT(turn.peakDistance, 0.5f);
    // The reported distance is that of the corner from the reported line.
    const float k = turn.peakLine[0], c = turn.peakLine[1];
    EXPECT_NEAR(turn.peakDistance, std::fabs(k * 10.0f - 0.0f + c) / std::sqrt(k * k + 1.0f), 1e-5f);
    // A spike off a vertical line: the neighbourhood line is vertical.
    std::vector<Point2f> spike;
    for (int y = 0; y <= 20; ++y) spike.emplace_back(y == 10 ? 7.0f : 5.0f, float(y));
    const Bends v = run(spike, 1, 3);
    EXPECT_EQ(cv::Vec4f(v.peakIndex, v.peakLine[0], v.peakLine[1], v.peakDistance),
              cv::Vec4f(10, std::numeric_limits<float>::infinity(), 5, 2));
    EXPECT_TRUE(std::isinf(v.peakCoef[0]));
    EXPECT_EQ(v.valleyIndex, -1);  // the two -2 turns beside the spike tie, neither is strict
    // Without neighbours there is no line: invalid, distance 0.
    const Bends alone = run(spike, 1, 0);
    EXPECT_EQ(cv::Vec3f(alone.peakIndex, alone.peakValid, alone.peakDistance), cv::Vec3f(10, 0, 0));
}

TEST(CurvePeakValley, TooShortOrBadArgumentsGiveNeutralResults) {
    std::vector<Point2f> twenty;
    for (int i = 0; i < 20; ++i) twenty.emplace_back(float(i), float(i * i % 7));
    for (const auto& [step, window] : {std::pair{10, 2}, std::pair{2, 10}, std::pair{-3, 2}}) {
        SCOPED_TRACE(testing::Message() << step << " " << window);
        expectNoBends(run(twenty, step, window), 0, 0);
    }
    // Null optional outputs are allowed.
    EXPECT_EQ(run(vShape(), 2, 4, false).peakIndex, 10);
    EXPECT_EQ(run({}, 0, 0, false).peakIndex, -1);
}

}  // namespace
