// The classic ROI panel in a real (shown) wx window: the zoom ladder and its
// memory guard, the crop of the source image, the context menu, wheel zoom and
// a rectangle drawn with the mouse.
#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"
#include "ShownFrame.h"

#include <gtk/gtk.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <optional>
#include <tuple>
#include <vector>

namespace {

// Reaches the zoom factor and the process-wide memory guard, which the panel keeps protected.
class ProbePanel : public TivraROIPanel {
public:
    using TivraROIPanel::TivraROIPanel;
    void SetScaleForTest(double scale) { m_scale = scale; }
    static std::int64_t& LastGood() { return s_lastGoodBitmapSize; }
    static std::int64_t& LastBad() { return s_lastBadBitmapSize; }
};

class ClassicPanelTest : public ShownFrameTest {
protected:
    void SetUp() override
    {
        ShownFrameTest::SetUp();
        m_savedGood = ProbePanel::LastGood();
        m_savedBad = ProbePanel::LastBad();
        m_panel = new ProbePanel(m_container, wxSize(400, 300));
        m_panel->Bind(TIVRAPanel_EVT_CROP_CHANGE, [this](CropEvent& e) { m_crops.push_back(e.m_rect); });
        ShowFrame();
    }
    void TearDown() override
    {
        ProbePanel::LastGood() = m_savedGood;
        ProbePanel::LastBad() = m_savedBad;
        ShownFrameTest::TearDown();
    }

    // An image in Original mode (scale 1.0).
    void ShowImage(int cols, int rows)
    {
        m_panel->SetDisplayMode(0);
        ASSERT_TRUE(m_panel->SetCVmat(Gradient(rows, cols), false, false));
        ASSERT_DOUBLE_EQ(m_panel->GetScale(), 1.0);
    }

    void SendMouse(wxEventType type, int x, int y)
    {
        ShownFrameTest::SendMouse(m_panel, type, x, y, type == wxEVT_LEFT_DOWN || type == wxEVT_MOTION);
    }

    void Click(int x, int y)
    {
        SendMouse(wxEVT_LEFT_DOWN, x, y);
        SendMouse(wxEVT_LEFT_UP, x, y);
    }

    void SendWheel(int rotation)
    {
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.m_wheelRotation = rotation;
        event.m_wheelDelta = 120;
        event.m_linesPerAction = 3;
        Send(m_panel, event);
    }

    std::int64_t m_savedGood = 0;
    std::int64_t m_savedBad = 0;
    ProbePanel* m_panel = nullptr;
    std::vector<cv::Rect> m_crops;
};

}  // namespace

TEST_F(ClassicPanelTest, ZoomLadderStepsUpAndDownRerendersAndFollowsMenuCommands)
{
    ShowImage(40, 30);
    struct Step {
        double from;
        bool up;
        double to;
        bool changed;
    };
    const Step steps[] = {
        {1.0, true, 2.0, true},    {2.0, true, 3.0, true},   {0.3, true, 0.33, true}, {0.1, true, 0.11, true},
        {7.5, true, 8.0, true},    {8.0, true, 8.0, false},  {12.0, true, 8.0, true}, {0.05, true, 0.1, true},
        {1.0, false, 0.5, true},   {0.12, false, 0.11, true}, {0.11, false, 0.1, true}, {0.1, false, 0.1, false},
        {12.0, false, 8.0, true},  {2.5, false, 2.0, true},  {0.5, false, 0.33, true},
    };
    for (const Step& step : steps) {
        m_panel->SetScaleForTest(step.from);
        const bool changed = step.up ? m_panel->CalcZoomIn() : m_panel->CalcZoomOut();
        EXPECT_EQ(changed, step.changed) << step.from << (step.up ? " up" : " down");
        EXPECT_DOUBLE_EQ(m_panel->GetScale(), step.to) << step.from << (step.up ? " up" : " down");
    }
    // Zooming renders the scaled image again.
    m_panel->SetScaleForTest(1.0);
    m_panel->SetZoomIn();
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    EXPECT_EQ(m_panel->GetDrawMat().size(), cv::Size(80, 60));
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(80, 60));
    m_panel->SetZoomOut();
    m_panel->SetZoomOut();
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 0.5);
    EXPECT_EQ(m_panel->GetDrawMat().size(), cv::Size(20, 15));
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(20, 15));

    // Menu commands zoom from the current factor and change the kind.
    m_panel->SetScaleForTest(1.0);
    int toolKind = -1;
    m_panel->Bind(TIVRAPanel_EVT_TOOL_CHANGE, [&toolKind](wxCommandEvent& e) { toolKind = e.GetInt(); });
    for (const auto& [id, scale, kind] : {std::tuple{400, 2.0, -1}, {406, 2.0, int(CvROIMode::RotatedRectangle)},
                                          {403, 1.0, int(CvROIMode::RotatedRectangle)}}) {
        wxCommandEvent command(wxEVT_MENU, id);
        Send(m_panel, command);
        EXPECT_DOUBLE_EQ(m_panel->GetScale(), scale) << id;
        EXPECT_EQ(toolKind, kind) << id;
    }
}

TEST_F(ClassicPanelTest, MemoryGuardRefusesEightGibibytesAtOnceAndRemembersSizes)
{
    // 8000 x 6000 at 8.0 needs 64 * 48e6 * 3 bytes, above 8 GiB: refused without a test bitmap.
    m_panel->SetDisplayMode(1);
    ASSERT_TRUE(m_panel->SetCVmat(cv::Mat(6000, 8000, CV_8UC1, cv::Scalar(9)), false, false));
    m_panel->SetScaleForTest(7.0);
    EXPECT_FALSE(m_panel->CalcZoomIn());
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 7.0);
    EXPECT_EQ(ProbePanel::LastBad(), std::int64_t(1) << 33);
    EXPECT_EQ(ProbePanel::LastGood(), std::int64_t(1) << 30);
    // Down the ladder there is no guard.
    EXPECT_TRUE(m_panel->CalcZoomOut());
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 6.0);

    ShowImage(100, 100);
    // A size above the last good one is tried once with a real bitmap and then remembered.
    ProbePanel::LastGood() = 1000;
    m_panel->SetScaleForTest(1.0);
    EXPECT_TRUE(m_panel->CalcZoomIn());
    EXPECT_EQ(ProbePanel::LastGood(), 200 * 200 * 3);

    // After a failed bitmap of N bytes, every step needing N bytes or more is refused.
    ProbePanel::LastBad() = 300 * 300 * 3;
    EXPECT_FALSE(m_panel->CalcZoomIn());  // 2.0 -> 3.0 needs exactly N
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    ProbePanel::LastBad() = 300 * 300 * 3 + 1;
    EXPECT_TRUE(m_panel->CalcZoomIn());
    EXPECT_DOUBLE_EQ(m_panel->GetScale(), 3.0);
}

TEST_F(ClassicPanelTest, CropOfTheSourceImageThatAnUnshowableImageKeeps)
{
    ShowImage(120, 90);
    // No ROI: the whole source image.
    cv::Mat& whole = m_panel->GetCVcropmat();
    EXPECT_EQ(whole.size(), cv::Size(120, 90));
    EXPECT_EQ(whole.data, m_panel->GetSourceMat().data);

    m_panel->SetRect(cv::Rect(10, 20, 30, 40));
    cv::Mat crop = m_panel->GetCVcropmat();
    ASSERT_EQ(crop.size(), cv::Size(30, 40));
    EXPECT_EQ(crop.at<cv::Vec3b>(0, 0), cv::Vec3b(10, 20, 30));
    EXPECT_EQ(crop.data, m_panel->GetSourceMat().ptr(20, 10));  // shares the source's memory

    // An ROI reaching past the image is clipped to it instead of failing.
    m_panel->SetRect(cv::Rect(100, 80, 50, 50));
    crop = m_panel->GetCVcropmat();
    EXPECT_EQ(crop.size(), cv::Size(20, 10));
    EXPECT_EQ(crop.at<cv::Vec3b>(0, 0), cv::Vec3b(100, 80, 180));
    // One entirely outside leaves nothing to crop: the whole image.
    m_panel->SetRect(cv::Rect(500, 500, 10, 10));
    EXPECT_EQ(m_panel->GetCVcropmat().size(), cv::Size(120, 90));

    // An image that cannot be shown keeps the previous one.
    {
        wxLogNull quiet;
        EXPECT_FALSE(m_panel->SetCVmat(cv::Mat(10, 10, CV_8UC2, cv::Scalar(1, 2)), false, false));
    }
    EXPECT_EQ(m_panel->GetSourceMat().size(), cv::Size(120, 90));
    EXPECT_EQ(m_panel->GetCVcropmat().size(), cv::Size(120, 90));
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(120, 90));
}

// The wheel zooms without modifiers, a zero rotation not at all.
TEST_F(ClassicPanelTest, WheelZoomBringsThePixelUnderTheMouseToTheMiddle)
{
    ShowImage(400, 300);
    SendMouse(wxEVT_MOTION, 300, 200);
    SendWheel(120);
    ASSERT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    // Source (300, 200) is display (600, 400); the 400 x 300 view is centred on it
    // within a scroll unit and the scroll bars' own width.
    int ux = 0, uy = 0;
    m_panel->GetScrollPixelsPerUnit(&ux, &uy);
    const wxPoint start = m_panel->GetViewStart();
    const wxSize client = m_panel->GetClientSize();
    EXPECT_NEAR(start.x * ux + client.x / 2, 600, 24);
    EXPECT_NEAR(start.y * uy + client.y / 2, 400, 24);
    for (const auto& [rotation, scale] : {std::pair{0, 2.0}, {-120, 1.0}}) {
        SendWheel(rotation);
        EXPECT_DOUBLE_EQ(m_panel->GetScale(), scale) << rotation;
    }
    EXPECT_EQ(m_panel->GetBitmap().GetSize(), wxSize(400, 300));
}

TEST_F(ClassicPanelTest, ContextMenuOnlyOverTheImage)
{
    ShowImage(100, 80);
    // Records the labels of the menu the panel pops up and closes it at once.
    std::optional<std::vector<wxString>> shown;
    m_panel->Bind(wxEVT_MENU_OPEN, [&shown](wxMenuEvent& event) {
        if (!event.GetMenu())
            return;
        shown.emplace();
        for (const wxMenuItem* item : event.GetMenu()->GetMenuItems())
            shown->push_back(item->IsCheck() && item->IsChecked() ? "[x]" + item->GetItemLabelText()
                                                                  : item->GetItemLabelText());
        GtkWidget* gtkMenu = event.GetMenu()->m_menu;
        wxTheApp->CallAfter([gtkMenu] { gtk_menu_popdown(GTK_MENU(gtkMenu)); });
    });
    const auto menuAt = [&](const wxPoint& screenPos) {
        shown.reset();
        wxContextMenuEvent event(wxEVT_CONTEXT_MENU, m_panel->GetId(), screenPos);
        Send(m_panel, event);
        return shown;
    };

    // Menu switched off: nothing even over the image.
    EXPECT_FALSE(menuAt(m_panel->ClientToScreen(wxPoint(50, 40))));

    m_panel->SetFuncEnable(true, true, true);
    m_panel->SetMenuROIEnable(true, false, true, true, false, false, true);
    const std::vector<wxString> expected = {"+", "-", "Zoom to Fit", "Original", "Point", "[x]Rectangle",
                                            "RotatedRectangle", "Polygon"};
    EXPECT_EQ(menuAt(m_panel->ClientToScreen(wxPoint(50, 40))), expected);

    // On the background beyond the image, and from the menu key (the client
    // centre (200, 150) lies outside the 100 x 80 image): no menu.
    EXPECT_FALSE(menuAt(m_panel->ClientToScreen(wxPoint(300, 200))));
    EXPECT_FALSE(menuAt(wxDefaultPosition));

    // A larger image covers the client centre: the menu key opens it there.
    ShowImage(400, 300);
    m_panel->SetFuncEnable(true, false, false);
    m_panel->SetSIMDMenuEnable(true);
    const auto centred = menuAt(wxDefaultPosition);
    ASSERT_TRUE(centred);
    // Without cropping there is no ROI group; the SIMD group lists the CPU's levels and "Default".
    ASSERT_GE(centred->size(), 6u);
    EXPECT_EQ((*centred)[3], "Original");
    EXPECT_EQ(centred->back(), "Default");
    EXPECT_EQ((*centred)[centred->size() - 2], "[x]CPU");
}

TEST_F(ClassicPanelTest, RectangleDrawnWithTheMouseAtZoomTwo)
{
    ShowImage(100, 80);
    m_panel->SetZoomIn();
    ASSERT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    m_panel->SetFuncEnable(false, true, true);
    // Real pointer events go to whatever window is on top: other test programs
    // sharing the display open their windows at the screen's origin, so this one
    // moves out of their way.
    m_frame->SetSize(1300, 600, 500, 400);
    ShowFrame();

    wxUIActionSimulator sim;
    const auto moveTo = [&](int x, int y) {
        sim.MouseMove(m_panel->ClientToScreen(wxPoint(x, y)));
        Settle();
    };
    moveTo(20, 20);
    sim.MouseDown();
    Settle();
    moveTo(50, 40);
    moveTo(81, 61);
    sim.MouseUp();
    Settle();

    // Display (20, 20) to (81, 61) is source (10, 10) to (40, 30).
    ASSERT_EQ(m_crops.size(), 1u);
    EXPECT_EQ(m_crops[0], cv::Rect(10, 10, 30, 20));
    cv::Rect rect;
    m_panel->GetRect(rect);
    EXPECT_EQ(rect, cv::Rect(10, 10, 30, 20));
    EXPECT_EQ(m_panel->GetCVcropmat().size(), cv::Size(30, 20));
    // The ROI is drawn into the scaled image in lime at its display position.
    EXPECT_EQ(m_panel->GetDrawMat().at<cv::Vec3b>(20, 40), cv::Vec3b(0, 255, 0));
}

TEST_F(ClassicPanelTest, ScrolledDragIsMeasuredOnTheWholeImage)
{
    ShowImage(400, 300);
    m_panel->SetZoomIn();
    ASSERT_DOUBLE_EQ(m_panel->GetScale(), 2.0);
    m_panel->SetFuncEnable(false, true, true);
    m_panel->Scroll(10, 5);  // 8 pixels per unit: the view starts at display (80, 40)
    const wxPoint start = m_panel->GetViewStart();
    int ux = 0, uy = 0;
    m_panel->GetScrollPixelsPerUnit(&ux, &uy);
    const wxPoint offset(start.x * ux, start.y * uy);

    // Dragged from the far corner back to the near one: the same rectangle.
    SendMouse(wxEVT_LEFT_DOWN, 100, 60);
    SendMouse(wxEVT_MOTION, 60, 40);
    SendMouse(wxEVT_MOTION, 20, 20);
    SendMouse(wxEVT_LEFT_UP, 20, 20);
    ASSERT_EQ(m_crops.size(), 1u);
    const cv::Rect expected((offset.x + 20) / 2, (offset.y + 20) / 2, 40, 20);
    EXPECT_EQ(m_crops[0], expected);
}

TEST_F(ClassicPanelTest, NoEditingWithoutBothFlagsAndDoubleClickClosesAPolygon)
{
    ShowImage(200, 150);
    m_panel->SetFuncEnable(true, true, false);
    SendMouse(wxEVT_LEFT_DOWN, 10, 10);
    SendMouse(wxEVT_MOTION, 50, 50);
    SendMouse(wxEVT_LEFT_UP, 50, 50);
    EXPECT_TRUE(m_crops.empty());
    // A press beyond the image does not edit either.
    m_panel->SetFuncEnable(true, true, true);
    Click(300, 250);
    EXPECT_TRUE(m_crops.empty());
    // A plain click on the image is a finished (empty) edit.
    Click(30, 30);
    ASSERT_EQ(m_crops.size(), 1u);
    EXPECT_EQ(m_crops[0], cv::Rect());

    // A polygon of three vertices closed by a double click.
    m_crops.clear();
    m_panel->SetROIMode(CvROIMode::Polygon);
    Click(20, 20);
    Click(120, 20);
    // The second press of a quick double click arrives as the double click alone.
    SendMouse(wxEVT_LEFT_DCLICK, 120, 20);
    EXPECT_TRUE(m_crops.empty());  // two vertices: still open
    Click(70, 100);
    SendMouse(wxEVT_LEFT_DCLICK, 70, 100);
    SendMouse(wxEVT_LEFT_UP, 70, 100);
    ASSERT_EQ(m_crops.size(), 1u);
    EXPECT_EQ(m_crops[0], cv::Rect(20, 20, 101, 81));
}

TEST_F(ClassicPanelTest, KeysMoveResizeRemoveAndUndoTheROI)
{
    ShowImage(100, 80);
    m_panel->SetFuncEnable(false, true, true);
    cvROI roi;
    roi.mode = CvROIMode::Rectangle;
    roi.points = {{10, 10}, {30, 20}};
    m_panel->SetROI(roi, true);
    const auto press = [&](int key, bool ctrl = false, bool shift = false) {
        SendKey(m_panel, wxEVT_KEY_DOWN, key, ctrl, shift);
        cv::Rect rect;
        m_panel->GetRect(rect);
        return rect;
    };
    EXPECT_EQ(press(WXK_RIGHT, false, true), cv::Rect(20, 10, 30, 20));
    EXPECT_EQ(press(WXK_DOWN, true), cv::Rect(20, 10, 30, 21));
    EXPECT_EQ(press(WXK_DELETE), cv::Rect());
    EXPECT_EQ(press('Z', true), cv::Rect(20, 10, 30, 21)); // the burst of keys is one step
    EXPECT_EQ(press('Z', true), cv::Rect(10, 10, 30, 20));
    EXPECT_EQ(press('Y', true), cv::Rect(20, 10, 30, 21));
    const std::vector<cv::Rect> reported = {cv::Rect(20, 10, 30, 20), cv::Rect(20, 10, 30, 21), cv::Rect(),
                                            cv::Rect(20, 10, 30, 21), cv::Rect(10, 10, 30, 20),
                                            cv::Rect(20, 10, 30, 21)};
    EXPECT_EQ(m_crops, reported);
}
