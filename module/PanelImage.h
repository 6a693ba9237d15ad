#pragma once
// SetMat and Refresh of both panels for images that come from Python: copied
// into the panel, or shared with the caller's array without a copy.
#include <pybind11/pybind11.h>

#include "Conversion.h"

class TivraPanel;

namespace tivra::panel_image {

/// Shows `image` on `panel`. With `copy` the panel keeps pixels of its own.
/// Without, the panel keeps the caller's C-contiguous uint8 array itself
/// (anything else raises ValueError), and `kept` holds that array alive while
/// it is shown; changes to it show at the next Refresh.
void Show(TivraPanel& panel, const conversion::ImageArray& image, bool copy, pybind11::object& kept);

/// Repaints; when the panel shows a kept array, what it derived from the
/// array's pixels (a scaled or reduced copy) is made again first.
void Refresh(TivraPanel& panel, const pybind11::object& kept);

}  // namespace tivra::panel_image
