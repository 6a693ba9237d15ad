// Every kind's points read into shapes and written back come out as they went in.
#include "tivra/roi/ROIPoints.h"

#include <gtest/gtest.h>

namespace {

std::vector<cv::Point2f> Rewritten(const cvROI& roi)
{
    std::vector<cv::Point2f> out;
    const auto Append = [](std::vector<cv::Point2f>& to, const std::vector<cv::Point2f>& pts) {
        to.insert(to.end(), pts.begin(), pts.end());
    };
    if (roi.mode == CvROIMode::RotatedRectangle) {
        for (const ROIPoints::Box& box : ROIPoints::TurnedBoxes(roi)) {
            Append(out, ROIPoints::PointsOf(box));
            if (roi.points.size() != 2)
                out.emplace_back(static_cast<float>(box.angle), 0.0f);
        }
        return out;
    }
    const size_t n = ROIPoints::GroupSize(roi);
    for (size_t i = 0; i + n <= roi.points.size(); i += n) {
        switch (roi.mode) {
        case CvROIMode::Line: Append(out, ROIPoints::PointsOf(ROIPoints::SegmentAt(roi.points, i))); break;
        case CvROIMode::Rectangle: Append(out, ROIPoints::PointsOf(ROIPoints::BoxAt(roi.points, i))); break;
        case CvROIMode::Circle: Append(out, ROIPoints::PointsOf(ROIPoints::CircleAt(roi.points, i))); break;
        case CvROIMode::Annulus: Append(out, ROIPoints::PointsOf(ROIPoints::RingAt(roi.points, i))); break;
        case CvROIMode::Ellipse: Append(out, ROIPoints::PointsOf(ROIPoints::ArcAt(roi.points, i))); break;
        default: out.push_back(roi.points[i]); break;
        }
    }
    return out;
}

TEST(ROIPoints, ShapesOfEveryKindWriteBackTheirPoints)
{
    for (const auto& [mode, points] : std::vector<std::pair<int, std::vector<cv::Point2f>>>{
             {CvROIMode::Point, {{1, 2}, {3, 4}}},
             {CvROIMode::Line, {{1, 2}, {3, 4}, {5, 6}, {7, 8}}},
             {CvROIMode::Rectangle, {{1, 2}, {30, 40}, {5, 6}, {7, 8}}},
             {CvROIMode::RotatedRectangle, {{1, 2}, {30, 40}}},
             {CvROIMode::RotatedRectangle, {{1, 2}, {30, 40}, {15, 0}, {5, 6}, {7, 8}, {-20, 0}}},
             {CvROIMode::Circle, {{10, 20}, {5, 0}, {30, 40}, {3, 4}}},
             {CvROIMode::Annulus, {{10, 20}, {50, 0}, {20, 70}, {30, 300}}},
             {CvROIMode::Ellipse, {{10, 20}, {5, 3}, {0, 270}}},
             {CvROIMode::Polygon, {{1, 1}, {9, 1}, {5, 7}}}}) {
        cvROI roi;
        roi.mode = mode;
        roi.points = points;
        roi.angle = 30.0;
        EXPECT_EQ(Rewritten(roi), roi.points) << mode;
        if (mode == CvROIMode::RotatedRectangle && points.size() == 2)
            EXPECT_EQ(ROIPoints::TurnedBoxes(roi).front().angle, 30.0);
    }
}

}  // namespace
