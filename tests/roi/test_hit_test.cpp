#include "tivra/roi/ROIGeometry.h"
#include "tivra/roi/ROIHitTest.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

namespace {

void ExpectMiss(const ROIHitResult& r)
{
    EXPECT_EQ(cv::Vec3i(r.roiIndex, r.handle, r.vertexIndex), cv::Vec3i(-1, -1, -1));
    EXPECT_EQ(r.distance, FLT_MAX);
}

void ExpectHit(const ROIHitResult& r, int handle, float distance, int vertex = -1)
{
    EXPECT_EQ(cv::Vec3i(r.roiIndex, r.handle, r.vertexIndex), cv::Vec3i(0, handle, vertex));
    EXPECT_NEAR(r.distance, distance, 1e-4);
}

} // namespace

// Segment distances clamp to the ends; a polygon's outline is closed.
TEST(ROIGeometry, DistancesContainmentAndBoundingBox)
{
    EXPECT_FLOAT_EQ(ROIGeometry::DistanceToPoint({0, 0}, {3, 4}), 5.0f);
    for (auto [p, d] : {std::pair{cv::Point2f(5, 3), 3.0f}, {cv::Point2f(-3, 4), 5.0f}, {cv::Point2f(13, 4), 5.0f}})
        EXPECT_FLOAT_EQ(ROIGeometry::DistanceToLine(p, {0, 0}, {10, 0}), d) << p;
    EXPECT_FLOAT_EQ(ROIGeometry::DistanceToLine({3, 4}, {0, 0}, {0, 0}), 5.0f) << "zero-length segment";
    EXPECT_FLOAT_EQ(ROIGeometry::DistanceToCircle({0, 2}, {0, 0}, 5.0f), 3.0f);
    EXPECT_FLOAT_EQ(ROIGeometry::DistanceToCircle({0, 8}, {0, 0}, 5.0f), 3.0f);
    EXPECT_EQ(ROIGeometry::DistanceToPolygon({1, 1}, {{0, 0}}), FLT_MAX);
    EXPECT_EQ(ROIGeometry::DistanceToPolygon({1, 1}, {}), FLT_MAX);
    EXPECT_FLOAT_EQ(ROIGeometry::DistanceToPolygon({5, 2}, {{0, 0}, {10, 0}}), 2.0f);
    EXPECT_FLOAT_EQ(ROIGeometry::DistanceToPolygon({-1, 5}, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}), 1.0f);
    for (auto [p, inside] : {std::pair{cv::Point2f(10, 20), true}, {cv::Point2f(15, 22), false},
                             {cv::Point2f(12, 25), false}, {cv::Point2f(14.9f, 24.9f), true}})
        EXPECT_EQ(ROIGeometry::IsInsideRect(p, cv::Rect2f(10, 20, 5, 5)), inside) << p;
    EXPECT_EQ(ROIGeometry::GetBoundingBox({}), cv::Rect());
    EXPECT_EQ(ROIGeometry::GetBoundingBox({{1.7f, 2.9f}, {5.2f, 8.1f}}), cv::Rect(1, 2, 3, 5));
    EXPECT_EQ(ROIGeometry::GetBoundingBox({{-1.5f, -2.5f}, {1, 1}}), cv::Rect(-1, -2, 2, 3));
    EXPECT_EQ(ROIGeometry::GetBoundingBox({{0, 0}, {1e20f, 1e20f}}), cv::Rect(0, 0, INT_MAX, INT_MAX));
}

// The tolerance is strict; line ends win over the body; rectangle edges and corners over the interior.
TEST(ROIHitTest, EveryShapeByItsHandles)
{
    const cv::Rect2f rect(10, 10, 100, 50);
    ExpectMiss(ROIHitTest::TestPoint({10, 0}, {0, 0}, 10.0f));
    ExpectHit(ROIHitTest::TestPoint({9.99f, 0}, {0, 0}, 10.0f), ROIHandle::Body, 9.99f);
    ExpectMiss(ROIHitTest::TestCircle({0, 15}, {0, 0}, 10.0f, 5.0f));
    ExpectMiss(ROIHitTest::TestLine({3, 3}, {3, 3}, {3, 3}, 10.0f));
    ExpectHit(ROIHitTest::TestLine({5, 1}, {0, 0}, {100, 0}, 10.0f), ROIHandle::LineStart, std::hypot(5.0f, 1.0f));
    ExpectHit(ROIHitTest::TestLine({97, 0}, {0, 0}, {100, 0}, 10.0f), ROIHandle::LineEnd, 3.0f);
    ExpectHit(ROIHitTest::TestLine({50, -3}, {0, 0}, {100, 0}, 10.0f), ROIHandle::Body, 3.0f);
    ExpectMiss(ROIHitTest::TestLine({50, 12}, {0, 0}, {100, 0}, 10.0f));
    ExpectHit(ROIHitTest::TestRectangle({12, 30}, rect, 5.0f), ROIHandle::LeftEdge, 2.0f);
    ExpectHit(ROIHitTest::TestRectangle({110, 30}, rect, 5.0f), ROIHandle::RightEdge, 0.0f);
    ExpectHit(ROIHitTest::TestRectangle({60, 7}, rect, 5.0f), ROIHandle::TopEdge, 3.0f);
    ExpectHit(ROIHitTest::TestRectangle({60, 61}, rect, 5.0f), ROIHandle::BottomEdge, 1.0f);
    ExpectHit(ROIHitTest::TestRectangle({11, 9}, rect, 5.0f), ROIHandle::TopLeftCorner, std::sqrt(2.0f));
    ExpectHit(ROIHitTest::TestRectangle({108, 62}, rect, 5.0f), ROIHandle::BottomRightCorner, std::hypot(2.0f, 2.0f));
    ExpectHit(ROIHitTest::TestRectangle({110, 10}, rect, 5.0f), ROIHandle::TopRightCorner, 0.0f);
    ExpectHit(ROIHitTest::TestRectangle({10, 60}, rect, 5.0f), ROIHandle::BottomLeftCorner, 0.0f);
    ExpectHit(ROIHitTest::TestRectangle({60, 35}, rect, 5.0f), ROIHandle::Body, 0.0f);
    ExpectMiss(ROIHitTest::TestRectangle({10, 70}, rect, 5.0f));  // outside the vertical band
    ExpectMiss(ROIHitTest::TestRectangle({5, 50}, cv::Rect2f(10, 10, 100, 100), 5.0f));
    ExpectMiss(ROIHitTest::TestRectangle({10, 30}, cv::Rect2f(10, 10, 0, 50), 5.0f));
    ExpectMiss(ROIHitTest::TestRectangle({10, 10}, cv::Rect2f(10, 10, 50, 0), 5.0f));
    const float tol = 5.0f;
    const cv::Point2f centre(100, 100);
    std::vector<cv::Point2f> c(4);
    cv::RotatedRect(centre, {80, 40}, 30.0f).points(c.data());
    ExpectMiss(ROIHitTest::TestRotatedRectangle(centre, {c[0], c[1], c[2]}, centre, 30.0f, tol));
    const auto turned = [&](cv::Point2f p) { return ROIHitTest::TestRotatedRectangle(p, c, centre, 30.0f, tol); };
    const cv::Point2f mid23 = (c[2] + c[3]) * 0.5f;
    const cv::Point2f outward = (mid23 - centre) / static_cast<float>(cv::norm(mid23 - centre));
    ExpectHit(turned(mid23 + outward * (1.2f * tol)), ROIHandle::RightEdge, 1.2f * tol);
    ExpectMiss(turned(mid23 + outward * (1.6f * tol)));
    const cv::Point2f mid30 = (c[3] + c[0]) * 0.5f;
    const cv::Point2f inward = (centre - mid30) / static_cast<float>(cv::norm(centre - mid30));
    ExpectHit(turned(mid30 + inward * 2.0f), ROIHandle::BottomEdge, 2.0f);
    ExpectHit(turned((c[1] + c[2]) * 0.5f), ROIHandle::RotateHandle, 0.0f);
    ExpectHit(turned((c[0] + c[1]) * 0.5f + cv::Point2f(1, 0)), ROIHandle::RotateHandle, 1.0f);
    ExpectHit(turned(centre), ROIHandle::Body, 0.0f);
    ExpectMiss(turned({300, 300}));
    // A circle is grabbed by its rim and its centre only, a small one by the rim first; an annulus's
    // rim is a whole circle, not just the swept sector, and its ring body is no target.
    const cv::Point2f origin(0, 0);
    ExpectMiss(ROIHitTest::TestCircle({0, 0}, origin, 0.0f, 5.0f));
    ExpectMiss(ROIHitTest::TestCircle({20, 0}, origin, 40.0f, 5.0f));
    ExpectHit(ROIHitTest::TestCircle({0, 42}, origin, 40.0f, 5.0f), ROIHandle::OuterEdge, 2.0f);
    ExpectHit(ROIHitTest::TestCircle({3, 0}, origin, 40.0f, 5.0f), ROIHandle::Body, 3.0f);
    ExpectHit(ROIHitTest::TestCircle({1, 0}, origin, 3.0f, 5.0f), ROIHandle::OuterEdge, 2.0f);
    ExpectMiss(ROIHitTest::TestAnnulus({0, 0}, origin, 30.0f, 30.0f, 0, 90, 5.0f));
    ExpectMiss(ROIHitTest::TestAnnulus({0, 0}, origin, -1.0f, 30.0f, 0, 90, 5.0f));
    ExpectHit(ROIHitTest::TestAnnulus({1, 1}, origin, 20.0f, 50.0f, 0, 90, 5.0f), ROIHandle::Body, std::sqrt(2.0f));
    ExpectHit(ROIHitTest::TestAnnulus({0, 52}, origin, 20.0f, 50.0f, 0, 90, 5.0f), ROIHandle::OuterEdge, 2.0f);
    ExpectHit(ROIHitTest::TestAnnulus({-51, 0}, origin, 20.0f, 50.0f, 0, 90, 5.0f), ROIHandle::OuterEdge, 1.0f);
    ExpectHit(ROIHitTest::TestAnnulus({0, 21}, origin, 20.0f, 50.0f, 0, 90, 5.0f), ROIHandle::InnerEdge, 1.0f);
    ExpectHit(ROIHitTest::TestAnnulus({35, -3}, origin, 20.0f, 50.0f, 0, 90, 5.0f), ROIHandle::StartAngleEdge, 3.0f);
    ExpectHit(ROIHitTest::TestAnnulus({3, 35}, origin, 20.0f, 50.0f, 0, 90, 5.0f), ROIHandle::EndAngleEdge, 3.0f);
    ExpectMiss(ROIHitTest::TestAnnulus({25, 25}, origin, 20.0f, 50.0f, 0, 90, 5.0f));
    const std::vector<cv::Point2f> square = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    ExpectMiss(ROIHitTest::TestPolygon({0, 0}, {}, 5.0f, false));
    ExpectHit(ROIHitTest::TestPolygon({98, 99}, square, 5.0f, false), ROIHandle::PolygonVertex,
              std::sqrt(5.0f), 2);
    // Two vertices at the same distance: the first wins.
    const std::vector<cv::Point2f> close = {{0, 0}, {4, 0}, {50, 50}};
    ExpectHit(ROIHitTest::TestPolygon({2, 0}, close, 5.0f, false), ROIHandle::PolygonVertex, 2.0f, 0);
    ExpectHit(ROIHitTest::TestPolygon({3, 0}, close, 5.0f, false), ROIHandle::PolygonVertex, 1.0f, 1);
    // The integer bounding rectangle counts pixels inclusively: 0..100 is 101
    // pixels wide, so the move handle sits at (50.5, 50.5).
    ExpectHit(ROIHitTest::TestPolygon({52, 51}, square, 5.0f, false), ROIHandle::Body, std::hypot(1.5f, 0.5f));
    // No move handle while drawing.
    ExpectMiss(ROIHitTest::TestPolygon({52, 51}, square, 5.0f, true));
    // Edges are not targets.
    ExpectMiss(ROIHitTest::TestPolygon({50, 0}, {{0, 0}, {100, 0}}, 5.0f, false));
    ExpectMiss(ROIHitTest::TestPolygon({50, 2}, square, 5.0f, false));
}
