#include "tivra/analysis/LineFitting.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

namespace {

using cv::Point2f;
using Points = std::vector<Point2f>;
using Fits = std::vector<std::pair<std::string, std::function<void(cv::Vec4f&)>>>;

// Angle between the fitted direction and the true one, in degrees, ignoring sign.
double angleErrorDeg(const cv::Vec4f& l, double trueAngleDeg) {
    const double a = std::atan2(l[1], l[0]) * 180.0 / CV_PI;
    double diff = std::fmod(std::fabs(a - trueAngleDeg), 180.0);
    return std::min(diff, 180.0 - diff);
}

// Distance of a point known to lie on the true line from the fitted line.
double offsetError(const cv::Vec4f& l, const Point2f& onTrueLine) {
    const double len = std::hypot(l[0], l[1]);
    return std::fabs(l[0] * (onTrueLine.y - l[3]) - l[1] * (onTrueLine.x - l[2])) / len;
}

// Points along a line through `origin` at angle `deg`, Gaussian noise across it and a
// share of uniform outliers in a 200 x 200 box, from a fixed seed.
Points noisyLine(Point2f origin, double deg, double noise, double outlierShare, int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::normal_distribution<double> across(0.0, noise);
    std::uniform_real_distribution<double> along(-80.0, 80.0), box(0.0, 200.0), coin(0.0, 1.0);
    const double c = std::cos(deg * CV_PI / 180.0), s = std::sin(deg * CV_PI / 180.0);
    Points pts;
    for (int i = 0; i < n; ++i) {
        if (coin(gen) < outlierShare) {
            // One draw per statement: compilers order call arguments differently, and
            // every compiler must test the same points (y is drawn first, as GCC did).
            const float y = float(box(gen));
            pts.emplace_back(float(box(gen)), y);
        } else {
            const double t = along(gen), e = noise > 0 ? across(gen) : 0.0;
            pts.emplace_back(float(origin.x + t * c - e * s), float(origin.y + t * s + e * c));
        }
    }
    return pts;
}

TEST(LineFitting, TwoPointsGiveTheLineThroughThemTooFewOrIdenticalNone) {
    // Levenberg-Marquardt: a horizontal spread has no (b, lambda - a) direction.
    const Points two{{0, 0}, {10, 0}};
    for (const auto& [name, fit] : Fits{
             {"LeastSquares", [&](cv::Vec4f& l) { EA::fitLineLeastSquares(two, l); }},
             {"Taubin", [&](cv::Vec4f& l) { EA::fitLineTaubin(two, l); }},
             {"RANSAC", [&](cv::Vec4f& l) { EA::fitLineRANSAC(two, l, 100, 1.0, 2); }},
             {"LevenbergMarquardt", [&](cv::Vec4f& l) { EA::fitLineLevenbergMarquardt(two, l); }},
             {"GeminiPro", [&](cv::Vec4f& l) { EA::fitLineGeminiPro(two, l, 50, 1.0, 1, 2); }},
             {"ClaudeOpus45", [&](cv::Vec4f& l) { EA::fitLineClaudeOpus45(two, l, 50, 1.0, 2); }}}) {
        cv::Vec4f l(9, 9, 9, 9);
        fit(l);
        EXPECT_FLOAT_EQ(name == "ClaudeOpus45" ? l[0] : std::fabs(l[0]), 1.0f) << name;
        EXPECT_NEAR(l[1], 0.0f, 1e-7f) << name;
        EXPECT_NEAR(l[3], 0.0f, 1e-6f) << name;
    }
    // Too few points, identical points, or fewer inliers than asked for: no line, and either
    // zeros or the output left alone. RANSAC: one point cannot give two distinct draws.
    const Points one{{3, 4}}, same(6, Point2f(4, 4)), twenty = noisyLine({100, 100}, 30, 0.0, 0.0, 20, 1);
    const cv::Vec4f sentinel(9, 8, 7, 6), zero(0, 0, 0, 0);
    for (const auto& [fit, expected] : std::vector<std::pair<std::function<void(cv::Vec4f&)>, cv::Vec4f>>{
             {[&](cv::Vec4f& l) { EA::fitLineLeastSquares(one, l); }, zero},
             {[&](cv::Vec4f& l) { EA::fitLineUSAC(one, l); }, zero},
             {[&](cv::Vec4f& l) { EA::fitLineTaubin({}, l); }, zero},
             {[&](cv::Vec4f& l) { EA::fitLineChatGPT(one, l, 100, 1.0, 1); }, zero},
             {[&](cv::Vec4f& l) { EA::fitLineRANSAC(one, l, 100, 1.0, 1); }, sentinel},
             {[&](cv::Vec4f& l) { EA::fitLineLeastSquaresUSAC(one, l, 100, 1.0f); }, sentinel},
             {[&](cv::Vec4f& l) { EA::fitLineRANSAC(same, l, 10, 1.0, 2); }, sentinel},
             {[&](cv::Vec4f& l) { EA::fitLineChatGPT(same, l, 10, 1.0, 2); }, zero},
             {[&](cv::Vec4f& l) { EA::fitLineKMeans(same, l); }, sentinel},
             {[&](cv::Vec4f& l) { EA::fitLineRANSAC(twenty, l, 100, 1.0, 21); }, sentinel}}) {
        cv::Vec4f l = sentinel;
        fit(l);
        EXPECT_EQ(l, expected);
    }
    cv::Vec4f l = sentinel;
    EA::fitLineLevenbergMarquardt(same, l);
    EXPECT_TRUE(cv::checkRange(l));
    EXPECT_EQ(l[2], 4.0f);
    l = sentinel;
    testing::internal::CaptureStderr();
    EA::fitLineKMeans(one, l);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Need at least two points to fit a line.\n");
    EXPECT_EQ(l, sentinel);
    EXPECT_THROW(EA::fitLineLevenbergMarquardt(one, l), std::runtime_error);
    EA::fitLineRANSAC(twenty, l, 100, 1.0, 20);
    EXPECT_LT(angleErrorDeg(l, 30), 1e-3);
}

TEST(LineFitting, LinearCurvesAndTheLeastSquaresFamilyMatchExactLinesAndOpenCv) {
    Points diagonal, vertical;
    for (int x = -3; x <= 5; ++x) diagonal.emplace_back(float(x), float(2 * x + 1));
    for (int y = 0; y < 8; ++y) vertical.emplace_back(5.0f, float(y * 3));
    for (int method : {0, 1, 2}) {
        EXPECT_LT(cv::norm(EA::fitLinearCurve(diagonal, method) - cv::Vec3f(2, 1, 1)), 2e-4) << method;
        EXPECT_EQ(EA::fitLinearCurve(vertical, method), cv::Vec3f(std::numeric_limits<float>::infinity(), 5, 1)) << method;
    }
    // Too few points (robust needs five inliers) give an invalid curve.
    EXPECT_EQ(EA::fitLinearCurve({{1, 1}}, 0), cv::Vec3f(0, 0, 0));
    EXPECT_EQ(EA::fitLinearCurve({{1, 1}, {2, 2}, {3, 3}}, 1), cv::Vec3f(0, 0, 0));
    const Points pts = noisyLine({90, 110}, 72, 0.8, 0.0, 150, 3);
    cv::Vec4f ref;
    cv::fitLine(pts, ref, cv::DIST_L2, 0, 1e-6, 1e-6);
    const double refAngle = std::atan2(ref[1], ref[0]) * 180.0 / CV_PI;
    const Point2f refPoint(ref[2], ref[3]);
    for (auto& [name, fit] : Fits{{"LeastSquares", [&](cv::Vec4f& l) { EA::fitLineLeastSquares(pts, l); }},
                                  {"Taubin", [&](cv::Vec4f& l) { EA::fitLineTaubin(pts, l); }},
                                  {"LevenbergMarquardt", [&](cv::Vec4f& l) { EA::fitLineLevenbergMarquardt(pts, l); }}}) {
        cv::Vec4f l;
        fit(l);
        EXPECT_NEAR(std::hypot(l[0], l[1]), 1.0, 1e-5) << name;
        EXPECT_LT(angleErrorDeg(l, refAngle), 1e-3) << name;
        EXPECT_LT(offsetError(l, refPoint), 1e-3) << name;
    }
}

TEST(LineFitting, RobustFittersIgnoreOutliersAndSampleUntilACleanPairIsLikely) {
    const Point2f origin(100, 90);
    for (double angle : {0.0, 35.0, 90.0, 151.0}) {
        const Points pts = noisyLine(origin, angle, 0.5, 0.4, 200, 11 + unsigned(angle));
        for (auto& [name, fit] : Fits{
            {"RANSAC", [&](cv::Vec4f& l) { EA::fitLineRANSAC(pts, l, 500, 1.5, 10); }},
            {"ChatGPT", [&](cv::Vec4f& l) { EA::fitLineChatGPT(pts, l, 300, 1.5, 10); }},
            {"LeastSquaresUSAC", [&](cv::Vec4f& l) { EA::fitLineLeastSquaresUSAC(pts, l, 500, 1.5f); }},
            {"ClaudeOpus45", [&](cv::Vec4f& l) { EA::fitLineClaudeOpus45(pts, l, 300, 1.5, 10); }},
            {"GeminiPro0", [&](cv::Vec4f& l) { EA::fitLineGeminiPro(pts, l, 300, 1.5, 0, 10); }},
            {"GeminiPro1", [&](cv::Vec4f& l) { EA::fitLineGeminiPro(pts, l, 300, 1.5, 1, 10); }},
            {"GeminiPro2", [&](cv::Vec4f& l) { EA::fitLineGeminiPro(pts, l, 300, 1.5, 2, 10); }}}) {
            cv::Vec4f l(0, 0, 0, 0), again(0, 0, 0, 0);
            fit(l);
            fit(again);
            EXPECT_LT(angleErrorDeg(l, angle), 2.0) << name << " at " << angle;
            EXPECT_LT(offsetError(l, origin), 1.0) << name << " at " << angle;
            EXPECT_EQ(l, again) << name << " is not repeatable";
        }
        // Plain least squares is pulled away by the same outliers.
        cv::Vec4f ls;
        EA::fitLineLeastSquares(pts, ls);
        EXPECT_GT(angleErrorDeg(ls, angle) + offsetError(ls, origin), 2.0) << angle;
    }
    // With half the points outliers a two-point sample is clean one time in four;
    // stopping after a handful of samples leaves the refit biased by its band.
    double fitSq = 0, oracleSq = 0;
    for (unsigned seed = 0; seed < 30; ++seed) {
        std::mt19937 gen(seed);
        const double angle = std::uniform_real_distribution<double>(0, 180)(gen);
        const Points pts = noisyLine({200, 200}, angle, 1.0, 0.5, 100, 100 + seed);
        const cv::Vec4f truth(float(std::cos(angle * CV_PI / 180)), float(std::sin(angle * CV_PI / 180)), 200, 200);
        Points inliers;
        for (const Point2f& p : pts)
            if (offsetError(truth, p) < 4.0)
                inliers.push_back(p);
        cv::Vec4f l(0, 0, 0, 0), oracle;
        EA::fitLineLeastSquaresUSAC(pts, l, 1000, 3.0f);
        cv::fitLine(inliers, oracle, cv::DIST_L2, 0, 1e-6, 1e-6);
        fitSq += std::pow(angleErrorDeg(l, angle), 2);
        oracleSq += std::pow(angleErrorDeg(oracle, angle), 2);
    }
    EXPECT_LT(std::sqrt(fitSq), 1.2 * std::sqrt(oracleSq));
}

// ClaudeOpus45 points its direction right or down. GeminiPro without samples, or when no sample
// can have more inliers than there are points, falls back to least squares. K-means spans the
// point range, repeatably and without touching OpenCV's shared generator.
TEST(LineFitting, DirectionsFallbacksAndKMeansSpans) {
    Points leftwards, upwards, ramp, vertical;
    for (int i = 0; i < 10; ++i) {
        leftwards.emplace_back(float(50 - 3 * i), float(20 + i));
        upwards.emplace_back(7.0f, float(90 - 4 * i));
    }
    for (int i = 0; i <= 20; ++i) ramp.emplace_back(float(10 + i), float(0.5 * (10 + i) + 3));
    for (int y = 0; y <= 10; ++y) vertical.emplace_back(3.0f, float(y));
    cv::Vec4f l, again, ref;
    EA::fitLineClaudeOpus45(leftwards, l, 100, 1.0, 3);
    EXPECT_GT(l[0], 0.0f);
    EXPECT_LT(angleErrorDeg(l, std::atan2(1.0, -3.0) * 180.0 / CV_PI), 1e-3);
    EA::fitLineClaudeOpus45(upwards, l, 100, 1.0, 3);
    EXPECT_LT(cv::norm(cv::Vec3f(l[0], l[1], l[2]) - cv::Vec3f(0, 1, 7)), 1e-5);

    const Points pts = noisyLine({60, 60}, 20, 1.0, 0.0, 30, 5);
    EA::fitLineGeminiPro(pts, l, 0, 1.0, 1, 3);
    EA::fitLineGeminiPro(pts, again, 50, 1.0, 1, 31);
    cv::fitLine(pts, ref, cv::DIST_L2, 0, 0.01, 0.01);
    EXPECT_EQ(l, ref);
    EXPECT_EQ(again, ref);

    const uint64 before = cv::theRNG().state;
    EA::fitLineKMeans(ramp, l);
    EXPECT_EQ(cv::theRNG().state, before);
    EXPECT_LT(cv::norm(l - cv::Vec4f(10, 8, 30, 18)), 2e-4);
    EA::fitLineKMeans(ramp, again);
    EXPECT_EQ(l, again);
    EA::fitLineKMeans(vertical, l);
    EXPECT_EQ(l, cv::Vec4f(3, 0, 3, 10));
}

}  // namespace
