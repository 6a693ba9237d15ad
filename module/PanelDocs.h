#pragma once
// Docstrings of the methods both Python panel classes have.

namespace tivra::bindings::doc {
inline const char* const SetMat =
    "Show a copy of img (gray, BGR or BGRA array); uint16, int16, float32 and float64 arrays keep their values "
    "(see SetDisplayLevels), other dtypes are clipped to uint8";
inline const char* const GetMat = "Return a copy of the shown image (3-channel BGR); shape (0,) without one";
inline const char* const SetMode = "Set the display mode: CvDisplayMode Original (1:1) or ZoomToFit";
inline const char* const SetZoomToFit = "Fit the whole image into the window";
inline const char* const SetZoomIn = "Zoom in one step";
inline const char* const SetZoomOut = "Zoom out one step";
inline const char* const SetSize = "Resize the panel to w x h pixels, keeping its position (-1 keeps that size)";
inline const char* const SetCanvasBgColor = "Set the colour around the image (red, green, blue, 0-255)";
inline const char* const SetCenterImageEnable =
    "Centre an image smaller than the window (True) or keep it at the top left";
inline const char* const Refresh = "Repaint the panel";
inline const char* const GetHandle =
    "Return the panel's native window handle, as wxPython's GetHandle() gives it; 0 once the panel is gone";
inline const char* const IsOk =
    "Return True while the native panel exists (False once wx destroyed it with its parent)";
inline const char* const GetGuideLineMode = "Return the guide line mode (GuideLineMode enum)";
inline const char* const GetGuideLineVisible = "Return whether the guide lines are shown";
inline const char* const GetAspectRatio = "Return the crop aspect ratio of the AspectRatioMask mode (AspectRatio enum)";
}  // namespace tivra::bindings::doc
