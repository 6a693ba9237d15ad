#include "ViewportSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

// A BGR image whose pixels name their own coordinates, so a sampled pixel tells
// where in the source it came from.
cv::Mat CoordinateImage(int width, int height)
{
    cv::Mat img(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.at<cv::Vec3b>(y, x) = cv::Vec3b(x % 256, y % 256, (x / 256) + 16 * (y / 256));
    return img;
}

// Nearest-neighbour truth: output pixel (i, j) shows source pixel
// (origin + floor(i / scale), origin + floor(j / scale)).
void ExpectNearestNeighbour(const cv::Mat& out, const cv::Mat& source, cv::Rect visible, double scale)
{
    ASSERT_EQ(out.cols, cvRound(visible.width * scale));
    ASSERT_EQ(out.rows, cvRound(visible.height * scale));
    for (int j = 0; j < out.rows; j += 7)
        for (int i = 0; i < out.cols; i += 5) {
            const int sx = visible.x + std::min(static_cast<int>(std::floor(i / scale)), visible.width - 1);
            const int sy = visible.y + std::min(static_cast<int>(std::floor(j / scale)), visible.height - 1);
            ASSERT_EQ(out.at<cv::Vec3b>(j, i), source.at<cv::Vec3b>(sy, sx)) << "at " << i << "," << j;
        }
}

} // namespace

TEST(Viewport, ScaleIsClampedAndNaNEndsAtMaximum)
{
    Viewport vp;
    for (const auto& [scale, clamped] : {std::pair{0.05, 0.1}, {25.0, 20.0}, {std::nan(""), 20.0}, {-3.0, 0.1},
                                         {std::numeric_limits<double>::infinity(), 20.0}}) {
        vp.SetScale(scale);
        EXPECT_EQ(vp.GetScale(), clamped) << scale;
    }
}

TEST(Viewport, CenteringOffsetPerAxis)
{
    Viewport vp = MakeViewport({100, 50}, {400, 300}, 2.0, {0, 0});
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(0, 0)) << "centering is off by default";
    vp.SetCenteringEnabled(true);
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(100.0f, 100.0f));
    vp.SetWindowSize({150, 300});
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(0.0f, 100.0f)) << "150 is not greater than 200";
    vp.SetWindowSize({201, 301});
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(0.5f, 100.5f)) << "offsets are not rounded";
    vp.SetScrollPosition({40, 40});
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(0.5f, 100.5f));
    vp.SetCenteringEnabled(false);
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(0, 0));
    vp.SetCenteringEnabled(true);
    vp.SetOriginalSize({0, 50});
    EXPECT_EQ(vp.GetCenteringOffset(), cv::Point2f(0, 0));
}

// Scrolled beyond the image or to huge positions the view is empty, without
// overflow; a negative scroll clamps the rectangle.
TEST(Viewport, VisibleRectangle)
{
    const struct {
        cv::Size source, window;
        double scale;
        cv::Point scroll;
        cv::Rect visible;
    } rows[] = {{{1000, 1000}, {300, 200}, 2.0, {101, 51}, {50, 25, 152, 102}},
                {{10, 10}, {100, 100}, 1.0, {0, 0}, {0, 0, 10, 10}},
                {{1000, 800}, {300, 200}, 0.5, {0, 0}, {0, 0, 602, 402}},
                {{1000, 800}, {300, 200}, 1.0, {900, 700}, {900, 700, 100, 100}},
                {{100, 100}, {50, 50}, 1.0, {100, 10}, {}},
                {{1000, 1000}, {INT_MAX, INT_MAX}, 0.1, {INT_MAX, INT_MAX}, {}},
                {{1000, 1000}, {INT_MAX, INT_MAX}, 0.1, {0, 0}, {0, 0, 1000, 1000}},
                {{100, 100}, {40, 30}, 2.0, {-10, -20}, {0, 0, 22, 17}},
                {{0, 0}, {40, 30}, 1.0, {0, 0}, {}}};
    for (const auto& row : rows)
        EXPECT_EQ(MakeViewport(row.source, row.window, row.scale, row.scroll).GetVisibleROI(), row.visible)
            << row.source << row.scroll << row.scale;
    const Viewport beyond = MakeViewport({100, 100}, {50, 50}, 1.0, {100, 10});
    EXPECT_TRUE(beyond.ExtractVisibleRegion(CoordinateImage(100, 100)).empty());
    EXPECT_EQ(beyond.OriginalToView(cv::Point2f(7, 9)), cv::Point2f(7, 9));  // an empty view has its origin at zero
    // ... but the inverse mapping is not clamped.
    EXPECT_EQ(MakeViewport({100, 100}, {40, 30}, 2.0, {-10, -20}).ViewToOriginal(cv::Point2f(20, 40)),
              cv::Point2f(5, 10));
}

// The copy never shares the source's memory.
TEST(Viewport, ExtractedRegionIsANearestNeighbourCopyOneToOneNearScaleOne)
{
    const cv::Mat source = CoordinateImage(640, 480);
    const cv::Mat before = source.clone();
    for (double scale : {0.1, 0.25, 0.37, 0.5, 1.0, 2.0, 3.5, 8.0}) {
        SCOPED_TRACE(scale);
        const Viewport vp = MakeViewport({640, 480}, {160, 100}, scale, {33, 17});
        cv::Mat out = vp.ExtractVisibleRegion(source);
        ASSERT_FALSE(out.empty());
        ExpectNearestNeighbour(out, source, vp.GetVisibleROI(), scale);
        out.setTo(cv::Scalar(1, 2, 3));
        EXPECT_EQ(cv::norm(source, before, cv::NORM_INF), 0.0);
    }

    // A scale of nearly one is shown one to one.
    const Viewport nearOne = MakeViewport({640, 480}, {100, 80}, 1.005, {10, 20});
    const cv::Rect visible = nearOne.GetVisibleROI();
    const cv::Mat out = nearOne.ExtractVisibleRegion(source);
    ASSERT_EQ(out.size(), visible.size());
    EXPECT_EQ(cv::norm(out, source(visible), cv::NORM_INF), 0.0);
    const Viewport scaled = MakeViewport({640, 480}, {100, 80}, 1.02, {10, 20});
    EXPECT_NE(scaled.ExtractVisibleRegion(source).size(), scaled.GetVisibleROI().size());
}

TEST(Viewport, SmallSourcesAreClippedNotOverrunAndKeepAPixel)
{
    const cv::Mat source = CoordinateImage(50, 40);
    const Viewport vp = MakeViewport({200, 200}, {100, 100}, 1.0, {10, 10});
    const cv::Mat out = vp.ExtractVisibleRegion(source);
    ASSERT_EQ(out.size(), cv::Size(40, 30));
    EXPECT_EQ(cv::norm(out, source(cv::Rect(10, 10, 40, 30)), cv::NORM_INF), 0.0);
    EXPECT_TRUE(MakeViewport({200, 200}, {100, 100}, 1.0, {60, 60}).ExtractVisibleRegion(source).empty());

    // A tiny image at low zoom gives at least one pixel.
    const cv::Mat tiny =
        MakeViewport({5, 30}, {100, 100}, 0.1, {0, 0}).ExtractVisibleRegion(source(cv::Rect(0, 0, 5, 30)));
    ASSERT_EQ(tiny.size(), cv::Size(1, 3));
    EXPECT_EQ(tiny.at<cv::Vec3b>(0, 0), source.at<cv::Vec3b>(0, 0));
    EXPECT_EQ(tiny.at<cv::Vec3b>(2, 0), source.at<cv::Vec3b>(20, 0));
}

TEST(Viewport, MappingsBothWays)
{
    Viewport vp = MakeViewport({1000, 1000}, {300, 200}, 2.0, {101, 51});
    EXPECT_EQ(vp.OriginalToView(cv::Point2f(60, 30)), cv::Point2f(20, 10));
    EXPECT_EQ(vp.ViewToOriginal(cv::Point2f(20, 10)), cv::Point2f(60.5f, 30.5f));

    const std::vector<cv::Point2f> pts = {{0, 0}, {60, 30}, {123.25f, 7.5f}, {-4, 999}};
    const std::vector<cv::Point2f> mapped = vp.OriginalToView(pts);
    ASSERT_EQ(mapped.size(), pts.size());
    for (size_t i = 0; i < pts.size(); ++i)
        EXPECT_EQ(mapped[i], vp.OriginalToView(pts[i]));

    Viewport centred = MakeViewport({100, 50}, {400, 300}, 2.0, {0, 0});
    centred.SetCenteringEnabled(true);
    EXPECT_EQ(centred.OriginalToView(cv::Point2f(10, 10)), cv::Point2f(120, 120));
    EXPECT_EQ(centred.ViewToOriginal(cv::Point2f(120, 120)), cv::Point2f(10, 10));
}

TEST(Viewport, VirtualSizeTruncatesWithoutOverflow)
{
    EXPECT_EQ(MakeViewport({100, 50}, {10, 10}, 2.5, {0, 0}).GetVirtualSize(), cv::Size(250, 125));
    EXPECT_EQ(MakeViewport({101, 51}, {10, 10}, 0.3, {0, 0}).GetVirtualSize(), cv::Size(30, 15));
    EXPECT_EQ(MakeViewport({INT_MAX, INT_MAX}, {10, 10}, 20.0, {0, 0}).GetVirtualSize(), cv::Size(INT_MAX, INT_MAX));
}
