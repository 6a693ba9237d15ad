#include "TivraROIAdvPanelWrapper.h"

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

#include <algorithm>

namespace py = pybind11;

TivraROIAdvPanelWrapper::TivraROIAdvPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width,
                                                 int height, std::int64_t style, const std::string& name)
    : PanelWrapperBase({parentHandle, id, x, y, width, height, static_cast<long>(style), name},
                       FactoryOf<TivraROIAdvPanel>())
{
}

TivraROIAdvPanelWrapper::TivraROIAdvPanelWrapper(const tivra::embedding::PanelRequest& request)
    : PanelWrapperBase(request, FactoryOf<TivraROIAdvPanel>())
{
}

TivraROIAdvPanelWrapper::~TivraROIAdvPanelWrapper()
{
    // The panel goes first (its hooks refer to this wrapper), then the callbacks.
    // Destroying it may run Python code; an exception pending in the caller
    // must survive that.
    py::error_scope keepPendingError;
    *m_alive = false;
    ReleasePanel();
    ClearCallbacks();
}

int TivraROIAdvPanelWrapper::VisitCallbacks(visitproc visit, void* arg) const
{
    for (const py::object* slot :
         {&m_cropCallback, &m_rightClickCallback, &m_leftDClickCallback, &m_rightDClickCallback, &m_mouseMoveCallback,
          &m_viewChangedCallback, &m_loadCallback})
        Py_VISIT(slot->ptr());
    return 0;
}

void TivraROIAdvPanelWrapper::ClearCallbacks()
{
    // The panel's hooks stay; with empty slots they call nothing.
    m_cropCallback = py::object();
    m_rightClickCallback = py::object();
    m_leftDClickCallback = py::object();
    m_rightDClickCallback = py::object();
    m_mouseMoveCallback = py::object();
    m_viewChangedCallback = py::object();
    m_loadCallback = py::object();
}

TivraROIAdvPanel* TivraROIAdvPanelWrapper::AdvPanel() const
{
    return static_cast<TivraROIAdvPanel*>(Panel());
}

bool TivraROIAdvPanelWrapper::LoadImage(const std::string& path)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (!panel)
        return false;
    const bool loaded = panel->SetCVmat(wxString::FromUTF8(path.c_str()), false, false);
    if (loaded) {
        DropKeptArray();
        Repaint();
    }
    return loaded;
}

cv::Mat TivraROIAdvPanelWrapper::GetDrawMat() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetDrawMat() : cv::Mat();
}

void TivraROIAdvPanelWrapper::SetZoomToFit()
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (!panel)
        return;
    panel->SetZoomToFit();
    panel->Refresh(true);
}

double TivraROIAdvPanelWrapper::GetZoomFactor() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetZoomFactor() : 1.0;
}

const ImageFileInfo* TivraROIAdvPanelWrapper::GetLoadedImageInfo() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? &panel->GetLoadedImageInfo() : nullptr;
}

void TivraROIAdvPanelWrapper::SetROIMode(int mode)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetROIMode(static_cast<CvROIMode>(mode));
}

int TivraROIAdvPanelWrapper::GetROIMode() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetROIMode() : 0;
}

void TivraROIAdvPanelWrapper::SetFuncEnable(bool menuEnable, bool cropEnable, bool moveEnable)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetFuncEnable(menuEnable, cropEnable, moveEnable);
}

void TivraROIAdvPanelWrapper::SetLockROI(bool lock)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetLockROI(lock);
}

cv::Rect TivraROIAdvPanelWrapper::GetRect() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    cv::Rect rect;
    if (panel)
        panel->GetRect(rect);
    return rect;
}

void TivraROIAdvPanelWrapper::SetRect(const cv::Rect& rect)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetRect(rect);
}

cv::Point2f TivraROIAdvPanelWrapper::GetLeftMouseDownPoint() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetLeftMouseDownPoint() : cv::Point2f();
}

cv::Point2f TivraROIAdvPanelWrapper::GetLeftMouseUpPoint() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetLeftMouseUpPoint() : cv::Point2f();
}

double TivraROIAdvPanelWrapper::GetStartAngle() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetStartAngle() : 0.0;
}

double TivraROIAdvPanelWrapper::GetEndAngle() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetEndAngle() : 360.0;
}

double TivraROIAdvPanelWrapper::GetRotateAngle() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetRotateAngle() : 0.0;
}

double TivraROIAdvPanelWrapper::GetInnerRadius() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetInnerRadius() : 0.0;
}

double TivraROIAdvPanelWrapper::GetOuterRadius() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetOuterRadius() : 0.0;
}

cvROI TivraROIAdvPanelWrapper::GetEditingROI() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetROI() : cvROI();
}

std::vector<cv::Point2f> TivraROIAdvPanelWrapper::GetPolygonPoints() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    std::vector<cv::Point2f> points;
    if (panel)
        panel->GetPolygonPoints(points);
    return points;
}

void TivraROIAdvPanelWrapper::SetEditingROI(int mode, const std::vector<cv::Point2f>& points, double angle)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (!panel)
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
    panel->SetROI(roi, true);
}

void TivraROIAdvPanelWrapper::ClearOverlay()
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel) {
        panel->ClearOverlay();
        panel->ClearTexts();  // from Python, texts are overlays like the shapes
    }
}

int TivraROIAdvPanelWrapper::AppendTextOverlay(const cvText& text)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->AppendOverlay(text) : -1;
}

void TivraROIAdvPanelWrapper::SetDisplayOverlay(bool show)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetDisplayOverlay(show);
}

bool TivraROIAdvPanelWrapper::GetDisplayOverlay() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetDisplayOverlay() : false;
}

int TivraROIAdvPanelWrapper::AppendOverlay(int mode, const std::vector<cv::Point2f>& points, const cv::Scalar& color,
                                           int size, double angle)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (!panel)
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
    return panel->AppendOverlay(roi);
}

void TivraROIAdvPanelWrapper::UpdateDrawImage(bool update)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->UpdateDrawImage(update);
}

int TivraROIAdvPanelWrapper::AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->AppendMaskOverlay(mask, color, alpha) : -1;
}

std::vector<cv::Point2f> TivraROIAdvPanelWrapper::ConvertMaskToPolygon(const cv::Mat& mask)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->ConvertMaskToPolygon(mask) : std::vector<cv::Point2f>();
}

void TivraROIAdvPanelWrapper::SetMenuROIEnable(bool point, bool line, bool rectangle, bool rotatedRectangle,
                                               bool circle, bool annulus, bool polygon)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetMenuROIEnable(point, line, rectangle, rotatedRectangle, circle, annulus, polygon);
}

void TivraROIAdvPanelWrapper::HideROI()
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->HideROI();
}

// ---------------------------------------------------------------- right click

bool TivraROIAdvPanelWrapper::CallRightClick(const cv::Point2f& point, int index)
{
    if (!m_rightClickCallback || m_rightClickCallback.is_none())
        return false;
    // Called from a wx handler: the lock may or may not be held at this moment.
    py::gil_scoped_acquire gil;
    // A local reference: the callback may drop the wrapper, and with it the slot.
    const py::object callback = m_rightClickCallback;
    try {
        const py::object result = callback(py::make_tuple(point.x, point.y), index);
        return result.cast<bool>();
    } catch (py::error_already_set& error) {
        // Reported as Python reports errors it cannot raise; counts as False.
        error.discard_as_unraisable(callback);
    } catch (const py::cast_error&) {
        // A result without a truth value the binding layer takes counts as False too.
    }
    return false;
}

void TivraROIAdvPanelWrapper::SetOnRightClickCallback(const py::object& callback)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    m_rightClickCallback = callback;
    if (!panel)
        return;
    if (callback.is_none())
        panel->SetOnRightClick(nullptr);
    else
        panel->SetOnRightClick([this](const cv::Point2f& point, int index) { return CallRightClick(point, index); });
}

bool TivraROIAdvPanelWrapper::UndoROI()
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel && panel->UndoROI();
}

bool TivraROIAdvPanelWrapper::RedoROI()
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel && panel->RedoROI();
}

bool TivraROIAdvPanelWrapper::CanUndoROI() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel && panel->CanUndoROI();
}

bool TivraROIAdvPanelWrapper::CanRedoROI() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel && panel->CanRedoROI();
}

ROIStateFields TivraROIAdvPanelWrapper::GetROIState() const
{
    TivraROIAdvPanel* const panel = AdvPanel();
    return panel ? panel->GetROIState() : ROIState::Save(ROIEditState{});
}

void TivraROIAdvPanelWrapper::SetROIState(const ROIStateFields& fields)
{
    TivraROIAdvPanel* const panel = AdvPanel();
    if (panel)
        panel->SetROIState(fields);
}
