#pragma once
// The ROI state between Python and the panels: a dict of the values JSON holds
// (bool, int, float, str, lists) to the panel's plain fields and back.
#include <pybind11/pybind11.h>

#include "tivra/roi/ROIState.h"

namespace tivra::conversion {

pybind11::dict ROIStateToDict(const ROIStateFields& fields);

/// Keys that are not strings are ignored; values of other types are kept as
/// such, for the panel to name the field.
ROIStateFields DictToROIState(const pybind11::dict& state);

} // namespace tivra::conversion
