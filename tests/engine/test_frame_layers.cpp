#include <gtest/gtest.h>

#include <cmath>

#include <opencv2/imgproc.hpp>

#include "ViewportSupport.h"
#include "tivra/engine/FrameLayers.h"

namespace {

cv::Vec3b At(const cv::Mat& m, int x, int y)
{
    return m.at<cv::Vec3b>(y, x);
}

// Tests that draw glyphs with the default font.
class WithFont : public ::testing::Test {
protected:
    void SetUp() override
    {
        font = FrameLayers::LoadFont(wxString(), FrameLayers::kDefaultFontPath);
        ASSERT_TRUE(font) << "the DejaVu font of fonts-dejavu-core is needed";
    }
    FrameLayers::FontPtr font;
};
using Badge = WithFont;
using Texts = WithFont;

// Bounding box of the pixels that differ from black.
cv::Rect InkBox(const cv::Mat& m)
{
    cv::Mat gray, ink;
    cv::cvtColor(m, gray, cv::COLOR_BGR2GRAY);
    cv::threshold(gray, ink, 0, 255, cv::THRESH_BINARY);
    std::vector<cv::Point> points;
    cv::findNonZero(ink, points);
    return points.empty() ? cv::Rect() : cv::boundingRect(points);
}

// Visible white text of `lines` at `position`.
cvText WhiteText(cv::Point2f position, std::initializer_list<const char*> lines, int fontHeight)
{
    cvText text;
    text.visible = true;
    text.position = position;
    for (const char* line : lines)
        text.lines.Add(line);
    text.color = cv::Scalar(255, 255, 255);
    text.fontHeight = fontHeight;
    return text;
}

cvROI Record(int mode, std::vector<cv::Point2f> points, cv::Scalar color = cv::Scalar(0, 0, 255, 255))
{
    cvROI r;
    r.visible = true;
    r.mode = mode;
    r.points = std::move(points);
    r.color = color;
    return r;
}

}  // namespace

TEST_F(Badge, DrawsFilledOutlinedBoxInTheStateColours)
{
    const int height = FrameLayers::FitBadgeFontHeight(*font, "FAIL ", 100, 50);
    cv::Mat buffer(400, 600, CV_8UC3, cv::Scalar::all(0));
    int baseline = 0;
    FrameLayers::DrawBadge(buffer, 1, "FAIL", font.get(), height, baseline);
    EXPECT_EQ(At(buffer, 501, 7), cv::Vec3b(0, 0, 255));      // fill: red
    EXPECT_EQ(At(buffer, 497, 30), cv::Vec3b(136, 136, 18));  // outline
    EXPECT_EQ(At(buffer, 597, 30), cv::Vec3b(136, 136, 18));
    EXPECT_EQ(At(buffer, 599, 30), cv::Vec3b(0, 0, 0));       // right of the badge
    EXPECT_EQ(At(buffer, 550, 57), cv::Vec3b(0, 0, 0));       // below it
    EXPECT_EQ(At(buffer, 490, 30), cv::Vec3b(0, 0, 0));       // left of it
    // The label is light yellow, inside the badge.
    cv::Mat label;
    cv::inRange(buffer, cv::Scalar(200, 240, 240), cv::Scalar(230, 255, 255), label);
    std::vector<cv::Point> glyphs;
    cv::findNonZero(label, glyphs);
    ASSERT_FALSE(glyphs.empty());
    const cv::Rect text = cv::boundingRect(glyphs);
    EXPECT_GE(text.x, 497);
    EXPECT_LE(text.br().x, 598);
    EXPECT_GE(text.y, 3);
    EXPECT_LE(text.br().y, 54);

    for (const auto& [state, colour] : {std::pair{0, cv::Vec3b(0, 255, 0)}, std::pair{-1, cv::Vec3b(0, 255, 0)},
                                       std::pair{2, cv::Vec3b(192, 192, 192)}}) {
        cv::Mat buffer(100, 600, CV_8UC3, cv::Scalar::all(0));
        int baseline = 0;
        FrameLayers::DrawBadge(buffer, state, "", nullptr, 10, baseline);
        EXPECT_EQ(At(buffer, 501, 7), colour) << state;
    }
}

TEST_F(Badge, FittedHeightIsTheLargestThatFits)
{
    const std::string label = FrameLayers::WidestBadgeLabel(*font, "OK", "NG", "RECYCLE");
    EXPECT_EQ(label, "RECYCLE ");
    const int bw = 100, bh = 50;
    const int height = FrameLayers::FitBadgeFontHeight(*font, label, bw, bh);
    ASSERT_GT(height, 1);
    ASSERT_LT(height, 80);
    int baseline = 0;
    cv::Size size = font->getTextSize(label, height, -1, &baseline);
    EXPECT_LE(size.width, bw);
    EXPECT_LE(baseline + height, bh);
    size = font->getTextSize(label, height + 1, -1, &baseline);
    EXPECT_TRUE(size.width > bw || baseline + height + 1 > bh);
    EXPECT_EQ(FrameLayers::FitBadgeFontHeight(*font, label, 0, 0), 1);
    // Ties go to the earlier label.
    EXPECT_EQ(FrameLayers::WidestBadgeLabel(*font, "AB", "AB", "AB"), "AB ");
    EXPECT_EQ(FrameLayers::WidestBadgeLabel(*font, "PASS!", "F", "R"), "PASS! ");
}

TEST_F(Texts, DrawnBelowTheAnchorScaledWithTheZoomLineByLineOnTheirBackground)
{
    const cvText text = WhiteText({50, 40}, {"Hello"}, 20);

    cv::Mat atOne(200, 300, CV_8UC3, cv::Scalar::all(0));
    FrameLayers::DrawText(atOne, text, *font, MakeViewport({300, 200}, {300, 200}, 1.0), 1.0);
    const cv::Rect one = InkBox(atOne);
    ASSERT_GT(one.area(), 0);
    EXPECT_GE(one.x, 49);
    EXPECT_GE(one.y, 40);
    EXPECT_LE(one.br().y, 40 + 20 + 6);

    cv::Mat atTwo(400, 600, CV_8UC3, cv::Scalar::all(0));
    FrameLayers::DrawText(atTwo, text, *font, MakeViewport({300, 200}, {600, 400}, 2.0), 2.0);
    const cv::Rect two = InkBox(atTwo);
    EXPECT_GE(two.x, 99);
    EXPECT_GE(two.y, 80);
    EXPECT_NEAR(two.height, 2 * one.height, 3);
    // A missing font file falls back to the default; without that there is no font.
    EXPECT_TRUE(FrameLayers::LoadFont("/no/such/font.ttf", FrameLayers::kDefaultFontPath));
    EXPECT_FALSE(FrameLayers::LoadFont("/no/such/font.ttf", "/no/such/default.ttf"));

    cvText twoLines = WhiteText({10, 10}, {"A", "B"}, 20);
    twoLines.bgColor = cv::Scalar(255, 0, 0);
    twoLines.drawBackground = true;
    cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(0));
    FrameLayers::DrawText(buffer, twoLines, *font, MakeViewport({200, 200}, {200, 200}, 1.0), 1.0);
    // Line 2 sits one step (20 + 10) below line 1; both have a blue box.
    cv::Mat blue;
    cv::inRange(buffer, cv::Scalar(255, 0, 0), cv::Scalar(255, 0, 0), blue);
    EXPECT_GT(cv::countNonZero(blue.rowRange(10, 35)), 0);
    EXPECT_GT(cv::countNonZero(blue.rowRange(45, 65)), 0);
    EXPECT_EQ(cv::countNonZero(blue.rowRange(80, 200)), 0);
}

// Every shape of a record counts: a second rectangle far from the first is not lost.
TEST(Culling, BoxesByKindCoverEveryShape)
{
    const std::pair<cvROI, cv::Rect> rows[] = {
        {Record(CvROIMode::Point, {{100, 50}}), cv::Rect(95, 45, 10, 10)},
        {Record(CvROIMode::Line, {{10, 20}, {60, 20}}), cv::Rect(10, 19, 50, 2)},
        {Record(CvROIMode::Mask, {}), cv::Rect(0, 0, 1000, 800)},
        {Record(CvROIMode::Circle, {{100, 100}, {30, 0}, {-5, 10}, {9, 0}}), cv::Rect(70, 70, 60, 60)},
        {Record(CvROIMode::Annulus, {{200, 200}, {50, 0}, {20, 0}, {0, 360}}), cv::Rect(150, 150, 100, 100)},
        {Record(CvROIMode::Annulus, {{200, 200}, {50, 0}, {20, 70}, {0, 360}}), cv::Rect(130, 130, 140, 140)},
        {Record(CvROIMode::Rectangle, {{10, 10}, {20, 20}, {700, 500}, {50, 40}}), cv::Rect(10, 10, 740, 530)},
        {Record(CvROIMode::RotatedRectangle, {{10, 10}, {20, 20}, {0, 0}, {700, 500}, {50, 40}, {0, 0}}),
         cv::Rect(10, 10, 740, 530)},
    };
    const cv::Size source(1000, 800);
    for (const auto& [record, box] : rows)
        EXPECT_EQ(FrameLayers::OverlayCullingBox(record, source), box) << record.mode;
    EXPECT_TRUE(FrameLayers::OverlayCullingBox(Record(CvROIMode::Circle, {{100, 100}, {0, 0}}), source).empty());
    cvROI rotated = Record(CvROIMode::RotatedRectangle, {{100, 100}, {100, 100}});
    rotated.angle = 45;
    const cv::Rect box = FrameLayers::OverlayCullingBox(rotated, source);
    EXPECT_NEAR(box.width, 142, 2);
    EXPECT_NEAR(box.x + box.width / 2.0, 150, 1.5);
}

TEST(ViewPoints, LengthsAreScaledPositionsMapped)
{
    const Viewport view = MakeViewport({1000, 1000}, {300, 200}, 2.0, {100, 50});
    const auto rect = FrameLayers::OverlayViewPoints(Record(CvROIMode::Rectangle, {{60, 40}, {10, 5}}), view, 2.0);
    ASSERT_EQ(rect.size(), 2u);
    EXPECT_EQ(rect[0], cv::Point2f(20, 30));  // (60 - 50) * 2, (40 - 25) * 2
    EXPECT_EQ(rect[1], cv::Point2f(20, 10));
    const auto ring = FrameLayers::OverlayViewPoints(
        Record(CvROIMode::Annulus, {{60, 40}, {10, 0}, {4, 0}, {30, 300}}), view, 2.0);
    ASSERT_EQ(ring.size(), 4u);
    EXPECT_EQ(ring[1], cv::Point2f(20, 0));
    EXPECT_EQ(ring[2], cv::Point2f(8, 0));
    EXPECT_EQ(ring[3], cv::Point2f(30, 300));
    // An ellipse's axes are lengths and its angles stay: a scrolled view must not shift them.
    const auto arc =
        FrameLayers::OverlayViewPoints(Record(CvROIMode::Ellipse, {{60, 40}, {10, 5}, {0, 270}}), view, 2.0);
    ASSERT_EQ(arc.size(), 3u);
    EXPECT_EQ(arc[1], cv::Point2f(20, 10));
    EXPECT_EQ(arc[2], cv::Point2f(0, 270));
    EXPECT_TRUE(FrameLayers::OverlayViewPoints(Record(CvROIMode::Mask, {{1, 1}}), view, 2.0).empty());
}

TEST(Overlays, DrawnAtTheirViewPositionsInTheirColours)
{
    const Viewport view = MakeViewport({1000, 1000}, {300, 200}, 2.0, {100, 50});
    cvROI line = Record(CvROIMode::Line, {{60, 40}, {100, 40}}, cv::Scalar(0, 255, 0, 255));
    cvROI yellow = Record(CvROIMode::Rectangle, {{60, 60}, {20, 10}}, cv::Scalar(255, 0, 0, 255));
    yellow.roiIndex = 0;  // drawn in the panel's ROI colour
    cvROI culled = Record(CvROIMode::Point, {{900, 900}});
    // A single point and a horizontal line have empty boxes and are still drawn.
    cvROI point = Record(CvROIMode::Point, {{120, 40}}, cv::Scalar(255, 255, 255, 255));
    cv::Mat buffer = view.ExtractVisibleRegion(cv::Mat(1000, 1000, CV_8UC3, cv::Scalar::all(0)));
    ASSERT_FALSE(buffer.empty());
    FrameLayers::DrawOverlays(buffer, {&line, &yellow, &culled, &point, nullptr}, view, 2.0, {1000, 1000},
                              cv::Scalar(0, 255, 255, 0));
    // Source (60, 40) is at ((60 - 50) * 2, (40 - 25) * 2) = (20, 30).
    EXPECT_EQ(At(buffer, 40, 30), cv::Vec3b(0, 255, 0));
    EXPECT_EQ(At(buffer, 40, 34), cv::Vec3b(0, 0, 0));
    // Rectangle from (20, 70), 40 x 20, in yellow whatever its own colour.
    EXPECT_EQ(At(buffer, 40, 70), cv::Vec3b(0, 255, 255));
    EXPECT_EQ(At(buffer, 20, 80), cv::Vec3b(0, 255, 255));
    EXPECT_EQ(At(buffer, 40, 80), cv::Vec3b(0, 0, 0));
    EXPECT_EQ(At(buffer, 142, 30), cv::Vec3b(255, 255, 255));
    cv::Mat red;
    cv::inRange(buffer, cv::Scalar(0, 0, 255), cv::Scalar(0, 0, 255), red);
    EXPECT_EQ(cv::countNonZero(red), 0);
}

TEST(Overlays, MaskBlendsOnlyWhereSet)
{
    const Viewport view = MakeViewport({100, 100}, {100, 100}, 1.0);
    cvROI mask = Record(CvROIMode::Mask, {}, cv::Scalar(255, 0, 0, 127.5));
    mask.mask = cv::Mat(100, 100, CV_8UC1, cv::Scalar(0));
    mask.mask(cv::Rect(0, 0, 50, 100)).setTo(1);
    cv::Mat buffer(100, 100, CV_8UC3, cv::Scalar::all(100));
    FrameLayers::DrawOverlays(buffer, {&mask}, view, 1.0, {100, 100}, cv::Scalar(0, 255, 255));
    const cv::Vec3b blended = At(buffer, 10, 10);
    EXPECT_NEAR(blended[0], 178, 1);
    EXPECT_NEAR(blended[1], 50, 1);
    EXPECT_EQ(At(buffer, 80, 10), cv::Vec3b(100, 100, 100));
}

// At a zoom where a record spans less than a screen pixel it is drawn as a dot
// rather than skipped: it still shows in its colour where it lies.
TEST(Overlays, TinyOnesStillShowAtTheirPlaceAsDots)
{
    const Viewport view = MakeViewport({2000, 2000}, {200, 200}, 0.1);
    for (const cvROI& roi : {Record(CvROIMode::Line, {{1000, 1000}, {1004, 1003}}),
                             Record(CvROIMode::Rectangle, {{1000, 1000}, {5, 4}}),
                             Record(CvROIMode::RotatedRectangle, {{1000, 1000}, {5, 4}}),
                             Record(CvROIMode::Circle, {{1003, 1003}, {3, 0}}),
                             Record(CvROIMode::Annulus, {{1003, 1003}, {3, 0}, {1, 0}, {0, 360}}),
                             Record(CvROIMode::Polygon, {{1000, 1000}, {1005, 1000}, {1003, 1004}})}) {
        SCOPED_TRACE(roi.mode);
        cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(0));
        FrameLayers::DrawOverlays(buffer, {&roi}, view, 0.1, {2000, 2000}, cv::Scalar(0, 255, 255));
        const cv::Rect ink = InkBox(buffer);
        ASSERT_FALSE(ink.empty());
        EXPECT_EQ(At(buffer, ink.x, ink.y), cv::Vec3b(0, 0, 255));
        EXPECT_LE(cv::norm(ink.tl() - cv::Point(100, 100)), 3.0);
    }
    // An even-sided dot covers the record's centre pixel and the one after it, not the one before.
    cvROI thick = Record(CvROIMode::Rectangle, {{1000, 1000}, {5, 4}});
    thick.thickness = 2;
    cv::Mat buffer(200, 200, CV_8UC3, cv::Scalar::all(0));
    FrameLayers::DrawOverlays(buffer, {&thick}, view, 0.1, {2000, 2000}, cv::Scalar(0, 255, 255));
    EXPECT_EQ(InkBox(buffer), cv::Rect(100, 100, 2, 2));
}

// Positions and heights from callers are not trusted: unusable ones draw nothing
// (or glyphs no taller than the view) instead of overflowing the pixel casts. A
// long line anchored far left of the view is not drawn either.
TEST_F(Texts, OutOfRangeDrawNothingOrStayWithinTheBuffer)
{
    const struct {
        cv::Point2f position;
        int fontHeight;
        bool inked;
        const char* line = "W";
    } rows[] = {{{std::nanf(""), 10.0f}, 20, false}, {{1e30f, 1e30f}, 20, false}, {{90.0f, 10.0f}, 20, false},
                {{0.0f, 0.0f}, 2000000000, true},
                {{-150.0f, 20.0f}, 20, false, "A very long line of text that would reach into the view"}};
    for (const auto& row : rows) {
        cv::Mat buffer(60, 80, CV_8UC3, cv::Scalar::all(0));
        FrameLayers::DrawText(buffer, WhiteText(row.position, {row.line}, row.fontHeight), *font,
                              MakeViewport({80, 60}, {80, 60}, 1.0), 1.0);
        EXPECT_EQ(cv::countNonZero(buffer.reshape(1)) > 0, row.inked) << row.position << " " << row.fontHeight;
    }
}
