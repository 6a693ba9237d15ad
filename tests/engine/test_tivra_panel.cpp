// The basic panel's image pipeline in a real (shown) wx window.
#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "ShownFrame.h"

#include <opencv2/imgcodecs.hpp>
#include <wx/filename.h>
#include <wx/rawbmp.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Exposes the best client size, which wx keeps protected.
class ProbePanel : public TivraPanel {
public:
    using TivraPanel::TivraPanel;
    wxSize BestClientSize() const { return DoGetBestClientSize(); }
};

class TivraPanelTest : public ShownFrameTest {
protected:
    void SetUp() override
    {
        ShownFrameTest::SetUp();
        m_panel = new ProbePanel(m_container, wxID_ANY, wxPoint(0, 0), wxSize(400, 400), 0, "probe");
        ShowFrame();
    }

    static std::string TempPath(const std::string& name)
    {
        return (wxFileName::GetTempDir() + "/tivra_panel_test_" + std::to_string(wxGetProcessId()) + "_" + name)
            .ToStdString();
    }

    ProbePanel* m_panel = nullptr;
};

// Pixel (x, y) of a bitmap as (alpha, red, green, blue).
cv::Vec4b Argb(wxBitmap& bitmap, int x, int y)
{
    wxAlphaPixelData data(bitmap);
    wxAlphaPixelData::Iterator it(data);
    it.Offset(data, x, y);
    return {it.Alpha(), it.Red(), it.Green(), it.Blue()};
}

}  // namespace

TEST_F(TivraPanelTest, GrayImageBecomesBgrSourceAndOpaqueGrayBitmapShownWithoutACopy)
{
    const cv::Mat gray(480, 640, CV_8UC1, cv::Scalar(123));
    ASSERT_TRUE(m_panel->SetCVmat(gray, false, false));
    EXPECT_EQ(m_panel->GetSourceMat().type(), CV_8UC3);
    wxBitmap& bmp = m_panel->GetBitmap();
    ASSERT_TRUE(bmp.IsOk());
    EXPECT_EQ(bmp.GetSize(), wxSize(640, 480));
    EXPECT_EQ(Argb(bmp, 0, 0), cv::Vec4b(255, 123, 123, 123));
    EXPECT_EQ(Argb(bmp, 639, 479), cv::Vec4b(255, 123, 123, 123));
    EXPECT_EQ(m_panel->GetVirtualSize(), wxSize(640, 480));

    // Original mode shows the source without a second copy.
    const cv::Mat image = Gradient(50, 70);
    ASSERT_TRUE(m_panel->SetCVmat(image, false, false));
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 1.0);
    const cv::Mat& shown = m_panel->GetDrawMat();
    EXPECT_EQ(shown.data, m_panel->GetSourceMat().data);
    EXPECT_EQ(m_panel->GetRawMat().data, shown.data);
    EXPECT_NE(m_panel->GetSourceMat().data, image.data);
    EXPECT_EQ(cv::norm(shown, image, cv::NORM_INF), 0.0);
}

TEST_F(TivraPanelTest, BitmapsCarryColourOrderAndAlphaOrAreRefused)
{
    cv::Mat bgra(2, 2, CV_8UC4, cv::Scalar(10, 20, 30, 255));
    bgra.at<cv::Vec4b>(1, 1) = cv::Vec4b(40, 50, 60, 0);
    wxBitmap bmp = TivraPanel::ConvertMatToBitmap(bgra, 0);
    ASSERT_TRUE(bmp.IsOk());
    EXPECT_EQ(Argb(bmp, 0, 0), cv::Vec4b(255, 30, 20, 10));
    EXPECT_EQ(Argb(bmp, 1, 1)[0], 0);

    wxBitmap colour = TivraPanel::ConvertMatToBitmap(cv::Mat(1, 1, CV_8UC3, cv::Scalar(1, 2, 3)), 0);
    EXPECT_EQ(Argb(colour, 0, 0), cv::Vec4b(255, 3, 2, 1));

    cv::Mat deep(1, 2, CV_16UC3, cv::Scalar(1000, 100, 7));
    wxBitmap saturated = TivraPanel::ConvertMatToBitmap(deep, 0);
    ASSERT_TRUE(saturated.IsOk());
    EXPECT_EQ(Argb(saturated, 1, 0), cv::Vec4b(255, 7, 100, 255));

    EXPECT_FALSE(TivraPanel::ConvertMatToBitmap(cv::Mat(4, 4, CV_32SC3, cv::Scalar::all(0.5)), 0).IsOk());
    EXPECT_FALSE(TivraPanel::ConvertMatToBitmap(cv::Mat(4, 4, CV_8UC2, cv::Scalar::all(9)), 0).IsOk());
    wxBitmap small(2, 2, 32);
    EXPECT_FALSE(TivraPanel::ConvertMatBitmapTowxBitmap(cv::Mat(8, 8, CV_8UC3), small, 0, 0));

    ASSERT_TRUE(m_panel->SetCVmat(Gradient(10, 10), false, false));
    EXPECT_FALSE(m_panel->SetCVmat(cv::Mat(4, 4, CV_32SC3, cv::Scalar::all(0.5)), false, false));
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(10, 10)) << "a refused image keeps the previous one";
    EXPECT_EQ(m_panel->GetSourceMat().size(), cv::Size(10, 10));
}

TEST_F(TivraPanelTest, ZoomToFitEnlargesKeepScaleKeepsItAndThinImagesKeepAPixel)
{
    m_panel->SetClientSize(400, 400);
    m_panel->SetDisplayMode(1);
    ASSERT_TRUE(m_panel->SetCVmat(Gradient(100, 200), false, false));
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    EXPECT_EQ(m_panel->GetDrawMat().size(), cv::Size(400, 200));
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(400, 200));

    ASSERT_TRUE(m_panel->SetCVmat(Gradient(40, 40), false, true));
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    EXPECT_EQ(m_panel->GetDrawMat().size(), cv::Size(80, 80));

    m_panel->SetDisplayMode(0);
    ASSERT_TRUE(m_panel->UpdateCVmat());
    EXPECT_EQ(m_panel->GetDrawMat().size(), cv::Size(40, 40));

    // Fitting a thin image keeps at least one pixel: scale 0.1 would make the 2 rows 0.2 of a pixel high.
    m_panel->SetDisplayMode(1);
    ASSERT_TRUE(m_panel->SetCVmat(Gradient(2, 4000), false, false));
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 0.1);
    EXPECT_EQ(m_panel->GetDrawMat().size(), cv::Size(400, 1));
    EXPECT_TRUE(m_panel->GetBitmap().IsOk());
}

TEST_F(TivraPanelTest, LoadsFilesByExtensionSaturatesSixteenBitsAndKeepsTheSourceUnderDisplayOnlyImages)
{
    const std::string png16 = TempPath("deep.png");
    cv::Mat deep(3, 4, CV_16UC1, cv::Scalar(1000));
    deep.at<uint16_t>(0, 0) = 17;
    ASSERT_TRUE(cv::imwrite(png16, deep));
    ASSERT_TRUE(m_panel->SetCVmat(wxString(png16), false, false));
    const cv::Mat& source = m_panel->GetSourceMat();
    EXPECT_EQ(source.type(), CV_8UC3);
    EXPECT_EQ(source.at<cv::Vec3b>(0, 0), cv::Vec3b(17, 17, 17));
    EXPECT_EQ(source.at<cv::Vec3b>(2, 3), cv::Vec3b(255, 255, 255));

    const std::string jpeg = TempPath("photo.jpeg");
    ASSERT_TRUE(cv::imwrite(jpeg, Gradient(8, 8)));
    EXPECT_TRUE(m_panel->SetCVmat(wxString(jpeg), false, false));
    EXPECT_EQ(m_panel->GetSourceMat().size(), cv::Size(8, 8));

    // A five-letter extension is not read; the shown image stays.
    const std::string odd = TempPath("image.pngxx");
    ASSERT_TRUE(cv::imwrite(png16, deep));
    ASSERT_EQ(std::rename(png16.c_str(), odd.c_str()), 0);
    EXPECT_FALSE(m_panel->SetCVmat(wxString(odd), false, false));
    EXPECT_EQ(m_panel->GetSourceMat().size(), cv::Size(8, 8));

    // A missing file clears the panel.
    EXPECT_FALSE(m_panel->SetCVmat(wxString(TempPath("missing.png")), false, false));
    EXPECT_TRUE(m_panel->GetSourceMat().empty());
    EXPECT_FALSE(m_panel->GetBitmap().IsOk());
    std::remove(jpeg.c_str());
    std::remove(odd.c_str());

    // Display-only images leave the source alone.
    ASSERT_TRUE(m_panel->SetCVmat(Gradient(10, 20), false, false));
    cv::Mat other = Gradient(30, 30);
    m_panel->SetDisplayMode(1);
    m_panel->SetClientSize(300, 150);
    ASSERT_TRUE(m_panel->SetCVmatDisplay(other));
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 5.0);
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(150, 150));
    EXPECT_EQ(m_panel->GetSourceMat().size(), cv::Size(20, 10));

    // An unreadable file neither reports success nor drops the source image.
    const std::string text = TempPath("not_an_image.png");
    std::ofstream(text) << "plain text";
    EXPECT_FALSE(m_panel->SetCVmatDisplay(wxString(text)));
    EXPECT_EQ(m_panel->GetSourceMat().size(), cv::Size(20, 10));
    std::remove(text.c_str());
}

TEST_F(TivraPanelTest, SavesSourceOrDisplayImage)
{
    m_panel->SetClientSize(400, 400);
    m_panel->SetDisplayMode(1);
    ASSERT_TRUE(m_panel->SetCVmat(Gradient(100, 100), false, false));
    const std::string source = TempPath("source.png");
    const std::string shown = TempPath("shown.png");
    const std::string none = TempPath("none.png");
    m_panel->SaveImage(source, 1);
    m_panel->SaveImage(shown, 0);
    m_panel->SaveImage(none, 2);
    EXPECT_EQ(cv::imread(source).size(), cv::Size(100, 100));
    EXPECT_EQ(cv::imread(shown).size(), cv::Size(400, 400));
    EXPECT_FALSE(wxFileExists(none));
    // A failing write is logged, not thrown.
    EXPECT_NO_THROW(m_panel->SaveImage(TempPath("no_writer.unknownext"), 1));
    std::remove(source.c_str());
    std::remove(shown.c_str());
}

TEST_F(TivraPanelTest, InternalRenderNeedsASourceImageAndHooksKeepIt)
{
    EXPECT_EQ(m_panel->BestClientSize(), wxSize(64, 48));
    EXPECT_FALSE(m_panel->SetCVmat(Gradient(5, 5), true, false));
    EXPECT_TRUE(m_panel->GetSourceMat().empty());
    EXPECT_FALSE(m_panel->GetBitmap().IsOk());
    ASSERT_TRUE(m_panel->SetCVmat(Gradient(30, 50), false, false));
    EXPECT_TRUE(m_panel->SetCVmat(cv::Mat(), true, false));
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(50, 30));
    EXPECT_EQ(m_panel->BestClientSize(), wxSize(50, 30));

    m_panel->SetZoomIn();
    m_panel->SetZoomOut();
    m_panel->SetOriginal(true);
    m_panel->SetZoomToFit();
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 1.0);
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(50, 30));
}

TEST(TivraPanelStatics, SixteenBitConversionAndPointTest)
{
    cv::Mat s16 = (cv::Mat_<int16_t>(1, 3) << -5, 300, 42);
    TivraPanel::Convert16bitTo8bit(s16);
    ASSERT_EQ(s16.type(), CV_8UC1);
    EXPECT_EQ(std::vector<uint8_t>(s16.begin<uint8_t>(), s16.end<uint8_t>()), (std::vector<uint8_t>{0, 255, 42}));
    cv::Mat f(1, 1, CV_32FC1, cv::Scalar(3.5));
    TivraPanel::Convert16bitTo8bit(f);
    EXPECT_EQ(f.type(), CV_32FC1);

    EXPECT_TRUE(TivraPanel::allPointsNonPositive({}));
    EXPECT_TRUE(TivraPanel::allPointsNonPositive({{0, 0}, {-1, -3}}));
    EXPECT_FALSE(TivraPanel::allPointsNonPositive({{-1, 0}, {-1, 0.5f}}));
}
