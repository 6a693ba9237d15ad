#include "PanelDisplay.h"

#include "tivra/engine/DisplayMapping.h"
#include "tivra/engine/TivraROIPanel/TivraPanel.h"

#include <cmath>

namespace py = pybind11;
using tivra::display::DisplayMapping;

namespace tivra::panel_display {
namespace {

std::string PairText(double a, double b)
{
    return "(" + std::string(py::repr(py::float_(a))) + ", " + std::string(py::repr(py::float_(b))) + ")";
}

void SetMapping(TivraPanel* panel, const DisplayMapping& mapping)
{
    panel->SetDisplayMapping(mapping);
    panel->Refresh(true);
    panel->Update();
}

}  // namespace

void SetDisplayLevels(TivraPanel* panel, double low, double high)
{
    if (!std::isfinite(low) || !std::isfinite(high) || !(low < high))
        throw py::value_error("SetDisplayLevels needs finite levels with low < high, got " + PairText(low, high));
    if (!panel)
        return;
    DisplayMapping mapping = panel->GetDisplayMapping();
    mapping.hasLevels = true;
    mapping.low = low;
    mapping.high = high;
    SetMapping(panel, mapping);
}

py::object SetAutoLevels(TivraPanel* panel, double lowPercent, double highPercent)
{
    if (!(0.0 <= lowPercent && lowPercent < highPercent && highPercent <= 100.0))
        throw py::value_error("SetAutoLevels needs percentages with 0 <= lowPercent < highPercent <= 100, got " +
                              PairText(lowPercent, highPercent));
    if (!panel || panel->GetRawMat().empty())
        return py::none();
    const auto [low, high] = tivra::display::AutoLevels(panel->GetRawMat(), lowPercent, highPercent);
    DisplayMapping mapping = panel->GetDisplayMapping();
    mapping.hasLevels = true;
    mapping.low = low;
    mapping.high = high;
    SetMapping(panel, mapping);
    return py::make_tuple(low, high);
}

py::object GetDisplayLevels(const TivraPanel* panel)
{
    if (!panel || !panel->GetDisplayMapping().hasLevels)
        return py::none();
    return py::make_tuple(panel->GetDisplayMapping().low, panel->GetDisplayMapping().high);
}

void ResetDisplayLevels(TivraPanel* panel)
{
    if (!panel)
        return;
    DisplayMapping mapping = panel->GetDisplayMapping();
    mapping.hasLevels = false;
    SetMapping(panel, mapping);
}

void SetColorMap(TivraPanel* panel, const std::optional<std::string>& name)
{
    const int colorMap = name ? tivra::display::ColorMapByName(*name) : tivra::display::kNoColorMap;
    if (!panel)
        return;
    DisplayMapping mapping = panel->GetDisplayMapping();
    mapping.colorMap = colorMap;
    SetMapping(panel, mapping);
}

std::string GetColorMap(const TivraPanel* panel)
{
    return tivra::display::ColorMapName(panel ? panel->GetDisplayMapping().colorMap : tivra::display::kNoColorMap);
}

}  // namespace tivra::panel_display
