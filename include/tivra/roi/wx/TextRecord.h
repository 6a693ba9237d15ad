#pragma once
// The text overlay record of the wx panels; its lines and font path are wx
// strings, so it lives in the thin wx layer (library tivra_roi_wx).
#include <opencv2/core.hpp>
#include <wx/arrstr.h>
#include <wx/string.h>

// One text overlay, anchored in source-image pixels.
struct cvText {
    bool visible = false;
    cv::Point2f position{0.0f, 0.0f};
    wxArrayString lines;
    cv::Scalar color = cv::Scalar(0, 0, 0, 0);
    cv::Scalar bgColor = cv::Scalar(0, 0, 0, 0);
    int fontHeight = 20;  // source pixels at 100 % zoom
    bool drawBackground = false;
    wxString fontPath;
    wxString reservedText;
};
