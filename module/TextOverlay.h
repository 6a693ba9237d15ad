#pragma once
// Text overlays from Python: the arguments of TivraROIAdvPanel.AppendTextOverlay
// checked and turned into the panel's text record.
#include <string>

#include <pybind11/pybind11.h>

#include "tivra/roi/wx/TextRecord.h"

namespace tivra::text_overlay {

/// Largest glyph height accepted, in source pixels at 100 % zoom.
constexpr int kMaxSize = 1000;

/// A visible text record: `text` (UTF-8, one line per '\n') at `position` in
/// source pixels, glyphs `size` pixels high in `color` (B, G, R[, A]), on a
/// filled box in `background` unless that is None. Raises ValueError naming
/// the argument for a position that is not a finite (x, y), a colour that is
/// not 3 or 4 numbers in 0..255, or a size outside 1..kMaxSize.
cvText Make(const std::string& text, const pybind11::handle& position, const pybind11::handle& color, int size,
            const pybind11::handle& background);

}  // namespace tivra::text_overlay
