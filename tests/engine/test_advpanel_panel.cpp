// The advanced panel as native code sees it: menu commands, the tool-change
// event, the SIMD choice, texts and the badge stored for the next paint.
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "ShownFrame.h"

#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

// Exposes the protected state the context menu changes.
class ProbeAdvPanel : public TivraROIAdvPanel {
public:
    using TivraROIAdvPanel::TivraROIAdvPanel;
    int SimdMode() const { return m_simdMode; }
    size_t TextCount() const { return m_texts.size(); }
    size_t TextFontCount() const { return m_textFonts.size(); }
    bool HasTextFont(size_t i) const { return m_textFonts.at(i) != nullptr; }
    int BadgeFontHeight() const { return m_overlayStore.Badge().fontHeight; }
    int BadgeState() const { return m_overlayStore.Badge().state; }
};

class AdvPanelTest : public ShownFrameTest {
protected:
    void SetUp() override
    {
        ShownFrameTest::SetUp();
        m_panel = new ProbeAdvPanel(m_container, 4321, wxPoint(0, 0), wxSize(400, 300), 0, "probe");
        ShowFrame();
    }

    void Choose(int menuId)
    {
        wxCommandEvent command(wxEVT_MENU, menuId);
        Send(m_panel, command);
    }

    ProbeAdvPanel* m_panel = nullptr;
};

}  // namespace

TEST(AdvPanelEvents, TypesExistAndDiffer)
{
    CropEvent event(TIVRAPanel_EVT_CROP_CHANGE, 7, cv::Rect(1, 2, 3, 4));
    std::unique_ptr<wxEvent> copy(event.Clone());
    auto* crop = dynamic_cast<CropEvent*>(copy.get());
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->m_rect, cv::Rect(1, 2, 3, 4));
    EXPECT_EQ(crop->GetId(), 7);
    EXPECT_EQ(crop->GetEventType(), TIVRAPanel_EVT_CROP_CHANGE);
    EXPECT_EQ(crop->GetEventCategory(), wxEVT_CATEGORY_USER_INPUT);
}

TEST_F(AdvPanelTest, MenuKindRaisesToolChangeAndResetsTheROIAndSIMDChoicesStick)
{
    std::vector<std::pair<int, int>> seen;
    m_panel->Bind(TIVRAPanel_EVT_TOOL_CHANGE,
                  [&](wxCommandEvent& e) { seen.emplace_back(e.GetId(), e.GetInt()); });
    for (const auto& [id, mode] : {std::pair{407, CvROIMode::Rectangle}, {406, CvROIMode::RotatedRectangle},
                                   {410, CvROIMode::Polygon}}) {
        Choose(id);
        EXPECT_EQ(m_panel->GetROIMode(), mode) << id;
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{4321, 3}, {4321, 4}, {4321, 7}}));

    // A new kind resets the current ROI.
    cvROI circle;
    circle.mode = CvROIMode::Circle;
    circle.points = {{50, 50}, {20, 0}};
    m_panel->SetROI(circle, false);
    EXPECT_NEAR(m_panel->GetOuterRadius(), 20.0, 1e-4);
    Choose(408);
    EXPECT_EQ(m_panel->GetOuterRadius(), 0.0);
    EXPECT_EQ(m_panel->GetEndAngle(), 360.0);

    for (const auto& [id, mode] : {std::pair{412, 2}, {414, 0}, {411, 3}, {415, -1}}) {
        Choose(id);
        EXPECT_EQ(m_panel->SimdMode(), mode) << id;
    }
}

TEST_F(AdvPanelTest, TextsKeepOneFontEachWithTheDefaultAsFallBackAndTheBadgeRefitsOnlyWhenNeeded)
{
    cvText text;
    text.lines.Add("a");
    text.fontPath = "/no/such/font.ttf";
    EXPECT_EQ(m_panel->AppendOverlay(text), 0);
    EXPECT_EQ(m_panel->AppendOverlay(text), 1);
    m_panel->AppendOverlay(cvROI());
    m_panel->ClearOverlay();  // texts stay
    EXPECT_EQ(m_panel->AppendOverlay(text), 2);
    ASSERT_EQ(m_panel->TextFontCount(), 3u);
    EXPECT_TRUE(m_panel->HasTextFont(0));
    m_panel->UpdateOverlayByIndex(5, text, true);  // out of range: ignored
    EXPECT_EQ(m_panel->TextCount(), 3u);

    m_panel->UpdatePassFailRecycleLogo(true, 1, "", "OK", "NG", "RE");
    EXPECT_EQ(m_panel->BadgeState(), 1);
    m_panel->SetCVmat(cv::Mat(300, 600, CV_8UC3, cv::Scalar::all(0)), false, false);
    m_panel->Refresh();
    m_panel->Update();
    wxYield();
    EXPECT_GT(m_panel->BadgeFontHeight(), 1);
    // The store's own test covers what hiding and new labels keep; this pins that the panel passes them on.
    m_panel->UpdatePassFailRecycleLogo(true, 0, "", "OK", "NG", "RECYCLE");
    EXPECT_EQ(m_panel->BadgeFontHeight(), -1);
}

namespace {

// Counts the frames the panel paints (each paint ends with the guide hook).
class PaintCountingPanel : public TivraROIAdvPanel {
public:
    using TivraROIAdvPanel::TivraROIAdvPanel;
    void DrawGuideLineWxDC(wxDC&) override { ++paints; }
    int paints = 0;
};

}  // namespace

// The paint handler of the base panel is the only one: it draws nothing while
// the parent is being destroyed.
TEST_F(AdvPanelTest, NothingIsPaintedWhileTheParentIsBeingDestroyed)
{
    wxWindow* host = new wxWindow(m_container, wxID_ANY, wxPoint(420, 0), wxSize(300, 300));
    auto* panel = new PaintCountingPanel(host, wxID_ANY, wxPoint(0, 0), wxSize(200, 150), 0, "probe");
    panel->SetCVmat(cv::Mat(150, 200, CV_8UC3, cv::Scalar::all(90)), false, false);
    for (int i = 0; i < 100 && panel->paints == 0; ++i) {
        wxMilliSleep(10);
        wxYield();
    }
    const auto paintNow = [panel] {
        panel->Refresh();
        panel->Update();
    };
    const int shownPaints = panel->paints;
    paintNow();
    ASSERT_GT(panel->paints, shownPaints) << "a shown panel paints on Update";
    int paintsWhileDying = -1;
    host->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
        const int before = panel->paints;
        paintNow();
        paintsWhileDying = panel->paints - before;
        event.Skip();
    });
    host->Destroy();
    EXPECT_EQ(paintsWhileDying, 0);
}

// An exception thrown by a handler stays inside the panel's event processing.
TEST_F(AdvPanelTest, ExceptionsNeverLeaveAnEventHandler)
{
    m_panel->Bind(wxEVT_MENU, [](wxCommandEvent&) -> void { throw std::runtime_error("handler failed"); }, 999);
    wxCommandEvent command(wxEVT_MENU, 999);
    bool handled = false;
    EXPECT_NO_THROW(handled = m_panel->GetEventHandler()->ProcessEvent(command));
    EXPECT_TRUE(handled);
}
