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

// Expected pixels: '#' green at the pixel, '~' green within one pixel (antialiasing), '.' none within one pixel.
TEST(GuideLinesWindowPath, PixelsOfEveryMode)
{
    const struct {
        GuideLineMode mode;
        wxSize size;
        std::vector<std::tuple<int, int, char>> pixels;
    } cases[] = {
        // Dashes from the left edge: on [0, 20], off [20, 40], on again at 40; no line
        // between the thirds; circles of diameter 10 around the crossings.
        {GuideLineMode::RuleOfThirds, {300, 200}, {{10, 67, '~'}, {50, 133, '~'}, {30, 67, '.'}, {100, 10, '~'},
            {200, 170, '~'}, {100, 30, '.'}, {150, 100, '.'}, {10, 100, '.'}, {205, 133, '~'}, {95, 67, '~'}}},
        // Dashes run outwards from the centre.
        {GuideLineMode::CenterCross, {100, 100}, {{55, 50, '#'}, {65, 50, '#'}, {92, 50, '#'}, {98, 50, '#'},
            {35, 50, '#'}, {45, 50, '#'}, {2, 50, '#'}, {8, 50, '#'}, {75, 50, '.'}, {85, 50, '.'}, {15, 50, '.'},
            {25, 50, '.'}, {50, 60, '#'}, {50, 80, '.'}}},
        // 16:9 frame (0, 87, 400, 225): edges at rows 87 and 311/312.
        {GuideLineMode::AspectRatioMask, {400, 400}, {{200, 87, '~'}, {200, 311, '~'}, {200, 60, '.'},
            {200, 200, '.'}, {200, 340, '.'}, {0, 200, '~'}}},
        // At the target ratio the frame is the whole image.
        {GuideLineMode::AspectRatioMask, {320, 180}, {{160, 0, '~'}, {0, 90, '~'}, {160, 90, '.'}}},
        // L = 20; every leg of every corner shows, the bottom-right ones included.
        {GuideLineMode::CornerMarkers, {300, 200}, {{10, 0, '#'}, {0, 10, '#'}, {289, 0, '#'}, {299, 10, '#'},
            {10, 199, '#'}, {0, 189, '#'}, {289, 199, '#'}, {299, 189, '#'}, {40, 0, '.'}, {150, 100, '.'}}},
        // Margins 5 % (20, 10) and 10 % (40, 20); dashes start at each rectangle's corner.
        {GuideLineMode::SafeZones, {400, 200}, {{25, 10, '~'}, {45, 20, '~'}, {200, 100, '.'}}},
    };
    for (const auto& c : cases) {
        const wxImage img = DrawWindowPath(c.size.x, c.size.y, Settings(c.mode));
        for (const auto& [x, y, expected] : c.pixels)
            EXPECT_EQ(expected == '#' ? GreenAt(img, x, y) : GreenNear(img, x, y), expected != '.')
                << static_cast<int>(c.mode) << " at " << x << "," << y;
    }
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

// Buffer path, the buffer filled with `fill` before drawing.
TEST(GuideLinesBufferPath, PixelsOfEveryMode)
{
    const cv::Vec3b green(0, 255, 0), black(0, 0, 0), dark = cv::Vec3b::all(50);
    const struct {
        GuideLineSettings settings;
        cv::Size source;
        int scale;
        int fill;
        std::vector<std::tuple<int, int, cv::Vec3b>> pixels;
    } cases[] = {
        // Alpha is ignored; dash step 10: [0, 10] drawn, [10, 20] gap.
        {Settings(GuideLineMode::RuleOfThirds, {0, 255, 0, 0}), {300, 200}, 1, 0,
         {{5, 67, green}, {15, 67, black}, {100, 5, green}, {150, 100, black}}},
        // 16:9 frame: rows 87.5 to 312.5, mapped to 88 and 312; outside it is darkened.
        {Settings(GuideLineMode::AspectRatioMask), {400, 400}, 1, 100,
         {{200, 40, dark}, {200, 380, dark}, {200, 200, cv::Vec3b::all(100)}, {200, 88, green}, {200, 312, green}}},
        // At scale 2 marks of 20 source pixels are 40 long and the far legs lie on
        // the last buffer column and row.
        {Settings(GuideLineMode::CornerMarkers), {300, 200}, 2, 0,
         {{39, 0, green}, {0, 39, green}, {599, 39, green}, {560, 399, green}, {599, 360, green}, {45, 0, black},
          {550, 399, black}}},
        {Settings(GuideLineMode::CenterCross), {100, 100}, 1, 0,
         {{60, 50, green}, {80, 50, black}, {95, 50, green}, {25, 50, black}}},
    };
    for (const auto& c : cases) {
        cv::Mat buffer(c.source * c.scale, CV_8UC3, cv::Scalar::all(c.fill));
        GuideLines::DrawOnVisibleBuffer(buffer, MakeViewport(c.source, buffer.size(), c.scale), c.source, c.settings);
        for (const auto& [x, y, colour] : c.pixels)
            EXPECT_EQ(buffer.at<cv::Vec3b>(y, x), colour)
                << static_cast<int>(c.settings.mode) << " at " << x << "," << y;
    }
}

TEST(GuideLinesBufferPath, FollowsZoomAndScroll)
{
    // Source 1000 x 1000 at scale 2, scrolled to (600, 600): source x 300 to
    // 400 is visible, so the vertical third at 333.33 lands at buffer x 67.
    const Viewport vp = MakeViewport({1000, 1000}, {200, 200}, 2.0, {600, 600});
    cv::Mat buffer = vp.ExtractVisibleRegion(cv::Mat(1000, 1000, CV_8UC3, cv::Scalar::all(0)));
    GuideLines::DrawOnVisibleBuffer(buffer, vp, {1000, 1000}, Settings(GuideLineMode::RuleOfThirds));
    // Row 25 lies in a dash of the vertical line and away from the horizontal
    // third (buffer row 67).
    std::vector<int> greenColumns;
    for (int x = 0; x < buffer.cols; ++x)
        if (buffer.at<cv::Vec3b>(25, x)[1] == 255)
            greenColumns.push_back(x);
    EXPECT_EQ(greenColumns, std::vector<int>{67});
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

TEST(GuideLinesBufferPath, NothingForDegenerateInputOrOutsideTheView)
{
    const Viewport vp = MakeViewport({100, 100}, {100, 100}, 1.0);
    cv::Mat untouched(50, 50, CV_8UC3, cv::Scalar::all(0));
    GuideLines::DrawOnVisibleBuffer(untouched, vp, {0, 100}, Settings(GuideLineMode::DiagonalLines));
    GuideLineSettings hidden = Settings(GuideLineMode::DiagonalLines);
    hidden.visible = false;
    GuideLines::DrawOnVisibleBuffer(untouched, vp, {100, 100}, hidden);
    EXPECT_EQ(cv::countNonZero(untouched.reshape(1)), 0);
    // Safe zones wholly outside the view.
    cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(40));
    const cv::Mat before = buffer.clone();
    GuideLines::DrawOnVisibleBuffer(buffer, MakeViewport({1000, 1000}, {200, 200}, 4.0, {1600, 1600}), {1000, 1000},
                                    Settings(GuideLineMode::SafeZones));
    EXPECT_EQ(cv::norm(buffer, before, cv::NORM_INF), 0.0);
    cv::Mat empty;
    GuideLines::DrawOnVisibleBuffer(empty, vp, {100, 100}, Settings(GuideLineMode::DiagonalLines));
    EXPECT_TRUE(empty.empty());
}
