// View control of the advanced panel from code: the visible source rectangle,
// view centre round trips, one view report per change whatever caused it, and
// linked panels that stay equal without reporting back and forth.
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "tivra/engine/TivraROIPanel/ViewLink.h"
#include "ShownFrame.h"

#include <functional>
#include <limits>
#include <stdexcept>

namespace {

class NavigationTest : public ShownFrameTest {
protected:
    void SetUp() override
    {
        ShownFrameTest::SetUp();
        m_a = MakePanel(0);
        m_b = MakePanel(420);
        ShowFrame();
    }
    struct Seen {
        int reports = 0;
        double zoom = 0;
        cv::Rect2d rect;
    };
    TivraROIAdvPanel* MakePanel(int x)
    {
        auto* panel = new TivraROIAdvPanel(m_container, wxID_ANY, wxPoint(x, 0), wxSize(400, 300), 0, "nav");
        Seen& seen = m_seen[x == 0 ? 0 : 1];
        panel->SetOnViewChanged([&seen](double zoom, const cv::Rect2d& rect) { seen = {seen.reports + 1, zoom, rect}; });
        panel->SetCVmat(cv::Mat(1500, 2000, CV_8UC3, cv::Scalar(40, 80, 120)), false, false);
        return panel;
    }
    bool CaughtUp(TivraROIAdvPanel* panel, const Seen& seen) const
    {
        return panel->GetZoomFactor() == seen.zoom && panel->GetViewRect() == seen.rect;
    }
    // Paints come when the frame clock says, later under load: waits until each
    // panel has reported the view it shows and no report has come for a while.
    void Settle()
    {
        int quiet = 0;
        for (int round = 0; round < 300 && quiet < 10; ++round) {
            const int before = m_seen[0].reports + m_seen[1].reports;
            wxYield();
            wxMilliSleep(10);
            const bool settled = CaughtUp(m_a, m_seen[0]) && CaughtUp(m_b, m_seen[1]);
            quiet = settled && m_seen[0].reports + m_seen[1].reports == before ? quiet + 1 : 0;
        }
    }
    int CountReports(TivraROIAdvPanel* panel, const std::function<void()>& action)
    {
        const int before = Reports(panel);
        action();
        Settle();
        return Reports(panel) - before;
    }
    int Reports(TivraROIAdvPanel* panel) const { return m_seen[panel == m_a ? 0 : 1].reports; }
    static void Key(TivraROIAdvPanel* panel, int code) { SendKey(panel, wxEVT_CHAR, code); }

    TivraROIAdvPanel* m_a = nullptr;
    TivraROIAdvPanel* m_b = nullptr;
    Seen m_seen[2];
};

class CentreRoundTrip : public NavigationTest, public ::testing::WithParamInterface<double> {};

}  // namespace

TEST_P(CentreRoundTrip, CentreComesBackWithinAWindowPixel)
{
    const double zoom = GetParam();
    m_a->SetZoomFactor(zoom, cv::Point2d(1000, 700));
    ASSERT_DOUBLE_EQ(m_a->GetZoomFactor(), zoom);
    const wxSize client = m_a->GetClientSize();
    const cv::Rect2d view = m_a->GetViewRect();
    EXPECT_NEAR(view.width, client.x / zoom, 1e-9);
    EXPECT_NEAR(view.height, client.y / zoom, 1e-9);
    EXPECT_NEAR(view.x + view.width / 2, 1000, 1.0 / zoom);
    EXPECT_NEAR(view.y + view.height / 2, 700, 1.0 / zoom);
    // Near a corner the view stops at the image's edge instead.
    m_a->SetViewCenter(cv::Point2d(0, 1500));
    EXPECT_EQ(m_a->GetViewRect().x, 0.0);
    EXPECT_NEAR(m_a->GetViewRect().br().y, 1500, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Zooms, CentreRoundTrip, ::testing::Values(0.5, 1.0, 1.75, 3.0, 20.0));

TEST_F(NavigationTest, ZoomLimitsHoldBadArgumentsChangeNothingAndRectsAreShownCentred)
{
    m_a->SetZoomFactor(1000.0);
    EXPECT_EQ(m_a->GetZoomFactor(), 20.0);
    m_a->SetZoomFactor(1e-6);
    EXPECT_EQ(m_a->GetZoomFactor(), 0.1);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_THROW(m_a->SetZoomFactor(nan), std::invalid_argument);
    EXPECT_THROW(m_a->SetZoomFactor(0.0), std::invalid_argument);
    EXPECT_THROW(m_a->SetViewCenter(cv::Point2d(nan, 1)), std::invalid_argument);
    EXPECT_THROW(m_a->ZoomToRect(cv::Rect2d(0, 0, 0, 10)), std::invalid_argument);
    EXPECT_EQ(m_a->GetZoomFactor(), 0.1);

    m_a->ZoomToRect(cv::Rect2d(500, 400, 100, 50));
    const cv::Rect2d view = m_a->GetViewRect();
    EXPECT_TRUE((view & cv::Rect2d(500, 400, 100, 50)) == cv::Rect2d(500, 400, 100, 50));
    EXPECT_NEAR(view.x + view.width / 2, 550, 1.0);
    EXPECT_NEAR(view.y + view.height / 2, 425, 1.0);
}

TEST_F(NavigationTest, OneReportPerChangeWhateverCausedIt)
{
    m_a->SetZoomFactor(2.0, cv::Point2d(1000, 700));
    Settle();
    EXPECT_EQ(CountReports(m_a, [&] { m_a->SetZoomFactor(3.0); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->SetViewCenter(cv::Point2d(900, 600)); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->ScrollBy(5, -7); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->ZoomToRect(cv::Rect2d(10, 10, 300, 200)); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->SetZoomIn(); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { Key(m_a, '-'); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { Key(m_a, WXK_RIGHT); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { Key(m_a, 'F'); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->SetSize(380, 280); }), 1);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->ClearImg(); }), 1);
    // No change, no report.
    EXPECT_EQ(CountReports(m_a, [&] { m_a->ScrollBy(0, 0); }), 0);
    EXPECT_EQ(CountReports(m_a, [&] { m_a->SetZoomToFit(); }), 0);
}

TEST_F(NavigationTest, LinkedPanelsFollowWithoutReportingBack)
{
    ViewLink::Link({m_a, m_b});
    m_b->SetZoomFactor(2.0);  // scroll bars in place before the count
    Settle();
    const auto same = [&] {
        EXPECT_EQ(m_a->GetZoomFactor(), m_b->GetZoomFactor());
        EXPECT_EQ(m_a->GetViewRect(), m_b->GetViewRect());
    };
    const int reportsA = Reports(m_a), reportsB = Reports(m_b);
    m_b->SetZoomFactor(4.0, cv::Point2d(300, 200));
    Settle();
    same();
    m_a->ScrollBy(30, 40);
    Settle();
    same();
    EXPECT_EQ(Reports(m_a) - reportsA, 2);
    EXPECT_EQ(Reports(m_b) - reportsB, 2);
    ViewLink::Unlink({m_a});
    EXPECT_EQ(m_b->GetViewLink(), nullptr);
    m_a->ScrollBy(30, 40);
    Settle();
    EXPECT_NE(m_a->GetViewRect(), m_b->GetViewRect());
}
