#include "tivra/roi/ROIEditHistory.h"
#include "tivra/roi/ROIEditRecord.h"
#include "tivra/roi/ROIKeyboard.h"

#include <gtest/gtest.h>

namespace {

cvROI Record(int mode, std::vector<cv::Point2f> points, double angle = 0.0)
{
    cvROI roi;
    roi.mode = mode;
    roi.points = std::move(points);
    roi.angle = angle;
    return roi;
}

ROIEditState FromRecord(int mode, std::vector<cv::Point2f> points, double angle = 0.0)
{
    ROIEditState s;
    ROIEditRecord::Apply(s, Record(mode, std::move(points), angle));
    return s;
}

void ExpectSameShape(const ROIEditState& actual, const ROIEditState& expected)
{
    const ROIShape a = ROIShape::Of(actual), e = ROIShape::Of(expected);
    EXPECT_TRUE(a.SameAs(e) && a.mode == e.mode) << "kind " << e.mode << ": " << a.roiRect << " vs " << e.roiRect;
    EXPECT_FALSE(actual.dragging);
}

// One ROI of every kind the editor takes, rotated rectangles at an odd angle.
std::vector<ROIEditState> EveryKind()
{
    return {FromRecord(CvROIMode::Point, {{12.5f, 20.25f}}),
            FromRecord(CvROIMode::Line, {{10, 10}, {40.5f, 33}}),
            FromRecord(CvROIMode::Rectangle, {{10, 12}, {30, 20}}),
            FromRecord(CvROIMode::RotatedRectangle, {{20, 22}, {30, 14}}, 33.7),
            FromRecord(CvROIMode::Circle, {{50, 50}, {17.3f, 0}}),
            FromRecord(CvROIMode::Annulus, {{50, 50}, {20, 0}, {7.5f, 0}, {-30, 200}}),
            FromRecord(CvROIMode::Polygon, {{10, 10}, {60.5f, 12}, {35, 48.25f}, {12, 40}})};
}

} // namespace

// Mouse drags, key bursts and code edits of every kind undo and redo to the exact geometry.
TEST(ROIEditHistory, UndoRedoRestoresExactGeometryOfEveryKindInStepsAndBursts)
{
    for (const ROIEditState& first : EveryKind()) {
        ROIEditHistory history;
        ROIEditState s = first;
        history.Commit(s);
        ROIEditor::Press(s, ROIEditRecord::CoveredBox(s).tl() + cv::Point2f(200, 200), 1.0f, 100000);
        ROIEditor::Drag(s, {260, 250}, false);
        ROIEditor::Release(s);
        const ROIEditState dragged = s;
        history.Commit(s);
        s = first;
        history.Commit(s); // set again from code
        for (int i = 0; i < 3; ++i) {
            ROIKeyboard::Move(s, {1, 0}, cv::Size());
            ROIKeyboard::Resize(s, {0, 10});
            history.CommitBurst(s, 5000 + i * 300); // one burst
        }
        const ROIEditState keyed = s;
        for (const ROIEditState* undone : {&first, &dragged, &first}) {
            ASSERT_TRUE(history.Undo(s));
            ExpectSameShape(s, *undone);
        }
        ASSERT_TRUE(history.Redo(s) && history.Redo(s) && history.Redo(s));
        ExpectSameShape(s, keyed);
        EXPECT_FALSE(history.Redo(s));
        ASSERT_TRUE(history.Undo(s));
        ROIKeyboard::Move(s, {1, 0}, cv::Size());
        history.Commit(s);  // a new step after an undo leaves nothing to redo
        EXPECT_FALSE(history.CanRedo());
    }
    ROIEditHistory history;
    ROIEditState s = FromRecord(CvROIMode::Rectangle, {{0, 0}, {10, 10}});
    for (int i = 1; i <= 150; ++i) {
        s.roiRect.x = static_cast<float>(i);
        history.Commit(s);
    }
    int undone = 0;
    while (history.Undo(s))
        ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(s.roiRect.x, 50.0f);
    // A pause ends a burst; a burst that comes back leaves no step.
    for (auto [dx, t] : {std::pair{1, 1000}, {1, 3000}, {-1, 3500}}) {
        ROIKeyboard::Move(s, {float(dx), 0}, {});
        history.CommitBurst(s, t);
    }
    ASSERT_TRUE(history.Undo(s));
    EXPECT_EQ(s.roiRect.x, 50.0f);
    EXPECT_FALSE(history.CanUndo(s));
    // A drag in progress and an open polygon are cancelled back to the last finished state.
    const ROIEditState settled = s;
    ROIEditor::Press(s, {55, 5}, 1.0f, 100000);
    ROIEditor::Drag(s, {90, 40}, false);
    EXPECT_TRUE(history.Revert(s));
    ExpectSameShape(s, settled);
    s.mode = CvROIMode::Polygon;
    s.polygonDrawing = true;
    s.polygonPoints = {{1, 1}, {30, 1}};
    EXPECT_TRUE(history.Undo(s));
    EXPECT_EQ(s.mode, CvROIMode::Rectangle);
    EXPECT_TRUE(s.polygonPoints.empty());
}

TEST(ROIKeyboard, MovesStopAtTheBorderResizeChangesTheMainSizeAndRemoveLeavesNothing)
{
    const cv::Size image(100, 80);
    for (ROIEditState s : EveryKind()) {
        const float width = ROIEditRecord::CoveredBox(s).width;
        ROIKeyboard::Move(s, {-1000, 1000}, image);
        const cv::Rect2f box = s.mode == CvROIMode::Point ? cv::Rect2f(s.leftDownPoint, cv::Size2f())
                                                           : ROIEditRecord::CoveredBox(s);
        EXPECT_NEAR(box.x, 0.0f, 1e-3) << s.mode;
        EXPECT_NEAR(box.br().y, s.mode == CvROIMode::Point ? 79.0f : 80.0f, 1e-3) << s.mode;
        ROIKeyboard::Move(s, {-1, 1}, image);
        EXPECT_GT(ROIEditRecord::CoveredBox(s).x, -1e-3) << s.mode; // never further out
        EXPECT_NEAR(ROIEditRecord::CoveredBox(s).width, width, 1e-3) << s.mode;
        EXPECT_TRUE(ROIKeyboard::Editable(s));
        EXPECT_TRUE(ROIKeyboard::Remove(s));
        EXPECT_FALSE(ROIKeyboard::Editable(s));
        EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect());
        EXPECT_TRUE(ROIEditor::IsReportable(s));
        EXPECT_FALSE(ROIKeyboard::Remove(s));
    }
    // Removing leaves nothing. Resizing changes each kind's main size, never below one pixel, a
    // rotated rectangle about its centre, an annulus's inner radius staying inside; a point has no size.
    const auto radii = [](const ROIEditState& s) {
        return cv::Vec2d(ROIEditRecord::OuterRadius(s), ROIEditRecord::InnerRadius(s));
    };
    ROIEditState rect = FromRecord(CvROIMode::Rectangle, {{10, 12}, {30, 20}});
    ROIEditState rotated = FromRecord(CvROIMode::RotatedRectangle, {{20, 22}, {30, 14}}, 33.7);
    ROIEditState circle = FromRecord(CvROIMode::Circle, {{50, 50}, {17, 0}});
    ROIEditState annulus = FromRecord(CvROIMode::Annulus, {{50, 50}, {20, 0}, {7, 0}, {0, 360}});
    ROIEditState line = FromRecord(CvROIMode::Line, {{10, 10}, {13, 14}});
    ROIEditState polygon = FromRecord(CvROIMode::Polygon, {{10, 10}, {30, 10}, {20, 40}});
    ROIEditState point = FromRecord(CvROIMode::Point, {{5, 5}});
    ROIKeyboard::Resize(rect, {10, -25});
    EXPECT_EQ(rect.roiRect, cv::Rect2f(10, 12, 40, 1));
    ROIKeyboard::Resize(rotated, {10, 0});
    EXPECT_EQ(rotated.roiRect, cv::Rect2f(15, 22, 40, 14));
    EXPECT_EQ(rotated.polygonPoints, ROIEditor::RotatedCorners(rotated.roiRect, 33.7));
    ROIKeyboard::Resize(circle, {0, -1});
    EXPECT_NEAR(ROIEditRecord::OuterRadius(circle), 16.0, 1e-5);
    ROIKeyboard::Resize(annulus, {0, 100});
    EXPECT_LT(cv::norm(radii(annulus) - cv::Vec2d(20, 20)), 1e-5);
    ROIKeyboard::Resize(annulus, {-10, 0});
    EXPECT_LT(cv::norm(radii(annulus) - cv::Vec2d(10, 10)), 1e-5);
    ROIKeyboard::Resize(line, {5, 0});
    EXPECT_LT(cv::norm(line.leftUpPoint - cv::Point2f(16, 18)), 1e-5);
    ROIKeyboard::Resize(polygon, {20, 0});
    EXPECT_EQ(ROIEditRecord::CoveredBox(polygon), cv::Rect2f(0, 10, 40, 30));
    EXPECT_FALSE(ROIKeyboard::Resize(point, {1, 1}));
}

// The current ROI set from a record and read back, as both editing panels do it. A circle's
// rectangle is its bounding square, whichever way its radius was given; an annulus stored with
// inner radius 0 gets half the outer one; wrong point counts reset the ROI.
TEST(ROIEditRecord, RecordsAppliedAndReadBack)
{
    ROIEditState s;
    for (cv::Point2f radius : {cv::Point2f(60, 0), cv::Point2f(0, 60), cv::Point2f(36, 48)}) {
        ROIEditRecord::Apply(s, Record(CvROIMode::Circle, {{100, 100}, radius}));
        EXPECT_NEAR(ROIEditRecord::OuterRadius(s), 60.0, 1e-4);
        EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect(40, 40, 120, 120));
    }
    ROIEditRecord::Apply(s, Record(CvROIMode::Annulus, {{100, 100}, {50, 0}, {0, 0}, {30, 300}}));
    EXPECT_LT(cv::norm(cv::Vec4d(ROIEditRecord::OuterRadius(s), ROIEditRecord::InnerRadius(s), s.startAngle,
                                 s.endAngle) - cv::Vec4d(50, 25, 30, 300)), 1e-4);
    EXPECT_EQ(ROIEditRecord::CoveredBox(s), cv::Rect2f(50, 50, 100, 100));
    ROIEditRecord::Apply(s, Record(CvROIMode::Rectangle, {{10, 20}, {30, 40}}));
    EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect(10, 20, 30, 40));
    ROIEditRecord::Apply(s, Record(CvROIMode::Polygon, {{1, 1}, {5, 5}}));
    EXPECT_TRUE(s.polygonPoints.empty());
    EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect());
    ROIEditRecord::Apply(s, Record(CvROIMode::Circle, {{1, 1}}));
    EXPECT_EQ(cv::Vec2d(ROIEditRecord::OuterRadius(s), ROIEditRecord::InnerRadius(s)), cv::Vec2d(0, 0));
}

TEST(ROIEditRecord, CoveredBoxByKind)
{
    // A square turned by 45 degrees covers its diagonal on each axis; a point covers nothing.
    const float diagonal = 10 * std::sqrt(2.0f);
    for (auto [state, box] : {std::pair{FromRecord(CvROIMode::Circle, {{50, 40}, {10, 0}}), cv::Rect2f(40, 30, 20, 20)},
                              {FromRecord(CvROIMode::RotatedRectangle, {{0, 0}, {10, 10}}, 45.0),
                               cv::Rect2f(5 - diagonal / 2, 5 - diagonal / 2, diagonal, diagonal)},
                              {FromRecord(CvROIMode::Line, {{30, 5}, {10, 25}}), cv::Rect2f(10, 5, 20, 20)},
                              {FromRecord(CvROIMode::Polygon, {{3, 4}, {9, 1}, {6, 8}}), cv::Rect2f(3, 1, 6, 7)}}) {
        const cv::Rect2f covered = ROIEditRecord::CoveredBox(state);
        EXPECT_LT(cv::norm(cv::Vec4f(covered.x, covered.y, covered.width, covered.height) -
                           cv::Vec4f(box.x, box.y, box.width, box.height)), 1e-3) << state.mode;
    }
    EXPECT_TRUE(ROIEditRecord::CoveredBox(FromRecord(CvROIMode::Point, {{3, 4}})).empty());
}
