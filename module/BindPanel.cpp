// Python class TivraPanel: the basic image panel embedded in a wxPython window.
#include "BindPanelDisplay.h"
#include "Bindings.h"
#include "Conversion.h"
#include "PanelDocs.h"
#include "TivraPanelWrapper.h"

namespace py = pybind11;

namespace tivra::bindings {

namespace {

GuideLineMode ToEngine(GuideLineModeValue mode) { return static_cast<GuideLineMode>(mode); }
AspectRatio ToEngine(AspectRatioValue ratio) { return static_cast<AspectRatio>(ratio); }
GuideLineModeValue ToPython(GuideLineMode mode) { return static_cast<GuideLineModeValue>(mode); }
AspectRatioValue ToPython(AspectRatio ratio) { return static_cast<AspectRatioValue>(ratio); }

}  // namespace

void BindPanel(py::module_& m)
{
    using W = TivraPanelWrapper;
    py::class_<W> c(m, "TivraPanel", "Basic image display panel (requires wxPython parent)");
    BindDisplayMethods(c, [](const W& w) { return w.DisplayPanel(); });
    c
        .def(py::init<std::uintptr_t, int, int, int, int, int, std::int64_t, const std::string&>(),
             py::arg("parent_handle"), py::arg("id") = -1, py::arg("x") = -1, py::arg("y") = -1,
             py::arg("width") = -1, py::arg("height") = -1, py::arg("style") = 0, py::arg("name") = "TivraPanel")
        .def(
            "SetMat", [](W& w, const conversion::ImageArray& img) { w.SetMat(conversion::ArrayToRawMat(img)); },
            py::arg("img"), doc::SetMat)
        .def("LoadImage", &W::LoadImage, py::arg("path"), py::arg("flags") = 1,
             "Load image from file (supports Unicode paths)")
        .def("GetMat", [](const W& w) { return conversion::MatToArray(w.GetMat()); }, doc::GetMat)
        .def("SetMode", &W::SetMode, py::arg("mode"), doc::SetMode)
        .def("SetZoomToFit", &W::SetZoomToFit, doc::SetZoomToFit)
        .def("SetOriginal", &W::SetOriginal, py::arg("is_scrollbar_visible") = true,
             "Show the image at scale 1, with scroll bars or without them")
        .def("SetZoomIn", &W::SetZoomIn, doc::SetZoomIn)
        .def("SetZoomOut", &W::SetZoomOut, doc::SetZoomOut)
        .def("SetSize", &W::SetSize, py::arg("w"), py::arg("h"), doc::SetSize)
        .def("SetCanvasBgColor", &W::SetCanvasBgColor, py::arg("r"), py::arg("g"), py::arg("b"), doc::SetCanvasBgColor)
        .def("SetCenterImageEnable", &W::SetCenterImageEnable, py::arg("enable"), doc::SetCenterImageEnable)
        .def("Refresh", &W::Refresh, doc::Refresh)
        .def("GetHandle", &W::GetHandle, doc::GetHandle)
        .def("IsOk", &W::IsOk, doc::IsOk)
        .def(
            "SetGuideLineMode", [](W& w, GuideLineModeValue mode) { w.SetGuideLineMode(ToEngine(mode)); },
            py::arg("mode"), "Set guide line overlay mode (GuideLineMode enum)")
        .def("GetGuideLineMode", [](const W& w) { return ToPython(w.GetGuideLineMode()); }, doc::GetGuideLineMode)
        .def("SetGuideLineVisible", &W::SetGuideLineVisible, py::arg("visible"),
             "Show or hide guide lines without changing mode")
        .def("GetGuideLineVisible", &W::GetGuideLineVisible, doc::GetGuideLineVisible)
        .def("SetGuideLineColor", &W::SetGuideLineColor, py::arg("b"), py::arg("g"), py::arg("r"),
             py::arg("a") = 180, "Set guide line color (BGR + alpha 0-255)")
        .def("SetGuideLineThickness", &W::SetGuideLineThickness, py::arg("thickness"),
             "Set guide line thickness in pixels")
        .def(
            "SetAspectRatio", [](W& w, AspectRatioValue ratio) { w.SetAspectRatio(ToEngine(ratio)); },
            py::arg("ratio"), "Set crop aspect ratio (AspectRatio enum, used by AspectRatioMask mode)")
        .def("GetAspectRatio", [](const W& w) { return ToPython(w.GetAspectRatio()); }, doc::GetAspectRatio);
}

}  // namespace tivra::bindings
