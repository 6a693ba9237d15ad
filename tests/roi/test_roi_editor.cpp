#include "tivra/roi/ROIEditor.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <cmath>

namespace {

constexpr float kTol = 10.0f; // zoom 1

// A press, motion steps (held on an image of the given size, if any) and a release, as the panel
// feeds them; returns what the release reported.
bool Gesture(ROIEditState& s, cv::Point2f from, std::vector<cv::Point2f> steps, cv::Size image = {},
             std::int64_t t = 100000)
{
    ROIEditor::Press(s, from, kTol, t);
    for (const cv::Point2f& p : steps)
        ROIEditor::Drag(s, p, false, image);
    return ROIEditor::Release(s);
}

// A plain click; returns what the press reported.
bool Click(ROIEditState& s, cv::Point2f at, std::int64_t t)
{
    const bool reported = ROIEditor::Press(s, at, kTol, t);
    ROIEditor::Release(s);
    return reported;
}

ROIEditState WithMode(int mode, cv::Rect2f rect = {})
{
    ROIEditState s;
    s.mode = mode;
    s.roiRect = rect;
    return s;
}

ROIEditState RotatedRect(cv::Rect2f r, double angle)
{
    ROIEditState s = WithMode(CvROIMode::RotatedRectangle, r);
    s.rotateAngle = s.rotationAccum = angle;
    s.polygonPoints = ROIEditor::RotatedCorners(r, angle);
    return s;
}

cv::Point2f OnCircle(cv::Point2f c, double r, double degrees)
{
    const double a = degrees * CV_PI / 180.0;
    return {static_cast<float>(c.x + r * std::cos(a)), static_cast<float>(c.y + r * std::sin(a))};
}

} // namespace

// Drawn either way; the body's centre follows the mouse; an edge moves alone, the opposite one
// stays; dragged past the opposite one it flips the rectangle; a corner moves both of its sides.
TEST(ROIEditor, RectangleDrawnMovedResizedAndFlipped)
{
    struct Case { cv::Rect2f start; cv::Point2f grab, to; float tolerance; cv::Rect2f expected; };
    const cv::Rect2f r(100, 100, 60, 40);
    for (const Case& c : {Case{{}, {10, 10}, {40, 30}, kTol, {10, 10, 30, 20}},
                          Case{{}, {40, 30}, {10, 10}, kTol, {10, 10, 30, 20}},
                          // Near the corner but inside, at zoom 4 (tolerance 2.5): the body.
                          Case{r, {104, 104}, {300, 200}, ROIEditor::ToleranceAt(4.0), {270, 180, 60, 40}},
                          Case{r, {100, 120}, {80, 110}, kTol, {80, 100, 80, 40}},      // left edge
                          Case{r, {130, 140}, {130, 180}, kTol, {100, 100, 60, 80}},    // bottom edge
                          Case{r, {130, 100}, {130, 90}, kTol, {100, 90, 60, 50}},      // top edge
                          Case{r, {100, 120}, {200, 120}, kTol, {160, 100, 40, 40}},    // left edge past the right
                          Case{r, {130, 140}, {130, 60}, kTol, {100, 60, 60, 40}},      // bottom edge past the top
                          Case{r, {160, 140}, {180, 150}, kTol, {100, 100, 80, 50}},    // bottom-right corner
                          Case{r, {100, 100}, {170, 150}, kTol, {160, 140, 10, 10}},    // top-left past both
                          Case{r, {200, 200}, {200, 200}, kTol, {}}}) {  // a click away starts an empty one
        ROIEditState s = WithMode(CvROIMode::Rectangle, c.start);
        ROIEditor::Press(s, c.grab, c.tolerance, 100000);
        if (c.to != c.grab)
            ROIEditor::Drag(s, c.to, false);
        EXPECT_TRUE(ROIEditor::Release(s)) << c.grab;
        EXPECT_EQ(s.roiRect, c.expected) << c.grab;
    }
    ROIEditState s = WithMode(CvROIMode::Rectangle);
    EXPECT_FALSE(ROIEditor::Release(s)) << "a release without a press reports nothing";
}

// A line's ends and body; a circle's radius is the drag length whatever its direction, an axis
// included; its rim sets the radius and its centre moves it.
TEST(ROIEditor, LinesAndCirclesDrawnResizedAndMoved)
{
    ROIEditState line = WithMode(CvROIMode::Line);
    for (auto [from, to, start, end] : {std::tuple{cv::Point2f(10, 10), cv::Point2f(50, 40), cv::Point2f(10, 10),
                                                   cv::Point2f(50, 40)},
                                        {{50, 41}, {60, 80}, {10, 10}, {60, 80}},    // the end point
                                        {{35, 45}, {45, 50}, {20, 15}, {70, 85}}}) { // the segment: both ends
        Gesture(line, from, {to});
        EXPECT_EQ(cv::Vec4f(line.leftDownPoint.x, line.leftDownPoint.y, line.leftUpPoint.x, line.leftUpPoint.y),
                  cv::Vec4f(start.x, start.y, end.x, end.y)) << from;
    }
    EXPECT_EQ(line.roiRect.size(), cv::Size2f(50, 70));
    const auto radius = [](const ROIEditState& s) { return std::hypot(s.roiRect.width, s.roiRect.height); };
    for (int mode : {CvROIMode::Circle, CvROIMode::Annulus})
        for (cv::Point2f end : {cv::Point2f(130, 100), cv::Point2f(100, 70), cv::Point2f(118, 124)}) {
            ROIEditState s = WithMode(mode);
            Gesture(s, {100, 100}, {end});
            EXPECT_NEAR(radius(s), 30.0, 1e-4);
            EXPECT_EQ(ROIEditor::HitTest(s, {100, 100}, kTol).handle, ROIHandle::Body);
            EXPECT_EQ(ROIEditor::HitTest(s, end, kTol).handle, ROIHandle::OuterEdge);
        }
    ROIEditState s = WithMode(CvROIMode::Circle);
    Gesture(s, {100, 100}, {{130, 140}});
    Gesture(s, {150, 100}, {{170, 100}}); // the rim: radius becomes the distance
    EXPECT_NEAR(radius(s), 70.0, 1e-3);
    Gesture(s, {101, 99}, {{200, 210}}); // the centre moves
    EXPECT_EQ(s.roiRect.tl(), cv::Point2f(200, 210));
}

// Drags follow the mouse beyond the image only as far as its border, and moves
// keep the whole ROI on the image (an image of 200 x 100 here).
TEST(ROIEditor, DragsStayOnTheImageAndPolygonsCloseByQuickRepeatWithThreeVertices)
{
    const cv::Size image(200, 100);
    ROIEditState rect = WithMode(CvROIMode::Rectangle);
    Gesture(rect, {150, 50}, {{900, -40}}, image); // a flick out of the image
    EXPECT_EQ(rect.roiRect, cv::Rect2f(150, 0, 50, 50));
    Gesture(rect, {175, 25}, {{10, 95}}, image); // the body: held whole on the image
    EXPECT_EQ(rect.roiRect, cv::Rect2f(0, 50, 50, 50));

    ROIEditState circle = WithMode(CvROIMode::Circle);
    Gesture(circle, {100, 50}, {{100, 20}}, image);
    Gesture(circle, {100, 50}, {{195, 5}}, image);
    EXPECT_LT(cv::norm(circle.roiRect.tl() - cv::Point2f(170, 30)), 1e-4);

    ROIEditState polygon = WithMode(CvROIMode::Polygon);
    polygon.polygonPoints = {{10, 10}, {50, 10}, {30, 40}};
    polygon.polygonDrawing = false;
    Gesture(polygon, {30, 25}, {{-100, 25}}, image); // the move handle at the box's centre
    EXPECT_EQ(polygon.polygonPoints[0], cv::Point2f(0, 10));

    ROIEditState point = WithMode(CvROIMode::Point);
    Gesture(point, {10, 10}, {{500, 500}}, image);
    EXPECT_EQ(point.leftDownPoint, cv::Point2f(199, 99));
    // A quick repeat closes a polygon of three vertices or more, once, adding no vertex; slow
    // repeats are vertices again, and so are quick clicks far away.
    ROIEditState s = WithMode(CvROIMode::Polygon);
    std::int64_t t = 10000;
    for (cv::Point2f p : {cv::Point2f(10, 10), cv::Point2f(30, 10), cv::Point2f(30, 30)}) {
        EXPECT_FALSE(ROIEditor::Press(s, p, kTol, t += 2000));
        EXPECT_FALSE(ROIEditor::Release(s)) << "an open polygon is not reported";
    }
    EXPECT_TRUE(ROIEditor::Press(s, {32, 31}, kTol, t + 400));
    EXPECT_FALSE(ROIEditor::Release(s)) << "one report per closing click";
    EXPECT_FALSE(s.polygonDrawing);
    EXPECT_EQ(cv::boundingRect(s.polygonPoints), cv::Rect(10, 10, 21, 21));
    EXPECT_EQ(s.polygonPoints.size(), 3u);

    ROIEditState two = WithMode(CvROIMode::Polygon);
    Click(two, {10, 10}, 20000);
    Click(two, {30, 10}, 22000);
    EXPECT_FALSE(Click(two, {31, 11}, 22300));
    EXPECT_TRUE(two.polygonDrawing);
    EXPECT_EQ(two.polygonPoints.size(), 2u);
    Click(two, {31, 11}, 24000);
    EXPECT_EQ(two.polygonPoints.size(), 3u);
}

// A polygon also closes on a click on its first vertex, or on a double click once it has
// three vertices; the vertex a press adds follows the held button.
TEST(ROIEditor, PolygonClosedOnFirstVertexOrDoubleClick)
{
    ROIEditState s = WithMode(CvROIMode::Polygon), d = WithMode(CvROIMode::Polygon);
    EXPECT_FALSE(ROIEditor::TrackRubberBand(d, {5, 5})) << "no vertices, no band";
    std::int64_t t = 0;
    for (cv::Point2f p : {cv::Point2f(50, 50), cv::Point2f(90, 50), cv::Point2f(90, 90)}) {
        Gesture(s, p, {p + cv::Point2f(1, 1)}, {}, t += 2000);
        Click(d, p - cv::Point2f(40, 40), t);
        EXPECT_EQ(ROIEditor::CloseOnDoubleClick(d), t == 6000) << "two vertices are not a polygon";
    }
    EXPECT_EQ(s.polygonPoints[2], cv::Point2f(91, 91));
    EXPECT_TRUE(ROIEditor::Press(s, {53, 52}, kTol, t + 2000)) << "a click on vertex 0 closes";
    EXPECT_FALSE(s.polygonDrawing);
    EXPECT_FALSE(ROIEditor::CloseOnDoubleClick(d)) << "already closed";
    EXPECT_EQ(d.hoverPoint, cv::Point2f(-1, -1));
}

// A closed polygon moves whole or by a vertex, or a press elsewhere starts a new one, whose rubber
// band follows the mouse only between clicks.
TEST(ROIEditor, ClosedPolygonMovesWholeOrByVertexAndRestartsWithABandBetweenClicks)
{
    ROIEditState s = WithMode(CvROIMode::Polygon);
    s.polygonPoints = {{100, 100}, {200, 100}, {200, 160}};
    s.polygonDrawing = false;
    // The centre of the bounding box (150, 130) moves the whole polygon.
    EXPECT_TRUE(Gesture(s, {150, 130}, {{160, 120}, {170, 140}}));
    EXPECT_EQ(s.polygonPoints, (std::vector<cv::Point2f>{{120, 110}, {220, 110}, {220, 170}}));
    EXPECT_TRUE(Gesture(s, {221, 171}, {{250, 200}}));
    EXPECT_EQ(s.polygonPoints[2], cv::Point2f(250, 200));
    EXPECT_EQ(s.polygonPoints[0], cv::Point2f(120, 110));
    // Elsewhere: a new open polygon, not reported on release.
    EXPECT_FALSE(Gesture(s, {400, 400}, {}));
    EXPECT_TRUE(s.polygonDrawing);
    EXPECT_EQ(s.polygonPoints, (std::vector<cv::Point2f>{{400, 400}}));
    EXPECT_TRUE(ROIEditor::TrackRubberBand(s, {30, 25}));
    EXPECT_EQ(s.hoverPoint, cv::Point2f(30, 25));
    ROIEditor::Press(s, {450, 400}, kTol, 200000);
    ROIEditor::TrackRubberBand(s, {20, 20});
    EXPECT_EQ(s.hoverPoint, cv::Point2f(-1, -1)) << "the held vertex moves instead";
}

TEST(ROIEditor, RotatedRectanglesSnapTurnsFollowMovesAndKeepTheOppositeEdge)
{
    // Centre (100, 100); the handle between corners 1 and 2 is the top edge's midpoint.
    ROIEditState s = RotatedRect({60, 80, 80, 40}, 0.0);
    const cv::Point2f handle(100, 80);
    ASSERT_EQ(ROIEditor::HitTest(s, handle, kTol).handle, ROIHandle::RotateHandle);
    ROIEditor::Press(s, handle, kTol, 0);
    const cv::Point2f c(100, 100);
    for (double a = -90; a <= -90 + 100; a += 5) { // turn the mouse 100 degrees clockwise
        ROIEditor::Drag(s, OnCircle(c, 200, a), true);
        EXPECT_EQ(std::fmod(s.rotateAngle, 45.0), 0.0) << s.rotateAngle;
    }
    EXPECT_DOUBLE_EQ(s.rotateAngle, 90.0) << "100 degrees snap to 90";
    EXPECT_NEAR(s.rotationAccum, 100.0, 1.5);
    ROIEditor::Drag(s, OnCircle(c, 200, 15), false); // Shift released: 5 more degrees, unsnapped
    EXPECT_NEAR(s.rotateAngle, 105.0, 1.5);
    ROIEditor::Release(s);
    ROIEditState moved = RotatedRect({60, 80, 80, 40}, 30.0);
    EXPECT_TRUE(Gesture(moved, {100, 100}, {{150, 130}}));
    EXPECT_EQ(moved.roiRect, cv::Rect2f(110, 110, 80, 40));
    EXPECT_LT(cv::norm(cv::Mat(moved.polygonPoints), cv::Mat(ROIEditor::RotatedCorners(moved.roiRect, 30.0)),
                       cv::NORM_INF), 1e-3);
    // An edge moves alone whatever the turn, quarter turns included: the opposite edge stays.
    for (double angle : {30.0, 0.0, 90.0, 180.0, 270.0, 360.0, -90.0, 450.0}) {
        ROIEditState s = RotatedRect({60, 80, 80, 40}, angle);
        const auto c = s.polygonPoints;
        // On the left edge (wherever the turn put it), 8 pixels from corner 1: clear of the rotation handle.
        const cv::Point2f onEdge = c[0] * 0.2f + c[1] * 0.8f, mid = (c[0] + c[1]) * 0.5f;
        cv::Point2f outward = mid - cv::Point2f(100, 100);
        outward *= 10.0f / static_cast<float>(cv::norm(outward));
        ROIEditor::Press(s, onEdge, kTol, 0);
        ASSERT_EQ(s.hit.handle, ROIHandle::LeftEdge) << angle;
        ROIEditor::Drag(s, onEdge + outward, false);
        EXPECT_LT(cv::norm(s.polygonPoints[2] - c[2]) + cv::norm(s.polygonPoints[3] - c[3]), 1e-3) << angle;
        EXPECT_LT(cv::norm((s.polygonPoints[0] + s.polygonPoints[1]) * 0.5f - (mid + outward)), 1.5e-3) << angle;
        EXPECT_NEAR(s.roiRect.width, 90.0, 1e-3) << angle;
        ROIEditor::Release(s);
        EXPECT_FALSE(s.edgeDragStarted);
    }
}

TEST(ROIEditor, AnnulusAnglesStayOrderedAndRimsStayNested)
{
    ROIEditState s = WithMode(CvROIMode::Annulus, {200, 200, 60, 80}); // outer radius 100, inner 50
    s.endAngle = 90;
    ROIEditState t = s;
    const cv::Point2f c(200, 200);
    ROIEditor::Press(s, OnCircle(c, 75, 90), kTol, 0);
    ASSERT_EQ(s.hit.handle, ROIHandle::EndAngleEdge);
    for (double a = 90; a <= 90 + 400; a += 10) { // clockwise, past a full turn
        ROIEditor::Drag(s, OnCircle(c, 75, a), false);
        EXPECT_LE(s.endAngle - s.startAngle, 360.0 + 1e-9);
        EXPECT_GE(s.endAngle, s.startAngle);
    }
    EXPECT_NEAR(s.endAngle - s.startAngle, 360.0, 1e-9);
    for (double a = 130; a >= -300; a -= 10) { // and back, past the start
        ROIEditor::Drag(s, OnCircle(c, 75, a), false);
        EXPECT_GE(s.endAngle, s.startAngle);
    }
    EXPECT_DOUBLE_EQ(s.endAngle, s.startAngle);
    ROIEditor::Release(s);
    ROIEditor::Press(t, OnCircle(c, 75, 0), kTol, 0);
    ASSERT_EQ(t.hit.handle, ROIHandle::StartAngleEdge);
    for (double a = 0; a <= 150; a += 10) // the start cannot pass the end
        ROIEditor::Drag(t, OnCircle(c, 75, a), false);
    EXPECT_DOUBLE_EQ(t.startAngle, 90.0);
    ROIEditState ring = WithMode(CvROIMode::Annulus, {200, 200, 60, 80});
    Gesture(ring, {200, 151}, {{200, 140}}); // inner rim at 50
    Gesture(ring, {300, 200}, {{320, 200}}); // outer rim at 100
    const auto radii = [](const ROIEditState& e) {
        return cv::Vec2d(e.innerRadius, std::hypot(e.roiRect.width, e.roiRect.height));
    };
    EXPECT_LT(cv::norm(radii(ring) - cv::Vec2d(60, 120)), 1e-3);
    ROIEditState past = ring;
    Gesture(past, {200, 140}, {{200, 10}}); // the inner rim dragged past the outer one stops there
    EXPECT_NEAR(past.innerRadius, 120.0, 1e-3);
    Gesture(ring, {320, 200}, {{240, 200}}); // the outer rim dragged inside the inner one takes it along
    EXPECT_LT(cv::norm(radii(ring) - cv::Vec2d(40, 40)), 1e-3);
}

// Nothing is grabbed without a shape; a nearly level edge (turned by so little that the top
// edge's corners share their y in float, yet not a multiple of 90) drags to finite corners.
TEST(ROIEditor, NothingGrabbedWithoutAShapeAndNearlyLevelEdgesStayFinite)
{
    EXPECT_LT(ROIEditor::HitTest(WithMode(CvROIMode::None), {0, 0}, kTol).roiIndex, 0);
    EXPECT_LT(ROIEditor::HitTest(WithMode(CvROIMode::Polygon), {0, 0}, kTol).roiIndex, 0);
    ROIEditState s = WithMode(CvROIMode::Rectangle, {10, 10, 20, 20});
    EXPECT_TRUE(ROIEditor::Hover(s, {20, 20}, kTol));
    EXPECT_FALSE(ROIEditor::Hover(s, {100, 100}, kTol));
    s = RotatedRect({60, 80, 80, 40}, 2e-6);
    ASSERT_EQ(s.polygonPoints[1].y, s.polygonPoints[2].y);
    ROIEditor::Press(s, {75, 80}, 4.0f, 0); // on the top edge, away from its rotation handle
    ASSERT_EQ(s.hit.handle, ROIHandle::TopEdge);
    ROIEditor::Drag(s, {75, 70}, false);
    EXPECT_TRUE(cv::checkRange(s.polygonPoints));
    EXPECT_LT(cv::norm(cv::Point2f(s.roiRect.size()) - cv::Point2f(80, 50)), 1e-3);
}
