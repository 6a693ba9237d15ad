// State, image pipeline, the current ROI set from code, and the overlay, text
// and badge stores of the classic ROI panel.
#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"
#include "PanelMenuIds.h"

#include <opencv2/imgproc.hpp>
#include <wx/log.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/io/Log.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIEditRecord.h"

std::int64_t TivraROIPanel::s_lastGoodBitmapSize = std::int64_t(1) << 30;
std::int64_t TivraROIPanel::s_lastBadBitmapSize = std::int64_t(1) << 33;

TivraROIPanel::TivraROIPanel(wxWindow* parent, const wxSize& size) : TivraPanel(parent, size)
{
    m_defaultFontPath = FrameLayers::kDefaultFontPath;
    m_roiColor = cv_Color_Defines::yellow;
    m_roiMode = CvROIMode::Rectangle;
    m_edit.mode = m_roiMode;
    m_edit.polygonDrawing = false;
    SetScrollRate(8, 8);
    // The panel is redrawn on scrolling: the window must not blit its contents.
    EnableScrolling(false, false);
    Bind(wxEVT_CONTEXT_MENU, &TivraROIPanel::OnContextMenu, this);
    Bind(wxEVT_MENU, &TivraROIPanel::OnMenu_ScaleUp, this, PanelMenuIds::kScaleUp);
    Bind(wxEVT_MENU, &TivraROIPanel::OnMenu_ScaleDown, this, PanelMenuIds::kScaleDown);
    Bind(wxEVT_MENU, &TivraROIPanel::OnMenu_ZoomtoFit, this, PanelMenuIds::kZoomToFit);
    Bind(wxEVT_MENU, &TivraROIPanel::OnMenu_Origianl, this, PanelMenuIds::kOriginal);
    Bind(wxEVT_MENU, &TivraROIPanel::OnMenu_ROIChange, this, PanelMenuIds::kFirstKind, PanelMenuIds::kLastKind);
    Bind(wxEVT_MENU, &TivraROIPanel::OnMenu_SIMDChange, this, PanelMenuIds::kFirstSIMD, PanelMenuIds::kDefaultSIMD);
    Bind(wxEVT_MOUSEWHEEL, &TivraROIPanel::OnMouseWheel, this);
}

TivraROIPanel::~TivraROIPanel()
{
    SetMouseEventConnect(false);
    Unbind(wxEVT_CONTEXT_MENU, &TivraROIPanel::OnContextMenu, this);
    Unbind(wxEVT_MOUSEWHEEL, &TivraROIPanel::OnMouseWheel, this);
}

void TivraROIPanel::LogRecord(wxLogLevel level, const char* function, const wxString& message)
{
    using tivra::log::Level;
    const Level ours = level <= wxLOG_Error ? Level::Error : level == wxLOG_Warning ? Level::Warning : Level::Info;
    tivra::log::Write(ours, "engine/TivraROIPanel/TivraROIPanel",
                      std::string(function) + ": " + message.utf8_str().data());
}

// ---------------------------------------------------------------- image

bool TivraROIPanel::SetBitmap(const wxBitmap& bmp)
{
    const bool shown = TivraPanel::SetBitmap(bmp);
    SetMouseEventConnect(true);
    return shown;
}

void TivraROIPanel::ClearImg()
{
    SetMouseEventConnect(false);
    m_menuEnable = false;
    m_cropMat.release();
    TivraPanel::ClearImg();
}

bool TivraROIPanel::SetCVmat(const cv::Mat& mat, bool internal, bool keepScale)
{
    // A new image that cannot be shown must not replace the one on screen: the
    // crop and the editing would otherwise work on an image nobody sees.
    cv::Mat previous = m_matBitmap;
    try {
        if (!internal)
            m_matBitmap = mat.clone();
        if (m_matBitmap.rows == 0 || m_matBitmap.cols == 0) {
            ClearImg();
            return false;
        }
        if (!internal && !keepScale)
            UpdateScale();
        if (m_scale == 1.0) {
            m_drawmatBitmap = m_matBitmap.clone();
        } else if (m_scale > 0) {
            cv::resize(m_matBitmap, m_drawmatBitmap, cv::Size(), m_scale, m_scale, cv::INTER_NEAREST);
        } else {
            LogRecord(wxLOG_Error, "SetCVmat", "TivraROIPanel m_scale<=0 ");
            m_matBitmap = previous;
            return false;
        }
        switch (m_drawmatBitmap.elemSize()) {
        case 3:
            break;
        case 1:
            cv::cvtColor(m_drawmatBitmap, m_drawmatBitmap, cv::COLOR_GRAY2BGR);
            break;
        default:
            cv::cvtColor(m_drawmatBitmap, m_drawmatBitmap, cv::COLOR_BGRA2BGR);
            break;
        }
        Update_showDisplayROIs();
        m_bitmap = ConvertMatToBitmap(m_drawmatBitmap, m_simdMode);
        if (m_bitmap.IsOk())
            return SetBitmap(m_bitmap);
        LogRecord(wxLOG_Error, "SetCVmat", "Could not convert Mat to wxBitmap.");
    } catch (const cv::Exception& e) {
        LogRecord(wxLOG_Error, "SetCVmat",
                  wxString::Format("TivraROIPanel::SetCVmat(const cv::Mat& bitmap,bool internal) get cv error %s",
                                   e.what()));
    }
    m_matBitmap = previous;
    return false;
}

bool TivraROIPanel::SetCVmat(const wxString& imagePath, bool internal, bool keepScale)
{
    try {
        return TivraPanel::SetCVmat(imagePath, internal, keepScale);
    } catch (const cv::Exception& e) {
        LogRecord(wxLOG_Error, "SetCVmat",
                  wxString::Format("TivraROIPanel::SetCVmat(const wxString& imagePath) get cv error %s", e.what()));
    } catch (...) {
        LogRecord(wxLOG_Error, "SetCVmat", "Unknown exception caught.");
    }
    return false;
}

void TivraROIPanel::UpdateDrawImage(bool resize)
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    SetCVmat(m_matBitmap, true, true);
    if (resize)
        SetVirtualSize(m_bitmap.GetSize());
}

cv::Mat& TivraROIPanel::GetCVcropmat()
{
    // The area the ROI covers, whatever its kind, cut to the image.
    m_edit.mode = m_roiMode;
    const cv::Rect2f box = ROIEditRecord::CoveredBox(m_edit);
    const cv::Rect crop = cv::Rect(static_cast<int>(box.x), static_cast<int>(box.y), static_cast<int>(box.width),
                                   static_cast<int>(box.height)) &
                          cv::Rect(0, 0, m_matBitmap.cols, m_matBitmap.rows);
    if (box.width * m_scale > 0 && box.height * m_scale > 0 && !crop.empty())
        m_cropMat = m_matBitmap(crop);
    else
        m_cropMat = m_matBitmap;
    return m_cropMat;
}

// ---------------------------------------------------------------- current ROI

void TivraROIPanel::SetFuncEnable(bool menu_enable, bool crop_enable, bool move_enable)
{
    m_menuEnable = menu_enable;
    m_cropEnable = crop_enable;
    m_moveEnable = move_enable;
    UpdateDrawImage(false);
}

void TivraROIPanel::SetSIMDMenuEnable(bool enable)
{
    m_simdMenuEnable = enable;
}

void TivraROIPanel::GetRect(cv::Rect& out)
{
    m_edit.mode = m_roiMode;
    out = ROIEditRecord::ReportedRect(m_edit);
}

void TivraROIPanel::SetRect(const cv::Rect& r)
{
    if (r.width >= 1 && r.height > 0)
        m_edit.roiRect = cv::Rect2f(r);
    else
        ROIEditRecord::Reset(m_edit);
    UpdateDrawImage(false);
}

cv::Point2f TivraROIPanel::GetLeftMouseDownPoint()
{
    return m_edit.leftDownPoint;
}

cv::Point2f TivraROIPanel::GetLeftMouseUpPoint()
{
    return m_edit.leftUpPoint;
}

double TivraROIPanel::GetStartAngle()
{
    return m_edit.startAngle;
}

double TivraROIPanel::GetEndAngle()
{
    return m_edit.endAngle;
}

double TivraROIPanel::GetRotateAngle()
{
    return m_edit.rotateAngle;
}

double TivraROIPanel::GetInnerRadius() const
{
    return ROIEditRecord::InnerRadius(m_edit);
}

double TivraROIPanel::GetOuterRadius() const
{
    return ROIEditRecord::OuterRadius(m_edit);
}

void TivraROIPanel::GetPolygonPoints(std::vector<cv::Point2f>& out) const
{
    out = m_edit.polygonPoints;
}

void TivraROIPanel::GetRotatedRectEdges(cv::Point2f& a, cv::Point2f& b, cv::Point2f& c, cv::Point2f& d)
{
    const auto& corners = m_edit.polygonPoints;
    if (m_roiMode != CvROIMode::RotatedRectangle || corners.size() < 4)
        return;
    a = corners[1];
    b = corners[2];
    c = corners[3];
    d = corners[0];
}

void TivraROIPanel::SetMenuROIEnable(bool point, bool line, bool rect, bool rotatedRect, bool circle, bool annulus,
                                     bool polygon)
{
    m_menuROIEnable = {point, line, rect, rotatedRect, circle, annulus, polygon};
}

void TivraROIPanel::HideROI()
{
    ROIEditRecord::Reset(m_edit);
    UpdateDrawImage(false);
}

void TivraROIPanel::SetROIParamDefault()
{
    ROIEditRecord::Reset(m_edit);
}

void TivraROIPanel::SetLockROI(bool lock)
{
    m_lockROI = lock;
}

void TivraROIPanel::SetROI(cvROI roi, bool refresh)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    ROIEditRecord::Apply(m_edit, roi);
    m_roiMode = m_edit.mode;
    if (refresh)
        UpdateDrawImage(false);
}

void TivraROIPanel::SetROIMode(CvROIMode mode)
{
    if (mode == m_roiMode)
        return;
    ROIEditRecord::Reset(m_edit);
    m_roiMode = mode;
    m_edit.mode = mode;
    UpdateDrawImage(false);
}

void TivraROIPanel::SetStatusTarget(wxWindow* target)
{
    m_statusTarget = target;
}

// ---------------------------------------------------------------- overlays and texts

void TivraROIPanel::ClearOverlay()
{
    m_overlays.clear();
}

int TivraROIPanel::AppendOverlay(cvROI roi)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    m_overlays.push_back(std::move(roi));
    return static_cast<int>(m_overlays.size()) - 1;
}

int TivraROIPanel::AppendOverlay(cvText text)
{
    m_textFonts.push_back(FrameLayers::LoadFont(text.fontPath, m_defaultFontPath));
    m_texts.push_back(std::move(text));
    return static_cast<int>(m_texts.size()) - 1;
}

void TivraROIPanel::UpdateOverlayByIndex(int index, cvROI roi, bool show)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    if (index < 0 || index >= static_cast<int>(m_overlays.size()))
        return;
    m_overlays[index] = std::move(roi);
    if (show) {
        m_overlays[index].visible = true;
        UpdateDrawImage(false);
    }
}

void TivraROIPanel::UpdateOverlayByIndex(int index, cvText text, bool show)
{
    if (index < 0 || index >= static_cast<int>(m_texts.size()))
        return;
    const bool fontChanged = m_texts[index].fontPath != text.fontPath;
    m_texts[index] = std::move(text);
    if (fontChanged && index < static_cast<int>(m_textFonts.size()))
        m_textFonts[index] = FrameLayers::LoadFont(m_texts[index].fontPath, m_defaultFontPath);
    if (show) {
        m_texts[index].visible = true;
        UpdateDrawImage(false);
    }
}

void TivraROIPanel::SetDisplayOverlay(bool on)
{
    m_displayOverlay = on;
    UpdateDrawImage(false);
}

bool TivraROIPanel::GetDisplayOverlay()
{
    return m_displayOverlay;
}

void TivraROIPanel::SetExtDisplay(std::vector<cvROI*>* list)
{
    m_overlayStore.SetExtDisplay(list);
}

void TivraROIPanel::SetExtText(std::vector<cvText*>* list)
{
    m_overlayStore.SetExtText(list, m_defaultFontPath);
}

void TivraROIPanel::UpdatePassFailRecycleLogo(bool show, int state)
{
    m_overlayStore.UpdateBadge(show, state);
}

void TivraROIPanel::UpdatePassFailRecycleLogo(bool show, int state, wxString fontPath, wxString passText,
                                              wxString failText, wxString recycleText)
{
    m_overlayStore.UpdateBadge(show, state, fontPath, passText, failText, recycleText);
}
