// Guide geometry of both drawing paths, checked on the pixels drawn.
#include "tivra/engine/GuideLines.h"
#include "ViewportSupport.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>
#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <tuple>

namespace {

GuideLineSettings Settings(GuideLineMode mode, cv::Scalar color = cv::Scalar(0, 255, 0, 255))
{
    GuideLineSettings s;
    s.mode = mode;
    s.style.color = color;
    return s;
}

// Window path onto a black bitmap; returns the result as an image.
wxImage DrawWindowPath(int w, int h, const GuideLineSettings& settings)
{
    wxBitmap bitmap(w, h, 24);
    {
        wxMemoryDC dc(bitmap);
        dc.SetBackground(*wxBLACK_BRUSH);
        dc.Clear();
        GuideLines::DrawOnDC(dc, w, h, settings);
    }
    return bitmap.ConvertToImage();
}

bool GreenAt(const wxImage& img, int x, int y) { return img.GetGreen(x, y) > 100 && img.GetRed(x, y) < 60; }

// Whether any pixel within one pixel of (x, y) is green: antialiasing may put
// a one-pixel line on either side of its integer coordinate.
bool GreenNear(const wxImage& img, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < img.GetWidth() && py < img.GetHeight() && GreenAt(img, px, py))
                return true;
        }
    return false;
}

int GreenCount(const wxImage& img)
{
    int n = 0;
    for (int y = 0; y < img.GetHeight(); ++y)
        for (int x = 0; x < img.GetWidth(); ++x)
            n += GreenAt(img, x, y);
    return n;
}

}  // namespace

// Ratios outside the table fall back to 16:9; the marks' length is clamped to [20, 80].
TEST(GuideLineTables, RatiosAndCornerMarkLengths)
{
    EXPECT_DOUBLE_EQ(GuideLines::RatioOf(static_cast<AspectRatio>(9)), 16.0 / 9.0);
    EXPECT_DOUBLE_EQ(GuideLines::RatioOf(static_cast<AspectRatio>(-1)), 16.0 / 9.0);
    EXPECT_EQ(GuideLines::CornerMarkLength(300, 400), 20);
    EXPECT_EQ(GuideLines::CornerMarkLength(1000, 1200), 50);
    EXPECT_EQ(GuideLines::CornerMarkLength(5000, 6000), 80);
}

TEST(GuideLinesWindowPath, ThirdsOn300x200)
{
    const wxImage img = DrawWindowPath(300, 200, Settings(GuideLineMode::RuleOfThirds));
    // Dashes from the left edge: on [0, 20], off [20, 40], on again at 40; no line
    // between the thirds; circles of diameter 10 around the crossings.
    for (const auto& [x, y, green] : {std::tuple{10, 67, true}, {50, 133, true}, {30, 67, false}, {100, 10, true},
                                      {200, 170, true}, {100, 30, false}, {150, 100, false}, {10, 100, false},
                                      {205, 133, true}, {95, 67, true}})
        EXPECT_EQ(GreenNear(img, x, y), green) << x << "," << y;
}

TEST(GuideLinesWindowPath, CenterCrossDashesRunFromTheCentre)
{
    const wxImage img = DrawWindowPath(100, 100, Settings(GuideLineMode::CenterCross));
    for (int x : {55, 65, 92, 98, 35, 45, 2, 8})
        EXPECT_TRUE(GreenAt(img, x, 50)) << x;
    for (int x : {75, 85, 15, 25})
        EXPECT_FALSE(GreenNear(img, x, 50)) << x;
    EXPECT_TRUE(GreenAt(img, 50, 60));
    EXPECT_FALSE(GreenNear(img, 50, 80));
}

TEST(GuideLinesWindowPath, AspectFrame)
{
    const wxImage img = DrawWindowPath(400, 400, Settings(GuideLineMode::AspectRatioMask));
    // 16:9 frame (0, 87, 400, 225): edges at rows 87 and 311/312.
    for (const auto& [x, y, green] : {std::tuple{200, 87, true}, {200, 311, true}, {200, 60, false},
                                      {200, 200, false}, {200, 340, false}, {0, 200, true}})
        EXPECT_EQ(GreenNear(img, x, y), green) << x << "," << y;
    // At the target ratio the frame is the whole image.
    const wxImage whole = DrawWindowPath(320, 180, Settings(GuideLineMode::AspectRatioMask));
    EXPECT_TRUE(GreenNear(whole, 160, 0));
    EXPECT_TRUE(GreenNear(whole, 0, 90));
    EXPECT_FALSE(GreenNear(whole, 160, 90));
}

TEST(GuideLinesWindowPath, NothingWhenOffHiddenTransparentOrEmpty)
{
    EXPECT_EQ(GreenCount(DrawWindowPath(120, 80, Settings(GuideLineMode::Off))), 0);
    GuideLineSettings hidden = Settings(GuideLineMode::DiagonalLines);
    hidden.visible = false;
    EXPECT_EQ(GreenCount(DrawWindowPath(120, 80, hidden)), 0);
    EXPECT_EQ(GreenCount(DrawWindowPath(120, 80, Settings(GuideLineMode::DiagonalLines, {0, 255, 0, 0}))), 0);
    EXPECT_GT(GreenCount(DrawWindowPath(120, 80, Settings(GuideLineMode::DiagonalLines))), 60);
}

TEST(GuideLinesWindowPath, CornerMarksAndSafeZones)
{
    const wxImage corners = DrawWindowPath(300, 200, Settings(GuideLineMode::CornerMarkers));
    // L = 20; every leg of every corner shows, the bottom-right ones included.
    for (const auto& [x, y] : {std::pair{10, 0}, {0, 10}, {289, 0}, {299, 10}, {10, 199}, {0, 189}, {289, 199},
                               {299, 189}})
        EXPECT_TRUE(GreenAt(corners, x, y)) << x << "," << y;
    EXPECT_FALSE(GreenNear(corners, 40, 0));
    EXPECT_FALSE(GreenNear(corners, 150, 100));

    const wxImage zones = DrawWindowPath(400, 200, Settings(GuideLineMode::SafeZones));
    // Margins 5 % (20, 10) and 10 % (40, 20); dashes start at each rectangle's corner.
    EXPECT_TRUE(GreenNear(zones, 25, 10));
    EXPECT_TRUE(GreenNear(zones, 45, 20));
    EXPECT_FALSE(GreenNear(zones, 200, 100));
}

TEST(GuideLinesBufferPath, ThirdsAtScaleOneIgnoreAlpha)
{
    cv::Mat buffer(200, 300, CV_8UC3, cv::Scalar::all(0));
    const Viewport vp = MakeViewport({300, 200}, {300, 200}, 1.0);
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {300, 200}, Settings(GuideLineMode::RuleOfThirds, {0, 255, 0, 0}));
    // Dash step 10: [0, 10] drawn, [10, 20] gap.
    for (const auto& [x, y, green] : {std::tuple{5, 67, 255}, {15, 67, 0}, {100, 5, 255}, {150, 100, 0}})
        EXPECT_EQ(buffer.at<cv::Vec3b>(y, x), cv::Vec3b(0, green, 0)) << x << "," << y;
}

TEST(GuideLinesBufferPath, FollowsZoomAndScroll)
{
    // Source 1000 x 1000 at scale 2, scrolled to (600, 600): source x 300 to
    // 400 is visible, so the vertical third at 333.33 lands at buffer x 67.
    cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(0));
    const Viewport vp = MakeViewport({1000, 1000}, {200, 200}, 2.0, {600, 600});
    const cv::Mat visible = vp.ExtractVisibleRegion(cv::Mat(1000, 1000, CV_8UC3, cv::Scalar::all(0)));
    buffer = visible;
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {1000, 1000}, Settings(GuideLineMode::RuleOfThirds));
    // Row 25 lies in a dash of the vertical line and away from the horizontal
    // third (buffer row 67).
    std::vector<int> greenColumns;
    for (int x = 0; x < buffer.cols; ++x)
        if (buffer.at<cv::Vec3b>(25, x)[1] == 255)
            greenColumns.push_back(x);
    EXPECT_EQ(greenColumns, std::vector<int>{67});
}

TEST(GuideLinesBufferPath, SafeZonesOutsideTheViewDrawNothing)
{
    cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(40));
    const cv::Mat before = buffer.clone();
    const Viewport vp = MakeViewport({1000, 1000}, {200, 200}, 4.0, {1600, 1600});
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {1000, 1000}, Settings(GuideLineMode::SafeZones));
    EXPECT_EQ(cv::norm(buffer, before, cv::NORM_INF), 0.0);
}

TEST(GuideLinesBufferPath, AspectMaskDarkensOutsideTheFrame)
{
    cv::Mat buffer(400, 400, CV_8UC3, cv::Scalar::all(100));
    const Viewport vp = MakeViewport({400, 400}, {400, 400}, 1.0);
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {400, 400}, Settings(GuideLineMode::AspectRatioMask));
    // 16:9 frame: rows 87.5 to 312.5, mapped to 88 and 312.
    for (const auto& [y, colour] : {std::pair{40, cv::Vec3b(50, 50, 50)}, {380, cv::Vec3b(50, 50, 50)},
                                    {200, cv::Vec3b(100, 100, 100)}, {88, cv::Vec3b(0, 255, 0)},
                                    {312, cv::Vec3b(0, 255, 0)}})
        EXPECT_EQ(buffer.at<cv::Vec3b>(y, 200), colour) << y;
}

TEST(GuideLinesBufferPath, AspectMaskDarkensAViewWhollyOutsideTheFrame)
{
    // A 1:1 frame in the middle of a 1600 x 400 image spans x 600 to 1000; the
    // view shows x 0 to 200 only, all of it outside the frame.
    cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(100));
    const Viewport vp = MakeViewport({1600, 400}, {200, 200}, 1.0);
    GuideLineSettings settings = Settings(GuideLineMode::AspectRatioMask);
    settings.aspectRatio = AspectRatio::AR_1_1;
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {1600, 400}, settings);
    EXPECT_EQ(cv::countNonZero(buffer.reshape(1) != 50), 0);
}

TEST(GuideLinesBufferPath, CornerMarksScaleWithTheZoom)
{
    // Source 300 x 200 at scale 2: marks of 20 source pixels are 40 long and
    // the far legs lie on the last buffer column and row.
    const Viewport vp = MakeViewport({300, 200}, {600, 400}, 2.0);
    cv::Mat buffer = vp.ExtractVisibleRegion(cv::Mat(200, 300, CV_8UC3, cv::Scalar::all(0)));
    ASSERT_EQ(buffer.size(), cv::Size(600, 400));
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {300, 200}, Settings(GuideLineMode::CornerMarkers));
    for (const auto& [x, y] : {std::pair{39, 0}, {0, 39}, {599, 39}, {560, 399}, {599, 360}})
        EXPECT_EQ(buffer.at<cv::Vec3b>(y, x)[1], 255) << x << "," << y;
    EXPECT_EQ(buffer.at<cv::Vec3b>(0, 45)[1], 0);
    EXPECT_EQ(buffer.at<cv::Vec3b>(399, 550)[1], 0);
}

TEST(GuideLines, WidthsBelowOneDrawOnePixelLines)
{
    for (const int thickness : {0, -3}) {
        GuideLineSettings settings = Settings(GuideLineMode::RuleOfThirds);
        settings.style.thickness = thickness;
        cv::Mat buffer(200, 300, CV_8UC3, cv::Scalar::all(0));
        const Viewport vp = MakeViewport({300, 200}, {300, 200}, 1.0);
        ASSERT_NO_THROW(GuideLines::DrawOnVisibleBuffer(buffer, vp, {300, 200}, settings));
        EXPECT_EQ(buffer.at<cv::Vec3b>(67, 5), cv::Vec3b(0, 255, 0));
        EXPECT_EQ(buffer.at<cv::Vec3b>(66, 5), cv::Vec3b(0, 0, 0));
        EXPECT_TRUE(GreenNear(DrawWindowPath(300, 200, settings), 10, 67));
    }
}

TEST(GuideLinesBufferPath, CenterCrossAndNothingForDegenerateInput)
{
    cv::Mat buffer(100, 100, CV_8UC3, cv::Scalar::all(0));
    const Viewport vp = MakeViewport({100, 100}, {100, 100}, 1.0);
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {100, 100}, Settings(GuideLineMode::CenterCross));
    for (const auto& [x, green] : {std::pair{60, 255}, {80, 0}, {95, 255}, {25, 0}})
        EXPECT_EQ(buffer.at<cv::Vec3b>(50, x)[1], green) << x;

    cv::Mat untouched(50, 50, CV_8UC3, cv::Scalar::all(0));
    GuideLines::DrawOnVisibleBuffer(untouched, vp, {0, 100}, Settings(GuideLineMode::DiagonalLines));
    GuideLineSettings hidden = Settings(GuideLineMode::DiagonalLines);
    hidden.visible = false;
    GuideLines::DrawOnVisibleBuffer(untouched, vp, {100, 100}, hidden);
    EXPECT_EQ(cv::countNonZero(untouched.reshape(1)), 0);
    cv::Mat empty;
    GuideLines::DrawOnVisibleBuffer(empty, vp, {100, 100}, Settings(GuideLineMode::DiagonalLines));
    EXPECT_TRUE(empty.empty());
}
