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

// The editing fields move into the editor's record and back, so that one set of
// rules serves this panel and the classic one. Nothing runs in between.
ROIEditState TivraROIAdvPanel::TakeEditState()
{
    ROIEditState s;
    s.mode = m_roiMode;
    s.roiRect = m_roiRect;
    s.leftDownPoint = m_leftDownPoint;
    s.leftUpPoint = m_leftUpPoint;
    s.innerRadius = m_innerRadius;
    s.startAngle = m_startAngle;
    s.endAngle = m_endAngle;
    s.rotateAngle = m_rotateAngle;
    s.polygonPoints = std::move(m_polygonPoints);
    s.hoverPoint = m_hoverPoint;
    s.activeVertex = m_activeVertex;
    s.edgeDragStarted = m_edgeDragStarted;
    s.hit = m_hit;
    s.dragging = m_dragging;
    s.dragStartPoint = m_dragStartPoint;
    s.dragStartRect = m_dragStartRect;
    s.lastAnglePoint = m_lastAnglePoint;
    s.edgeCorners = m_edgeCorners;
    s.rotationAccum = m_rotationAccum;
    s.edgeSlope = m_edgeSlope;
    s.lastClickTime = m_lastClickTime.GetValue();
    s.lastClickPoint = m_lastClickPoint;
    s.polygonDrawing = m_polygonDrawing;
    s.polygonSnapshot = std::move(m_polygonSnapshot);
    return s;
}

void TivraROIAdvPanel::PutEditState(ROIEditState&& s)
{
    m_roiRect = s.roiRect;
    m_leftDownPoint = s.leftDownPoint;
    m_leftUpPoint = s.leftUpPoint;
    m_innerRadius = s.innerRadius;
    m_startAngle = s.startAngle;
    m_endAngle = s.endAngle;
    m_rotateAngle = s.rotateAngle;
    m_polygonPoints = std::move(s.polygonPoints);
    m_hoverPoint = s.hoverPoint;
    m_activeVertex = s.activeVertex;
    m_edgeDragStarted = s.edgeDragStarted;
    m_hit = s.hit;
    m_dragging = s.dragging;
    m_dragStartPoint = s.dragStartPoint;
    m_dragStartRect = s.dragStartRect;
    m_lastAnglePoint = s.lastAnglePoint;
    m_edgeCorners = s.edgeCorners;
    m_rotationAccum = s.rotationAccum;
    m_edgeSlope = s.edgeSlope;
    m_lastClickTime = s.lastClickTime;
    m_lastClickPoint = s.lastClickPoint;
    m_polygonDrawing = s.polygonDrawing;
    m_polygonSnapshot = std::move(s.polygonSnapshot);
}

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
    ROIEditState s = TakeEditState();
    const ROIHitResult hit = ROIEditor::HitTest(s, p, ROIEditor::ToleranceAt(m_scale));
    PutEditState(std::move(s));
    return hit;
}

void TivraROIAdvPanel::UpdateROIFromDrag(const cv::Point2f& p)
{
    ROIEditState s = TakeEditState();
    ROIEditor::Drag(s, p, wxGetKeyState(WXK_SHIFT), m_matBitmap.size());
    PutEditState(std::move(s));
}

bool TivraROIAdvPanel::FinalizeCurrentROI()
{
    if (m_roiMode == CvROIMode::Polygon && m_polygonDrawing)
        return true;
    cv::Rect rect;
    GetRect(rect);
    CropEvent crop(TIVRAPanel_EVT_CROP_CHANGE, GetId(), rect);
    crop.SetEventObject(this);
    return SurvivesCall([&] { GetEventHandler()->ProcessEvent(crop); });
}

void TivraROIAdvPanel::OnImgeLeftMouseDown(wxMouseEvent& event)
{
    if (!m_cropEnable) {
        event.Skip();
        return;
    }
    const cv::Point2f p = EventToSource(event);
    if (!InsideImage(m_matBitmap, p)) {
        event.Skip(); // the background around a centred image is not editable
        return;
    }
    ROIEditState s = TakeEditState();
    const bool closed =
        ROIEditor::Press(s, p, ROIEditor::ToleranceAt(m_scale), wxGetLocalTimeMillis().GetValue());
    PutEditState(std::move(s));
    // Captured, the release reaches the panel even when it happens outside the window.
    if (m_dragging && !HasCapture())
        CaptureMouse();
    if (closed && !FinalizeCurrentROI())
        return;
    Refresh(true);
}

void TivraROIAdvPanel::EndEditDrag()
{
    if (HasCapture() && !m_panning)
        ReleaseMouse();
    ROIEditState s = TakeEditState();
    const bool finished = ROIEditor::Release(s);
    PutEditState(std::move(s));
    if (finished && !FinalizeCurrentROI())
        return;
    Refresh(true);
}

void TivraROIAdvPanel::OnImgeLeftMouseUp(wxMouseEvent& event)
{
    if (!m_dragging) {
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
        const std::string text = FormatPixelInfo(m_matBitmap, m_cursorPixel, m_scale);
        if (!text.empty())
            ShowStatus(m_statusTarget, wxString::FromUTF8(text.c_str()));
    }
    return true;
}

void TivraROIAdvPanel::EditOnMouseMove(wxMouseEvent& event, const cv::Point2f& p)
{
    // A drag goes on beyond the image: the editor holds the ROI at its border.
    const bool dragOutside = m_dragging && m_cropEnable && !m_matBitmap.empty();
    if (!dragOutside && !InsideImage(m_matBitmap, p)) {
        event.Skip();
        return;
    }
    if (m_cropEnable) {
        ROIEditState s = TakeEditState();
        const bool bandMoved = ROIEditor::TrackRubberBand(s, p);
        PutEditState(std::move(s));
        if (bandMoved)
            Refresh(true);
    }
    if (m_dragging) {
        if (m_cropEnable) {
            UpdateROIFromDrag(p);
            Refresh(true);
        }
        event.Skip();
        return;
    }
    if (m_cropEnable) {
        ROIEditState s = TakeEditState();
        const bool overROI = ROIEditor::Hover(s, p, ROIEditor::ToleranceAt(m_scale));
        PutEditState(std::move(s));
        SetCursor(wxCursor(overROI ? wxCURSOR_HAND : wxCURSOR_CROSS));
    }
    event.Skip();
}

void TivraROIAdvPanel::OnImgeLeftDClick(wxMouseEvent& event)
{
    const cv::Point2f p = EventToSource(event);
    if (m_cropEnable) {
        ROIEditState s = TakeEditState();
        const bool closed = ROIEditor::CloseOnDoubleClick(s);
        PutEditState(std::move(s));
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
