// View control of TivraROIAdvPanel from Python: zoom about a point, the visible
// source rectangle, the view centre, scrolling, zoom to a rectangle and the
// view-changed callback. Bad numbers reach Python as ValueError from the panel.
#include "TivraROIAdvPanelWrapper.h"

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

namespace py = pybind11;

void TivraROIAdvPanelWrapper::SetZoomFactor(double factor, const std::optional<cv::Point2d>& center)
{
    if (TivraROIAdvPanel* panel = AdvPanel())
        panel->SetZoomFactor(factor, center);
}

cv::Rect2d TivraROIAdvPanelWrapper::GetViewRect() const
{
    const TivraROIAdvPanel* panel = AdvPanel();
    return panel ? panel->GetViewRect() : cv::Rect2d();
}

void TivraROIAdvPanelWrapper::SetViewCenter(double x, double y)
{
    if (TivraROIAdvPanel* panel = AdvPanel())
        panel->SetViewCenter(cv::Point2d(x, y));
}

void TivraROIAdvPanelWrapper::ScrollBy(int dx, int dy)
{
    if (TivraROIAdvPanel* panel = AdvPanel())
        panel->ScrollBy(dx, dy);
}

void TivraROIAdvPanelWrapper::ZoomToRect(double x, double y, double width, double height)
{
    if (TivraROIAdvPanel* panel = AdvPanel())
        panel->ZoomToRect(cv::Rect2d(x, y, width, height));
}

void TivraROIAdvPanelWrapper::SetOnViewChangedCallback(const py::object& callback)
{
    if (!callback.is_none() && !PyCallable_Check(callback.ptr()))
        throw py::type_error("SetOnViewChangedCallback(): callback must be callable or None");
    m_viewChangedCallback = callback;
    TivraROIAdvPanel* panel = AdvPanel();
    if (!panel)
        return;
    if (callback.is_none()) {
        panel->SetOnViewChanged(nullptr);
        return;
    }
    panel->SetOnViewChanged([alive = m_alive, slot = &m_viewChangedCallback](double zoom, const cv::Rect2d& r) {
        py::gil_scoped_acquire gil;
        if (!*alive || !*slot || slot->is_none())
            return;
        const py::object current = *slot;  // it may replace itself
        try {
            current(zoom, py::make_tuple(r.x, r.y, r.width, r.height));
        } catch (py::error_already_set& error) {
            error.discard_as_unraisable(current);
        }
    });
}
