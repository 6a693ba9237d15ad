#pragma once
// Embedding of the module's native panels in windows that belong to wxPython.
//
// A Python program passes the native handle of one of its windows, as
// wxPython's GetHandle() reports it. On GTK that is the X11 id of the
// GdkWindow of the window's client-area widget (0 until the window is
// realized, which showing its frame does). The module links the very wx
// libraries wxPython loads, so the application's windows are plain wx windows
// here: the parent is found by walking them and comparing handles, never by
// dereferencing the number.
//
// Panels are first made as children of one hidden top-level frame shared by
// all panels (as the ids show: the first panel takes 10000, the frame 10001),
// then moved into the parent. The hidden frame is none of the application's
// top-level windows (it never keeps the main loop alive nor parents a dialog),
// and it is destroyed with the last panel. A panel that wx
// destroys together with its parent is noticed, so its wrapper can drop it.

#include <cstdint>
#include <functional>
#include <string>

#include <wx/frame.h>
#include <wx/string.h>
#include <wx/window.h>

namespace tivra::embedding {

/// Handle of a window in wxPython's convention; 0 while it is not realized.
std::uintptr_t NativeHandleOf(const wxWindow* window);

/// The application's window with that handle, or nullptr. When several
/// windows share one native window (a panel and its plain controls), the
/// outermost, which owns it, is returned.
wxWindow* FindWindowByNativeHandle(std::uintptr_t handle);

/// What a wrapper's constructor receives, before defaults are applied.
struct PanelRequest {
    std::uintptr_t parentHandle = 0;
    int id = -1;
    int x = -1;
    int y = -1;
    int width = -1;
    int height = -1;
    long style = 0;
    std::string name;
    /// The parent window itself, when the caller gave a wx window instead of a handle.
    wxWindow* parent = nullptr;
};

/// The checks made before anything is created (the GUI thread included), and
/// the parent they find. Throws std::runtime_error with the message meant for
/// Python. On success,
/// request.id holds the window id to use (a new one for a negative id).
wxWindow* PrepareEmbedding(PanelRequest& request);

/// The hidden frame that new panels are first made in; created on first use.
wxFrame* HiddenFrame();

/// Moves the panel into parent at the request's position (negatives clamped
/// to 0) and size (400 x 300 for sizes below 1), shows it, and starts its
/// tracking: the live-panel count goes up, and when the panel is destroyed
/// (by ReleasePanel or by wx together with its parent) onGone runs, the count
/// goes down and the last panel takes the hidden frame with it.
void AttachPanel(wxWindow* panel, wxWindow* parent, const PanelRequest& request, std::function<void()> onGone);

/// Destroys a tracked panel; its onGone runs during the call. Called from
/// another thread (the last reference of a Python object dropped there), it
/// drops onGone at once and leaves the destruction to the GUI thread.
void ReleasePanel(wxWindow* panel);

/// Windows may only be touched from the thread that runs the wx main loop:
/// throws std::runtime_error with a message meant for Python elsewhere.
void RequireGuiThread();

/// Number of live panels made by the wrappers.
int LivePanelCount();

/// Creates a panel of type Panel for a wrapper, following the steps above.
template <typename Panel>
Panel* CreateEmbeddedPanel(PanelRequest request, std::function<void()> onGone)
{
    wxWindow* parent = PrepareEmbedding(request);
    auto* panel = new Panel(HiddenFrame(), request.id, wxPoint(request.x, request.y),
                            wxSize(request.width, request.height), request.style,
                            wxString::FromUTF8(request.name.c_str()));
    AttachPanel(panel, parent, request, std::move(onGone));
    return panel;
}

}  // namespace tivra::embedding
