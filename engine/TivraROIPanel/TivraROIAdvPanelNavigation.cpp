// Navigation of the advanced panel: zoom steps and fit, Ctrl+wheel zoom, wheel
// scrolling, middle-button panning with mouse capture, and the context menu.
#include <algorithm>
#include <cmath>

#include <wx/menu.h>
#include <wx/wupdlock.h>

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "tivra/engine/ZoomSteps.h"
#include "PanelMenuIds.h"

namespace {

// One wheel line scrolls this many window pixels.
constexpr int kWheelLinePixels = 20;

}  // namespace

// ---------------------------------------------------------------- zoom

void TivraROIAdvPanel::ApplyScale(double scale)
{
    m_scale = scale;
    m_viewport.SetScale(scale);
    const cv::Size virtualSize = m_viewport.GetVirtualSize();
    SetVirtualSize(virtualSize.width, virtualSize.height);
    ShowNewView();
}

bool TivraROIAdvPanel::CalcZoomIn()
{
    const double next = ZoomSteps::StepIn(m_scale);
    const bool changed = next != m_scale;
    m_scale = next;
    return changed;
}

bool TivraROIAdvPanel::CalcZoomOut()
{
    const double next = ZoomSteps::StepOut(m_scale);
    const bool changed = next != m_scale;
    m_scale = next;
    return changed;
}

void TivraROIAdvPanel::SetZoomIn()
{
    const double next = ZoomSteps::StepIn(m_scale);
    if (next != m_scale)
        ApplyScale(next);
}

void TivraROIAdvPanel::SetZoomOut()
{
    const double next = ZoomSteps::StepOut(m_scale);
    if (next != m_scale)
        ApplyScale(next);
}

void TivraROIAdvPanel::SetZoomToFit()
{
    if (m_matBitmap.empty())
        return;
    // The whole window inside its border: scroll bars shown for the current zoom
    // vanish once the image fits, so they must not shrink the fit.
    const wxSize area = GetSize() - GetWindowBorderSize();
    ApplyScale(ZoomSteps::FitToWindow(cv::Size(area.x, area.y), m_matBitmap.size()));
}

void TivraROIAdvPanel::SetOriginal(bool)
{
    ApplyScale(1.0);
}

void TivraROIAdvPanel::UpdateScale()
{
    SetZoomToFit();
}

void TivraROIAdvPanel::SetCenterImageEnable(bool on)
{
    m_centerImage = on;
    m_viewport.SetCenteringEnabled(on);
    Refresh(true);
}

// ---------------------------------------------------------------- wheel

void TivraROIAdvPanel::OnMouseWheel(wxMouseEvent& event)
{
    if (m_matBitmap.empty())
        return;
    const int rotation = event.GetWheelRotation();
    if (event.ControlDown()) {
        wxWindowUpdateLocker frozen(this);
        try {
            if (rotation == 0 || !(rotation > 0 ? CalcZoomIn() : CalcZoomOut()))
                return;
            m_viewport.SetScale(m_scale);
            const cv::Size virtualSize = m_viewport.GetVirtualSize();
            SetVirtualSize(virtualSize.width, virtualSize.height);
            // Bring the pixel last under the mouse near the middle of the view.
            const int rangeX = GetScrollRange(wxHORIZONTAL);
            const int rangeY = GetScrollRange(wxVERTICAL);
            if (rangeX > 1 || rangeY >= 2) {
                const float thumbX = static_cast<float>(GetScrollThumb(wxHORIZONTAL));
                const float thumbY = static_cast<float>(GetScrollThumb(wxVERTICAL));
                const float fx = static_cast<float>(m_cursorPixel.x) / m_matBitmap.cols;
                const float fy = static_cast<float>(m_cursorPixel.y) / m_matBitmap.rows;
                Scroll(static_cast<int>(fx * rangeX - thumbX * 0.5f), static_cast<int>(fy * rangeY - thumbY * 0.5f));
            }
            ShowNewView();
        } catch (...) {
            // A failing window call must not escape the wheel handler; the view stays as it is.
        }
        return;
    }
    const int linesPerAction = event.GetLinesPerAction() < 1 ? 3 : event.GetLinesPerAction();
    const int wheelDelta = event.GetWheelDelta() < 1 ? 120 : event.GetWheelDelta();
    const int lines = linesPerAction * rotation / wheelDelta;
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    const wxPoint start = GetViewStart();
    if (event.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL) {
        if (unitY < 1)
            return;
        Scroll(-1, start.y - lines * kWheelLinePixels / unitY);
    } else {
        if (unitX < 1)
            return;
        Scroll(start.x + lines * kWheelLinePixels / unitX, -1);
    }
    ShowNewView();
}

// ---------------------------------------------------------------- panning

cv::Point2f TivraROIAdvPanel::MouseToSource(const wxPoint& mouse) const
{
    return m_viewport.ViewToOriginal(cv::Point2f(static_cast<float>(mouse.x), static_cast<float>(mouse.y)));
}

void TivraROIAdvPanel::OnMiddleMouseDown(wxMouseEvent& event)
{
    if (GetScrollRange(wxHORIZONTAL) < 2 && GetScrollRange(wxVERTICAL) < 2)
        return;  // the whole image is in view: nothing to pan
    m_panning = true;
    SetFocus();  // a click gives the keys to the panel
    m_panStartMouse = event.GetPosition();
    const wxPoint start = GetViewStart();
    m_panStartScroll = {start.x, start.y};
    SetCursor(wxCursor(wxCURSOR_SIZING));
    // Captured, the release reaches the panel even outside the window.
    if (!HasCapture())
        CaptureMouse();
}

void TivraROIAdvPanel::EndPanning()
{
    if (HasCapture())
        ReleaseMouse();
    if (!m_panning)
        return;
    m_panning = false;
    SetCursor(wxCursor(wxCURSOR_ARROW));
}

void TivraROIAdvPanel::OnMiddleMouseUp(wxMouseEvent&)
{
    EndPanning();
}

void TivraROIAdvPanel::OnMouseCaptureLost(wxMouseCaptureLostEvent&)
{
    // The capture is already gone; the pan ends, and so does a left-button drag,
    // which reports its edit as a release would.
    if (m_panning) {
        m_panning = false;
        SetCursor(wxCursor(wxCURSOR_ARROW));
    }
    if (m_edit.dragging)
        EndEditDrag();
}

void TivraROIAdvPanel::PanTo(const wxPoint& mouse)
{
    int unitX = 0, unitY = 0;
    GetScrollPixelsPerUnit(&unitX, &unitY);
    if (unitX >= 1 && unitY >= 1)
        Scroll(m_panStartScroll[0] - (mouse.x - m_panStartMouse.x) / unitX,
               m_panStartScroll[1] - (mouse.y - m_panStartMouse.y) / unitY);
    ShowNewView();
}

void TivraROIAdvPanel::OnImgeMouseMove(wxMouseEvent& event)
{
    const cv::Point2f p = EventToSource(event);
    m_cursorPixel = cv::Point(static_cast<int>(p.x), static_cast<int>(p.y));
    if (!ReportMouseMove(p))
        return;  // the hook destroyed the panel
    if (m_panning) {
        PanTo(event.GetPosition());
        return;
    }
    EditOnMouseMove(event, p);
}

void TivraROIAdvPanel::BindPanelMouseHandlers(bool connect)
{
    BindWhile(connect, wxEVT_RIGHT_DCLICK, &TivraROIAdvPanel::OnImgeRightDClick);
    BindWhile(connect, wxEVT_MIDDLE_DOWN, &TivraROIAdvPanel::OnMiddleMouseDown);
    BindWhile(connect, wxEVT_MIDDLE_UP, &TivraROIAdvPanel::OnMiddleMouseUp);
    BindWhile(connect, wxEVT_MOUSE_CAPTURE_LOST, &TivraROIAdvPanel::OnMouseCaptureLost);
}

// ---------------------------------------------------------------- context menu

void TivraROIAdvPanel::OnContextMenu(wxContextMenuEvent& event)
{
    wxPoint pos = event.GetPosition();
    if (pos == wxDefaultPosition)
        pos = wxGetMousePosition();  // opened from the keyboard
    pos = ScreenToClient(pos);
    if (m_onRightClick) {
        // This panel does not look up the overlay under the mouse: the index is always -1.
        const cv::Point2f p = MouseToSource(pos);
        const RightClickHook hook = m_onRightClick;  // the hook may replace itself
        bool keepMenuClosed = false;
        if (!SurvivesCall([&] { keepMenuClosed = hook(p, -1); }) || keepMenuClosed)
            return;
    }
    if (m_menuEnable)
        ShowContextMenu(pos);
}

void TivraROIAdvPanel::ShowContextMenu(const wxPoint& pos)
{
    wxMenu menu;
    menu.Append(PanelMenuIds::kScaleUp, "Scale Up");
    menu.Append(PanelMenuIds::kScaleDown, "Scale Down");
    menu.Append(PanelMenuIds::kZoomToFit, "Zoom to Fit");
    menu.Append(PanelMenuIds::kOriginal, "Original Size");
    menu.AppendSeparator();
    for (size_t i = 0; i < m_menuROIEnable.size(); ++i) {
        if (m_menuROIEnable[i])
            menu.Append(PanelMenuIds::kKindItems[i].id, PanelMenuIds::kKindItems[i].label);
    }
    if (m_simdMenuEnable) {
        menu.AppendSeparator();
        const int level = std::max(GetSSE(), 0);
        for (const PanelMenuIds::SIMDItem& entry : PanelMenuIds::kSIMDItems) {
            if (entry.value > level)
                continue;
            const bool current = entry.value < 0 ? m_simdMode < 0 : entry.value == m_simdMode;
            if (current)
                menu.AppendCheckItem(entry.id, entry.label)->Check(true);
            else
                menu.Append(entry.id, entry.label);
        }
    }
    PopupMenu(&menu, pos.x, pos.y);
}
