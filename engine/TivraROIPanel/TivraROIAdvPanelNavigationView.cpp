// View control of the advanced panel from code and keys: zoom about a point,
// the visible source rectangle, view centre, scrolling by pixels, zoom to a
// rectangle, and the one report after every change of zoom or visible area.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "tivra/engine/TivraROIPanel/ViewLink.h"
#include "tivra/engine/ZoomSteps.h"

namespace {

// Arrow keys scroll by what one wheel line scrolls.
constexpr int kArrowStepPixels = 20;

void RequireFinite(std::initializer_list<double> values, const char* what)
{
    for (double v : values)
        if (!std::isfinite(v))
            throw std::invalid_argument(std::string(what) + " must be finite");
}

double CentringOnAxis(bool centring, int sourceExtent, int windowExtent, double zoom)
{
    const double scaled = sourceExtent * zoom;
    return centring && windowExtent > scaled ? (windowExtent - scaled) * 0.5 : 0.0;
}

}  // namespace

// ---------------------------------------------------------------- reports

void TivraROIAdvPanel::ReportViewChange()
{
    const ViewState now{GetZoomFactor(), GetViewRect()};
    if (now == m_reportedView)
        return;
    m_reportedView = now;
    if (m_viewLink) {
        const std::shared_ptr<ViewLink> link = m_viewLink;
        if (!SurvivesCall([&] { link->Follow(*this); }))
            return;
    }
    if (m_onViewChanged) {
        const ViewChangedHook hook = m_onViewChanged;  // the hook may replace itself
        SurvivesCall([&] { hook(now.zoom, now.rect); });
    }
}

// Every change of zoom or visible area, whatever caused it (code, wheel, pan,
// keys, menu, scroll bars, a resize), ends in a paint. Only then has the window
// settled its area: scroll bars that come or go change it after the call that
// zoomed. So the report follows the paint, once per change.
void TivraROIAdvPanel::ScheduleViewReport()
{
    if (m_viewReportPending || ViewState{GetZoomFactor(), GetViewRect()} == m_reportedView)
        return;
    m_viewReportPending = true;
    CallAfter([this] {
        m_viewReportPending = false;
        ReportViewChange();
    });
}

void TivraROIAdvPanel::ShowNewView()
{
    Refresh(true);
    // The report after the paint follows too, but only once this panel has
    // painted: the partners would paint a frame later.
    if (m_viewLink) {
        const std::shared_ptr<ViewLink> link = m_viewLink;
        link->Follow(*this);
    }
}

// ---------------------------------------------------------------- geometry

cv::Point TivraROIAdvPanel::ScrollPixels() const
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    const wxPoint start = GetViewStart();
    return cv::Point(start.x * unitX, start.y * unitY);
}

cv::Point2d TivraROIAdvPanel::CentringOffset() const
{
    const wxSize client = GetClientSize();
    const double zoom = GetZoomFactor();
    return cv::Point2d(CentringOnAxis(m_centerImage, m_matBitmap.cols, client.x, zoom),
                       CentringOnAxis(m_centerImage, m_matBitmap.rows, client.y, zoom));
}

cv::Rect2d TivraROIAdvPanel::GetViewRect() const
{
    if (m_matBitmap.empty())
        return cv::Rect2d();
    const wxSize client = GetClientSize();
    const double zoom = GetZoomFactor();
    const cv::Point2d origin = (cv::Point2d(ScrollPixels()) - CentringOffset()) / zoom;
    const cv::Rect2d window(origin.x, origin.y, client.x / zoom, client.y / zoom);
    return window & cv::Rect2d(0, 0, m_matBitmap.cols, m_matBitmap.rows);
}

cv::Point2d TivraROIAdvPanel::GetViewCenter() const
{
    const wxSize client = GetClientSize();
    const cv::Point2d middle(client.x * 0.5, client.y * 0.5);
    return (middle - CentringOffset() + cv::Point2d(ScrollPixels())) / GetZoomFactor();
}

// ---------------------------------------------------------------- control

void TivraROIAdvPanel::ScrollToPixels(double x, double y)
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    if (unitX < 1 || unitY < 1)
        return;
    const wxSize client = GetClientSize();
    const wxSize virtualSize = GetVirtualSize();
    const auto clamp = [](double v, int extent) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0, static_cast<double>(std::max(extent, 0)))));
    };
    const wxPoint target(clamp(x, virtualSize.x - client.x) / unitX, clamp(y, virtualSize.y - client.y) / unitY);
    if (target == GetViewStart())
        return;  // a linked panel that already shows this view paints nothing
    Scroll(target.x, target.y);
    ShowNewView();
}

void TivraROIAdvPanel::SetViewCenter(const cv::Point2d& center)
{
    RequireFinite({center.x, center.y}, "view centre");
    if (m_matBitmap.empty())
        return;
    const wxSize client = GetClientSize();
    const cv::Point2d offset = CentringOffset();
    const double zoom = GetZoomFactor();
    ScrollToPixels(center.x * zoom - client.x * 0.5 + offset.x, center.y * zoom - client.y * 0.5 + offset.y);
}

void TivraROIAdvPanel::SetZoomFactor(double factor, std::optional<cv::Point2d> center)
{
    RequireFinite({factor}, "zoom factor");
    if (!(factor > 0))
        throw std::invalid_argument("zoom factor must be positive");
    if (center)
        RequireFinite({center->x, center->y}, "zoom centre");
    if (m_matBitmap.empty())
        return;
    const cv::Point2d keep = center ? *center : GetViewCenter();
    const double zoom = std::clamp(factor, ZoomSteps::kMinZoom, ZoomSteps::kMaxZoom);
    if (zoom != m_scale)
        ApplyScale(zoom);
    SetViewCenter(keep);
}

void TivraROIAdvPanel::ScrollBy(int dx, int dy)
{
    if (m_matBitmap.empty())
        return;
    const cv::Point start = ScrollPixels();
    ScrollToPixels(static_cast<double>(start.x) + dx, static_cast<double>(start.y) + dy);
}

void TivraROIAdvPanel::ZoomToRect(const cv::Rect2d& rect)
{
    RequireFinite({rect.x, rect.y, rect.width, rect.height}, "rectangle");
    if (!(rect.width > 0 && rect.height > 0))
        throw std::invalid_argument("rectangle width and height must be positive");
    if (m_matBitmap.empty())
        return;
    const cv::Point2d centre(rect.x + rect.width * 0.5, rect.y + rect.height * 0.5);
    // Scroll bars that come or go with the new zoom change the window's area:
    // the second pass fits the area they leave.
    for (int pass = 0; pass < 2; ++pass) {
        // One window pixel to spare: the scroll position is whole pixels, so an
        // exact fit could cut a sliver off one edge.
        const wxSize client = GetClientSize();
        const double zoom = std::min((client.x - 1) / rect.width, (client.y - 1) / rect.height);
        SetZoomFactor(zoom > 0 ? zoom : ZoomSteps::kMinZoom, centre);
        if (GetClientSize() == client)
            break;
    }
}

// ---------------------------------------------------------------- keys

void TivraROIAdvPanel::OnNavigationKey(wxKeyEvent& event)
{
    if (m_matBitmap.empty() || event.HasModifiers()) {
        event.Skip();
        return;
    }
    switch (event.GetKeyCode()) {
    case '+':
    case '=':
    case WXK_NUMPAD_ADD:
        SetZoomFactor(ZoomSteps::StepIn(m_scale));
        break;
    case '-':
    case WXK_NUMPAD_SUBTRACT:
        SetZoomFactor(ZoomSteps::StepOut(m_scale));
        break;
    case '0':
    case WXK_NUMPAD0:
        SetZoomFactor(1.0);
        break;
    case 'f':
    case 'F':
        SetZoomToFit();
        break;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT:
        ScrollBy(-kArrowStepPixels, 0);
        break;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT:
        ScrollBy(kArrowStepPixels, 0);
        break;
    case WXK_UP:
    case WXK_NUMPAD_UP:
        ScrollBy(0, -kArrowStepPixels);
        break;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN:
        ScrollBy(0, kArrowStepPixels);
        break;
    default:
        event.Skip();
    }
}
