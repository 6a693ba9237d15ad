// The Python callbacks of TivraROIAdvPanel: crop events, double clicks and mouse
// moves. Each call into Python takes the interpreter lock for its own duration
// (the panel calls from wx handlers, where the lock may or may not be held).
// What a callback raises cannot propagate into a wx handler: it goes to
// sys.unraisablehook, as Python reports errors in __del__, and the panel goes on.
#include "TivraROIAdvPanelWrapper.h"

#include <wx/weakref.h>

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

namespace py = pybind11;

namespace {

bool IsSet(const py::object& callback)
{
    return callback && !callback.is_none();
}

} // namespace

void TivraROIAdvPanelWrapper::SetOnCropCallback(const py::object& callback)
{
    if (!callback.is_none() && !PyCallable_Check(callback.ptr()))
        throw py::type_error("SetOnCropCallback(): callback must be callable or None");
    m_cropCallback = callback;
    // One binding per panel: every crop event calls the current callback once.
    wxWindow* const panel = PanelUnchecked();
    if (!panel || m_cropBound)
        return;
    panel->Bind(TIVRAPanel_EVT_CROP_CHANGE,
                [alive = m_alive, slot = &m_cropCallback](CropEvent& event) { DeliverCrop(alive, slot, event); });
    m_cropBound = true;
}

void TivraROIAdvPanelWrapper::DeliverCrop(const AliveFlag& alive, const py::object* slot, CropEvent& event)
{
    // The callback may drop the last reference to the wrapper, which destroys
    // the panel: then the event must not travel on through the dead panel, and
    // nothing of the wrapper may be touched after the call.
    wxWeakRef<wxWindow> panel(dynamic_cast<wxWindow*>(event.GetEventObject()));
    {
        py::gil_scoped_acquire gil;
        if (*alive && IsSet(*slot)) {
            const py::object callback = *slot;
            try {
                const cv::Rect& r = event.m_rect;
                callback(py::make_tuple(r.x, r.y, r.width, r.height));
            } catch (py::error_already_set& error) {
                error.discard_as_unraisable(callback);
            }
        }
    }
    if (panel)
        event.Skip();
}

void TivraROIAdvPanelWrapper::CallPointCallback(const AliveFlag& alive, const py::object* slot,
                                                const cv::Point2f& point)
{
    py::gil_scoped_acquire gil;
    if (!*alive || !IsSet(*slot))
        return;
    // A local reference keeps the callable alive even if it replaces itself.
    const py::object callback = *slot;
    try {
        callback(py::make_tuple(point.x, point.y));
    } catch (py::error_already_set& error) {
        error.discard_as_unraisable(callback);
    }
}

void TivraROIAdvPanelWrapper::SetPointCallback(py::object& slot, const py::object& callback, PointSetter setter)
{
    slot = callback;
    auto* const panel = static_cast<TivraROIAdvPanel*>(PanelUnchecked());
    if (!panel)
        return;
    if (callback.is_none()) {
        (panel->*setter)(nullptr);
        return;
    }
    (panel->*setter)([alive = m_alive, stored = &slot](const cv::Point2f& point) {
        CallPointCallback(alive, stored, point);
    });
}

void TivraROIAdvPanelWrapper::SetOnLeftDClickCallback(const py::object& callback)
{
    SetPointCallback(m_leftDClickCallback, callback, &TivraROIAdvPanel::SetOnLeftDClick);
}

void TivraROIAdvPanelWrapper::SetOnRightDClickCallback(const py::object& callback)
{
    SetPointCallback(m_rightDClickCallback, callback, &TivraROIAdvPanel::SetOnRightDClick);
}

void TivraROIAdvPanelWrapper::SetOnMouseMoveCallback(const py::object& callback)
{
    SetPointCallback(m_mouseMoveCallback, callback, &TivraROIAdvPanel::SetOnMouseMove);
}
