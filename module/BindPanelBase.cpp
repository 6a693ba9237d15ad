// Python class TivraPanelBase: the methods both panel classes have, bound once.
// TivraPanel and TivraROIAdvPanel derive from it, so these behave alike on both.
#include "BindPanelDisplay.h"
#include "Bindings.h"
#include "Conversion.h"
#include "PanelWrapperBase.h"

namespace py = pybind11;
using namespace py::literals;

namespace tivra::bindings {

namespace {

using W = PanelWrapperBase;

void BindImageAndViewMethods(py::class_<W>& c)
{
    c.def("SetMat", &W::SetMat, "img"_a, "copy"_a = true,
          "Show a copy of img (gray, BGR or BGRA array); uint16, int16, float32 and float64 arrays keep their "
          "values (see SetDisplayLevels), other dtypes are clipped to uint8; with copy=False keep img itself, a "
          "C-contiguous uint8 array, alive while shown: changes to it show at the next Refresh()");
    c.def(
        "GetMat",
        [](const W& w, bool copy) {
            // The panels never write into the image they hold (a new image is a new
            // buffer), so a view of it stays as it is.
            const cv::Mat pixels = w.GetMat();
            return copy ? conversion::MatToArray(pixels) : conversion::MatToReadOnlyView(pixels, w.KeptArray());
        },
        "copy"_a = true,
        "Return a copy of the shown image (3-channel BGR); shape (0,) without one. copy=False returns a read-only "
        "view of the panel's pixels instead (no copy for 8-bit images): writing to it raises ValueError, it keeps "
        "these pixels after a later SetMat, and for an image set with SetMat(img, copy=False) it shows img's "
        "current pixels");
    c.def("SetMode", &W::SetMode, "mode"_a, "Set the display mode: CvDisplayMode Original (1:1) or ZoomToFit");
    c.def("SetZoomIn", &W::SetZoomIn, "Zoom in one step");
    c.def("SetZoomOut", &W::SetZoomOut, "Zoom out one step");
    c.def("SetSize", &W::SetSize, "w"_a, "h"_a,
          "Resize the panel to w x h pixels, keeping its position (-1 keeps that size)");
    c.def("SetCanvasBgColor", &W::SetCanvasBgColor, "r"_a, "g"_a, "b"_a,
          "Set the colour around the image (red, green, blue, 0-255)");
    c.def("SetCenterImageEnable", &W::SetCenterImageEnable, "enable"_a,
          "Centre an image smaller than the window (True) or keep it at the top left");
    c.def("Refresh", &W::Refresh, "Repaint the panel");
    c.def("GetPaintCount", &W::GetPaintCount,
          "Return how many frames the panel has painted; it grows once a frame is on the window, so code can "
          "wait for it after Refresh() (to capture the screen, or time real frames); 0 once the panel is gone");
    c.def("GetHandle", &W::GetHandle,
          "Return the panel's native window handle, as wxPython's GetHandle() gives it; 0 once the panel is gone");
    c.def("GetWindow", &W::GetWindow,
          "Return the panel as the wx.Window wxPython sees among its parent's children (for sizers, events, "
          "focus, tooltips); None once the panel is gone");
    c.def("IsOk", &W::IsOk, "Return True while the native panel exists (False once wx destroyed it with its parent)");
}

void BindGuideLineMethods(py::class_<W>& c)
{
    c.def(
        "SetGuideLineMode",
        [](W& w, GuideLineModeValue mode) { w.SetGuideLineMode(static_cast<GuideLineMode>(mode)); }, "mode"_a,
        "Set guide line overlay mode (GuideLineMode enum)");
    c.def("GetGuideLineMode", [](const W& w) { return static_cast<GuideLineModeValue>(w.GetGuideLineMode()); },
          "Return the guide line mode (GuideLineMode enum)");
    c.def("SetGuideLineVisible", &W::SetGuideLineVisible, "visible"_a,
          "Show or hide guide lines without changing mode");
    c.def("GetGuideLineVisible", &W::GetGuideLineVisible, "Return whether the guide lines are shown");
    c.def("SetGuideLineColor", &W::SetGuideLineColor, "b"_a, "g"_a, "r"_a, "a"_a = 180,
          "Set guide line color (BGR + alpha 0-255)");
    c.def("SetGuideLineThickness", &W::SetGuideLineThickness, "thickness"_a, "Set guide line thickness in pixels");
    c.def(
        "SetAspectRatio", [](W& w, AspectRatioValue ratio) { w.SetAspectRatio(static_cast<AspectRatio>(ratio)); },
        "ratio"_a, "Set crop aspect ratio (AspectRatio enum, used by AspectRatioMask mode)");
    c.def("GetAspectRatio", [](const W& w) { return static_cast<AspectRatioValue>(w.GetAspectRatio()); },
          "Return the crop aspect ratio of the AspectRatioMask mode (AspectRatio enum)");
}

}  // namespace

void BindPanelBase(py::module_& m)
{
    py::class_<W> c(m, "TivraPanelBase",
                    "What TivraPanel and TivraROIAdvPanel share; not made directly (it has no constructor)");
    BindImageAndViewMethods(c);
    BindGuideLineMethods(c);
    BindDisplayMethods(c, [](const W& w) { return w.DisplayPanel(); });
}

}  // namespace tivra::bindings
