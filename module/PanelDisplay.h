#pragma once
// Display levels and colour maps, the methods both Python panels share: how
// the raw image (uint16, float, ...) becomes the picture on screen. Without a
// panel they do nothing and return neutral values; bad arguments raise
// ValueError whether or not there is a panel.
#include <pybind11/pybind11.h>

#include <optional>
#include <string>

class TivraPanel;

namespace tivra::panel_display {

void SetDisplayLevels(TivraPanel* panel, double low, double high);
/// The levels set, or None without a panel or an image.
pybind11::object SetAutoLevels(TivraPanel* panel, double lowPercent, double highPercent);
/// (low, high), or None while raw values are shown clipped to 0..255.
pybind11::object GetDisplayLevels(const TivraPanel* panel);
void ResetDisplayLevels(TivraPanel* panel);
void SetColorMap(TivraPanel* panel, const std::optional<std::string>& name);
std::string GetColorMap(const TivraPanel* panel);

}  // namespace tivra::panel_display
