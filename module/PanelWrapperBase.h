#pragma once
// What the objects behind the two Python panel classes share: the panel they
// embed in a wxPython window, the checks made before touching it, and the
// forwards of every method both classes have. Without a panel (never made, or
// destroyed by wx with its parent window) every method does nothing or
// returns a neutral value. Methods called from a thread other than wxPython's
// GUI thread raise instead of touching the window.

#include "Conversion.h"
#include "PanelEmbedding.h"
#include "tivra/engine/GuideLines.h"

#include <opencv2/core.hpp>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <functional>

class TivraPanel;

class PanelWrapperBase {
public:
    virtual ~PanelWrapperBase();
    PanelWrapperBase(const PanelWrapperBase&) = delete;
    PanelWrapperBase& operator=(const PanelWrapperBase&) = delete;

    /// Copies the image, or without `copy` keeps the caller's array (see PanelImage.h).
    void SetMat(const tivra::conversion::ImageArray& image, bool copy);
    cv::Mat GetMat() const;
    /// The caller's array the panel shows without a copy, or None.
    const pybind11::object& KeptArray() const { return m_keptArray; }
    void SetMode(int mode);
    void SetOriginal(bool isScrollbarVisible);
    void SetZoomIn();
    void SetZoomOut();
    void SetSize(int w, int h);
    void SetCanvasBgColor(int r, int g, int b);
    void SetCenterImageEnable(bool enable);
    void Refresh();
    std::uintptr_t GetHandle() const;
    bool IsOk() const { return m_panel != nullptr; }
    std::uint64_t GetPaintCount() const;
    /// The panel as wxPython's wx.Window object; None once the panel is gone.
    pybind11::object GetWindow();
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

protected:
    using PanelFactory = std::function<TivraPanel*(const tivra::embedding::PanelRequest&, std::function<void()>)>;

    /// Embeds the panel that create makes; create gets the function that
    /// tells this wrapper its panel is gone.
    PanelWrapperBase(const tivra::embedding::PanelRequest& request, const PanelFactory& create);

    template <typename Panel>
    static PanelFactory FactoryOf()
    {
        return [](const tivra::embedding::PanelRequest& request, std::function<void()> onGone) -> TivraPanel* {
            return tivra::embedding::CreateEmbeddedPanel<Panel>(request, std::move(onGone));
        };
    }

    /// The panel, or nullptr; throws when called off the GUI thread.
    TivraPanel* Panel() const;
    /// The panel without the thread check, for hooks installed on it.
    TivraPanel* PanelUnchecked() const { return m_panel; }
    /// Refreshes and repaints at once, so that a new image shows before the call returns.
    void Repaint();
    /// Destroys the panel now (or hands that to the GUI thread); afterwards
    /// the wrapper has none. Safe to call twice.
    void ReleasePanel();
    /// Lets go of the caller's array once the panel shows an image of its own.
    void DropKeptArray() { m_keptArray = pybind11::object(); }

private:
    /// Marks the wx.Window handed out as deleted, so that using it raises instead of crashing.
    void ForgetWindowObject();

    TivraPanel* m_panel = nullptr;
    pybind11::object m_windowObject;
    // The caller's array the panel shows without a copy, or None.
    pybind11::object m_keptArray;
};
