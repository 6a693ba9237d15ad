#pragma once
// Binds the raw-image, display-level and colour-map methods that both Python
// panels share.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "Conversion.h"
#include "PanelDisplay.h"
#include "tivra/engine/TivraROIPanel/TivraPanel.h"

namespace tivra::bindings {

inline constexpr const char* kGetRawMatDoc =
    "Return the image as given or loaded, at its own dtype (uint8, uint16, int16, float32 or float64) and "
    "channel count: Grayscale \u2192 1-ch, colour \u2192 3-ch BGR, HEIF/JXL \u2192 codec native. Returns "
    "empty array if no image is loaded.";

/// `panelOf(wrapper)` gives the wrapper's panel (TivraPanel*, null without one).
template <class Class, class PanelOf>
void BindDisplayMethods(Class& c, PanelOf panelOf)
{
    namespace display = tivra::panel_display;
    using Wrapper = typename Class::type;
    using namespace pybind11::literals;
    c.def("GetRawMat", [panelOf](const Wrapper& w) {
        const TivraPanel* panel = panelOf(w);
        return conversion::RawMatToArray(panel ? panel->GetRawMat() : cv::Mat());
    }, kGetRawMatDoc);
    c.def("SetDisplayLevels",
          [panelOf](Wrapper& w, double low, double high) { display::SetDisplayLevels(panelOf(w), low, high); },
          "low"_a, "high"_a,
          "Show raw values from low (black) to high (white), linearly, clipped outside; low < high, both finite");
    c.def("SetAutoLevels",
          [panelOf](Wrapper& w, double low, double high) { return display::SetAutoLevels(panelOf(w), low, high); },
          "lowPercent"_a = 0.5, "highPercent"_a = 99.5,
          "Set the display levels at the lowPercent and highPercent points of the image's histogram (NaN and inf "
          "left out); return them as (low, high), or None without an image");
    c.def("GetDisplayLevels", [panelOf](const Wrapper& w) { return display::GetDisplayLevels(panelOf(w)); },
          "Return the display levels (low, high), or None while raw values show clipped to 0..255");
    c.def("ResetDisplayLevels", [panelOf](Wrapper& w) { display::ResetDisplayLevels(panelOf(w)); },
          "Show raw values clipped to 0..255 again, as 8-bit images are shown");
    c.def("SetColorMap",
          [panelOf](Wrapper& w, const std::optional<std::string>& name) { display::SetColorMap(panelOf(w), name); },
          "name"_a,
          "False colour for one-channel images, after the levels, by OpenCV colour-map name (\"jet\", \"turbo\", "
          "\"viridis\", \"inferno\", \"hot\", ...); \"gray\" or None switches it off. An unknown name raises "
          "ValueError listing the valid ones");
    c.def("GetColorMap", [panelOf](const Wrapper& w) { return display::GetColorMap(panelOf(w)); },
          "Return the colour map's name, \"gray\" when it is off");
}

}  // namespace tivra::bindings
