#pragma once
// The current ROI as both ROI panels draw it while it is edited: its outline in
// lime, the move cross and the grab handles. Like the other frame layers it
// knows the viewport and the editing state, not the window, so the classic
// panel (a viewport over its whole scaled image) and the advanced panel (a
// viewport over the visible part) draw it through the same code.
#include <opencv2/core.hpp>

#include "tivra/engine/Viewport.h"
#include "tivra/roi/ROIEditor.h"

namespace FrameLayers {

/// Draws the ROI of kind `edit.mode` into `buffer`, whose pixels `viewport`
/// maps source pixels to; lengths are multiplied by the zoom `scale`. Shapes
/// without a positive size draw nothing.
void DrawEditingROI(cv::Mat& buffer, const ROIEditState& edit, const Viewport& viewport, double scale);

}  // namespace FrameLayers
