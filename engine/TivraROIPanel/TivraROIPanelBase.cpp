// The state and operations both ROI panels share: the current ROI set from code
// and read back, the overlay, text and badge stores, and the menu commands.
#include "tivra/engine/TivraROIPanel/TivraROIPanelBase.h"
#include "PanelMenuIds.h"

#include <algorithm>

#include "tivra/engine/EditingROILayer.h"
#include "tivra/engine/FrameLayers.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIEditRecord.h"
#include "tivra/roi/ROIKeyboard.h"

#include <wx/time.h>

TivraROIPanelBase::TivraROIPanelBase(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                                     const wxString& name)
    : TivraPanel(parent, id, pos, size, style, name)
{
    Init();
}

void TivraROIPanelBase::Init()
{
    m_defaultFontPath = FrameLayers::kDefaultFontPath;
    m_roiColor = cv_Color_Defines::yellow;
    SetScrollRate(8, 8);
    // The panels repaint themselves on scrolling: the window must not blit.
    EnableScrolling(false, false);
    Bind(wxEVT_CONTEXT_MENU, &TivraROIPanelBase::OnContextMenu, this);
    Bind(wxEVT_MOUSEWHEEL, &TivraROIPanelBase::OnMouseWheel, this);
    Bind(wxEVT_MENU, &TivraROIPanelBase::OnMenu_ScaleUp, this, PanelMenuIds::kScaleUp);
    Bind(wxEVT_MENU, &TivraROIPanelBase::OnMenu_ScaleDown, this, PanelMenuIds::kScaleDown);
    Bind(wxEVT_MENU, &TivraROIPanelBase::OnMenu_ZoomtoFit, this, PanelMenuIds::kZoomToFit);
    Bind(wxEVT_MENU, &TivraROIPanelBase::OnMenu_Origianl, this, PanelMenuIds::kOriginal);
    Bind(wxEVT_MENU, &TivraROIPanelBase::OnMenu_ROIChange, this, PanelMenuIds::kFirstKind, PanelMenuIds::kLastKind);
    Bind(wxEVT_MENU, &TivraROIPanelBase::OnMenu_SIMDChange, this, PanelMenuIds::kFirstSIMD,
         PanelMenuIds::kDefaultSIMD);
    // The ROI keys come first, as keys go down; what they leave reaches the
    // panel's navigation keys as a character (arrows scroll without an ROI).
    Bind(wxEVT_KEY_DOWN, &TivraROIPanelBase::OnKeyDown, this);
}

TivraROIPanelBase::~TivraROIPanelBase()
{
    Unbind(wxEVT_CONTEXT_MENU, &TivraROIPanelBase::OnContextMenu, this);
    Unbind(wxEVT_MOUSEWHEEL, &TivraROIPanelBase::OnMouseWheel, this);
}

void TivraROIPanelBase::SetMouseEventConnect(bool connect)
{
    if (connect == m_mouseConnected)
        return;
    BindWhile(connect, wxEVT_LEFT_DOWN, &TivraROIPanelBase::OnImgeLeftMouseDown);
    BindWhile(connect, wxEVT_LEFT_UP, &TivraROIPanelBase::OnImgeLeftMouseUp);
    BindWhile(connect, wxEVT_LEFT_DCLICK, &TivraROIPanelBase::OnImgeLeftDClick);
    BindWhile(connect, wxEVT_MOTION, &TivraROIPanelBase::OnImgeMouseMove);
    BindPanelMouseHandlers(connect);
    m_mouseConnected = connect;
}

void TivraROIPanelBase::BindPanelMouseHandlers(bool) {}

ROIEditState& TivraROIPanelBase::Edit()
{
    m_edit.mode = m_roiMode;
    return m_edit;
}

void TivraROIPanelBase::UpdateDrawImage(bool resize)
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    SetCVmat(m_matBitmap, true, true);
    if (resize)
        SetVirtualSize(m_bitmap.GetSize());
}

// ---------------------------------------------------------------- current ROI

void TivraROIPanelBase::SetFuncEnable(bool menu_enable, bool crop_enable, bool move_enable)
{
    m_menuEnable = menu_enable;
    m_cropEnable = crop_enable;
    m_moveEnable = move_enable;
    RedrawLayers();
}

void TivraROIPanelBase::SetSIMDMenuEnable(bool enable)
{
    m_simdMenuEnable = enable;
}

void TivraROIPanelBase::GetRect(cv::Rect& out)
{
    out = ROIEditRecord::ReportedRect(Edit());
}

void TivraROIPanelBase::SetRect(const cv::Rect& r)
{
    if (r.width >= 1 && r.height > 0)
        m_edit.roiRect = cv::Rect2f(r);
    else
        ROIEditRecord::Reset(m_edit);
    RecordCodeEdit();
    RedrawLayers();
}

cv::Point2f TivraROIPanelBase::GetLeftMouseDownPoint()
{
    return m_edit.leftDownPoint;
}

cv::Point2f TivraROIPanelBase::GetLeftMouseUpPoint()
{
    return m_edit.leftUpPoint;
}

double TivraROIPanelBase::GetStartAngle()
{
    return m_edit.startAngle;
}

double TivraROIPanelBase::GetEndAngle()
{
    return m_edit.endAngle;
}

double TivraROIPanelBase::GetRotateAngle()
{
    return m_edit.rotateAngle;
}

double TivraROIPanelBase::GetInnerRadius() const
{
    return ROIEditRecord::InnerRadius(m_edit);
}

double TivraROIPanelBase::GetOuterRadius() const
{
    return ROIEditRecord::OuterRadius(m_edit);
}

cvROI TivraROIPanelBase::GetROI() const
{
    ROIEditState s = m_edit;
    s.mode = m_roiMode;
    return ROIEditRecord::ToRecord(s);
}

void TivraROIPanelBase::GetPolygonPoints(std::vector<cv::Point2f>& out) const
{
    out = m_edit.polygonPoints;
}

void TivraROIPanelBase::GetRotatedRectEdges(cv::Point2f& a, cv::Point2f& b, cv::Point2f& c, cv::Point2f& d)
{
    const auto& corners = m_edit.polygonPoints;
    if (m_roiMode != CvROIMode::RotatedRectangle || corners.size() < 4)
        return;
    a = corners[1];
    b = corners[2];
    c = corners[3];
    d = corners[0];
}

void TivraROIPanelBase::SetMenuROIEnable(bool point, bool line, bool rect, bool rotatedRect, bool circle,
                                         bool annulus, bool polygon)
{
    m_menuROIEnable = {point, line, rect, rotatedRect, circle, annulus, polygon};
}

void TivraROIPanelBase::HideROI()
{
    ROIEditRecord::Reset(m_edit);
    RecordCodeEdit();
    RedrawLayers();
}

void TivraROIPanelBase::SetROIParamDefault()
{
    ROIEditRecord::Reset(m_edit);
    RecordCodeEdit();
}

void TivraROIPanelBase::SetLockROI(bool lock)
{
    m_lockROI = lock;
}

void TivraROIPanelBase::SetROI(cvROI roi, bool refresh)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    ROIEditRecord::Apply(m_edit, roi);
    m_roiMode = m_edit.mode;
    RecordCodeEdit();
    if (refresh)
        RedrawLayers();
}

void TivraROIPanelBase::SetROIMode(CvROIMode mode)
{
    if (mode == m_roiMode)
        return;
    ROIEditRecord::Reset(m_edit);
    m_roiMode = mode;
    m_edit.mode = mode;
    RecordCodeEdit();
    RedrawLayers();
}

void TivraROIPanelBase::SetStatusTarget(wxWindow* target)
{
    m_statusTarget = target;
}

// ---------------------------------------------------------------- history, state and keys

void TivraROIPanelBase::RecordCodeEdit()
{
    m_history.Commit(Edit());
}

bool TivraROIPanelBase::FinalizeCurrentROI()
{
    if (!ROIEditor::IsReportable(Edit()))
        return true;
    m_history.Commit(m_edit);
    CropEvent crop(TIVRAPanel_EVT_CROP_CHANGE, GetId());
    GetRect(crop.m_rect);
    crop.SetEventObject(this);
    return SurvivesCall([&] { GetEventHandler()->ProcessEvent(crop); });
}

bool TivraROIPanelBase::ShowRestoredROI(bool changed)
{
    if (!changed)
        return false;
    m_roiMode = m_edit.mode;
    if (HasCapture())
        ReleaseMouse();  // the drag it was capturing for is gone
    RedrawLayers();
    return FinalizeCurrentROI();
}

bool TivraROIPanelBase::UndoROI()
{
    return ShowRestoredROI(m_history.Undo(Edit()));
}

bool TivraROIPanelBase::RedoROI()
{
    return ShowRestoredROI(m_history.Redo(Edit()));
}

bool TivraROIPanelBase::CanUndoROI() const
{
    ROIEditState s = m_edit;
    s.mode = m_roiMode;
    return m_history.CanUndo(s);
}

bool TivraROIPanelBase::CanRedoROI() const
{
    return m_history.CanRedo();
}

ROIStateFields TivraROIPanelBase::GetROIState() const
{
    ROIEditState s = m_edit;
    s.mode = m_roiMode;
    return ROIState::Save(s);
}

void TivraROIPanelBase::SetROIState(const ROIStateFields& fields)
{
    const ROIEditState loaded = ROIState::Load(fields);
    ROIShape::Of(loaded).RestoreInto(m_edit);
    m_roiMode = m_edit.mode;
    if (HasCapture())
        ReleaseMouse();
    m_history.Commit(m_edit);
    RedrawLayers();
}

void TivraROIPanelBase::OnKeyDown(wxKeyEvent& event)
{
    if (!HandleROIKey(event))
        event.Skip();
}

bool TivraROIPanelBase::HandleROIKey(const wxKeyEvent& event)
{
    if (!EditingAllowed())
        return false;
    const int key = event.GetKeyCode();
    const bool ctrl = event.ControlDown();
    const bool shift = event.ShiftDown();
    if (ctrl && (key == 'Z' || key == 'z')) {
        if (shift)
            RedoROI();
        else
            UndoROI();
        return true;
    }
    if (ctrl && (key == 'Y' || key == 'y')) {
        RedoROI();
        return true;
    }
    if (key == WXK_ESCAPE)
        return CancelROIGesture();
    if (key == WXK_DELETE || key == WXK_NUMPAD_DELETE || key == WXK_BACK)
        return DeleteROI();
    return StepROIByKey(key, ctrl, shift);
}

bool TivraROIPanelBase::CancelROIGesture()
{
    const ROIEditState& s = Edit();
    const bool openPolygon = s.mode == CvROIMode::Polygon && s.polygonDrawing && !s.polygonPoints.empty();
    if (!s.dragging && !openPolygon)
        return false;
    m_history.Revert(m_edit);
    m_roiMode = m_edit.mode;
    if (HasCapture())
        ReleaseMouse();
    RedrawLayers();
    return true;
}

bool TivraROIPanelBase::DeleteROI()
{
    if (!ROIKeyboard::Remove(Edit()))
        return false;
    if (HasCapture())
        ReleaseMouse();
    RedrawLayers();
    FinalizeCurrentROI();
    return true;
}

bool TivraROIPanelBase::StepROIByKey(int key, bool resize, bool shift)
{
    cv::Point2f direction;
    switch (key) {
    case WXK_LEFT: case WXK_NUMPAD_LEFT: direction = {-1, 0}; break;
    case WXK_RIGHT: case WXK_NUMPAD_RIGHT: direction = {1, 0}; break;
    case WXK_UP: case WXK_NUMPAD_UP: direction = {0, -1}; break;
    case WXK_DOWN: case WXK_NUMPAD_DOWN: direction = {0, 1}; break;
    default: return false;
    }
    // Without an ROI to edit the arrows are left to scroll the view.
    if (!ROIKeyboard::Editable(Edit()))
        return false;
    const cv::Point2f d = direction * (shift ? ROIKeyboard::kShiftStep : ROIKeyboard::kStep);
    const bool changed = resize ? ROIKeyboard::Resize(m_edit, d) : ROIKeyboard::Move(m_edit, d, m_matBitmap.size());
    if (changed) {
        m_history.CommitBurst(m_edit, wxGetLocalTimeMillis().GetValue());
        RedrawLayers();
        FinalizeCurrentROI();
    }
    return true;
}

// ---------------------------------------------------------------- overlays and texts

void TivraROIPanelBase::ClearOverlay()
{
    m_overlays.clear();
}

void TivraROIPanelBase::ClearTexts()
{
    m_texts.clear();
    m_textFonts.clear();
}

int TivraROIPanelBase::AppendOverlay(cvROI roi)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    m_overlays.push_back(std::move(roi));
    return static_cast<int>(m_overlays.size()) - 1;
}

int TivraROIPanelBase::AppendOverlay(cvText text)
{
    m_textFonts.push_back(FrameLayers::LoadFont(text.fontPath, m_defaultFontPath));
    m_texts.push_back(std::move(text));
    return static_cast<int>(m_texts.size()) - 1;
}

void TivraROIPanelBase::UpdateOverlayByIndex(int index, cvROI roi, bool show)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    if (index < 0 || index >= static_cast<int>(m_overlays.size()))
        return;
    m_overlays[index] = std::move(roi);
    if (show) {
        m_overlays[index].visible = true;
        RedrawLayers();
    }
}

void TivraROIPanelBase::UpdateOverlayByIndex(int index, cvText text, bool show)
{
    if (index < 0 || index >= static_cast<int>(m_texts.size()))
        return;
    const bool fontChanged = m_texts[index].fontPath != text.fontPath;
    m_texts[index] = std::move(text);
    if (fontChanged && index < static_cast<int>(m_textFonts.size()))
        m_textFonts[index] = FrameLayers::LoadFont(m_texts[index].fontPath, m_defaultFontPath);
    if (show) {
        m_texts[index].visible = true;
        RedrawLayers();
    }
}

void TivraROIPanelBase::SetDisplayOverlay(bool on)
{
    m_displayOverlay = on;
    RedrawLayers();
}

bool TivraROIPanelBase::GetDisplayOverlay()
{
    return m_displayOverlay;
}

void TivraROIPanelBase::SetExtDisplay(std::vector<cvROI*>* list)
{
    m_overlayStore.SetExtDisplay(list);
}

void TivraROIPanelBase::SetExtText(std::vector<cvText*>* list)
{
    m_overlayStore.SetExtText(list, m_defaultFontPath);
}

void TivraROIPanelBase::UpdatePassFailRecycleLogo(bool show, int state)
{
    m_overlayStore.UpdateBadge(show, state);
}

void TivraROIPanelBase::UpdatePassFailRecycleLogo(bool show, int state, wxString fontPath, wxString passText,
                                                  wxString failText, wxString recycleText)
{
    m_overlayStore.UpdateBadge(show, state, fontPath, passText, failText, recycleText);
}

// ---------------------------------------------------------------- layers

void TivraROIPanelBase::DrawCurrentROI(cv::Mat& buffer, const Viewport& viewport)
{
    if (m_cropEnable && m_roiMode != CvROIMode::None)
        FrameLayers::DrawEditingROI(buffer, Edit(), viewport, m_scale);
}

void TivraROIPanelBase::DrawStoredOverlays(cv::Mat& buffer, const Viewport& viewport)
{
    if (!m_displayOverlay)
        return;
    std::vector<const cvROI*> records;
    records.reserve(m_overlays.size() + (m_overlayStore.ExtDisplay() ? m_overlayStore.ExtDisplay()->size() : 0));
    for (const cvROI& roi : m_overlays)
        records.push_back(&roi);
    if (m_overlayStore.ExtDisplay())
        records.insert(records.end(), m_overlayStore.ExtDisplay()->begin(), m_overlayStore.ExtDisplay()->end());
    FrameLayers::DrawOverlays(buffer, records, viewport, m_scale, m_matBitmap.size(), m_roiColor);
}

std::vector<std::pair<const cvText*, cv::freetype::FreeType2*>> TivraROIPanelBase::TextsToDraw()
{
    std::vector<std::pair<const cvText*, cv::freetype::FreeType2*>> texts;
    if (!m_displayOverlay)
        return texts;
    for (size_t i = 0; i < m_texts.size() && i < m_textFonts.size(); ++i)
        texts.emplace_back(&m_texts[i], m_textFonts[i].get());
    const auto external = m_overlayStore.ExtTextsWithFonts(m_defaultFontPath);
    texts.insert(texts.end(), external.begin(), external.end());
    const auto hidden = [](const auto& entry) { return !entry.first || !entry.second || !entry.first->visible; };
    texts.erase(std::remove_if(texts.begin(), texts.end(), hidden), texts.end());
    return texts;
}

void TivraROIPanelBase::DrawBadge(cv::Mat& buffer)
{
    PassFailBadge& badge = m_overlayStore.Badge();
    if (!badge.show || badge.state > 2)
        return;
    const std::string pass(badge.passText.utf8_str());
    const std::string fail(badge.failText.utf8_str());
    const std::string recycle(badge.recycleText.utf8_str());
    // The font height is fitted to the buffer's width, once per badge setting and buffer size.
    if (badge.fontHeight < 0 || m_pfrCacheSize != buffer.size()) {
        m_pfrFont = FrameLayers::LoadFont(badge.fontPath, m_defaultFontPath);
        m_pfrBaseline = 0;
        badge.fontHeight = 1;
        if (m_pfrFont) {
            const std::string widest = FrameLayers::WidestBadgeLabel(*m_pfrFont, pass, fail, recycle);
            badge.fontHeight = FrameLayers::FitBadgeFontHeight(*m_pfrFont, widest, buffer.cols / 6, buffer.cols / 12);
        }
        m_pfrCacheSize = buffer.size();
    }
    const std::string& label = badge.state == 1 ? fail : badge.state == 2 ? recycle : pass;
    FrameLayers::DrawBadge(buffer, badge.state, label, m_pfrFont.get(), badge.fontHeight, m_pfrBaseline);
}

// ---------------------------------------------------------------- menu commands

void TivraROIPanelBase::MenuZoomStep(bool zoomIn)
{
    if (zoomIn)
        SetZoomIn();
    else
        SetZoomOut();
}

void TivraROIPanelBase::OnMenu_ScaleUp(wxCommandEvent&)
{
    MenuZoomStep(true);
}

void TivraROIPanelBase::OnMenu_ScaleDown(wxCommandEvent&)
{
    MenuZoomStep(false);
}

void TivraROIPanelBase::OnMenu_ZoomtoFit(wxCommandEvent&)
{
    SetZoomToFit();
}

void TivraROIPanelBase::OnMenu_Origianl(wxCommandEvent&)
{
    SetOriginal(true);
}

void TivraROIPanelBase::OnMenu_ROIChange(wxCommandEvent& event)
{
    m_roiMode = PanelMenuIds::KindOfMenuId(event.GetId(), m_roiMode);
    ROIEditRecord::Reset(m_edit);
    m_edit.mode = m_roiMode;
    m_history.Commit(m_edit);
    RedrawLayers();
    wxCommandEvent changed(TIVRAPanel_EVT_TOOL_CHANGE, GetId());
    changed.SetEventObject(this);
    changed.SetInt(m_roiMode);
    GetEventHandler()->ProcessEvent(changed);
}

void TivraROIPanelBase::OnMenu_SIMDChange(wxCommandEvent& event)
{
    m_simdMode = PanelMenuIds::SIMDModeOfMenuId(event.GetId());
    RedrawLayers();
}
