// The current ROI set from a record and read back, as both editing panels do it.
#include "tivra/roi/ROIEditRecord.h"

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

}  // namespace

TEST(ROIEditRecord, AnnulusWithRadiusGivenAsLengthOnly)
{
    ROIEditState s;
    ROIEditRecord::Apply(s, Record(CvROIMode::Annulus, {{100, 100}, {50, 0}, {0, 0}, {30, 300}}));
    EXPECT_NEAR(ROIEditRecord::OuterRadius(s), 50.0, 1e-4);
    EXPECT_NEAR(ROIEditRecord::InnerRadius(s), 25.0, 1e-4);  // 0 stored: half the outer radius
    EXPECT_EQ(s.startAngle, 30.0);
    EXPECT_EQ(s.endAngle, 300.0);
    EXPECT_EQ(ROIEditRecord::CoveredBox(s), cv::Rect2f(50, 50, 100, 100));
}

TEST(ROIEditRecord, WrongPointCountsResetTheROI)
{
    ROIEditState s;
    ROIEditRecord::Apply(s, Record(CvROIMode::Rectangle, {{10, 20}, {30, 40}}));
    EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect(10, 20, 30, 40));
    ROIEditRecord::Apply(s, Record(CvROIMode::Polygon, {{1, 1}, {5, 5}}));
    EXPECT_TRUE(s.polygonPoints.empty());
    EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect());
    ROIEditRecord::Apply(s, Record(CvROIMode::Circle, {{1, 1}}));
    EXPECT_EQ(ROIEditRecord::OuterRadius(s), 0.0);
    EXPECT_EQ(ROIEditRecord::InnerRadius(s), 0.0);
}

TEST(ROIEditRecord, CoveredBoxByKind)
{
    ROIEditState s;
    ROIEditRecord::Apply(s, Record(CvROIMode::Circle, {{50, 40}, {10, 0}}));
    const cv::Rect2f circle = ROIEditRecord::CoveredBox(s);
    EXPECT_NEAR(circle.x, 40, 1e-4);
    EXPECT_NEAR(circle.width, 20, 1e-4);
    // A square turned by 45 degrees covers its diagonal on each axis.
    ROIEditRecord::Apply(s, Record(CvROIMode::RotatedRectangle, {{0, 0}, {10, 10}}, 45.0));
    const cv::Rect2f turned = ROIEditRecord::CoveredBox(s);
    EXPECT_NEAR(turned.width, 10 * std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(turned.x + turned.width / 2, 5, 1e-3);
    ROIEditRecord::Apply(s, Record(CvROIMode::Line, {{30, 5}, {10, 25}}));
    EXPECT_EQ(ROIEditRecord::CoveredBox(s), cv::Rect2f(10, 5, 20, 20));
    ROIEditRecord::Apply(s, Record(CvROIMode::Polygon, {{3, 4}, {9, 1}, {6, 8}}));
    EXPECT_EQ(ROIEditRecord::CoveredBox(s), cv::Rect2f(3, 1, 6, 7));
    ROIEditRecord::Apply(s, Record(CvROIMode::Point, {{3, 4}}));
    EXPECT_TRUE(ROIEditRecord::CoveredBox(s).empty());
}

// A circle's rectangle is its bounding square, whichever way its radius was given.
TEST(ROIEditRecord, CircleReportsItsBoundingSquare)
{
    ROIEditState s;
    for (cv::Point2f radius : {cv::Point2f(60, 0), cv::Point2f(0, 60), cv::Point2f(36, 48)}) {
        ROIEditRecord::Apply(s, Record(CvROIMode::Circle, {{100, 100}, radius}));
        EXPECT_NEAR(ROIEditRecord::OuterRadius(s), 60.0, 1e-4);
        EXPECT_EQ(ROIEditRecord::ReportedRect(s), cv::Rect(40, 40, 120, 120));
    }
}
