#include "PanelEmbedding.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/thread.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>

namespace tivra::embedding {

namespace {

bool s_wxChecked = false;
int s_nextWindowId = 10000;
wxFrame* s_hiddenFrame = nullptr;
int s_panelCount = 0;

// Live panels and what to run when each goes. The GUI thread owns the
// windows; the lock only covers a wrapper released on another thread, which
// must be able to drop its callback before its memory goes.
struct TrackedPanel {
    std::function<void()> onGone;
    unsigned long serial;  // tells a panel from a later one at the same address
};
std::mutex s_trackedLock;
std::map<wxWindow*, TrackedPanel> s_tracked;
unsigned long s_nextSerial = 0;

constexpr int kDefaultWidth = 400;
constexpr int kDefaultHeight = 300;

// The frame new panels are first made in; it forgets itself when it goes.
class HiddenHostFrame : public wxFrame {
public:
    HiddenHostFrame(int id)
        : wxFrame(nullptr, id, "TivraModule Hidden Frame", wxDefaultPosition, wxSize(1, 1), wxFRAME_NO_TASKBAR)
    {
        // Listed among the application's frames, this frame would become its
        // top window once the program replaces its first frame, and with it
        // the parent of the program's dialogs, wx's log dialogs included; the
        // last panel then takes the frame, and an open dialog with it, along.
        // Unlisted and transient, it is never the top window nor a parent.
        wxTopLevelWindows.DeleteObject(this);
        SetExtraStyle(GetExtraStyle() | wxWS_EX_TRANSIENT);
    }
    ~HiddenHostFrame() override
    {
        if (s_hiddenFrame == this)
            s_hiddenFrame = nullptr;
    }
};

GdkWindow* GdkWindowOf(const wxWindow* window)
{
    GtkWidget* widget = window->m_wxwindow ? window->m_wxwindow : window->m_widget;
    if (!widget)
        return nullptr;
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    return gdkWindow && GDK_IS_X11_WINDOW(gdkWindow) ? gdkWindow : nullptr;
}

// The handle a window already has, or 0. Asking GDK for the X id of a window
// turns it, its ancestors and its siblings' stacking into native X windows,
// which GTK no longer paints from the frame: the program's windows would show
// black wherever their backgrounds are not painted by hand. Only a window the
// program asked for its handle is native, so the search looks at no other.
std::uintptr_t ExistingHandleOf(const wxWindow* window)
{
    GdkWindow* gdkWindow = GdkWindowOf(window);
    if (!gdkWindow || !gdk_window_has_native(gdkWindow))
        return 0;
    return static_cast<std::uintptr_t>(GDK_WINDOW_XID(gdkWindow));
}

wxWindow* FindIn(wxWindow* window, std::uintptr_t handle)
{
    if (ExistingHandleOf(window) == handle)
        return window;
    for (wxWindow* child : window->GetChildren())
        if (wxWindow* found = FindIn(child, handle))
            return found;
    return nullptr;
}

bool IsTracked(wxWindow* panel, unsigned long serial)
{
    std::lock_guard<std::mutex> lock(s_trackedLock);
    const auto it = s_tracked.find(panel);
    return it != s_tracked.end() && it->second.serial == serial;
}

// The destroy event comes once per window, from Destroy() or from the
// destruction of its parent.
void OnPanelDestroyed(wxWindow* panel)
{
    {
        std::lock_guard<std::mutex> lock(s_trackedLock);
        const auto it = s_tracked.find(panel);
        if (it == s_tracked.end())
            return;
        if (it->second.onGone)
            it->second.onGone();
        s_tracked.erase(it);
    }
    --s_panelCount;
    if (s_panelCount == 0 && s_hiddenFrame) {
        wxFrame* frame = s_hiddenFrame;
        s_hiddenFrame = nullptr;
        frame->Destroy();
    }
}

// Realizes the panel at once inside its realized parent, so that its handle
// is valid as soon as the constructor returns (GTK would otherwise wait for
// the next layout pass).
void Realize(wxWindow* panel)
{
    GtkWidget* widget = panel->m_wxwindow ? panel->m_wxwindow : panel->m_widget;
    GtkWidget* parentWidget = gtk_widget_get_parent(panel->m_widget);
    if (widget && parentWidget && gtk_widget_get_realized(parentWidget))
        gtk_widget_realize(widget);
}

}  // namespace

std::uintptr_t NativeHandleOf(const wxWindow* window)
{
    GdkWindow* gdkWindow = window ? GdkWindowOf(window) : nullptr;
    return gdkWindow ? static_cast<std::uintptr_t>(GDK_WINDOW_XID(gdkWindow)) : 0;
}

wxWindow* FindWindowByNativeHandle(std::uintptr_t handle)
{
    if (handle == 0)
        return nullptr;
    for (wxWindow* topLevel : wxTopLevelWindows)
        if (wxWindow* found = FindIn(topLevel, handle))
            return found;
    return nullptr;
}

void RequireGuiThread()
{
    if (!wxThread::IsMain())
        throw std::runtime_error("TivraModule panels must be used from the wxPython GUI thread "
                                 "(use wx.CallAfter from other threads).");
}

wxWindow* PrepareEmbedding(PanelRequest& request)
{
    if (!s_wxChecked) {
        if (!wxTheApp)
            throw std::runtime_error("TivraModule on macOS requires 'import wx' before 'import TivraModule'.");
        s_wxChecked = true;
    }
    RequireGuiThread();
    if (request.parent) {
        if (request.id < 0)
            request.id = s_nextWindowId++;
        return request.parent;
    }
    if (request.parentHandle == 0)
        throw std::runtime_error("parent_handle cannot be 0. Pass the handle of a wxPython window.");
    if (!wxTheApp)
        throw std::runtime_error("wxApp not initialized");
    wxWindow* parent = FindWindowByNativeHandle(request.parentHandle);
    if (!parent)
        throw std::runtime_error("parent_handle " + std::to_string(request.parentHandle) +
                                 " is not the handle of a window of this wxPython application. Pass "
                                 "GetHandle() of a wxPython window whose frame has been shown.");
    if (request.id < 0)
        request.id = s_nextWindowId++;
    return parent;
}

wxFrame* HiddenFrame()
{
    if (!s_hiddenFrame) {
        s_hiddenFrame = new HiddenHostFrame(s_nextWindowId++);
        s_hiddenFrame->Hide();
    }
    return s_hiddenFrame;
}

void AttachPanel(wxWindow* panel, wxWindow* parent, const PanelRequest& request, std::function<void()> onGone)
{
    const int width = request.width < 1 ? kDefaultWidth : request.width;
    const int height = request.height < 1 ? kDefaultHeight : request.height;
    panel->Reparent(parent);
    panel->SetSize(std::max(request.x, 0), std::max(request.y, 0), width, height, wxSIZE_AUTO);
    panel->Show();
    Realize(panel);

    {
        std::lock_guard<std::mutex> lock(s_trackedLock);
        s_tracked[panel] = TrackedPanel{std::move(onGone), s_nextSerial++};
    }
    // Children's destroy events pass by on their way up: only the panel's own counts.
    panel->Bind(wxEVT_DESTROY, [panel](wxWindowDestroyEvent& event) {
        event.Skip();
        if (event.GetEventObject() == panel)
            OnPanelDestroyed(panel);
    });
    ++s_panelCount;
}

void ReleasePanel(wxWindow* panel)
{
    // Once the wx.App is gone its windows are not to be touched: destroying the
    // panel then reaches into freed parents. What is left goes with the process.
    if (!panel || !wxTheApp)
        return;
    if (wxThread::IsMain()) {
        panel->Destroy();
        return;
    }
    unsigned long serial = 0;
    {
        std::lock_guard<std::mutex> lock(s_trackedLock);
        const auto it = s_tracked.find(panel);
        if (it == s_tracked.end())
            return;
        it->second.onGone = nullptr;
        serial = it->second.serial;
    }
    // wx may destroy the panel with its parent before this runs.
    if (wxTheApp)
        wxTheApp->CallAfter([panel, serial] {
            if (IsTracked(panel, serial))
                panel->Destroy();
        });
}

int LivePanelCount() { return s_panelCount; }

}  // namespace tivra::embedding
