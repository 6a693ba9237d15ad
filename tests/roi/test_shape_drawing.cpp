#include "tivra/roi/ShapeDrawing.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <cmath>
#include <limits>

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Radii far beyond what OpenCV draws directly show exactly the part of the arc that crosses
// the image, quickly, and in the requested angles only: every lit pixel lies on the requested
// arc and at least minPixels show (none if 0).
TEST(ShapeDrawing, ArcsAndCirclesOfEverySize)
{
    struct Arc { cv::Point2d centre; double radius, start, end; int thickness, minPixels; };
    for (const Arc& c : {Arc{{150, 1e6 + 50}, 1e6, 0, 360, 1, 300},    // rim runs across the image at y = 50
                         Arc{{-3e5 + 100, 80}, 3e5, -30, 30, 3, 150},  // rim at x = 100, thick
                         Arc{{150, 3e5 + 50}, 3e5, 260, 280, 1, 100},  // part of the top of the turn
                         Arc{{150, 3e5 + 50}, 3e5, 0, 180, 1, 0},      // the lower half: nothing shows
                         Arc{{100, 100}, 20000, 0, 360, 1, 0}}) {      // around the whole image
        cv::Mat img = cv::Mat::zeros(150, 300, CV_8UC1);
        ShapeDrawing::DrawArc(img, c.centre, c.radius, c.start, c.end, cv::Scalar(255), c.thickness);
        std::vector<cv::Point> lit;
        cv::findNonZero(img, lit);
        for (const cv::Point& p : lit) {
            const cv::Point2d d = cv::Point2d(p) - c.centre;
            EXPECT_NEAR(std::hypot(d.x, d.y), c.radius, c.thickness / 2.0 + 1.5) << p;
            double angle = std::atan2(d.y, d.x) * 180.0 / CV_PI;
            while (angle < c.start - 1.0)
                angle += 360.0;
            EXPECT_LE(angle, c.end + 1.0) << p;
        }
        EXPECT_GE(lit.size(), size_t(c.minPixels));
        EXPECT_TRUE(c.minPixels > 0 || lit.empty()) << lit.size();
    }
    // Small circles are drawn exactly as OpenCV draws them.
    cv::Mat ours = cv::Mat::zeros(100, 100, CV_8UC1), theirs = ours.clone();
    ShapeDrawing::DrawCircle(ours, {40.7, 50.2}, 30.9, cv::Scalar(255), 2);
    cv::circle(theirs, cv::Point(40, 50), 30, cv::Scalar(255), 2, cv::LINE_8);
    EXPECT_EQ(cv::countNonZero(ours != theirs), 0);
    cv::Mat img = cv::Mat::zeros(50, 50, CV_8UC1);
    for (const double bad : {kInf, kNaN}) {
        ShapeDrawing::DrawCircle(img, {25, 25}, bad, cv::Scalar(255), 1);
        ShapeDrawing::DrawCircle(img, {bad, 25}, 10, cv::Scalar(255), 1);
        ShapeDrawing::DrawArc(img, {25, 25}, 10, 0, bad, cv::Scalar(255), 1);
    }
    ShapeDrawing::DrawCircle(img, {25, 25}, -5, cv::Scalar(255), 1);
    EXPECT_EQ(cv::countNonZero(img), 0);
    EXPECT_EQ(ShapeDrawing::ToPixel({kNaN, 1e30}), cv::Point(0, 1 << 30));
}
