// Zoom of the classic ROI panel: the ladder of factors with its memory guard,
// zoom around the pixel under the mouse or the view centre, and the context menu.
#include <algorithm>
#include <cmath>

#include <wx/menu.h>
#include <wx/wupdlock.h>

#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"
#include "PanelMenuIds.h"

const std::array<double, 16> TivraROIPanel::kZoomLadder = {0.1, 0.11, 0.13, 0.14, 0.17, 0.25, 0.33, 0.5,
                                                             1.0, 2.0,  3.0,  4.0,  5.0,  6.0,  7.0,  8.0};

namespace {

constexpr double kTopOfLadder = 8.0;
constexpr double kBottomOfLadder = 0.1;

}  // namespace

// ---------------------------------------------------------------- ladder

bool TivraROIPanel::BitmapFitsInMemory(double scale)
{
    const double width = scale * m_matBitmap.cols;
    const double height = scale * m_matBitmap.rows;
    const double bytes = width * height * 3.0;
    // Beyond any count a signed 64-bit value holds, the bitmap cannot exist either.
    if (!(bytes < 9.0e18) || static_cast<std::int64_t>(bytes) >= s_lastBadBitmapSize)
        return false;
    const std::int64_t count = static_cast<std::int64_t>(bytes);
    if (count <= s_lastGoodBitmapSize)
        return true;
    // A wx bitmap is at most INT_MAX pixels on a side.
    if (width >= 2147483647.0 || height >= 2147483647.0) {
        s_lastBadBitmapSize = std::min(s_lastBadBitmapSize, count);
        return false;
    }
    bool created = false;
    {
        wxLogNull quiet;  // a refused size is not an error the user must see
        wxBitmap probe(static_cast<int>(width), static_cast<int>(height), 24);
        created = probe.IsOk();
    }
    if (!created) {
        s_lastBadBitmapSize = std::min(s_lastBadBitmapSize, count);
        return false;
    }
    s_lastGoodBitmapSize = std::max(s_lastGoodBitmapSize, count);
    return true;
}

bool TivraROIPanel::CalcZoomIn()
{
    ShowScrollbars(wxSHOW_SB_DEFAULT, wxSHOW_SB_DEFAULT);
    const double old = m_scale;
    double next = old;
    if (old > kTopOfLadder)
        next = kTopOfLadder;
    else if (!(old >= kBottomOfLadder))  // below the ladder, or not a number
        next = kBottomOfLadder;
    else if (old != kTopOfLadder)
        next = *std::upper_bound(kZoomLadder.begin(), kZoomLadder.end(), old);
    if (next == old)
        return false;
    if (next > old && !BitmapFitsInMemory(next))
        return false;
    m_scale = next;
    return true;
}

bool TivraROIPanel::CalcZoomOut()
{
    ShowScrollbars(wxSHOW_SB_DEFAULT, wxSHOW_SB_DEFAULT);
    const double old = m_scale;
    double next = kBottomOfLadder;
    if (old > kTopOfLadder) {
        next = kTopOfLadder;
    } else {
        const auto below = std::lower_bound(kZoomLadder.begin(), kZoomLadder.end(), old);
        if (below != kZoomLadder.begin())
            next = *(below - 1);
    }
    if (next == old)
        return false;
    m_scale = next;
    return true;
}

// ---------------------------------------------------------------- zoom keeping a point

void TivraROIPanel::ScrollToRelativeCentre(double fx, double fy)
{
    const int rangeX = GetScrollRange(wxHORIZONTAL);
    const int rangeY = GetScrollRange(wxVERTICAL);
    if (rangeX == 1 || rangeY == 1)
        return;
    const double thumbX = GetScrollThumb(wxHORIZONTAL);
    const double thumbY = GetScrollThumb(wxVERTICAL);
    Scroll(static_cast<int>(rangeX * fx - thumbX * 0.5), static_cast<int>(rangeY * fy - thumbY * 0.5));
}

void TivraROIPanel::ZoomAroundCursor(bool zoomIn)
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    wxWindowUpdateLocker frozen(this);
    if (!(zoomIn ? CalcZoomIn() : CalcZoomOut()))
        return;
    UpdateDrawImage(false);
    ScrollToRelativeCentre(static_cast<double>(m_cursorPixel.x) / m_matBitmap.cols,
                           static_cast<double>(m_cursorPixel.y) / m_matBitmap.rows);
}

void TivraROIPanel::ZoomAroundViewCentre(bool zoomIn)
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    wxWindowUpdateLocker frozen(this);
    const auto relative = [this](int orient) {
        const int range = GetScrollRange(orient);
        if (range <= 0)
            return 0.5;
        return (GetScrollPos(orient) + GetScrollThumb(orient) * 0.5) / range;
    };
    const double fx = relative(wxHORIZONTAL);
    const double fy = relative(wxVERTICAL);
    if (!(zoomIn ? CalcZoomIn() : CalcZoomOut()))
        return;
    UpdateDrawImage(false);
    ScrollToRelativeCentre(fx, fy);
}

void TivraROIPanel::SetZoomIn()
{
    try {
        ZoomAroundViewCentre(true);
    } catch (...) {
        LogRecord(wxLOG_Info, "SetZoomIn", "TivraROIPanel::SetZoomIn error occor!");
    }
}

void TivraROIPanel::SetZoomOut()
{
    try {
        ZoomAroundViewCentre(false);
    } catch (...) {
        // A failed step leaves the view as it was.
    }
}

void TivraROIPanel::MenuZoomStep(bool zoomIn)
{
    try {
        ZoomAroundCursor(zoomIn);
    } catch (...) {
        const char* function = zoomIn ? "OnMenu_ScaleUp" : "OnMenu_ScaleDown";
        LogRecord(wxLOG_Info, function, wxString::Format("TivraROIPanel::%s error occor!", function));
    }
}

void TivraROIPanel::OnMouseWheel(wxMouseEvent& event)
{
    // Every wheel turn zooms, with or without modifiers.
    const int rotation = event.GetWheelRotation();
    if (rotation == 0)
        return;
    try {
        LogRecord(wxLOG_Info, "OnMouseWheel", rotation > 0 ? "scroll up" : "scroll down");
        ZoomAroundCursor(rotation > 0);
    } catch (...) {
        LogRecord(wxLOG_Info, "OnMouseWheel", "TivraROIPanel::OnMouseWheel error occor!");
    }
}

// ---------------------------------------------------------------- fit and original

void TivraROIPanel::UpdateScale()
{
    if (m_matBitmap.empty())
        return;
    if (m_displayMode == 0)
        m_scale = 1.0;
    else if (m_displayMode == 1)
        TivraPanel::UpdateScale();
}

void TivraROIPanel::SetZoomToFit()
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    m_displayMode = 1;
    UpdateScale();
    UpdateDrawImage(true);
}

void TivraROIPanel::SetOriginal(bool showScrollbars)
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    m_displayMode = 0;
    const wxScrollbarVisibility visibility = showScrollbars ? wxSHOW_SB_DEFAULT : wxSHOW_SB_NEVER;
    ShowScrollbars(visibility, visibility);
    UpdateScale();
    UpdateDrawImage(true);
}

// ---------------------------------------------------------------- context menu

void TivraROIPanel::OnContextMenu(wxContextMenuEvent& event)
{
    wxPoint pos = event.GetPosition();
    if (pos == wxDefaultPosition) {
        // Opened from the keyboard: the centre of the client area.
        const wxSize client = GetClientSize();
        pos = wxPoint(client.x / 2, client.y / 2);
    } else {
        pos = ScreenToClient(pos);
    }
    const wxPoint onImage = CalcUnscrolledPosition(pos);
    if (onImage.x < 0 || onImage.y < 0 || onImage.x > m_drawmatBitmap.cols || onImage.y > m_drawmatBitmap.rows)
        return;
    ShowContextMenu(pos);
}

void TivraROIPanel::ShowContextMenu(const wxPoint& pos)
{
    if (!m_menuEnable)
        return;
    wxMenu menu;
    menu.Append(400, "+");
    menu.Append(401, "-");
    menu.Append(402, "Zoom to Fit");
    menu.Append(403, "Original");
    const auto appendChoice = [&menu](int id, const char* label, bool current) {
        if (current)
            menu.AppendCheckItem(id, label)->Check(true);
        else
            menu.Append(id, label);
    };
    if (m_cropEnable) {
        for (size_t i = 0; i < m_menuROIEnable.size(); ++i) {
            if (m_menuROIEnable[i])
                appendChoice(PanelMenuIds::kKindItems[i].id, PanelMenuIds::kKindItems[i].classicLabel,
                             PanelMenuIds::kKindItems[i].kind == m_roiMode);
        }
    }
    if (m_simdMenuEnable) {
        const int level = std::max(GetSSE(), 0);
        for (const PanelMenuIds::SIMDItem& entry : PanelMenuIds::kSIMDItems) {
            if (entry.value <= level)
                appendChoice(entry.id, entry.label, entry.value < 0 ? m_simdMode < 0 : entry.value == m_simdMode);
        }
    }
    PopupMenu(&menu, pos.x, pos.y);
}
