#include "TivraROIAdvPanelWrapper.h"

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

namespace py = pybind11;

TivraROIAdvPanelWrapper::TivraROIAdvPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width,
                                                 int height, std::int64_t style, const std::string& name)
{
    tivra::embedding::PanelRequest request;
    request.parentHandle = parentHandle;
    request.id = id;
    request.x = x;
    request.y = y;
    request.width = width;
    request.height = height;
    request.style = static_cast<long>(style);
    request.name = name;
    m_panel = tivra::embedding::CreateEmbeddedPanel<TivraROIAdvPanel>(request, [this] { m_panel = nullptr; });
}

TivraROIAdvPanelWrapper::~TivraROIAdvPanelWrapper()
{
    // The panel goes first (its hooks refer to this wrapper), then the callbacks.
    // Destroying it may run Python code; an exception pending in the caller
    // must survive that.
    py::error_scope keepPendingError;
    tivra::embedding::ReleasePanel(m_panel);
    m_rightClickCallback = py::object();
}

void TivraROIAdvPanelWrapper::Repaint()
{
    m_panel->Refresh(true);
    m_panel->Update();
}

void TivraROIAdvPanelWrapper::SetMat(const cv::Mat& image)
{
    if (!m_panel)
        return;
    m_panel->SetCVmat(image, false, false);
    Repaint();
}

bool TivraROIAdvPanelWrapper::LoadImage(const std::string& path)
{
    if (!m_panel)
        return false;
    const bool loaded = m_panel->SetCVmat(wxString::FromUTF8(path.c_str()), false, false);
    if (loaded)
        Repaint();
    return loaded;
}

cv::Mat TivraROIAdvPanelWrapper::GetMat() const
{
    return m_panel ? m_panel->GetSourceMat() : cv::Mat();
}

cv::Mat TivraROIAdvPanelWrapper::GetDrawMat() const
{
    return m_panel ? m_panel->GetDrawMat() : cv::Mat();
}

cv::Mat TivraROIAdvPanelWrapper::GetRawMat() const
{
    return m_panel ? m_panel->GetRawMat() : cv::Mat();
}

void TivraROIAdvPanelWrapper::SetMode(int mode)
{
    if (!m_panel)
        return;
    m_panel->SetDisplayMode(mode);
    m_panel->UpdateScale();
    m_panel->Refresh(true);
}

void TivraROIAdvPanelWrapper::SetZoomToFit()
{
    if (!m_panel)
        return;
    m_panel->SetZoomToFit();
    m_panel->Refresh(true);
}

void TivraROIAdvPanelWrapper::SetOriginal()
{
    if (!m_panel)
        return;
    m_panel->SetOriginal(true);
    m_panel->Refresh(true);
}

void TivraROIAdvPanelWrapper::SetZoomIn()
{
    if (!m_panel)
        return;
    m_panel->SetZoomIn();
    m_panel->Refresh(true);
}

void TivraROIAdvPanelWrapper::SetZoomOut()
{
    if (!m_panel)
        return;
    m_panel->SetZoomOut();
    m_panel->Refresh(true);
}

double TivraROIAdvPanelWrapper::GetZoomFactor() const
{
    return m_panel ? m_panel->GetZoomFactor() : 1.0;
}

const ImageFileInfo* TivraROIAdvPanelWrapper::GetLoadedImageInfo() const
{
    return m_panel ? &m_panel->GetLoadedImageInfo() : nullptr;
}

void TivraROIAdvPanelWrapper::SetCenterImageEnable(bool enable)
{
    if (m_panel)
        m_panel->SetCenterImageEnable(enable);
}

void TivraROIAdvPanelWrapper::SetROIMode(int mode)
{
    if (m_panel)
        m_panel->SetROIMode(static_cast<CvROIMode>(mode));
}

int TivraROIAdvPanelWrapper::GetROIMode() const
{
    return m_panel ? m_panel->GetROIMode() : 0;
}

void TivraROIAdvPanelWrapper::SetFuncEnable(bool menuEnable, bool cropEnable, bool moveEnable)
{
    if (m_panel)
        m_panel->SetFuncEnable(menuEnable, cropEnable, moveEnable);
}

void TivraROIAdvPanelWrapper::SetLockROI(bool lock)
{
    if (m_panel)
        m_panel->SetLockROI(lock);
}

cv::Rect TivraROIAdvPanelWrapper::GetRect() const
{
    cv::Rect rect;
    if (m_panel)
        m_panel->GetRect(rect);
    return rect;
}

void TivraROIAdvPanelWrapper::SetRect(const cv::Rect& rect)
{
    if (m_panel)
        m_panel->SetRect(rect);
}

cv::Point2f TivraROIAdvPanelWrapper::GetLeftMouseDownPoint() const
{
    return m_panel ? m_panel->GetLeftMouseDownPoint() : cv::Point2f();
}

cv::Point2f TivraROIAdvPanelWrapper::GetLeftMouseUpPoint() const
{
    return m_panel ? m_panel->GetLeftMouseUpPoint() : cv::Point2f();
}

double TivraROIAdvPanelWrapper::GetStartAngle() const
{
    return m_panel ? m_panel->GetStartAngle() : 0.0;
}

double TivraROIAdvPanelWrapper::GetEndAngle() const
{
    return m_panel ? m_panel->GetEndAngle() : 360.0;
}

double TivraROIAdvPanelWrapper::GetRotateAngle() const
{
    return m_panel ? m_panel->GetRotateAngle() : 0.0;
}

double TivraROIAdvPanelWrapper::GetInnerRadius() const
{
    return m_panel ? m_panel->GetInnerRadius() : 0.0;
}

double TivraROIAdvPanelWrapper::GetOuterRadius() const
{
    return m_panel ? m_panel->GetOuterRadius() : 0.0;
}

std::vector<cv::Point2f> TivraROIAdvPanelWrapper::GetPolygonPoints() const
{
    std::vector<cv::Point2f> points;
    if (m_panel)
        m_panel->GetPolygonPoints(points);
    return points;
}

void TivraROIAdvPanelWrapper::SetEditingROI(int mode, const std::vector<cv::Point2f>& points, double angle)
{
    if (!m_panel)
        return;
    cvROI roi;
    roi.visible = true;
    roi.thickness = 1;
    roi.roiIndex = -1;
    roi.angle = angle;
    roi.mode = mode;
    roi.lineStyle = 0;
    roi.color = cv::Scalar(0, 0, 0, 0);
    roi.points = points;
    m_panel->SetROI(roi, true);
}

void TivraROIAdvPanelWrapper::SetCanvasBgColor(int r, int g, int b)
{
    if (m_panel)
        m_panel->SetCanvasBgColor(r, g, b);
}

void TivraROIAdvPanelWrapper::ClearOverlay()
{
    if (m_panel)
        m_panel->ClearOverlay();
}

void TivraROIAdvPanelWrapper::SetDisplayOverlay(bool show)
{
    if (m_panel)
        m_panel->SetDisplayOverlay(show);
}

bool TivraROIAdvPanelWrapper::GetDisplayOverlay() const
{
    return m_panel ? m_panel->GetDisplayOverlay() : false;
}

int TivraROIAdvPanelWrapper::AppendOverlay(int mode, const std::vector<cv::Point2f>& points, const cv::Scalar& color,
                                           int size, double angle)
{
    if (!m_panel)
        return -1;
    cvROI roi;
    roi.visible = true;
    roi.thickness = size;
    roi.roiIndex = -1;
    roi.angle = angle;
    roi.mode = mode;
    roi.lineStyle = 0;
    roi.color = color;
    roi.points = points;
    return m_panel->AppendOverlay(roi);
}

void TivraROIAdvPanelWrapper::UpdateDrawImage(bool update)
{
    if (m_panel)
        m_panel->UpdateDrawImage(update);
}

int TivraROIAdvPanelWrapper::AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha)
{
    return m_panel ? m_panel->AppendMaskOverlay(mask, color, alpha) : -1;
}

std::vector<cv::Point2f> TivraROIAdvPanelWrapper::ConvertMaskToPolygon(const cv::Mat& mask)
{
    return m_panel ? m_panel->ConvertMaskToPolygon(mask) : std::vector<cv::Point2f>();
}

void TivraROIAdvPanelWrapper::SetMenuROIEnable(bool point, bool line, bool rectangle, bool rotatedRectangle,
                                               bool circle, bool annulus, bool polygon)
{
    if (m_panel)
        m_panel->SetMenuROIEnable(point, line, rectangle, rotatedRectangle, circle, annulus, polygon);
}

void TivraROIAdvPanelWrapper::HideROI()
{
    if (m_panel)
        m_panel->HideROI();
}

void TivraROIAdvPanelWrapper::SetSize(int w, int h)
{
    if (!m_panel)
        return;
    m_panel->SetSize(-1, -1, w, h, 0);
    m_panel->Refresh(true);
}

void TivraROIAdvPanelWrapper::Refresh()
{
    if (m_panel)
        m_panel->Refresh(true);
}

std::uintptr_t TivraROIAdvPanelWrapper::GetHandle() const
{
    return tivra::embedding::NativeHandleOf(m_panel);
}

void TivraROIAdvPanelWrapper::SetGuideLineMode(GuideLineMode mode)
{
    if (m_panel)
        m_panel->SetGuideLineMode(mode);
}

GuideLineMode TivraROIAdvPanelWrapper::GetGuideLineMode() const
{
    return m_panel ? m_panel->GetGuideLineMode() : GuideLineMode::Off;
}

void TivraROIAdvPanelWrapper::SetGuideLineVisible(bool visible)
{
    if (m_panel)
        m_panel->SetGuideLineVisible(visible);
}

bool TivraROIAdvPanelWrapper::GetGuideLineVisible() const
{
    return m_panel ? m_panel->GetGuideLineVisible() : false;
}

void TivraROIAdvPanelWrapper::SetGuideLineColor(int b, int g, int r, int a)
{
    if (!m_panel)
        return;
    GuideLineStyle style = m_panel->GetGuideLineStyle();
    style.color = cv::Scalar(b, g, r, a);
    m_panel->SetGuideLineStyle(style);
}

void TivraROIAdvPanelWrapper::SetGuideLineThickness(int thickness)
{
    if (!m_panel)
        return;
    GuideLineStyle style = m_panel->GetGuideLineStyle();
    style.thickness = thickness;
    m_panel->SetGuideLineStyle(style);
}

void TivraROIAdvPanelWrapper::SetAspectRatio(AspectRatio ratio)
{
    if (m_panel)
        m_panel->SetAspectRatio(ratio);
}

AspectRatio TivraROIAdvPanelWrapper::GetAspectRatio() const
{
    return m_panel ? m_panel->GetAspectRatio() : AspectRatio::AR_16_9;
}

// ---------------------------------------------------------------- right click

bool TivraROIAdvPanelWrapper::CallRightClick(const cv::Point2f& point, int index)
{
    if (!m_rightClickCallback || m_rightClickCallback.is_none())
        return false;
    // Called from a wx handler: the lock may or may not be held at this moment.
    py::gil_scoped_acquire gil;
    try {
        const py::object result = m_rightClickCallback(py::make_tuple(point.x, point.y), index);
        return result.cast<bool>();
    } catch (const py::error_already_set&) {
        // A raising callback counts as False; nothing propagates into the panel.
    } catch (const py::cast_error&) {
        // So does a result that has no truth value.
    }
    return false;
}

void TivraROIAdvPanelWrapper::SetOnRightClickCallback(const py::object& callback)
{
    m_rightClickCallback = callback;
    if (!m_panel)
        return;
    if (callback.is_none())
        m_panel->SetOnRightClick(nullptr);
    else
        m_panel->SetOnRightClick([this](const cv::Point2f& point, int index) { return CallRightClick(point, index); });
}
