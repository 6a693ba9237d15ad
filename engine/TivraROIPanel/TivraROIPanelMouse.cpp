// ROI editing with the mouse on the classic panel. Positions are display pixels
// of the scaled image, turned into source pixels by dividing by the zoom with
// truncation; the editing rules are those of the advanced panel (ROIEditor).
#include <cmath>

#include <wx/utils.h>

#include "tivra/engine/PixelInfoText.h"
#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"
#include "tivra/roi/ROIEditRecord.h"

bool TivraROIPanel::EditingAllowed() const
{
    return !m_matBitmap.empty() && m_bitmap.IsOk() && m_cropEnable && m_moveEnable && m_scale > 0;
}

bool TivraROIPanel::SourcePointAt(const wxPoint& windowPos, cv::Point2f& source) const
{
    const wxPoint display = CalcUnscrolledPosition(windowPos);
    if (display.x < 0 || display.y < 0 || display.x >= m_drawmatBitmap.cols || display.y >= m_drawmatBitmap.rows)
        return false;
    source = cv::Point2f(std::trunc(display.x / m_scale), std::trunc(display.y / m_scale));
    return true;
}

void TivraROIPanel::LogPolygonPress(size_t verticesBefore, bool closed)
{
    if (closed)
        return;
    if (m_edit.polygonPoints.size() == verticesBefore) {
        // A quick repeated click that could not close the polygon.
        if (verticesBefore == 2)
            LogRecord(wxLOG_Info, "OnImgeLeftMouseDown", "only 2 points!");
        return;
    }
    LogRecord(wxLOG_Info, "OnImgeLeftMouseDown",
              m_edit.polygonPoints.size() == 1 ? "polygon first down" : "polygon down");
}

void TivraROIPanel::LogPolygonRelease(size_t verticesBefore, bool closed)
{
    if (closed)
        LogRecord(wxLOG_Info, "OnImgeLeftMouseUp", "polygon end");
    else if (m_edit.polygonDrawing && m_edit.polygonPoints.size() == 1)
        LogRecord(wxLOG_Info, "OnImgeLeftMouseUp", "polygon first down and up");
    else if (m_edit.polygonDrawing && m_edit.polygonPoints.size() > verticesBefore)
        LogRecord(wxLOG_Info, "OnImgeLeftMouseUp", "polygon add point");
}

void TivraROIPanel::OnImgeLeftMouseDown(wxMouseEvent& event)
{
    SetFocus(); // the keys edit the ROI of the panel last clicked
    cv::Point2f p;
    if (!EditingAllowed() || !SourcePointAt(event.GetPosition(), p)) {
        event.Skip();
        return;
    }
    const bool polygon = m_roiMode == CvROIMode::Polygon;
    // A press on a closed polygon's background starts a new one: nothing was there before.
    m_pressVertices = polygon && m_edit.polygonDrawing ? m_edit.polygonPoints.size() : 0;
    m_pressClosed = ROIEditor::Press(Edit(), p, ROIEditor::ToleranceAt(m_scale), wxGetLocalTimeMillis().GetValue());
    if (polygon)
        LogPolygonPress(m_pressVertices, m_pressClosed);
    if (m_pressClosed && !FinalizeCurrentROI())
        return;
    UpdateDrawImage(false);
}

void TivraROIPanel::OnImgeLeftMouseUp(wxMouseEvent& event)
{
    if (m_roiMode == CvROIMode::Polygon && (m_edit.dragging || m_pressClosed))
        LogPolygonRelease(m_pressVertices, m_pressClosed);
    m_pressClosed = false;
    if (!m_edit.dragging) {
        event.Skip();
        return;
    }
    if (ROIEditor::Release(m_edit) && !FinalizeCurrentROI())
        return;
    UpdateDrawImage(false);
}

void TivraROIPanel::OnImgeLeftDClick(wxMouseEvent& event)
{
    // GTK turns the second press of a quick double click into this event alone:
    // it closes an open polygon, as on the advanced panel.
    event.Skip();
    cv::Point2f p;
    if (!EditingAllowed() || !SourcePointAt(event.GetPosition(), p))
        return;
    if (!ROIEditor::CloseOnDoubleClick(Edit()))
        return;
    LogRecord(wxLOG_Info, "OnImgeLeftDClick", "polygon end");
    if (!FinalizeCurrentROI()) {
        event.Skip(false);  // the event must not travel on through a destroyed panel
        return;
    }
    UpdateDrawImage(false);
}

void TivraROIPanel::ReportPixelInfo()
{
    if (!m_statusTarget)
        return;
    wxString text = FormatPixelInfo(m_matBitmap, m_cursorPixel, m_scale);
    if (text.empty())
        return;
    if (m_roiMode == CvROIMode::RotatedRectangle)
        text += wxString::Format(" RotatedRectangle ROI  Angle=%.3f", m_edit.rotateAngle);
    else if (m_roiMode == CvROIMode::Annulus)
        text += wxString::Format(" , Annulus ROI IR=%.3f OR=%.3f Start Angle=% .3f, End Angle=% .3f",
                                 GetInnerRadius(), GetOuterRadius(), m_edit.startAngle, m_edit.endAngle);
    m_statusTarget->SetLabel(text);
}

void TivraROIPanel::OnImgeMouseMove(wxMouseEvent& event)
{
    event.Skip();
    if (m_scale > 0) {
        const wxPoint display = CalcUnscrolledPosition(event.GetPosition());
        m_cursorPixel = cv::Point(static_cast<int>(display.x / m_scale), static_cast<int>(display.y / m_scale));
    }
    ReportPixelInfo();
    cv::Point2f p;
    if (!EditingAllowed())
        return;
    if (!SourcePointAt(event.GetPosition(), p)) {
        if (!m_edit.dragging)
            return;
        // A drag goes on beyond the image: the editor holds the ROI at its border.
        const wxPoint display = CalcUnscrolledPosition(event.GetPosition());
        p = cv::Point2f(static_cast<float>(display.x / m_scale), static_cast<float>(display.y / m_scale));
    }
    bool redraw = ROIEditor::TrackRubberBand(Edit(), p);
    if (m_edit.dragging) {
        ROIEditor::Drag(m_edit, p, wxGetKeyState(WXK_SHIFT), m_matBitmap.size());
        redraw = true;
    } else {
        const bool grabbable = ROIEditor::Hover(m_edit, p, ROIEditor::ToleranceAt(m_scale));
        SetCursor(wxCursor(grabbable ? wxCURSOR_HAND : wxCURSOR_CROSS));
    }
    if (redraw)
        UpdateDrawImage(false);
}
