#pragma once
// The object behind the Python class TivraPanel: it creates a basic image panel
// inside a wxPython window and forwards the Python methods to it. Without a
// panel (never made, or destroyed by wx with its parent window) every method
// does nothing or returns a neutral value. Methods called from a thread other
// than wxPython's GUI thread raise instead of touching the window.

#include "PanelEmbedding.h"
#include "tivra/engine/GuideLines.h"

#include <opencv2/core.hpp>

#include <cstdint>
#include <string>

class TivraPanel;

class TivraPanelWrapper {
public:
    TivraPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width, int height, std::int64_t style,
                      const std::string& name);
    ~TivraPanelWrapper();
    TivraPanelWrapper(const TivraPanelWrapper&) = delete;
    TivraPanelWrapper& operator=(const TivraPanelWrapper&) = delete;

    void SetMat(const cv::Mat& image);
    bool LoadImage(const std::string& path, int flags);
    cv::Mat GetMat() const;
    void SetMode(int mode);
    void SetZoomToFit();
    void SetOriginal(bool isScrollbarVisible);
    void SetZoomIn();
    void SetZoomOut();
    void SetSize(int w, int h);
    void SetCanvasBgColor(int r, int g, int b);
    void SetCenterImageEnable(bool enable);
    void Refresh();
    std::uintptr_t GetHandle() const;
    bool IsOk() const { return m_panel != nullptr; }
    void SetGuideLineMode(GuideLineMode mode);
    GuideLineMode GetGuideLineMode() const;
    void SetGuideLineVisible(bool visible);
    bool GetGuideLineVisible() const;
    void SetGuideLineColor(int b, int g, int r, int a);
    void SetGuideLineThickness(int thickness);
    void SetAspectRatio(AspectRatio ratio);
    AspectRatio GetAspectRatio() const;
    /// The panel for the display-level methods, or nullptr; throws off the GUI thread.
    TivraPanel* DisplayPanel() const { return Panel(); }

private:
    // The panel, or nullptr; throws when called off the GUI thread.
    TivraPanel* Panel() const;
    void Repaint();

    TivraPanel* m_panel = nullptr;
};
