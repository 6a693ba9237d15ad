#include <gtest/gtest.h>

#include "tivra/analysis/CircleFitting.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct TrueCircle {
    double cx, cy, r;
};

// n points on an arc of the circle from startDeg over spanDeg, with Gaussian radial noise.
std::vector<cv::Point2f> arcPoints(const TrueCircle& c, double startDeg, double spanDeg, int n, double sigma,
                                   unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    const bool full = spanDeg >= 360.0;
    std::vector<cv::Point2f> pts;
    for (int i = 0; i < n; ++i) {
        const double t = (startDeg + spanDeg * i / (full ? n : n - 1)) * kPi / 180.0;
        const double rr = c.r + (sigma > 0 ? noise(rng) : 0.0);
        pts.emplace_back(float(c.cx + rr * std::cos(t)), float(c.cy + rr * std::sin(t)));
    }
    return pts;
}

// Outliers uniform in the square of side 3 r around the centre, interleaved with the
// circle points so that no part of the list is free of them.
std::vector<cv::Point2f> withBoxOutliers(const std::vector<cv::Point2f>& inliers, const TrueCircle& c,
                                         size_t count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coord(-1.5 * c.r, 1.5 * c.r);
    std::vector<cv::Point2f> all;
    for (size_t i = 0; i < std::max(inliers.size(), count); ++i) {
        if (i < inliers.size())
            all.push_back(inliers[i]);
        if (i < count) {
            const float y = float(c.cy + coord(rng));  // one draw per statement: same points with every compiler
            all.emplace_back(float(c.cx + coord(rng)), y);
        }
    }
    return all;
}

double centreError(const cv::Point2f& centre, const TrueCircle& c)
{
    return std::hypot(centre.x - c.cx, centre.y - c.cy);
}

void expectCircle(const cv::Point2f& c, float r, const TrueCircle& truth, double tolerance, const std::string& what = "")
{
    EXPECT_LT(centreError(c, truth), tolerance) << what;
    EXPECT_NEAR(r, truth.r, tolerance) << what;
}

using RobustFit = std::function<bool(const std::vector<cv::Point2f>&, cv::Point2f&, float&, int, float, float, float)>;

// The fitters without a bool result report "no circle" by radius 0.
std::map<std::string, RobustFit> robustFitters()
{
    auto byRadius = [](void (*f)(const std::vector<cv::Point2f>&, cv::Point2f&, float&, int, float, float, float)) {
        return [f](const std::vector<cv::Point2f>& p, cv::Point2f& c, float& r, int it, float t, float lo, float hi) {
            f(p, c, r, it, t, lo, hi);
            return r > 0.0f;
        };
    };
    return {{"RANSAC", byRadius(EA::fitCircleRANSAC)}, {"RANSAC2", byRadius(EA::fitCircleRANSAC2)},
            {"USAC", byRadius(EA::fitCircleUSAC)},     {"ChatGPT", EA::fitCircleChatGPT},
            {"ChatGPTv2", EA::fitCircleChatGPTv2},     {"GeminiPro", EA::fitCircleGeminiPro},
            {"GeminiUltra", EA::fitCircleGeminiUltra}, {"ClaudeOpus45", EA::fitCircleClaudeOpus45},
            {"ClaudeOpus45v2", EA::fitCircleClaudeOpus45v2}};
}

void expectFit(const std::string& name, const std::vector<cv::Point2f>& pts, int iterations, float threshold,
               const TrueCircle& truth, double tolerance)
{
    cv::Point2f c;
    float r = 0;
    ASSERT_TRUE(robustFitters().at(name)(pts, c, r, iterations, threshold, 0, 0)) << name;
    expectCircle(c, r, truth, tolerance, name);
}

}  // namespace

TEST(CircleClosedForm, ExactAndDegeneratePointSets)
{
    // Centre 1500 px out: sums of raw cubes would swamp the circle's own signal.
    const TrueCircle near{37.5, -12.25, 10.0}, far{1500.25, 1400.75, 20.0};
    for (const auto& [truth, pts] : {std::pair{near, arcPoints(near, 0, 360, 4, 0, 1)},
                                     {near, arcPoints(near, 10, 250, 4, 0, 1)}, {far, arcPoints(far, 30, 120, 50, 0, 1)}}) {
        const double tolerance = truth.r == near.r ? 1e-4 : 2e-3;
        cv::Point2f c;
        float r = 0;
        EA::fitCircleFromPoints(pts, c, r);
        EXPECT_LT(centreError(c, truth), tolerance) << "FromPoints " << truth.cx;
        ASSERT_TRUE(EA::fitCircleTaubin(pts, c, r));
        expectCircle(c, r, truth, tolerance, "Taubin");
        if (truth.r == near.r) {
            ASSERT_TRUE(EA::fitCircleLeastSquares(pts, c, r));
            expectCircle(c, r, truth, 1e-3, "LeastSquares");
        }
    }
    // Too few or collinear points: the fits that can refuse do so and leave their outputs alone.
    std::vector<cv::Point2f> slanted;
    for (int i = 0; i < 20; ++i)
        slanted.emplace_back(1000.3f + 0.1f * i, 900.7f + 0.7f * i);
    const std::vector<cv::Point2f> two{{0, 0}, {4, 0}}, level{{0, 5}, {2, 5}, {4, 5}};
    cv::Point2f c(7, 8);
    float r = 9;
    for (const auto& pts : {two, level, slanted}) {
        EXPECT_FALSE(EA::fitCircleLeastSquares(pts, c, r)) << pts.size();
        EXPECT_FALSE(EA::fitCircleTaubin(pts, c, r)) << pts.size();
    }
    EXPECT_FALSE(EA::fitCircleHoughTransform(two, c, r));
    EXPECT_EQ(cv::Vec3f(c.x, c.y, r), cv::Vec3f(7, 8, 9));
    // fitCircleFromPoints always answers: no points give an empty circle (no NaN), one point
    // itself, points along an axis (moment determinant exactly 0) their mean and mean distance.
    for (const auto& [pts, expected] : {std::pair{std::vector<cv::Point2f>{}, cv::Vec3f(0, 0, 0)},
                                        {{{3, 4}}, cv::Vec3f(3, 4, 0)}, {level, cv::Vec3f(2, 5, 4.0f / 3.0f)}}) {
        EA::fitCircleFromPoints(pts, c, r);
        EXPECT_LT(cv::norm(cv::Vec3f(c.x, c.y, r) - expected), 1e-6) << pts.size();
    }
    // Along a slanted line float rounding leaves a tiny determinant: still a line.
    EA::fitCircleFromPoints(slanted, c, r);
    EXPECT_LT(cv::norm(c - cv::Point2f(1000.3f + 0.95f, 900.7f + 6.65f)), 1.5e-3);
    EXPECT_LT(r, 5.0f);
}

TEST(CircleHough, FindsARenderedCircleRefusesFlatOrHugeSetsAndPicksTheLargest)
{
    const TrueCircle truth{240.3, 180.6, 40.0};
    cv::Point2f c;
    float r = 0;
    ASSERT_TRUE(EA::fitCircleHoughTransform(arcPoints(truth, 0, 360, 300, 0, 1), c, r));
    EXPECT_LT(centreError(c, truth), 2.5);
    // The points are rendered as blurred discs cut off at their bounding box: the voting
    // sees the inner edge of that ring, a few pixels inside the points.
    EXPECT_GE(r, truth.r - 5.0);
    EXPECT_LE(r, truth.r + 1.0);
    EXPECT_EQ(cv::Vec2f(c.x, r), cv::Vec2f(std::round(c.x), std::round(r)));  // whole pixels

    EXPECT_FALSE(EA::fitCircleHoughTransform({{10, 5}, {20, 5}, {30, 5}}, c, r));  // zero-height box
    EXPECT_EQ(cv::Vec3f(c.x, c.y, r), cv::Vec3f(-1, -1, -1));
    EXPECT_FALSE(EA::fitCircleHoughTransform({{0, 0}, {1e8f, 0}, {0, 1e8f}}, c, r));
    EXPECT_FALSE(EA::fitCircleHoughTransform({{0, 0}, {NAN, 3}, {5, 1}}, c, r));
    EXPECT_EQ(EA::selectBestFitCircle({}, 0.5f), cv::Vec3f(0, 0, 0));
    for (float ratio : {0.5f, 0.1f})
        EXPECT_EQ(EA::selectBestFitCircle({{1, 2, 5}, {3, 4, 12}, {5, 6, 7}}, ratio), cv::Vec3f(3, 4, 12));
}

TEST(CircleRobust, ExactCircleRadiusBoundsDegenerateInputsAndPointsWithoutPosition)
{
    // Bounds of zero or below mean none; the MSAC fitters take bounds given in reverse. Fitters
    // that reset their outputs first report "no circle" as (0, 0) and radius 0; the others write
    // them only on success. Points without a position are left out.
    const TrueCircle truth{320.5, 240.25, 50.0}, ring{150.5, 160.5, 40.0};
    const auto pts = arcPoints(truth, 0, 360, 40, 0, 1);
    std::vector<cv::Point2f> line, holed = arcPoints(ring, 0, 360, 60, 0.1, 3);
    for (int i = 0; i < 30; ++i)
        line.emplace_back(10.0f + 3.0f * i, 20.0f + 2.0f * i);
    holed[7] = cv::Point2f(NAN, 3.0f);
    holed[30] = cv::Point2f(INFINITY, NAN);
    const std::vector<cv::Point2f> two{{0, 0}, {4, 0}};
    for (const auto& [name, fit] : robustFitters()) {
        const bool msac = name.rfind("ChatGPT", 0) == 0;
        for (auto [lo, hi, found] : {std::tuple{0.f, 0.f, true}, {-1.f, -1.f, true}, {55.f, 45.f, msac},
                                     {60.f, 0.f, false}, {0.f, 40.f, false}, {45.f, 55.f, true}}) {
            cv::Point2f c;
            float r = 0;
            EXPECT_EQ(fit(pts, c, r, 100, 0.5f, lo, hi), found) << name << " " << lo << ".." << hi;
            if (found)
                expectCircle(c, r, truth, 1e-2, name);
        }
        cv::Point2f c(7, 8);
        float r = 9;
        EXPECT_FALSE(fit(line, c, r, 200, 1.0f, 0, 0)) << name;
        const bool resets = name == "RANSAC" || name == "RANSAC2" || name == "USAC" || name == "ClaudeOpus45v2";
        EXPECT_EQ(cv::Vec3f(c.x, c.y, r), resets ? cv::Vec3f(0, 0, 0) : cv::Vec3f(7, 8, 9)) << name;
        EXPECT_FALSE(fit({}, c, r, 100, 1.0f, 0, 0)) << name;
        EXPECT_FALSE(fit(two, c, r, 100, 1.0f, 0, 0)) << name;
        expectFit(name, holed, 300, 0.4f, ring, 0.5);
    }
    cv::Point2f c(7, 8);
    float r = 9;
    EXPECT_FALSE(EA::fitCircleGeminiPro(two, c, r, 100, 1.0f, 0, 0));
    EXPECT_EQ(cv::Vec3f(c.x, c.y, r), cv::Vec3f(0, 0, 0));
    c = cv::Point2f(7, 8);
    EXPECT_FALSE(EA::fitCircleChatGPT(arcPoints({0, 0, 5}, 0, 360, 10, 0, 1), c, r, 0, 1.0f, 0, 0)); // no iterations
    EXPECT_EQ(c, cv::Point2f(7, 8));
}

TEST(CircleRobust, RansacMakesNoMoreIterationsThanPointsAndEveryFitIsRepeatable)
{
    // Every iteration draws three indices with rand(): the generator's position after the
    // call tells how many iterations ran.
    const auto five = arcPoints({50, 50, 20}, 0, 360, 5, 0, 1);
    for (auto [maxIterations, draws] : {std::pair{100, 15}, {3, 9}}) {
        cv::Point2f c;
        float r = 0;
        EA::fitCircleRANSAC(five, c, r, maxIterations, 0.5f, 0, 0);
        const int next = std::rand();
        std::srand(0);
        for (int i = 0; i < draws; ++i)
            std::rand();
        EXPECT_EQ(std::rand(), next) << maxIterations;
    }
    const TrueCircle truth{400, 300, 80};
    const auto pts = withBoxOutliers(arcPoints(truth, 0, 200, 120, 0.5, 3), truth, 80, 4);
    for (const auto& [name, fit] : robustFitters()) {
        cv::Point2f c1, c2;
        float r1 = 0, r2 = 0;
        fit(pts, c1, r1, 300, 1.5f, 0, 0);
        std::srand(977);  // a caller's own use of rand() in between does not matter
        fit(pts, c2, r2, 300, 1.5f, 0, 0);
        EXPECT_EQ(cv::Vec3f(c1.x, c1.y, r1), cv::Vec3f(c2.x, c2.y, r2)) << name;
    }
}

TEST(CircleRobust, FindQuarterArcsFullCirclesAndHardArcsAmongOutliersWithBandsThatStopShrinkingAtTheNoise)
{
    // 90 degrees of a radius-100 circle, 100 points, sigma 0.2, as many outliers as circle
    // points: no estimator gets the centre closer than about 0.23 px (RMS), and fitters that
    // settle on the inliers of a three-point circle (RANSAC, USAC, ChatGPT) see a shorter arc.
    // On a full circle the minimum enclosing circle of the inlier band sits up to a threshold out.
    const TrueCircle arc{1000.4, 950.7, 100.0}, full{640.2, 480.9, 60.0};
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const auto arcPts = withBoxOutliers(arcPoints(arc, 20, 90, 100, 0.2, seed), arc, 100, seed + 10);
        const auto fullPts = withBoxOutliers(arcPoints(full, 0, 360, 120, 0.2, seed), full, 50, seed + 20);
        for (const auto& [name, fit] : robustFitters()) {
            if (name != "RANSAC" && name != "USAC" && name != "ChatGPT")
                expectFit(name, arcPts, 1000, 0.6f, arc, name == "GeminiUltra" ? 3 * 0.23 : 2.0);
            expectFit(name, fullPts, 500, 0.6f, full, name == "USAC" ? 1.5 : 1.0);
        }
    }
    // 30 % inliers: a clean sample turns up once in 37 draws, so a search that stops
    // after a handful of samples misses the circle.
    const TrueCircle truth{500.5, 500.5, 80.0};
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const auto pts = withBoxOutliers(arcPoints(truth, 0, 360, 60, 0.2, seed), truth, 140, seed + 30);
        for (const char* name : {"USAC", "GeminiUltra", "ClaudeOpus45v2"})
            expectFit(name, pts, 2000, 0.6f, truth, 1.5);
    }
    // The smallest circle around a quarter arc of radius 100 has radius 71 (half the chord).
    expectFit("USAC", arcPoints({300.5, 200.5, 100.0}, 10, 90, 80, 0.1, 5), 500, 0.5f, {300.5, 200.5, 100.0}, 2.0);
    // 45 degrees of radius 20 bow out only 1.5 px against noise sigma 1, so a 3-sigma band holds
    // a near-straight line too. 1000 points still fix the centre to about 1.4 px (RMS).
    expectFit("GeminiUltra", arcPoints({700.5, 720.5, 20.0}, 30, 45, 1000, 1.0, 9), 1000, 3.0f, {700.5, 720.5, 20.0},
              5.0);
    auto clumped = arcPoints({200, 200, 50}, 0, 360, 60, 0.1, 7);
    clumped.insert(clumped.end(), 40, cv::Point2f(120, 120));  // a stuck edge detector: density weighting
    expectFit("ClaudeOpus45v2", clumped, 500, 0.4f, {200, 200, 50}, 0.5);
    // Shrinking bands stop at the noise. Threshold 3 sigma: bands of 0.375 x threshold would keep
    // only the middle 70 % of the noise and pin the circle to where the first estimate put it.
    const TrueCircle banded{400.5, 300.5, 100.0};
    double sumSq = 0;
    const int runs = 40;
    for (int seed = 1; seed <= runs; ++seed) {
        cv::Point2f c;
        float r = 0;
        ASSERT_TRUE(EA::fitCircleClaudeOpus45v2(arcPoints(banded, 15.0 * seed, 90, 1000, 0.5, unsigned(seed)), c, r,
                                                1000, 1.5f, 0, 0));
        sumSq += std::pow(centreError(c, banded), 2);
    }
    // The statistical bound for 1000 points on this arc is 0.183 px RMS.
    EXPECT_LT(std::sqrt(sumSq / runs), 1.1 * 0.183);
}

TEST(CircleSpread, RadiiAndDiametersAcrossContoursAndDegenerateCounts)
{
    const cv::Point2f centre(10, 20);
    float mean = 0, max = 0, min = 0;
    cv::Point2f maxPt, minPt;
    EA::FindMeanMaxMinRadius({{13, 20}, {10, 24}, {13, 24}}, centre, mean, max, min, maxPt, minPt);  // 3, 4, 5 away
    EXPECT_EQ(cv::Vec3f(mean, max, min), cv::Vec3f(4, 5, 3));
    EXPECT_EQ(cv::Vec4f(maxPt.x, maxPt.y, minPt.x, minPt.y), cv::Vec4f(13, 24, 13, 20));
    EA::FindMeanMaxMinRadius({}, centre, mean, max, min, maxPt, minPt);
    EXPECT_EQ(cv::Vec3f(mean, max, min), cv::Vec3f(0, FLT_MIN, FLT_MAX));
    // Eight points of an ellipse with semi-axes 12 and 8: opposite points j and j + 4.
    std::vector<cv::Point2f> pts;
    for (int j = 0; j < 8; ++j)
        pts.emplace_back(float(50 + 12 * std::cos(j * kPi / 4)), float(60 + 8 * std::sin(j * kPi / 4)));
    const double diagonal = 2 * std::hypot(12 * std::cos(kPi / 4), 8 * std::sin(kPi / 4));
    cv::Point2f a, b, c, d;
    EA::FindMeanMaxMinDiameter(8, pts, {}, mean, max, min, a, b, c, d);
    EXPECT_LT(cv::norm(cv::Vec3f(mean, max, min) - cv::Vec3f(float(24 + 16 + 2 * diagonal) / 4, 24, 16)), 1e-4);
    EXPECT_EQ((std::vector<cv::Point2f>{a, b, c, d}), (std::vector<cv::Point2f>{pts[0], pts[4], pts[2], pts[6]}));
    // One point, counts past the list and coinciding points give zeros; two points one chord.
    for (auto [count, points] : {std::pair{1, pts}, {100, pts}, {4, std::vector<cv::Point2f>(4, cv::Point2f(3, 3))}}) {
        EA::FindMeanMaxMinDiameter(count, points, {}, mean, max, min, a, b, c, d);
        EXPECT_EQ(cv::Vec3f(mean, max, min), cv::Vec3f(0, 0, 0)) << count;
    }
    EA::FindMeanMaxMinDiameter(2, pts, {}, mean, max, min, a, b, c, d);
    EXPECT_NEAR(mean, cv::norm(pts[0] - pts[1]), 1e-4);
    EXPECT_EQ(cv::Vec2f(max, min), cv::Vec2f(mean, mean));
}
