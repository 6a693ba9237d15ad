// State, image loading, the current ROI set from code, and the overlay, text and
// badge stores of the advanced panel.
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"
#include "PanelMenuIds.h"

#include <algorithm>
#include <cfloat>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/filefn.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/Log.h"
#include "tivra/io/UnicodeImage.h"
#include "tivra/io/wx/WxPaths.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIEditRecord.h"

namespace {

constexpr const char* kComponent = "engine/TivraROIPanel/TivraROIAdvPanel";

void LogPanelError(const char* function, const wxString& message)
{
    tivra::log::Write(tivra::log::Level::Error, kComponent, std::string(function) + ": " + message.utf8_str().data());
}

// The file's own depth and colours, turned upright by its EXIF orientation as
// the engine's default reading does (OpenCV ignores the orientation only for
// IMREAD_UNCHANGED). The file information keeps the stored size.
cv::Mat ReadWithOpenCV(const wxString& path)
{
    constexpr int kReadFlags = cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR;
    cv::Mat image = cv::imread(std::string(path.mb_str(wxConvLibc)), kReadFlags);
    if (image.empty())
        Unicode_CvImread(path.ToStdWstring(), image, kReadFlags);
    return image;
}

wxString LowerExtension(const wxString& path)
{
    const int dot = path.Find('.', true);
    return dot == wxNOT_FOUND ? wxString() : path.Mid(dot + 1).Lower();
}

}  // namespace

TivraROIAdvPanel::TivraROIAdvPanel(wxWindow* parent, const wxSize& size) : TivraPanel(parent, size)
{
    Init();
}

TivraROIAdvPanel::TivraROIAdvPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                                   const wxString& name)
    : TivraPanel(parent, id, pos, size, style, name)
{
    Init();
}

void TivraROIAdvPanel::Init()
{
    m_defaultFontPath = FrameLayers::kDefaultFontPath;
    m_roiColor = cv_Color_Defines::yellow;
    SetScrollRate(8, 8);
    // The panel repaints itself on scrolling: the window must not blit.
    EnableScrolling(false, false);
    Bind(wxEVT_CONTEXT_MENU, &TivraROIAdvPanel::OnContextMenu, this);
    Bind(wxEVT_MOUSEWHEEL, &TivraROIAdvPanel::OnMouseWheel, this);
    Bind(wxEVT_MENU, &TivraROIAdvPanel::OnMenu_ScaleUp, this, PanelMenuIds::kScaleUp);
    Bind(wxEVT_MENU, &TivraROIAdvPanel::OnMenu_ScaleDown, this, PanelMenuIds::kScaleDown);
    Bind(wxEVT_MENU, &TivraROIAdvPanel::OnMenu_ZoomtoFit, this, PanelMenuIds::kZoomToFit);
    Bind(wxEVT_MENU, &TivraROIAdvPanel::OnMenu_Origianl, this, PanelMenuIds::kOriginal);
    Bind(wxEVT_MENU, &TivraROIAdvPanel::OnMenu_ROIChange, this, PanelMenuIds::kFirstKind, PanelMenuIds::kLastKind);
    Bind(wxEVT_MENU, &TivraROIAdvPanel::OnMenu_SIMDChange, this, PanelMenuIds::kFirstSIMD, PanelMenuIds::kDefaultSIMD);
}

TivraROIAdvPanel::~TivraROIAdvPanel()
{
    EndPanning();
    SetMouseEventConnect(false);
    Unbind(wxEVT_CONTEXT_MENU, &TivraROIAdvPanel::OnContextMenu, this);
    Unbind(wxEVT_MOUSEWHEEL, &TivraROIAdvPanel::OnMouseWheel, this);
}

// ---------------------------------------------------------------- image

void TivraROIAdvPanel::ClearImg()
{
    m_matBitmap.release();
    m_rawMat.release();
    m_reducedMat.release();
    m_viewport.SetOriginalSize(cv::Size(0, 0));
    SetVirtualSize(1, 1);
    Refresh(true);
}

bool TivraROIAdvPanel::SetCVmat(const cv::Mat& mat, bool internal, bool keepScale)
{
    if (!internal && !mat.empty() && !CanShow(mat)) {
        LogPanelError("SetCVmat", "cannot show an image of type " + cv::typeToString(mat.type()) +
                                      "; the previous image stays");
        return false;
    }
    if (!internal) {
        m_matBitmap = mat.clone();
        m_rawMat = mat.clone();
        m_reducedMat.release();
        m_loadedImageInfo = ImageFileInfo();
        m_loadedImageInfo.width = mat.cols;
        m_loadedImageInfo.height = mat.rows;
        m_loadedImageInfo.channels = mat.channels();
    }
    if (m_matBitmap.rows == 0 || m_matBitmap.cols == 0) {
        ClearImg();
        return false;
    }
    m_viewport.SetOriginalSize(m_matBitmap.size());
    m_viewport.SetScale(m_scale);
    if (!internal && !keepScale)
        UpdateScale();
    const cv::Size virtualSize = m_viewport.GetVirtualSize();
    SetVirtualSize(virtualSize.width, virtualSize.height);
    SetScrollRate(20, 20);
    SetMouseEventConnect(true);
    Refresh(true);
    return true;
}

bool TivraROIAdvPanel::SetCVmat(const wxString& path, bool internal, bool keepScale)
{
    if (!wxFileExists(path))
        return false;
    m_displayOverlay = false;
    try {
        ImageFileInfo info = GetImageFileInfo(std::string(path.utf8_str()));
        const wxString extension = LowerExtension(path);
        cv::Mat image;
        cv::Mat raw;
        const bool heif = extension == "heic" || extension == "heif";
        if (heif || extension == "jxl") {
            image = heif ? heif_utils::heif_to_cvmat(path) : jxl_utils::jxl_to_cvmat(path);
            if (image.empty())
                return false;
            raw = image.clone();
        } else {
            image = ReadWithOpenCV(path);
            if (image.empty())
                return false;
            Convert16bitTo8bit(image);
            if (image.channels() == 4)
                cv::cvtColor(image, image, cv::COLOR_BGRA2BGR);
            raw = image.clone();
            if (image.channels() == 1)
                cv::cvtColor(image, image, cv::COLOR_GRAY2BGR);
        }
        if (!SetCVmat(image, internal, keepScale))
            return false;
        // The Mat form resets both to the converted image; the file's own
        // information and channel count are what a loaded file reports.
        m_loadedImageInfo = info;
        m_rawMat = raw;
        return true;
    } catch (const cv::Exception& e) {
        LogPanelError("SetCVmat", wxString::Format("OpenCV error: %s", e.what()));
    } catch (...) {
        LogPanelError("SetCVmat", "Unknown error loading image");
    }
    return false;
}

bool TivraROIAdvPanel::SetCVmatDisplay(cv::Mat& mat)
{
    if (mat.empty()) {
        ClearImg();
        return false;
    }
    const wxSize client = GetClientSize();
    if (m_displayMode != 1) {
        m_scale = 1.0;
    } else {
        if (client.x < 1 || client.y < 1)
            return false;
        m_scale = std::min(static_cast<double>(client.x) / mat.cols, static_cast<double>(client.y) / mat.rows);
        if (m_scale <= 0)
            m_scale = 1.0;
    }
    m_viewport.SetOriginalSize(mat.size());
    m_viewport.SetScale(m_scale);
    m_viewport.SetWindowSize(cv::Size(client.x, client.y));
    const cv::Size virtualSize = m_viewport.GetVirtualSize();
    SetVirtualSize(virtualSize.width, virtualSize.height);
    SetScrollRate(20, 20);
    wxClientDC dc(this);
    RenderFrameFast(dc, mat);
    return true;
}

bool TivraROIAdvPanel::SetCVmatDisplay(const wxString& path)
{
    if (!wxFileExists(path))
        return false;
    try {
        cv::Mat image = ReadWithOpenCV(path);
        if (image.empty())
            return false;
        Convert16bitTo8bit(image);
        if (image.channels() == 4)
            cv::cvtColor(image, image, cv::COLOR_BGRA2BGR);
        return SetCVmatDisplay(image);
    } catch (const cv::Exception& e) {
        LogPanelError("SetCVmatDisplay", wxString::Format("OpenCV error: %s", e.what()));
    }
    return false;
}

void TivraROIAdvPanel::UpdateDrawImage(bool resize)
{
    if (!m_bitmap.IsOk() || m_matBitmap.empty())
        return;
    SetCVmat(m_matBitmap, true, true);
    if (resize)
        SetVirtualSize(m_bitmap.GetSize());
}

// ---------------------------------------------------------------- current ROI

void TivraROIAdvPanel::ResetEditingState()
{
    m_roiRect = cv::Rect2f();
    m_leftDownPoint = m_leftUpPoint = cv::Point2f();
    m_innerRadius = -1.0;
    m_startAngle = 0.0;
    m_endAngle = 360.0;
    m_rotateAngle = 0.0;
    m_rotationAccum = 0.0;
    m_polygonPoints.clear();
    m_hoverPoint = cv::Point2f(-1.0f, -1.0f);
    m_activeVertex = -1;
    m_edgeDragStarted = false;
    m_hit = ROIHitResult{-1, -1, -1, FLT_MAX};
    m_dragging = false;
}

void TivraROIAdvPanel::SetFuncEnable(bool menu_enable, bool crop_enable, bool move_enable)
{
    m_menuEnable = menu_enable;
    m_cropEnable = crop_enable;
    m_moveEnable = move_enable;
    if (!crop_enable)
        ResetEditingState();
}

void TivraROIAdvPanel::SetSIMDMenuEnable(bool enable)
{
    m_simdMenuEnable = enable;
}

void TivraROIAdvPanel::SetLockROI(bool lock)
{
    m_lockROI = lock;
}

void TivraROIAdvPanel::SetROIMode(CvROIMode mode)
{
    if (mode == m_roiMode)
        return;
    ResetEditingState();
    Refresh(true);
    m_roiMode = mode;
}

void TivraROIAdvPanel::ClearROIState()
{
    ResetEditingState();
    Refresh(true);
}

void TivraROIAdvPanel::HideROI()
{
    ClearROIState();
}

void TivraROIAdvPanel::SetROIParamDefault()
{
    ResetEditingState();
}

void TivraROIAdvPanel::SetROI(cvROI roi, bool refresh)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    ROIEditState s = TakeEditState();
    ROIEditRecord::Apply(s, roi);
    m_roiMode = s.mode;
    PutEditState(std::move(s));
    if (refresh)
        Refresh(true);
}

void TivraROIAdvPanel::GetRect(cv::Rect& out)
{
    ROIEditState s = TakeEditState();
    out = ROIEditRecord::ReportedRect(s);
    PutEditState(std::move(s));
}

void TivraROIAdvPanel::SetRect(const cv::Rect& r)
{
    if (r.width >= 1 && r.height > 0)
        m_roiRect = cv::Rect2f(r);
    else
        ResetEditingState();
    Refresh(true);
}

cv::Point2f TivraROIAdvPanel::GetLeftMouseDownPoint()
{
    return m_leftDownPoint;
}

cv::Point2f TivraROIAdvPanel::GetLeftMouseUpPoint()
{
    return m_leftUpPoint;
}

double TivraROIAdvPanel::GetStartAngle()
{
    return m_startAngle;
}

double TivraROIAdvPanel::GetEndAngle()
{
    return m_endAngle;
}

double TivraROIAdvPanel::GetRotateAngle()
{
    return m_rotateAngle;
}

double TivraROIAdvPanel::GetOuterRadius() const
{
    return ROIEditRecord::OuterRadius(RadiusState());
}

double TivraROIAdvPanel::GetInnerRadius() const
{
    return ROIEditRecord::InnerRadius(RadiusState());
}

ROIEditState TivraROIAdvPanel::RadiusState() const
{
    ROIEditState s;
    s.roiRect = m_roiRect;
    s.innerRadius = m_innerRadius;
    return s;
}

cvROI TivraROIAdvPanel::GetROI() const
{
    ROIEditState s = RadiusState();
    s.mode = m_roiMode;
    s.leftDownPoint = m_leftDownPoint;
    s.leftUpPoint = m_leftUpPoint;
    s.startAngle = m_startAngle;
    s.endAngle = m_endAngle;
    s.rotateAngle = m_rotateAngle;
    s.polygonPoints = m_polygonPoints;
    return ROIEditRecord::ToRecord(s);
}

void TivraROIAdvPanel::GetPolygonPoints(std::vector<cv::Point2f>& out) const
{
    out = m_polygonPoints;
}

void TivraROIAdvPanel::GetRotatedRectEdges(cv::Point2f& a, cv::Point2f& b, cv::Point2f& c, cv::Point2f& d)
{
    if (m_roiMode != CvROIMode::RotatedRectangle || m_polygonPoints.size() < 4)
        return;
    a = m_polygonPoints[1];
    b = m_polygonPoints[2];
    c = m_polygonPoints[3];
    d = m_polygonPoints[0];
}

// ---------------------------------------------------------------- overlays and texts

void TivraROIAdvPanel::ClearOverlay()
{
    m_overlays.clear();
}

int TivraROIAdvPanel::AppendOverlay(cvROI roi)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    m_overlays.push_back(std::move(roi));
    return static_cast<int>(m_overlays.size()) - 1;
}

int TivraROIAdvPanel::AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha)
{
    if (mask.empty())
        return -1;
    cvROI roi;
    roi.visible = true;
    roi.thickness = 1;
    roi.roiIndex = -1;
    roi.mode = CvROIMode::Mask;
    roi.color = cv::Scalar(color[0], color[1], color[2], alpha * 255.0);
    roi.mask = mask.clone();
    return AppendOverlay(roi);
}

std::vector<cv::Point2f> TivraROIAdvPanel::ConvertMaskToPolygon(const cv::Mat& mask)
{
    if (mask.empty())
        return {};
    // Contours are traced on a one-channel 8-bit mask of the set pixels: a pixel
    // of a multi-channel mask is set when any of its channels is.
    std::vector<cv::Mat> channels;
    cv::split(mask, channels);
    cv::Mat binary = channels[0] != 0;
    for (size_t i = 1; i < channels.size(); ++i)
        binary |= channels[i] != 0;
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(binary, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    const std::vector<cv::Point>* largest = nullptr;
    double largestArea = -1.0;
    for (const auto& contour : contours) {
        const double area = cv::contourArea(contour);
        if (area > largestArea) {
            largest = &contour;
            largestArea = area;
        }
    }
    if (!largest)
        return {};
    return std::vector<cv::Point2f>(largest->begin(), largest->end());
}

int TivraROIAdvPanel::AppendOverlay(cvText text)
{
    m_textFonts.push_back(FrameLayers::LoadFont(text.fontPath, m_defaultFontPath));
    m_texts.push_back(std::move(text));
    return static_cast<int>(m_texts.size()) - 1;
}

void TivraROIAdvPanel::UpdateOverlayByIndex(int index, cvROI roi, bool show)
{
    ROIEditRecord::RequireFiniteGeometry(roi);
    if (index < 0 || index >= static_cast<int>(m_overlays.size()))
        return;
    m_overlays[index] = std::move(roi);
    if (show) {
        m_overlays[index].visible = true;
        Refresh(true);
    }
}

void TivraROIAdvPanel::UpdateOverlayByIndex(int index, cvText text, bool show)
{
    if (index < 0 || index >= static_cast<int>(m_texts.size()))
        return;
    const bool fontChanged = m_texts[index].fontPath != text.fontPath;
    m_texts[index] = std::move(text);
    if (show)
        m_texts[index].visible = true;
    if (fontChanged && index < static_cast<int>(m_textFonts.size()))
        m_textFonts[index] = FrameLayers::LoadFont(m_texts[index].fontPath, m_defaultFontPath);
    if (show)
        Refresh(true);
}

void TivraROIAdvPanel::SetDisplayOverlay(bool on)
{
    m_displayOverlay = on;
    SetCVmat(m_matBitmap, true, false);
}

bool TivraROIAdvPanel::GetDisplayOverlay()
{
    return m_displayOverlay;
}

void TivraROIAdvPanel::SetExtDisplay(std::vector<cvROI*>* list)
{
    m_overlayStore.SetExtDisplay(list);
}

void TivraROIAdvPanel::SetExtText(std::vector<cvText*>* list)
{
    m_overlayStore.SetExtText(list, m_defaultFontPath);
}

// ---------------------------------------------------------------- badge and settings

void TivraROIAdvPanel::UpdatePassFailRecycleLogo(bool show, int state)
{
    m_overlayStore.UpdateBadge(show, state);
}

void TivraROIAdvPanel::UpdatePassFailRecycleLogo(bool show, int state, wxString fontPath, wxString passText,
                                                 wxString failText, wxString recycleText)
{
    m_overlayStore.UpdateBadge(show, state, fontPath, passText, failText, recycleText);
}

void TivraROIAdvPanel::SetMenuROIEnable(bool point, bool line, bool rect, bool rotatedRect, bool circle,
                                        bool annulus, bool polygon)
{
    m_menuROIEnable = {point, line, rect, rotatedRect, circle, annulus, polygon};
}

void TivraROIAdvPanel::SetStatusTarget(wxWindow* target)
{
    m_statusTarget = target;
}
