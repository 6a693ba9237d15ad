#pragma once
// wx windows as wxPython objects and back, converted by wxPython's own C API
// (the capsule wx._wxPyAPI), so a panel is the very object wxPython hands out
// for it (among its parent's children, say) and a wxPython window can be a parent.
#include <cstdint>
#include <string>

#include <pybind11/pybind11.h>
#include <wx/window.h>

#include "PanelEmbedding.h"

namespace tivra::wxpython {

/// The wxPython object of `window` (None for null); wxPython does not own it.
pybind11::object WindowObject(wxWindow* window);

/// The wx window a wxPython object stands for, or nullptr when `object` is no wx.Window.
wxWindow* WindowOf(pybind11::handle object);

/// A panel request whose parent is a wxPython window (shown or not); TypeError for anything else.
tivra::embedding::PanelRequest RequestInParent(pybind11::handle parent, int id, int x, int y, int width, int height,
                                               std::int64_t style, const std::string& name);

/// Tells wxPython that the window behind `object` is gone: using it raises
/// RuntimeError from then on instead of touching freed memory.
void MarkDeleted(pybind11::handle object);

}  // namespace tivra::wxpython
