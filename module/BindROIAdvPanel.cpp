// Python class TivraROIAdvPanel.
#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include "Bindings.h"
#include "Conversion.h"
#include "TextOverlay.h"
#include "ROIStateConversion.h"
#include "TivraROIAdvPanelWrapper.h"
#include "WxPythonWindows.h"

namespace py = pybind11;
using namespace py::literals;
using tivra::conversion::ImageArray;
namespace conv = tivra::conversion;

namespace tivra::bindings {

namespace {

const char* const kClassDoc = "Advanced ROI panel with editing (requires wxPython parent)";

const char* const kLoadImageDoc =
    "Load image from file (supports Unicode paths). Uses IMREAD_UNCHANGED to preserve original channel count so "
    "that GetLoadedImageInfo() reports correct channels/bitDepth/EXIF/GPS.";

const char* const kLoadImageAsyncDoc =
    "\n"
    "Load an image file on a worker thread while the window keeps handling events.\n"
    "\n"
    "Returns at once; the panel shows a loading indicator until the load ends. Then\n"
    "callback(ok, info) runs on the GUI thread: ok tells whether the image is shown, info\n"
    "is the file's information dict as GetImageFileInfo returns it. A failed load keeps\n"
    "the previous image. A later LoadImageAsync, LoadImage or SetMat supersedes\n"
    "a pending load: its image is dropped and its callback never runs; so does the\n"
    "panel's destruction.\n"
    "\n"
    "Args:\n"
    "    path: the image file (any Unicode path)\n"
    "    callback: called as callback(ok, info)\n"
    "\n"
    "Raises TypeError when callback is not callable and RuntimeError when the panel\n"
    "has been destroyed.\n";

const char* const kLoadedInfoDoc =
    "Return dict with image file info (channels/bitDepth/EXIF/GPS). Reflects the original file before any display "
    "conversion.";

const char* const kAppendTextOverlayDoc =
    "\n"
    "Append a text overlay, drawn while the overlays are shown and removed by ClearOverlay().\n"
    "\n"
    "Args:\n"
    "    text: the text (any Unicode the font has); '\\n' starts a new line\n"
    "    position: (x, y) in image pixels of the first line's top-left corner\n"
    "    color: Tuple (B, G, R) or (B, G, R, A), values 0-255 (default: green)\n"
    "    size: glyph height in image pixels at 100% zoom, 1-1000 (default: 20)\n"
    "    background: colour of a filled box behind each line, or None for no box\n"
    "\n"
    "Returns:\n"
    "    Index of the text overlay (texts are counted apart from AppendOverlay's shapes)\n"
    "\n"
    "Raises ValueError naming the argument for a position that is not a finite (x, y),\n"
    "a colour that is not 3 or 4 values in 0-255, or a size outside 1-1000.\n";

const char* const kSetEditingROIDoc =
    "\n"
    "Sets the current editing ROI state.\n"
    "\n"
    "Args:\n"
    "    mode: ROI mode (1=Point, 2=Line, 3=Rect, 4=RotatedRect, 5=Circle, 6=Annulus, 7=Polygon)\n"
    "    points: List of (x, y) tuples.\n"
    "    angle: Rotation angle (for RotatedRectangle).\n";

const char* const kGetEditingROIDoc =
    "Return the current editing ROI as (mode, points, angle), the arguments SetEditingROI takes to set it "
    "again: panel.SetEditingROI(*panel.GetEditingROI()). Circles and annuli give their radii as (r, 0); an "
    "annulus gives (centre, (outer, 0), (inner, 0), (start angle, end angle)); angle is a rotated rectangle's "
    "rotation in degrees, else 0. Without an ROI: (0, [], 0.0).";

const char* const kUndoROIDoc =
    "Undo the last finished edit of the current ROI (a drag, a closed polygon, a burst of key presses, "
    "SetEditingROI, SetROIState); a drag or polygon in progress is cancelled first. Raises the crop callback as "
    "an edit does. Returns True when the ROI changed (100 steps are kept).";

const char* const kGetROIStateDoc =
    "Return the current ROI as a dict that round-trips exactly through json: {'version': 1, 'kind': name} and "
    "the geometry in image pixels as floats: x, y (Point); x1, y1, x2, y2 (Line); x, y, width, height "
    "(Rectangle; RotatedRectangle adds angle, in degrees, of the unrotated rectangle); cx, cy, radius (Circle; "
    "Annulus adds inner_radius, start_angle, end_angle); points [[x, y], ...] and closed (Polygon).";

const char* const kSetROIStateDoc =
    "Make the ROI that a GetROIState dict describes the current one (one undo step). Raises ValueError naming "
    "the field at fault (missing key, wrong type, NaN, infinite or absurd value, unknown kind or version); "
    "nothing changes then.";

const char* const kAppendOverlayDoc =
    "\n"
    "Append an overlay ROI.\n"
    "\n"
    "Args:\n"
    "    mode: ROI mode (0=None, 1=Point, 2=Line, 3=Rectangle, 4=RotatedRectangle,\n"
    "                    5=Circle, 6=Annulus, 7=Polygon)\n"
    "    points: List of (x, y) tuples. Format depends on mode:\n"
    "        - Point: [(x1,y1), (x2,y2), ...]\n"
    "        - Line: [(x1,y1), (x2,y2)]\n"
    "        - Rectangle: [(left_top_x, left_top_y), (width, height)]\n"
    "        - RotatedRectangle: [(left_top_x, left_top_y), (width, height)]\n"
    "        - Circle: [(center_x, center_y), (radius, 0)]\n"
    "        - Circle: [(center_x, center_y), (radius, 0)]\n"
    "        - Annulus: [(center_x, center_y), (outer_r, 0), (inner_r, 0), (start_angle, end_angle)]\n"
    "        - Polygon: [(x1,y1), (x2,y2), ...]\n"
    "    color: Tuple (B, G, R) or (B, G, R, A), values 0-255\n"
    "    size: Line/point thickness (default: 2)\n"
    "    angle: Rotation angle for RotatedRectangle (default: 0.0)\n"
    "\n"
    "Returns:\n"
    "    Index of the appended overlay\n";

using Wrapper = TivraROIAdvPanelWrapper;

void BindImageMethods(py::class_<Wrapper, PanelWrapperBase>& c)
{
    c.def("LoadImage", &Wrapper::LoadImage, "path"_a, kLoadImageDoc);
    c.def("LoadImageAsync", &Wrapper::LoadImageAsync, "path"_a, "callback"_a, kLoadImageAsyncDoc);
    c.def("IsLoading", &Wrapper::IsLoading,
          "True while a LoadImageAsync is decoding; the panel shows a loading indicator meanwhile.");
    c.def("GetDrawMat", [](const Wrapper& w) { return conv::MatToArray(w.GetDrawMat()); },
          "Return a copy of the panel's drawing buffer; shape (0,) when it is empty");
}

void BindZoomMethods(py::class_<Wrapper, PanelWrapperBase>& c)
{
    c.def("SetZoomToFit", &Wrapper::SetZoomToFit, "Fit the whole image into the window");
    c.def("ZoomToFit", &Wrapper::SetZoomToFit, "Same as SetZoomToFit()");
    c.def("SetOriginal", [](Wrapper& w) { w.SetOriginal(true); },
          "Show the image at zoom 1 (one image pixel per screen pixel)");
    c.def("ZoomIn", &Wrapper::SetZoomIn, "Same as SetZoomIn()");
    c.def("ZoomOut", &Wrapper::SetZoomOut, "Same as SetZoomOut()");
    c.def("GetZoomFactor", &Wrapper::GetZoomFactor, "Return current display zoom factor (1.0 = 100%)");
    c.def(
        "GetLoadedImageInfo",
        [](const Wrapper& w) {
            const ImageFileInfo* info = w.GetLoadedImageInfo();
            return info ? conv::InfoToDict(*info) : py::dict();
        },
        kLoadedInfoDoc);
}

void BindROIMethods(py::class_<Wrapper, PanelWrapperBase>& c)
{
    c.def("SetROIMode", &Wrapper::SetROIMode, "mode"_a, "Choose the kind of ROI the mouse draws (CvROIMode value)");
    c.def("GetROIMode", &Wrapper::GetROIMode, "Return the kind of the current ROI (CvROIMode value as an int)");
    c.def("SetFuncEnable", &Wrapper::SetFuncEnable, "menu_enable"_a, "crop_enable"_a = false,
          "move_enable"_a = true,
          "Switch the context menu, drawing and editing the ROI with the mouse, and moving it, on or off");
    c.def("SetLockROI", &Wrapper::SetLockROI, "lock"_a, "Lock the current ROI against mouse edits, or unlock it");
    c.def("GetRect", [](const Wrapper& w) { return conv::RectToTuple(w.GetRect()); },
          "Return the current ROI's rectangle (x, y, width, height) in image pixels, as crop events report it");
    c.def(
        "SetRect",
        [](Wrapper& w, const py::tuple& rect) {
            if (w.IsOk())
                w.SetRect(conv::TupleToRect(rect));
        },
        "rect"_a, "Set the current ROI's rectangle (x, y, width, height) in image pixels");
    c.def("GetLeftMouseDownPoint", [](const Wrapper& w) { return conv::PointToTuple(w.GetLeftMouseDownPoint()); },
          "Return the image point (x, y) of the last left-button press");
    c.def("GetLeftMouseUpPoint", [](const Wrapper& w) { return conv::PointToTuple(w.GetLeftMouseUpPoint()); },
          "Return the image point (x, y) of the last left-button release");
    c.def("GetStartAngle", &Wrapper::GetStartAngle, "Return the annulus's start angle in degrees");
    c.def("GetEndAngle", &Wrapper::GetEndAngle, "Return the annulus's end angle in degrees");
    c.def("GetRotateAngle", &Wrapper::GetRotateAngle, "Return the rotated rectangle's angle in degrees");
    c.def("GetInnerRadius", &Wrapper::GetInnerRadius, "Return the annulus's inner radius in image pixels");
    c.def("GetOuterRadius", &Wrapper::GetOuterRadius,
          "Return the radius of the current circle, or the annulus's outer radius, in image pixels");
    c.def("GetPolygonPoints", [](const Wrapper& w) { return conv::PointsToList(w.GetPolygonPoints()); },
          "Return the current ROI's points (a polygon's vertices, a rotated rectangle's corners) as (x, y) tuples");
    c.def(
        "SetEditingROI",
        [](Wrapper& w, int mode, const py::list& points, double angle) {
            if (w.IsOk())
                w.SetEditingROI(mode, conv::ListToPoints(points), angle);
        },
        "mode"_a, "points"_a, "angle"_a = 0.0, kSetEditingROIDoc);
    c.def("UndoROI", &Wrapper::UndoROI, kUndoROIDoc);
    c.def("RedoROI", &Wrapper::RedoROI,
          "Redo the ROI edit last undone; raises the crop callback. Returns True when the ROI changed.");
    c.def("CanUndoROI", &Wrapper::CanUndoROI, "Return True when UndoROI would change the ROI");
    c.def("CanRedoROI", &Wrapper::CanRedoROI, "Return True when there is an undone ROI edit to redo");
    c.def("GetROIState", [](const Wrapper& w) { return conv::ROIStateToDict(w.GetROIState()); }, kGetROIStateDoc);
    c.def(
        "SetROIState", [](Wrapper& w, const py::dict& state) { w.SetROIState(conv::DictToROIState(state)); },
        "state"_a, kSetROIStateDoc);
    c.def(
        "GetEditingROI",
        [](const Wrapper& w) {
            const cvROI roi = w.GetEditingROI();
            return py::make_tuple(roi.mode, conv::PointsToList(roi.points), roi.angle);
        },
        kGetEditingROIDoc);
    c.def("SetMenuROIEnable", &Wrapper::SetMenuROIEnable, "Point"_a = true, "Line"_a = true, "Rectangle"_a = true,
          "RotatedRectangle"_a = true, "Circle"_a = true, "Annulus"_a = true, "Polygon"_a = true,
          "Choose the ROI kinds the context menu offers");
    c.def("HideROI", &Wrapper::HideROI, "Remove the current ROI");
}

void BindOverlayMethods(py::class_<Wrapper, PanelWrapperBase>& c)
{
    c.def("ClearOverlay", &Wrapper::ClearOverlay, "Remove every overlay and text overlay appended so far");
    c.def("SetDisplayOverlay", &Wrapper::SetDisplayOverlay, "show"_a, "Show or hide the overlays");
    c.def("GetDisplayOverlay", &Wrapper::GetDisplayOverlay, "Return whether the overlays are shown");
    c.def(
        "AppendOverlay",
        [](Wrapper& w, int mode, const py::list& points, const py::tuple& color, int size, double angle) {
            if (!w.IsOk())
                return -1;
            const cv::Scalar colour = conv::TupleToColor(color);
            return w.AppendOverlay(mode, conv::ListToPoints(points), colour, size, angle);
        },
        "mode"_a, "points"_a, "color"_a, "size"_a = 2, "angle"_a = 0.0, kAppendOverlayDoc);
    c.def(
        "AppendTextOverlay",
        [](Wrapper& w, const std::string& text, const py::object& position, const py::object& color, int size,
           const py::object& background) {
            const cvText record = tivra::text_overlay::Make(text, position, color, size, background);
            return w.IsOk() ? w.AppendTextOverlay(record) : -1;
        },
        "text"_a, "position"_a, "color"_a = py::make_tuple(0, 255, 0), "size"_a = 20, "background"_a = py::none(),
        kAppendTextOverlayDoc);
    c.def("UpdateDrawImage", &Wrapper::UpdateDrawImage, "update"_a = false, "Update display after modifying overlays");
    c.def(
        "AppendMaskOverlay",
        [](Wrapper& w, const ImageArray& mask, const py::tuple& color, double alpha) {
            if (!w.IsOk())
                return -1;
            const cv::Mat image = conv::ArrayToMat(mask);
            return w.AppendMaskOverlay(image, conv::TupleToColor(color), alpha);
        },
        "mask"_a, "color"_a, "alpha"_a = 0.5, "Append a pixel-level mask overlay");
    c.def(
        "ConvertMaskToPolygon",
        [](Wrapper& w, const ImageArray& mask) {
            if (!w.IsOk())
                return py::list();
            return conv::PointsToList(w.ConvertMaskToPolygon(conv::ArrayToMat(mask)));
        },
        "mask"_a, "Convert a mask to a polygon (contour points)");
}

void BindWindowMethods(py::class_<Wrapper, PanelWrapperBase>& c)
{
    c.def("SetOnRightClickCallback", &Wrapper::SetOnRightClickCallback, "callback"_a,
          "Set a callback function for right-click events. Should return True to intercept.");
    c.def("SetOnCropCallback", &Wrapper::SetOnCropCallback, "callback"_a, "Set a callback function for crop events");
    c.def("SetOnLeftDClickCallback", &Wrapper::SetOnLeftDClickCallback, "callback"_a,
          "Set a callback function for left double-click");
    c.def("SetOnRightDClickCallback", &Wrapper::SetOnRightDClickCallback, "callback"_a,
          "Set a callback function for right double-click");
    c.def("SetOnMouseMoveCallback", &Wrapper::SetOnMouseMoveCallback, "callback"_a,
          "Set a callback function for mouse movement");
}

// The wrapper of a Python object, or nullptr while it is not yet (or no
// longer) constructed.
Wrapper* ConstructedWrapper(PyObject* self)
{
    auto* instance = reinterpret_cast<py::detail::instance*>(self);
    const auto holder = instance->get_value_and_holder(py::detail::get_type_info(typeid(Wrapper)), false);
    return holder && holder.holder_constructed() ? holder.value_ptr<Wrapper>() : nullptr;
}

// A callback that uses its own panel (`lambda rect: print(panel.GetRect())`)
// and the panel holding it form a cycle: the type takes part in garbage
// collection, so a dropped panel in such a cycle is freed with its window.
void TakePartInGarbageCollection(PyHeapTypeObject* heapType)
{
    PyTypeObject* type = &heapType->ht_type;
    type->tp_flags |= Py_TPFLAGS_HAVE_GC;
    type->tp_traverse = [](PyObject* self, visitproc visit, void* arg) {
        Py_VISIT(Py_TYPE(self));
        const Wrapper* wrapper = ConstructedWrapper(self);
        return wrapper ? wrapper->VisitCallbacks(visit, arg) : 0;
    };
    type->tp_clear = [](PyObject* self) {
        if (Wrapper* wrapper = ConstructedWrapper(self))
            wrapper->ClearCallbacks();
        return 0;
    };
}

}  // namespace

void BindROIAdvPanel(py::module_& m)
{
    py::class_<Wrapper, PanelWrapperBase> c(m, "TivraROIAdvPanel", kClassDoc, py::custom_type_setup(TakePartInGarbageCollection));
    c.def(py::init<std::uintptr_t, int, int, int, int, int, std::int64_t, const std::string&>(), "parent_handle"_a,
          "id"_a = -1, "x"_a = -1, "y"_a = -1, "width"_a = -1, "height"_a = -1, "style"_a = 0,
          "name"_a = "TivraROIAdvPanel");
    c.def(py::init([](const py::object& parent, int id, int x, int y, int width, int height, std::int64_t style,
                      const std::string& name) {
              return std::make_unique<Wrapper>(
                  tivra::wxpython::RequestInParent(parent, id, x, y, width, height, style, name));
          }),
          "parent"_a, "id"_a = -1, "x"_a = -1, "y"_a = -1, "width"_a = -1, "height"_a = -1, "style"_a = 0,
          "name"_a = "TivraROIAdvPanel");
    BindImageMethods(c);
    BindZoomMethods(c);
    BindROIMethods(c);
    BindOverlayMethods(c);
    BindWindowMethods(c);
}

}  // namespace tivra::bindings
