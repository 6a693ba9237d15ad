#include "WxPythonWindows.h"

#include <stdexcept>

namespace py = pybind11;

namespace tivra::wxpython {

namespace {

// The leading entries of wxPython's exported API table, in its order; the
// table only ever grows at its end.
struct WxPyApi {
    wxString (*py2wxString)(PyObject* source);
    PyObject* (*constructObject)(void* ptr, const wxString& className, bool setThisOwn);
    PyGILState_STATE (*beginBlockThreads)();
    void (*endBlockThreads)(PyGILState_STATE blocked);
    bool (*wrappedPtrCheck)(PyObject* obj);
    bool (*convertWrappedPtr)(PyObject* obj, void** ptr, const wxString& className);
};

const WxPyApi& Api()
{
    static const WxPyApi* api = nullptr;
    if (!api) {
        py::module_::import("wx");
        api = static_cast<const WxPyApi*>(PyCapsule_Import("wx._wxPyAPI", 0));
        if (!api)
            throw py::error_already_set();
    }
    return *api;
}

}  // namespace

py::object WindowObject(wxWindow* window)
{
    if (!window)
        return py::none();
    PyObject* object = Api().constructObject(window, "wxWindow", false);
    if (!object)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(object);
}

wxWindow* WindowOf(py::handle object)
{
    const WxPyApi& api = Api();
    void* window = nullptr;
    if (!api.wrappedPtrCheck(object.ptr()) || !api.convertWrappedPtr(object.ptr(), &window, "wxWindow")) {
        PyErr_Clear();
        return nullptr;
    }
    return static_cast<wxWindow*>(window);
}

tivra::embedding::PanelRequest RequestInParent(py::handle parent, int id, int x, int y, int width, int height,
                                               std::int64_t style, const std::string& name)
{
    wxWindow* const window = WindowOf(parent);
    if (!window)
        throw py::type_error("parent must be a wxPython window (wx.Window) or its handle (int), got " +
                             std::string(py::str(py::type::of(parent).attr("__name__"))));
    return {0, id, x, y, width, height, static_cast<long>(style), name, window};
}

void MarkDeleted(py::handle object)
{
    py::module_::import("wx.siplib").attr("setdeleted")(object);
}

}  // namespace tivra::wxpython
