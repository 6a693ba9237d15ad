#pragma once

#include <opencv2/core.hpp>
#include <wx/gdicmn.h>

class wxDC;

// Puts an 8-bit image on a wx DC. On GTK the pixels go in one channel reorder
// into a cairo RGB24 surface that the window's cairo context composes as it
// is: a wxBitmap would carry alpha and cost a per-pixel premultiply in GDK on
// every paint.
namespace FramePainter {

// Draws `image` (gray, BGR or BGRA of 8 bits, or of 16 bits saturated to 8;
// alpha is ignored) with its top-left corner at `at` in the DC's logical
// coordinates. False, drawing nothing, for an empty image or another type.
bool Draw(wxDC& dc, const cv::Mat& image, const wxPoint& at);

}  // namespace FramePainter
