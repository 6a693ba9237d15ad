#pragma once
// Keyboard edits of the current ROI, free of any window: the panels map keys to
// these steps (arrows move, Ctrl+arrows resize, Delete removes) and report each
// change as they report a mouse edit.

#include "tivra/roi/ROIEditor.h"

#include <opencv2/core.hpp>

namespace ROIKeyboard {

/// Source pixels one arrow key press moves or resizes by; with Shift.
constexpr float kStep = 1.0f;
constexpr float kShiftStep = 10.0f;

/// Whether the keys edit the ROI: there is a shape and no mouse gesture is
/// changing it.
bool Editable(const ROIEditState& s);

/// Moves the ROI by d. On an image of size `image` (an empty size sets no
/// bounds) the move stops at the border, as a mouse move does, and an ROI that
/// already reaches past a border is never moved further out. Returns true when
/// the ROI moved.
bool Move(ROIEditState& s, cv::Point2f d, const cv::Size& image);

/// Changes the ROI's main size: d.x the width and d.y the height of a rectangle
/// (the top-left corner stays) or of a rotated rectangle or polygon (the centre
/// stays); d.x + d.y the radius of a circle and the length of a line (its start
/// stays); an annulus's outer radius by d.x and inner radius by d.y. Sizes stay
/// at 1 source pixel or more, an inner radius within the outer one. A point has
/// no size. Returns true when the ROI changed.
bool Resize(ROIEditState& s, cv::Point2f d);

/// Removes the ROI, also one being drawn or dragged; the kind stays. Returns
/// true when there was something to remove.
bool Remove(ROIEditState& s);

} // namespace ROIKeyboard
