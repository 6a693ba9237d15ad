// Entry point of the Python extension. pybind11's module macro checks the
// interpreter version ("3.11" followed by a non-digit), creates the module with
// single-phase initialisation and turns registration errors into ImportError.
#include "Bindings.h"
#include "tivra/io/Utils.h"

namespace py = pybind11;

static const char* const kModuleDoc =
    "\n"
    "TivraModule - OpenCV + wxWidgets Image Panel for Python\n"
    "\n"
    "This module provides:\n"
    "- TivraEngine: Pure-logic image processing (no GUI required)\n"
    "- TivraPanel: Basic image display panel (requires wxPython)\n"
    "- TivraROIAdvPanel: Advanced ROI panel with editing (requires wxPython)\n"
    "\n"
    "Usage with wxPython:\n"
    "    import numpy as np\n"
    "    import wx\n"
    "    import TivraModule\n"
    "\n"
    "    app = wx.App()\n"
    "    frame = wx.Frame(None, title=\"Test\", size=(680, 520))\n"
    "    panel = wx.Panel(frame)\n"
    "    frame.Show()  # a window has a native handle once it is shown\n"
    "\n"
    "    # The native panel is created embedded in the wxPython panel\n"
    "    cv_panel = TivraModule.TivraROIAdvPanel(panel.GetHandle(), width=640, height=480)\n"
    "    image_array = np.zeros((480, 640, 3), np.uint8)  # B, G, R\n"
    "    cv_panel.SetMat(image_array)\n"
    "\n"
    "    app.MainLoop()\n";

PYBIND11_MODULE(TivraModule, m)
{
    using namespace tivra::bindings;
    TraceLinux("PYBIND11_MODULE initialization started");
    m.doc() = kModuleDoc;
    RouteLogToPython();

    BindEnums(m);

    TraceLinux("Binding TivraEngine...");
    BindEngine(m);
    TraceLinux("Binding TivraPanel...");
    BindPanelBase(m);
    BindPanel(m);
    TraceLinux("Binding TivraROIAdvPanel...");
    BindROIAdvPanel(m);
    BindViewControl(m);

    BindImageInfo(m);
    BindConstants(m);
    BindEA(m);
    TraceLinux("PYBIND11_MODULE initialization complete");
}
