#include "tivra/roi/ROIRenderer.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include <deque>
#include <limits>

namespace {

const cv::Scalar kWhite(255, 255, 255, 255);

cvROI Record(int mode, std::vector<cv::Point2f> points, int thickness = 1, int lineStyle = 0)
{
    cvROI roi;
    roi.visible = true;
    roi.mode = mode;
    roi.thickness = thickness;
    roi.lineStyle = lineStyle;
    roi.color = kWhite;
    roi.points = std::move(points);
    return roi;
}

cv::Mat Render(cvROI roi, cv::Size size, double scale = 1.0, double thicknessScale = 1.0)
{
    cv::Mat img = cv::Mat::zeros(size, CV_8UC3);
    ROIRenderer::RenderAll(img, {&roi}, scale, thicknessScale);
    return img;
}

bool Set(const cv::Mat& img, int x, int y)
{
    return img.at<cv::Vec3b>(y, x) != cv::Vec3b(0, 0, 0);
}

int Count(const cv::Mat& img)
{
    cv::Mat gray;
    cv::cvtColor(img, gray, cv::COLOR_BGR2GRAY);
    return cv::countNonZero(gray);
}

bool AnySetNear(const cv::Mat& img, int x, int y)
{
    return Count(img(cv::Rect(x - 1, y - 1, 3, 3))) > 0;
}

struct Pixel {
    int x, y;
    bool set;
};

void ExpectPixels(const cv::Mat& img, const std::vector<Pixel>& pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(Set(img, p.x, p.y), p.set) << "(" << p.x << ", " << p.y << ")";
}

} // namespace

// Pixels a record sets and leaves, at a buffer size, zoom and stroke scale.
TEST(ROIRenderer, RecordsSetTheirPixelsAndNothingWhenThereIsNothingToShow)
{
    struct Case { const char* what; cvROI roi; cv::Size size; double scale, thicknessScale; std::vector<Pixel> pixels; };
    const cvROI square = Record(CvROIMode::Rectangle, {{50, 50}, {20, 20}});
    const Case cases[] = {
        // A marker of radius 2 around (3, 0); (0, 5) has x <= 0 and is skipped.
        {"points", Record(CvROIMode::Point, {{0, 5}, {3, 0}}), {20, 20}, 1, 1, {{3, 2, true}, {2, 5, false}, {0, 3, false}}},
        // A gap from sample 5 to 10.
        {"dashed", Record(CvROIMode::Line, {{2, 10}, {40, 10}}, 1, 1), {50, 30}, 1, 1, {{4, 10, true}, {10, 10, false}}},
        {"no stroke", Record(CvROIMode::Line, {{2, 10}, {40, 10}}, 0), {50, 30}, 1, 1, {{20, 10, true}, {20, 11, false}}},
        {"near 1", square, {120, 120}, 1.005, 1, {{50, 60, true}, {70, 60, true}}},
        {"scaled", square, {120, 120}, 1.02, 1, {{50, 60, false}, {51, 60, true}, {72, 60, true}}},  // trunc(51 + ceil(20.4))
        {"rounded up", Record(CvROIMode::Rectangle, {{10, 10}, {5.2f, 0.4f}}), {30, 30}, 1, 1, {{16, 11, true}}},
        // A stroke thinned below one pixel by the zoom stays visible.
        {"thin", Record(CvROIMode::Rectangle, {{5, 5}, {10, 10}}), {50, 30}, 1, 0.2, {{10, 5, true}}},
        {"circles", Record(CvROIMode::Circle, {{50, 50}, {20, 0}, {10, 10}, {0, 0}}), {100, 100}, 1, 1,
         {{70, 50, true}, {50, 30, true}, {50, 50, false}, {10, 10, false}, {11, 10, false}}},  // radius 0 skipped
        // A circle record is an outline, never a disc.
        {"outline", Record(CvROIMode::Circle, {{25, 25}, {10, 0}}, -1), {50, 50}, 1, 1, {{35, 25, true}, {25, 25, false}}},
        // Outer rim, inner rim at half the outer radius, the corner circle of radius 3 at the outer start corner.
        {"annulus", Record(CvROIMode::Annulus, {{50, 50}, {40, 0}, {0, 0}, {0, 360}}), {100, 100}, 1, 1,
         {{90, 50, true}, {50, 70, true}, {50, 80, false}, {93, 50, true}}},
        // Outer radius from P2.y, inner from P2.x, nothing outside the 0..90 sweep, a radial edge at the start.
        {"sector", Record(CvROIMode::Annulus, {{50, 50}, {0, 0}, {10, 40}, {0, 90}}), {100, 100}, 1, 1,
         {{50, 90, true}, {50, 60, true}, {10, 50, false}, {75, 50, true}}},
        // Both triangles closed; no edge across the separator nor to the first vertex of the next polygon.
        {"polygons", Record(CvROIMode::Polygon, {{5, 5}, {15, 5}, {15, 15}, {-2000000, 0}, {20, 20}, {30, 20}, {30, 30}}),
         {40, 40}, 1, 1, {{10, 5, true}, {10, 10, true}, {25, 25, true}, {17, 17, false}, {12, 18, false}}},
        {"truncated", Record(CvROIMode::Polygon, {{10.9f, 10.9f}, {30.9f, 10.9f}, {30.9f, 500}}), {40, 40}, 1, 1,
         {{20, 10, true}, {20, 11, false}, {30, 39, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectPixels(Render(c.roi, c.size, c.scale, c.thicknessScale), c.pixels);
    }
    // Records wholly off the buffer, unpaired, unknown or of the wrong size draw nothing.
    const cvROI unpaired = Record(CvROIMode::Line, {{2, 10}, {40, 10}, {2, 20}});
    EXPECT_EQ(Count(Render(unpaired, {50, 30})), 39) << "one solid segment; the unpaired point is ignored";
    for (const cvROI& roi : {Record(CvROIMode::Point, {{0, 0}, {-4, -1}}), Record(CvROIMode::Line, unpaired.points, 1, 3),
                             Record(CvROIMode::Line, {{0, 0}, {-5, 0}}), Record(CvROIMode::Rectangle, {{-10, -10}, {200, 200}}),
                             Record(CvROIMode::Rectangle, {{10, 10}, {0, 5}}), Record(CvROIMode::RotatedRectangle, {{10, 10}}),
                             Record(CvROIMode::RotatedRectangle, std::vector<cv::Point2f>(4, {10, 10})),
                             Record(CvROIMode::RotatedRectangle, std::vector<cv::Point2f>(5, {10, 10})),
                             Record(CvROIMode::Circle, {{50, 50}, {1e9f, 0}})})  // the ring encloses the buffer
        EXPECT_EQ(Count(Render(roi, {100, 100})), 0) << roi.mode << " " << roi.points.size();
}

TEST(ROIRenderer, PointOutlinesEllipseStrokesArrowHeadsAndTurnedRectangles)
{
    const cvROI point = Record(CvROIMode::Point, {{10, 10}}, 1);
    EXPECT_EQ(cv::norm(Render(point, {20, 20}, 1.0, 1.0), Render(point, {20, 20}, 1.0, 6.0), cv::NORM_INF), 0.0);
    cvROI roi = Record(CvROIMode::Ellipse, {{50, 50}, {30, 20}, {90, 180}}, 5);
    const cv::Mat thick = Render(roi, {100, 100}, 1.0, 2.0);
    roi.thickness = 1;
    EXPECT_EQ(cv::norm(thick, Render(roi, {100, 100}, 1.0, 2.0), cv::NORM_INF), 0.0);
    const int widthAtBottom = Count(thick(cv::Rect(50, 60, 1, 20)));
    EXPECT_TRUE(widthAtBottom == 2 || widthAtBottom == 3) << "stroke 2, not 10: " << widthAtBottom;
    EXPECT_TRUE(AnySetNear(thick, 20, 50)) << "arc reaches the end angle";
    EXPECT_FALSE(Set(Render(Record(CvROIMode::Line, {{5, 30}, {60, 30}}), {70, 60}), 50, 26));
    const cv::Mat arrow = Render(Record(CvROIMode::ArrowLine, {{5, 30}, {60, 30}}), {70, 60});
    EXPECT_TRUE(AnySetNear(arrow, 50, 26)) << "upper barb, 15 px at 20 degrees";
    EXPECT_TRUE(AnySetNear(arrow, 50, 34));
    EXPECT_TRUE(Set(Render(Record(CvROIMode::RotatedRectangle, {{10, 10}, {20, 10}}), {100, 100}), 20, 10));
    cvROI six = Record(CvROIMode::RotatedRectangle, {{10, 10}, {20, 10}, {0, 0}, {50, 50}, {20, 10}, {90, 0}});
    six.angle = 45.0; // not used for triples
    const cv::Mat turned = Render(six, {100, 100});
    EXPECT_TRUE(Set(turned, 20, 10)) << "first rectangle, axis-aligned";
    EXPECT_TRUE(AnySetNear(turned, 55, 55)) << "second rectangle turned by 90 degrees: 10 wide";
    EXPECT_FALSE(AnySetNear(turned, 50, 55)) << "its unrotated left edge is not drawn";
}

TEST(ROIRenderer, MasksBlendOnlyCoveredPixelsAndRenderAllKeepsOrderAndSkips)
{
    cvROI roi = Record(CvROIMode::Mask, {});
    roi.mask = (cv::Mat_<uchar>(2, 2) << 1, 0, 0, 0);
    roi.color = cv::Scalar(200, 200, 200, 0);
    cv::Mat img(10, 10, CV_8UC3, cv::Scalar(100, 100, 100));
    ROIRenderer::RenderAll(img, {&roi}, 1.0, 1.0);
    EXPECT_EQ(img.at<cv::Vec3b>(0, 0), cv::Vec3b(150, 150, 150)) << "alpha 0 blends at 0.5";
    EXPECT_EQ(img.at<cv::Vec3b>(4, 4), cv::Vec3b(150, 150, 150)) << "nearest-neighbour resize to the image";
    EXPECT_EQ(img.at<cv::Vec3b>(5, 5), cv::Vec3b(100, 100, 100));
    EXPECT_EQ(img.at<cv::Vec3b>(0, 9), cv::Vec3b(100, 100, 100));

    roi.color = cv::Scalar(0, 100, 200, 255);
    ROIRenderer::RenderMask(img, roi, 1.0, cv::Point2f(0, 0));
    EXPECT_EQ(img.at<cv::Vec3b>(1, 1), cv::Vec3b(0, 100, 200));
    for (const auto& [type, value] : {std::pair{CV_16UC3, cv::Scalar::all(900)}, std::pair{CV_64FC3, cv::Scalar::all(1)},
                                      std::pair{CV_8UC2, cv::Scalar(1, 0)}}) {
        cvROI roi = Record(CvROIMode::Mask, {});
        roi.mask = cv::Mat::zeros(10, 10, type);
        roi.mask(cv::Rect(0, 0, 5, 10)).setTo(value);
        EXPECT_EQ(Count(Render(roi, {10, 10})), 50) << type;
    }
    cvROI first = Record(CvROIMode::Line, {{0, 5}, {20, 5}}), second = first;
    cvROI hidden = Record(CvROIMode::Line, {{0, 8}, {20, 8}}), unknown = Record(99, {{0, 9}, {20, 9}});
    cvROI negative = Record(-1, {{0, 9}, {20, 9}});
    second.color = cv::Scalar(0, 0, 255);
    hidden.visible = false;
    cv::Mat lines = cv::Mat::zeros(10, 30, CV_8UC3);
    ROIRenderer::RenderAll(lines, {&first, nullptr, &second, &hidden, &unknown, &negative}, 1.0, 1.0);
    EXPECT_EQ(lines.at<cv::Vec3b>(5, 10), cv::Vec3b(0, 0, 255));
    EXPECT_EQ(Count(lines), 21);
    const std::vector<cvROI*>* none = nullptr;
    EXPECT_NO_THROW(ROIRenderer::RenderAll(lines, none, 1.0, 1.0));
}

TEST(ROIRenderer, HostileRecordsNeitherThrowNorHang)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::vector<std::vector<cv::Point2f>> geometries = {
        {{1e30f, -1e30f}, {3e9f, 3e9f}, {nan, 5}, {-1e12f, 7}},
        {{5, 5}, {-10, -10}, {-1, -1}, {-1, -1}},
        {{25, 25}, {1e6f, 1e6f}, {-1e6f, 3}, {-1e6f, -1e6f}},
    };
    std::deque<cvROI> solid, styled;  // records stay where they are as more are added
    std::vector<cvROI*> solidPointers, styledPointers;
    for (int mode = 0; mode <= 10; ++mode)
        for (const auto& points : geometries)
            for (int thickness : {0, -3, 1000000, 40}) {
                // Dashed and dotted strokes draw one shape per sample, so they get bad but not astronomic widths.
                if (thickness != 40)
                    solidPointers.push_back(&solid.emplace_back(Record(mode, points, thickness)));
                for (int style : {1, 2, 7})
                    if (thickness != 1000000)
                        styledPointers.push_back(&styled.emplace_back(Record(mode, points, thickness, style)));
            }
    cv::Mat img = cv::Mat::zeros(50, 50, CV_8UC3);
    for (double scale : {1.0, -2.0, 0.0, 1e10})
        EXPECT_NO_THROW(ROIRenderer::RenderAll(img, solidPointers, scale, scale)) << scale;
    for (double scale : {1.0, -2.0, 0.0, 20.0})
        EXPECT_NO_THROW(ROIRenderer::RenderAll(img, styledPointers, scale, scale)) << scale;
    cv::Mat empty;
    EXPECT_NO_THROW(ROIRenderer::RenderAll(empty, solidPointers, 1.0, 1.0));
}

// Small circles are stamped from a cached raster, circles far larger than the buffer are clipped
// to it: both must set exactly the pixels cv::circle sets, also where they meet the buffer's edge.
// Other shapes larger than the buffer show the edges that cross it.
TEST(ROIRenderer, SmallAndHugeCirclesSetThePixelsOpenCVSetsAndHugeShapesShowTheirCrossingEdges)
{
    std::vector<cv::Vec4i> circles{{-500, 50, 520, 2}, {50, 560, 520, 2}, {-300, -300, 460, 2}};  // x, y, r, thickness
    for (int radius : {1, 3, 9, 16})
        for (int thickness : {1, 2, 5})
            for (int x : {30, 2})
                circles.emplace_back(x, 20, radius, thickness);
    for (const cv::Vec4i& c : circles) {
        cv::Mat expected = cv::Mat::zeros(100, 100, CV_8UC3);
        cv::circle(expected, {c[0], c[1]}, c[2], kWhite, c[3], cv::LINE_8);
        const cvROI roi = Record(CvROIMode::Circle, {cv::Point2f(c[0], c[1]), {float(c[2]), 0}}, c[3]);
        EXPECT_GT(Count(expected), 0) << c;
        EXPECT_EQ(cv::norm(Render(roi, {100, 100}), expected, cv::NORM_INF), 0.0) << c;
    }
    const cv::Mat img = Render(Record(CvROIMode::Rectangle, {{-50, 20}, {300, 50}}), {100, 100});
    EXPECT_EQ(cv::Vec3i(Count(img.row(20)), Count(img.row(70)), Count(img)), cv::Vec3i(100, 100, 200))
        << "top and bottom edges; the side edges lie outside";
    // Zoomed in on a corner: only two edges cross the view.
    const cv::Mat corner = Render(Record(CvROIMode::Rectangle, {{30, 40}, {500, 500}}), {100, 100});
    ExpectPixels(corner, {{99, 40, true}, {30, 99, true}});
    EXPECT_EQ(Count(corner), 70 + 60 - 1);
    cvROI turned = Record(CvROIMode::RotatedRectangle, {{-100, 30}, {300, 40}});
    turned.angle = 10.0;
    EXPECT_GT(Count(Render(turned, {100, 100})), 150);
}
