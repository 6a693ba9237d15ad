// Python class TivraPanel: the basic image panel embedded in a wxPython window.
#include <memory>

#include "Bindings.h"
#include "TivraPanelWrapper.h"
#include "WxPythonWindows.h"

namespace py = pybind11;
using namespace py::literals;

namespace tivra::bindings {

void BindPanel(py::module_& m)
{
    using W = TivraPanelWrapper;
    py::class_<W, PanelWrapperBase> c(m, "TivraPanel", "Basic image display panel (requires wxPython parent)");
    c.def(py::init<std::uintptr_t, int, int, int, int, int, std::int64_t, const std::string&>(), "parent_handle"_a,
          "id"_a = -1, "x"_a = -1, "y"_a = -1, "width"_a = -1, "height"_a = -1, "style"_a = 0, "name"_a = "TivraPanel");
    c.def(py::init([](const py::object& parent, int id, int x, int y, int width, int height, std::int64_t style,
                      const std::string& name) {
              return std::make_unique<W>(tivra::wxpython::RequestInParent(parent, id, x, y, width, height, style, name));
          }),
          "parent"_a, "id"_a = -1, "x"_a = -1, "y"_a = -1, "width"_a = -1, "height"_a = -1, "style"_a = 0,
          "name"_a = "TivraPanel");
    c.def("LoadImage", &W::LoadImage, "path"_a, "flags"_a = 1, "Load image from file (supports Unicode paths)");
    c.def("SetZoomToFit", &W::SetZoomToFit, "Fit the whole image into the window");
    c.def("SetOriginal", &W::SetOriginal, "is_scrollbar_visible"_a = true,
          "Show the image at scale 1, with scroll bars or without them");
}

}  // namespace tivra::bindings
