// Mouse editing of the advanced panel's current ROI: the left-button handlers,
// the editing part of the motion handler, the pixel-information text, the
// double-click hooks and the crop event. The geometry rules live in ROIEditor;
// this file feeds it source-image points and turns its answers into cursors,
// repaints, mouse capture and events.
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/time.h>
#include <wx/utils.h>

#include "tivra/engine/PixelInfoText.h"
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "tivra/roi/ROIEditor.h"

namespace {

bool InsideImage(const cv::Mat& image, const cv::Point2f& p)
{
    return !image.empty() && p.x >= 0 && p.y >= 0 && p.x < image.cols && p.y < image.rows;
}

void ShowStatus(wxWindow* target, const wxString& text)
{
    if (auto* bar = dynamic_cast<wxStatusBar*>(target))
        bar->SetStatusText(text);
    else if (auto* field = dynamic_cast<wxTextCtrl*>(target))
        field->ChangeValue(text);
    else
        target->SetLabel(text);
}

} // namespace

cv::Point2f TivraROIAdvPanel::EventToSource(const wxMouseEvent& event)
{
    const wxSize client = GetClientSize();
    m_viewport.SetWindowSize(cv::Size(client.x, client.y));
    return MouseToSource(event.GetPosition());
}

ROIHitResult TivraROIAdvPanel::HitTestCurrentROI(const cv::Point2f& p)
{
    if (!m_cropEnable || m_roiMode == CvROIMode::None)
        return ROIHitResult{};
    return ROIEditor::HitTest(Edit(), p, ROIEditor::ToleranceAt(m_scale));
}

void TivraROIAdvPanel::UpdateROIFromDrag(const cv::Point2f& p)
{
    ROIEditor::Drag(Edit(), p, wxGetKeyState(WXK_SHIFT), m_matBitmap.size());
}

bool TivraROIAdvPanel::EditingAllowed() const
{
    return m_cropEnable && !m_matBitmap.empty();
}

void TivraROIAdvPanel::OnImgeLeftMouseDown(wxMouseEvent& event)
{
    SetFocus();  // a click gives the keys to the panel
    if (!m_cropEnable) {
        event.Skip();
        return;
    }
    const cv::Point2f p = EventToSource(event);
    if (!InsideImage(m_matBitmap, p)) {
        event.Skip(); // the background around a centred image is not editable
        return;
    }
    const bool closed =
        ROIEditor::Press(Edit(), p, ROIEditor::ToleranceAt(m_scale), wxGetLocalTimeMillis().GetValue());
    // Captured, the release reaches the panel even when it happens outside the window.
    if (m_edit.dragging && !HasCapture())
        CaptureMouse();
    if (closed && !FinalizeCurrentROI())
        return;
    Refresh(true);
}

void TivraROIAdvPanel::EndEditDrag()
{
    if (HasCapture() && !m_panning)
        ReleaseMouse();
    const bool finished = ROIEditor::Release(Edit());
    if (finished && !FinalizeCurrentROI())
        return;
    Refresh(true);
}

void TivraROIAdvPanel::OnImgeLeftMouseUp(wxMouseEvent& event)
{
    if (!m_edit.dragging) {
        // The drag may have been reset from code while the mouse was captured.
        if (HasCapture() && !m_panning)
            ReleaseMouse();
        event.Skip();
        return;
    }
    EndEditDrag();
}

bool TivraROIAdvPanel::ReportMouseMove(const cv::Point2f& p)
{
    if (m_onMouseMove) {
        const PointHook hook = m_onMouseMove; // the hook may replace itself
        if (!SurvivesCall([&] { hook(p); }))
            return false;
    }
    if (m_statusTarget) {
        const std::string text = FormatPixelInfo(m_rawMat.empty() ? m_matBitmap : m_rawMat, m_cursorPixel, m_scale);
        if (!text.empty())
            ShowStatus(m_statusTarget, wxString::FromUTF8(text.c_str()));
    }
    return true;
}

void TivraROIAdvPanel::EditOnMouseMove(wxMouseEvent& event, const cv::Point2f& p)
{
    // A drag goes on beyond the image: the editor holds the ROI at its border.
    const bool dragOutside = m_edit.dragging && m_cropEnable && !m_matBitmap.empty();
    if (!dragOutside && !InsideImage(m_matBitmap, p)) {
        event.Skip();
        return;
    }
    if (m_cropEnable) {
        const bool bandMoved = ROIEditor::TrackRubberBand(Edit(), p);
        if (bandMoved)
            Refresh(true);
    }
    if (m_edit.dragging) {
        if (m_cropEnable) {
            UpdateROIFromDrag(p);
            Refresh(true);
        }
        event.Skip();
        return;
    }
    if (m_cropEnable) {
        const bool overROI = ROIEditor::Hover(Edit(), p, ROIEditor::ToleranceAt(m_scale));
        SetCursor(wxCursor(overROI ? wxCURSOR_HAND : wxCURSOR_CROSS));
    }
    event.Skip();
}

void TivraROIAdvPanel::OnImgeLeftDClick(wxMouseEvent& event)
{
    const cv::Point2f p = EventToSource(event);
    if (m_cropEnable) {
        const bool closed = ROIEditor::CloseOnDoubleClick(Edit());
        if (closed) {
            if (!FinalizeCurrentROI())
                return;
            Refresh(true);
        }
    }
    if (m_onLeftDClick) {
        const PointHook hook = m_onLeftDClick;
        if (!SurvivesCall([&] { hook(p); }))
            return;
    }
    event.Skip();
}

void TivraROIAdvPanel::OnImgeRightDClick(wxMouseEvent& event)
{
    const cv::Point2f p = EventToSource(event);
    if (m_onRightDClick) {
        const PointHook hook = m_onRightDClick;
        if (!SurvivesCall([&] { hook(p); }))
            return;
    }
    event.Skip();
}
