#include "tivra/analysis/Geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

using cv::Point2f;
using Points = std::vector<Point2f>;

// The range is closed: 360 stays 360. Far-out and non-finite angles do not hang.
TEST(GeometryAngles, AnglesSweepsPointsOnCirclesAndRotationGrowClockwiseOnScreen) {
    for (auto [in, out] : {std::pair{360.0, 360.0}, {-360.0, 0.0}, {725.0, 5.0}, {720.0, 360.0}, {-90.0, 270.0},
                           {0.0, 0.0}, {360.0 * 1e9 + 45.0, 45.0}, {-360.0 * 1e9 - 45.0, 315.0}, {360.0 * 1e6, 360.0}})
        EXPECT_DOUBLE_EQ(EA::normalizeAngle(in), out) << in;
    for (double in : {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_TRUE(std::isnan(EA::normalizeAngle(in))) << in;
    for (auto [to, angle] : {std::pair{Point2f(0, 1), 90.0}, {Point2f(0, -1), 270.0}, {Point2f(1, 0), 0.0},
                             {Point2f(-1, 0), 180.0}})
        EXPECT_DOUBLE_EQ(EA::calculatepoint2pointAngle({0, 0}, to), angle) << to;
    EXPECT_NEAR(EA::calculatepoint2pointAngle({5, 5}, {6, 4}), 315.0, 1e-9);
    // Three-point angles are signed; line angles run from p2 to p1.
    for (auto [got, expected] : {std::pair{EA::calculate3pointsAngle({1, 0}, {0, 0}, {0, 1}), 90.0},
                                 {EA::calculate3pointsAngle({0, 1}, {0, 0}, {1, 0}), -90.0},
                                 {EA::calculate3pointsAngle({0, 0}, {0, 0}, {0, 1}), 0.0},
                                 {EA::calculate3pointsAngle({3, 4}, {3, 4}, {3, 4}), 0.0},
                                 {std::fabs(EA::calculate3pointsAngle({1, 0}, {0, 0}, {-1, 0})), 180.0},
                                 {EA::calculate3pointsAngle({11, 10}, {10, 10}, {11, 11}), 45.0},
                                 {EA::calculateline2HorizontalAngle({0, 0}, {1, 0}), 180.0},
                                 {EA::calculateline2HorizontalAngle({0, 0}, {0, 1}), -90.0},
                                 {EA::calculateline2HorizontalAngle({1, 1}, {0, 0}), 45.0},
                                 // a2->a1 points up (270), b2->b1 points right (0).
                                 {EA::calculateline2lineAngle({0, 0}, {0, 1}, {1, 0}, {0, 0}), 270.0},
                                 {EA::calculateline2lineAngle({1, 0}, {0, 0}, {0, 0}, {0, 1}), -270.0}})
        EXPECT_NEAR(got, expected, 1e-5);
    // {start, end, counter-clockwise?, start after, end after}; a clockwise sweep that wraps
    // through 0 starts below 0 after conversion.
    for (auto [s, e, ccw, s2, e2] : {std::tuple{30.0, 90.0, true, 270.0, 330.0}, {270.0, 330.0, false, 30.0, 90.0},
                                     {300.0, 30.0, false, -30.0, 60.0}, {-30.0, 400.0, true, 320.0, 30.0}}) {
        const double start = s;
        ccw ? EA::convertToCounterClockwiseAngles(s, e) : EA::convertToClockwiseAngles(s, e);
        EXPECT_EQ(cv::Vec2d(s, e), cv::Vec2d(s2, e2)) << start;
    }
    EXPECT_EQ(EA::pointOnCircle({10.9f, 10.9f}, 5.0, 0.0), cv::Point(15, 10));
    EXPECT_EQ(EA::pointOnCircle({0, 0}, 10.0, 90.0), cv::Point(0, 10));
    // cos(120 deg) * 3 = -1.5 truncates to -1, not -2.
    EXPECT_EQ(EA::pointOnCircle({0, 0}, 3.0, 120.0), cv::Point(-1, 2));
    // Beyond the int range the coordinates saturate (a NaN one becomes 0).
    EXPECT_EQ(EA::pointOnCircle({0, 0}, 1e30, 0.0), cv::Point(INT_MAX, 0));
    EXPECT_EQ(EA::pointOnCircle({0, 0}, 1e30, 180.0), cv::Point(INT_MIN, INT_MAX));
    EXPECT_EQ(EA::pointOnCircle({0, 0}, NAN, 0.0), cv::Point(0, 0));
    const Point2f r = EA::rotatePoint({11, 5}, {10, 5}, 90.0);
    EXPECT_LT(cv::norm(r - Point2f(10, 6)), 1e-6);  // right of centre turns to below it
    EXPECT_LT(cv::norm(EA::rotatePoint(r, {10, 5}, -90.0) - Point2f(11, 5)), 1e-6);
}

// Distances below a rightward line are clockwise on screen: negative. Direction forms
// (vx, vy, x0, y0) with a non-unit direction still give the true distance; (0, 2) lies sqrt(2) off y = x.
TEST(GeometryDistances, EveryForm) {
    const float inf = std::numeric_limits<float>::infinity();
    for (auto [got, expected] : {std::pair{EA::point2pointDistance(Point2f(0, 0), Point2f(3, 4)), 5.0},
                                 {EA::point2pointDistance(1.0, 1.0, 4.0, 5.0), 5.0},
                                 {EA::point2LineDistance({0, 0}, {10, 0}, {5, 3}), -3.0},
                                 {EA::point2LineDistance({0, 0}, {10, 0}, {5, -3}), 3.0},
                                 {EA::point2LineDistance({2, 2}, {2, 2}, {5, 3}), 0.0},
                                 {EA::point2LineSegmentDistance({0, 0}, {10, 0}, {5, 2}), 2.0},
                                 {EA::point2LineSegmentDistance({0, 0}, {10, 0}, {13, 4}), 5.0},
                                 {EA::point2LineSegmentDistance({0, 0}, {10, 0}, {-3, -4}), 5.0},
                                 {EA::point2LineSegmentDistance({2, 2}, {2, 2}, {5, 6}), 5.0},
                                 {EA::pointToCircleEdgeDistance(Point2f(0, 0), Point2f(3, 4), 2.0), 3.0},
                                 {EA::pointToCircleEdgeDistance(3.0, 4.0, 3.0, 4.0, 2.0), 2.0},
                                 {EA::pointLineDistance({5, 7}, cv::Vec4f(2, 0, 0, 1)), 6.0},
                                 {EA::pointToLineDistance({5, 7}, cv::Vec4f(1, 0, 0, 1)), 6.0},
                                 {EA::pointToLineDistance({3, 7}, cv::Vec4f(0, 1, 1, 0)), 2.0},
                                 {EA::pointToLinearCurveDistance({0, 2}, cv::Vec2f(1, 0), 1.0f), std::sqrt(2.0)},
                                 {EA::pointToLinearCurveDistance({8, 100}, cv::Vec2f(inf, 5), 1.0f), 3.0},
                                 {EA::pointToLinearCurveDistance({8, 100}, cv::Vec2f(1, 0), 0.0f), 0.0},
                                 // Annulus sectors: between the radii inside the sweep 0..90 (below-right on
                                 // screen), a sweep wrapping through 0 (300..30) contains 0; outside the sweep the
                                 // nearer radial gap, unless a corner ((110, 100) for (100, 70)) is nearer.
                                 {EA::pointToAnnulusEdgeDistance(130, 100, {100, 100}, 50, 20, 0, 90), 0.0},
                                 {EA::pointToAnnulusEdgeDistance(160, 100, {100, 100}, 50, 20, 0, 90), 10.0},
                                 {EA::pointToAnnulusEdgeDistance(110, 100, {100, 100}, 50, 20, 0, 90), 10.0},
                                 {EA::pointToAnnulusEdgeDistance(130, 100, {100, 100}, 50, 20, 300, 30), 0.0},
                                 {EA::pointToAnnulusEdgeDistance(100, 70, {100, 100}, 50, 10, 0, 90), 20.0},
                                 {EA::pointToAnnulusEdgeDistance(160, 90, {100, 100}, 50, 40, 0, 90),
                                  std::hypot(60.0, 10.0) - 50.0}})
        EXPECT_NEAR(got, expected, 1e-6);
    Point2f mid, foot;
    float dist = 0;
    EA::calcuMidPointAndDistance({0, 0}, {6, 8}, mid, dist);
    EXPECT_EQ(cv::Vec3f(mid.x, mid.y, dist), cv::Vec3f(3, 4, 10));
    // The foot of the perpendicular is not clamped to the segment.
    EXPECT_DOUBLE_EQ(EA::Point2LineDistanceAndPoint({0, 0}, {10, 0}, {20, 4}, foot), 4.0);
    EXPECT_EQ(foot, Point2f(20, 0));
    EXPECT_DOUBLE_EQ(EA::Point2LineDistanceAndPoint({1, 1}, {1, 1}, {4, 5}, foot), 5.0);
    EXPECT_EQ(foot, Point2f(1, 1));
}

TEST(GeometryLines, LinesIntersectionsBisectorsAndCirclesThroughThreePoints) {
    EXPECT_LT(cv::norm(EA::createLineFromTwoPoints({1, 1}, {4, 5}) - cv::Vec4f(0.6f, 0.8f, 1, 1)), 1e-6);
    cv::Vec4f out(9, 9, 9, 9);
    EXPECT_FALSE(EA::lineFromTwoPoints({2, 3}, {2, 3}, out));
    EXPECT_FALSE(EA::lineFromTwoPoints({0, 0}, {1e-8f, 0}, out));
    EXPECT_EQ(out, cv::Vec4f(9, 9, 9, 9));
    EXPECT_TRUE(EA::lineFromTwoPoints({0, 0}, {0, -2}, out));
    EXPECT_EQ(out, cv::Vec4f(0, -1, 0, 0));
    // Segments include their ends; the infinite line extends beyond its defining points, the
    // segment does not; a miss leaves the output alone.
    using Intersect = bool (*)(const Point2f&, const Point2f&, const Point2f&, const Point2f&, Point2f&);
    const Intersect segments = EA::getLineSegmentIntersection, lineSegment = EA::getLine2LineSegmentIntersection;
    for (auto [intersect, a1, a2, b1, b2, expected] :
         {std::tuple{segments, Point2f(0, 0), Point2f(10, 10), Point2f(0, 10), Point2f(10, 0), Point2f(5, 5)},
          {segments, {0, 0}, {4, 0}, {4, 0}, {4, 5}, {4, 0}},  // parameter 1 on the first, 0 on the second
          {segments, {0, 0}, {4, 0}, {5, -1}, {5, 1}, {-7, -7}},
          {segments, {0, 0}, {4, 0}, {0, 1}, {4, 1}, {-7, -7}},
          {lineSegment, {0, 0}, {1, 0}, {20, -1}, {20, 1}, {20, 0}},
          {lineSegment, {0, 0}, {1, 0}, {20, 1}, {20, 3}, {-7, -7}},
          {lineSegment, {0, 0}, {1, 0}, {0, 1}, {5, 1}, {-7, -7}},
          {EA::getLineIntersection, {0, 0}, {1, 1}, {10, 0}, {9, 1}, {5, 5}},
          {EA::getLineIntersection, {0, 0}, {1, 1}, {0, 1}, {1, 2}, {-7, -7}}}) {
        Point2f out(-7, -7);
        EXPECT_EQ(intersect(a1, a2, b1, b2, out), expected != Point2f(-7, -7)) << a1 << a2 << b1 << b2;
        EXPECT_EQ(out, expected) << a1 << a2 << b1 << b2;
    }
    cv::Vec4f b(1, 2, 3, 4);
    EXPECT_FALSE(EA::calcBisectoroftwolines({3, 3}, {3, 3}, {0, 4}, {10, 4}, b));
    EXPECT_EQ(b, cv::Vec4f(1, 2, 3, 4));
    ASSERT_TRUE(EA::calcBisectoroftwolines({0, 0}, {10, 0}, {0, 0}, {0, 10}, b));
    EXPECT_LT(cv::norm(b - cv::Vec4f(0, 0, std::sqrt(0.5f), std::sqrt(0.5f))), 2e-6);
    ASSERT_TRUE(EA::calcBisectoroftwolines({0, 0}, {10, 0}, {0, 4}, {10, 4}, b));
    EXPECT_EQ(b, cv::Vec4f(5, 2, 1, 0));
    EXPECT_EQ(EA::calcBisectorBoundaryIntersections(cv::Vec4f(20, 5, 1, 0), 100, 50), (Points{{0, 5}, {100, 5}}));
    // The main diagonal passes both corners; each is found once per border it touches.
    EXPECT_EQ(EA::calcBisectorBoundaryIntersections(cv::Vec4f(50, 50, 1, 1), 100, 100),
              (Points{{0, 0}, {100, 100}, {0, 0}, {100, 100}}));
    EXPECT_TRUE(EA::calcBisectorBoundaryIntersections(cv::Vec4f(200, 200, 1, 0), 100, 50).empty());
    Point2f c(1, 1);
    float r = 7;
    EXPECT_FALSE(EA::circleFromThreePoints({0, 0}, {1, 1}, {2, 2}, c, r));
    EXPECT_EQ(cv::Vec3f(c.x, c.y, r), cv::Vec3f(1, 1, 7));
    ASSERT_TRUE(EA::circleFromThreePoints({15, 10}, {10, 15}, {5, 10}, c, r));
    EXPECT_LT(cv::norm(cv::Vec3f(c.x, c.y, r) - cv::Vec3f(10, 10, 5)), 1e-5);
    const double cx = -40.5, cy = 700.25, R = 123.4;
    const auto on = [&](double deg) {
        return Point2f(float(cx + R * std::cos(deg * CV_PI / 180)), float(cy + R * std::sin(deg * CV_PI / 180)));
    };
    ASSERT_TRUE(EA::circleFromThreePoints(on(10), on(130), on(250), c, r));
    EXPECT_LT(cv::norm(cv::Vec3d(c.x, c.y, r) - cv::Vec3d(cx, cy, R)), 1e-3);
}

TEST(GeometryPoints, EquidistantPointsAreTruncatedPolygonCentroidsBoundingBoxesAndRectsInMats) {
    EXPECT_EQ(EA::calculateEquidistantPoints({0, 0}, {10, 0}, 2.5), (Points{{0, 0}, {2, 0}, {5, 0}, {7, 0}, {10, 0}}));
    EXPECT_EQ(EA::calculateEquidistantPoints({1.7f, -2.7f}, {10, 0}, 100.0), (Points{{1, -2}}));
    EXPECT_EQ(EA::calculateEquidistantPoints({3, 3}, {3, 3}, 1.0), (Points{{3, 3}}));
    for (auto [to, spacing] : {std::pair{Point2f(10, 0), -1.0}, {Point2f(10, 0), 0.0}, {Point2f(0, 0), 0.0},
                               {Point2f(1e6f, 0), 1e-300}})
        EXPECT_TRUE(EA::calculateEquidistantPoints({0, 0}, to, spacing).empty()) << spacing;
    // An L of rectangles [0,4]x[0,2] (area 8, centre (2,1)) and [0,2]x[2,6] (area 8, centre (1,4)),
    // either way round.
    const Points lshape{{0, 0}, {4, 0}, {4, 2}, {2, 2}, {2, 6}, {0, 6}};
    for (const auto& polygon : {lshape, Points(lshape.rbegin(), lshape.rend())})
        EXPECT_LT(cv::norm(EA::calcPolygonCenter(polygon) - Point2f(1.5f, 2.5f)), 1e-5);
    // Far from the origin the small area must not drown in the large cross products.
    for (float b : {1000.0f, 20000.0f, 60000.0f}) {
        const Points far{{b + 0.25f, b + 0.75f}, {b + 12.25f, b + 0.75f}, {b + 12.25f, b + 8.75f},
                                       {b + 0.25f, b + 8.75f}};
        EXPECT_LT(cv::norm(EA::calcPolygonCenter(far) - Point2f(b + 6.25f, b + 4.75f)), 0.01) << b;
    }
    EXPECT_EQ(EA::calcPolygonCenter({}), Point2f(-1, -1));
    EXPECT_EQ(EA::calcPolygonCenter({{1, 1}, {5, 5}}), Point2f(-1, -1));
    EXPECT_THROW(EA::calcPolygonCenter({{0, 0}, {1, 1}, {2, 2}}), std::runtime_error);  // zero area
    EXPECT_EQ(EA::findBoundingBox({}), cv::Rect(0, 0, 0, 0));
    // 0.5 -> 0, 2.5 -> 2, 3.5 -> 4, 1.4 -> 1 : no +1 on width or height.
    EXPECT_EQ(EA::findBoundingBox({{0.5f, 1.4f}, {2.5f, 3.5f}}), cv::Rect(0, 1, 2, 3));
    EXPECT_EQ(EA::findBoundingBox({{-1.5f, 7}, {1.5f, 7}}), cv::Rect(-2, 7, 4, 0));
    const cv::Mat m(50, 100, CV_8UC1);
    EXPECT_TRUE(EA::isRectInMat({0, 0, 100, 50}, m));
    EXPECT_FALSE(EA::isRectInMat({1, 0, 100, 50}, m));
    EXPECT_FALSE(EA::isRectInMat({-1, 0, 10, 10}, m));
    EXPECT_FALSE(EA::isRectInMat({2147483000, 0, 1000, 10}, m));  // no int overflow
    EXPECT_EQ(EA::getValidRect({-10, -5, 30, 20}, m), cv::Rect(0, 0, 20, 15));
    EXPECT_EQ(EA::getValidRect({90, 40, 30, 20}, m), cv::Rect(90, 40, 10, 10));
    EXPECT_LE(EA::getValidRect({150, 10, 10, 10}, m).width, 0);
}

}  // namespace
