// Mouse editing of the advanced panel seen from native code: the pixel text in a
// status target and the crop events a native handler receives, driven by mouse
// events processed by a shown panel.
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "ShownFrame.h"

#include <wx/stattext.h>

#include <cstdint>
#include <vector>

namespace {

class AdvPanelEditingTest : public ShownFrameTest {
protected:
    void SetUp() override
    {
        ShownFrameTest::SetUp();
        m_status = new wxStaticText(m_container, wxID_ANY, "", wxPoint(0, 500), wxSize(600, 20));
        m_panel = new TivraROIAdvPanel(m_container, wxID_ANY, wxPoint(0, 0), wxSize(640, 480), 0, "adv");
        ShowFrame();
        cv::Mat image(480, 640, CV_8UC3, cv::Scalar(0, 0, 0));
        image.at<cv::Vec3b>(7, 5) = cv::Vec3b(10, 20, 30);
        m_panel->SetCVmat(image, false, false);
        m_panel->SetOriginal(true);
        m_panel->SetFuncEnable(true, true, true);
        m_panel->SetStatusTarget(m_status);
        m_panel->Bind(TIVRAPanel_EVT_CROP_CHANGE, [this](CropEvent& e) { m_crops.push_back(e.m_rect); });
        wxYield();
    }

    void Mouse(wxEventType type, int x, int y, bool leftDown) { SendMouse(m_panel, type, x, y, leftDown); }

    wxStaticText* m_status = nullptr;
    TivraROIAdvPanel* m_panel = nullptr;
    std::vector<cv::Rect> m_crops;
};

} // namespace

TEST_F(AdvPanelEditingTest, StatusTextNamesThePixelUnderTheMouseWithItsRawValue)
{
    Mouse(wxEVT_MOTION, 5, 7, false);
    EXPECT_EQ(m_status->GetLabel(), "640x480 1.00X 24-bit image value (30,20,10) (5,7)");
    Mouse(wxEVT_MOTION, 700, 10, false); // beyond the image: the last text stays
    EXPECT_EQ(m_status->GetLabel(), "640x480 1.00X 24-bit image value (30,20,10) (5,7)");
    // Deep images show their raw value.
    cv::Mat mono16(480, 640, CV_16UC1, cv::Scalar(0));
    mono16.at<std::uint16_t>(45, 120) = 3071;
    m_panel->SetCVmat(mono16, false, false);
    m_panel->SetOriginal(true);
    Mouse(wxEVT_MOTION, 120, 45, false);
    EXPECT_EQ(m_status->GetLabel(), "640x480 1.00X 16-bit image value 3071 (120,45)");
}

TEST_F(AdvPanelEditingTest, OneCropEventPerFinishedEditOnTheImage)
{
    m_panel->SetROIMode(CvROIMode::Rectangle);
    Mouse(wxEVT_LEFT_DOWN, 10, 10, true);
    EXPECT_TRUE(m_panel->HasCapture()) << "the drag holds the mouse";
    Mouse(wxEVT_MOTION, 25, 20, true);
    Mouse(wxEVT_MOTION, 40, 30, true);
    EXPECT_TRUE(m_crops.empty()) << "nothing is reported before the release";
    Mouse(wxEVT_LEFT_UP, 40, 30, false);
    ASSERT_EQ(m_crops.size(), 1u);
    EXPECT_EQ(m_crops[0], cv::Rect(10, 10, 30, 20));
    EXPECT_FALSE(m_panel->HasCapture());

    Mouse(wxEVT_LEFT_UP, 40, 30, false); // a release without a press
    EXPECT_EQ(m_crops.size(), 1u);

    m_panel->SetFuncEnable(true, false, true);
    Mouse(wxEVT_LEFT_DOWN, 100, 100, true);
    Mouse(wxEVT_LEFT_UP, 100, 100, false);
    EXPECT_EQ(m_crops.size(), 1u) << "editing off: presses are not the panel's";

    m_panel->SetFuncEnable(true, true, true);
    m_panel->SetZoomOut(); // the image now ends at 576 x 432 window pixels
    Mouse(wxEVT_LEFT_DOWN, 600, 450, true);
    Mouse(wxEVT_LEFT_UP, 600, 450, false);
    EXPECT_EQ(m_crops.size(), 1u) << "presses beyond the image are skipped";
}
