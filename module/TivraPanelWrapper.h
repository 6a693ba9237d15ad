#pragma once
// The object behind the Python class TivraPanel: a basic image panel inside a
// wxPython window. It adds to what both panel classes share the loading with
// OpenCV's read flags and fitting through the display mode.

#include "PanelWrapperBase.h"

#include <string>

class TivraPanelWrapper : public PanelWrapperBase {
public:
    explicit TivraPanelWrapper(const tivra::embedding::PanelRequest& request);
    TivraPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width, int height, std::int64_t style,
                      const std::string& name);

    bool LoadImage(const std::string& path, int flags);
    void SetZoomToFit() { SetMode(1); }
};
