// View control on the Python class TivraROIAdvPanel, and the module functions
// LinkViews and UnlinkViews.
#include <pybind11/stl.h>

#include "Bindings.h"
#include "TivraROIAdvPanelWrapper.h"
#include "tivra/engine/TivraROIPanel/ViewLink.h"

namespace py = pybind11;
using namespace py::literals;

namespace tivra::bindings {

namespace {

py::tuple RectTuple(const cv::Rect2d& r)
{
    return py::make_tuple(r.x, r.y, r.width, r.height);
}

std::optional<cv::Point2d> OptionalPoint(const py::object& center)
{
    if (center.is_none())
        return std::nullopt;
    const auto xy = center.cast<std::pair<double, double>>();
    return cv::Point2d(xy.first, xy.second);
}

// The live panels of TivraROIAdvPanel objects; anything else is a TypeError.
std::vector<TivraROIAdvPanel*> PanelsOf(const py::args& objects, const char* function)
{
    std::vector<TivraROIAdvPanel*> panels;
    for (const py::handle object : objects) {
        if (!py::isinstance<TivraROIAdvPanelWrapper>(object))
            throw py::type_error(std::string(function) + "() takes TivraROIAdvPanel objects");
        if (TivraROIAdvPanel* panel = object.cast<TivraROIAdvPanelWrapper&>().ViewPanel())
            panels.push_back(panel);
    }
    return panels;
}

}  // namespace

void BindViewControl(py::module_& m)
{
    auto cls = py::reinterpret_borrow<py::class_<TivraROIAdvPanelWrapper>>(m.attr("TivraROIAdvPanel"));
    cls.def(
           "SetZoomFactor",
           [](TivraROIAdvPanelWrapper& self, double factor, const py::object& center) {
               self.SetZoomFactor(factor, OptionalPoint(center));
           },
           "factor"_a, "center"_a = py::none(),
           "Zoom to factor (held within 0.1 to 20), keeping center (x, y) in source pixels, by default the "
           "current view centre, in the middle of the window as far as scrolling allows.")
        .def(
            "GetViewRect", [](const TivraROIAdvPanelWrapper& self) { return RectTuple(self.GetViewRect()); },
            "The source rectangle (x, y, width, height) the window shows, in float source pixels, clipped to the "
            "image; (0.0, 0.0, 0.0, 0.0) without an image.")
        .def("SetViewCenter", &TivraROIAdvPanelWrapper::SetViewCenter, "x"_a, "y"_a,
             "Scroll so that source point (x, y) is in the middle of the window as far as scrolling allows.")
        .def("ScrollBy", &TivraROIAdvPanelWrapper::ScrollBy, "dx"_a, "dy"_a,
             "Scroll by window pixels; positive values show what lies right and below.")
        .def("ZoomToRect", &TivraROIAdvPanelWrapper::ZoomToRect, "x"_a, "y"_a, "w"_a, "h"_a,
             "Zoom so that the source rectangle (x, y, w, h) fills the window, centred (within the zoom limits).")
        .def("SetOnViewChangedCallback", &TivraROIAdvPanelWrapper::SetOnViewChangedCallback, "callback"_a,
             "Set a callback called with (zoom, (x, y, w, h)) once after every change of zoom or visible area, "
             "whatever caused it; None clears it.");

    m.def(
        "LinkViews",
        [](const py::args& panels) {
            if (panels.size() < 2)
                throw py::value_error("LinkViews() needs at least two panels");
            ViewLink::Link(PanelsOf(panels, "LinkViews"));
        },
        "Keep the zoom and the visible area of these TivraROIAdvPanel objects (and of panels already linked to "
        "them) equal while any of them is zoomed or panned; the others take the first panel's view now.");
    m.def(
        "UnlinkViews", [](const py::args& panels) { ViewLink::Unlink(PanelsOf(panels, "UnlinkViews")); },
        "Take these TivraROIAdvPanel objects out of their linked groups.");
}

}  // namespace tivra::bindings
