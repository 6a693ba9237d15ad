#include "PanelWrapperBase.h"
#include "PanelImage.h"

#include "tivra/engine/DisplayMapping.h"
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

#include <opencv2/imgproc.hpp>

#include <pybind11/pybind11.h>

#include "WxPythonWindows.h"

#include <algorithm>

PanelWrapperBase::PanelWrapperBase(const tivra::embedding::PanelRequest& request, const PanelFactory& create)
{
    m_panel = create(request, [this] {
        m_panel = nullptr;
        ForgetWindowObject();
    });
}

void PanelWrapperBase::ForgetWindowObject()
{
    if (!m_windowObject)
        return;
    pybind11::gil_scoped_acquire gil;
    const pybind11::object window = std::move(m_windowObject);
    try {
        tivra::wxpython::MarkDeleted(window);
    } catch (pybind11::error_already_set& error) {
        error.discard_as_unraisable(window);
    }
}

pybind11::object PanelWrapperBase::GetWindow()
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return pybind11::none();
    if (!m_windowObject)
        m_windowObject = tivra::wxpython::WindowObject(panel);
    return m_windowObject;
}

PanelWrapperBase::~PanelWrapperBase()
{
    // Destroying the panel may run Python code (destroy handlers of the
    // parents); an exception pending in the caller must survive it.
    pybind11::error_scope keepPendingError;
    ReleasePanel();
}

void PanelWrapperBase::ReleasePanel()
{
    TivraPanel* const panel = m_panel;
    // Off the GUI thread the panel's gone-notice is dropped, not run.
    m_panel = nullptr;
    tivra::embedding::ReleasePanel(panel);
}

TivraPanel* PanelWrapperBase::Panel() const
{
    tivra::embedding::RequireGuiThread();
    return m_panel;
}

void PanelWrapperBase::Repaint()
{
    m_panel->Refresh(true);
    m_panel->Update();
}

void PanelWrapperBase::SetMat(const tivra::conversion::ImageArray& image, bool copy)
{
    if (TivraPanel* const panel = Panel())
        tivra::panel_image::Show(*panel, image, copy, m_keptArray);
}

cv::Mat PanelWrapperBase::GetMat() const
{
    const TivraPanel* const panel = Panel();
    if (!panel)
        return cv::Mat();
    const cv::Mat& source = panel->GetSourceMat();
    if (source.depth() == CV_8U)
        return source;
    // Deeper images as they show without levels, laid out as the panel keeps
    // 8-bit images: the advanced panel keeps their channels, the basic one BGR.
    cv::Mat eightBit = tivra::display::MapToDisplay(source, {});
    if (eightBit.channels() != 3 && !dynamic_cast<const TivraROIAdvPanel*>(panel))
        cv::cvtColor(eightBit, eightBit, eightBit.channels() == 1 ? cv::COLOR_GRAY2BGR : cv::COLOR_BGRA2BGR);
    return eightBit;
}

void PanelWrapperBase::SetMode(int mode)
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    panel->SetDisplayMode(mode);
    panel->UpdateScale();
    panel->Refresh(true);
}

void PanelWrapperBase::SetOriginal(bool isScrollbarVisible)
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    panel->SetOriginal(isScrollbarVisible);
    panel->Refresh(true);
}

void PanelWrapperBase::SetZoomIn()
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    panel->SetZoomIn();
    panel->Refresh(true);
}

void PanelWrapperBase::SetZoomOut()
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    panel->SetZoomOut();
    panel->Refresh(true);
}

void PanelWrapperBase::SetSize(int w, int h)
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    // -1 keeps a dimension; other negative sizes, which GTK refuses, do too.
    panel->SetSize(-1, -1, std::max(w, -1), std::max(h, -1), 0);
    panel->Refresh(true);
}

void PanelWrapperBase::SetCanvasBgColor(int r, int g, int b)
{
    if (TivraPanel* const panel = Panel())
        panel->SetCanvasBgColor(r, g, b);
}

void PanelWrapperBase::SetCenterImageEnable(bool enable)
{
    if (TivraPanel* const panel = Panel())
        panel->SetCenterImageEnable(enable);
}

void PanelWrapperBase::Refresh()
{
    if (TivraPanel* const panel = Panel())
        tivra::panel_image::Refresh(*panel, m_keptArray);
}

std::uint64_t PanelWrapperBase::GetPaintCount() const
{
    const TivraPanel* const panel = Panel();
    return panel ? panel->GetPaintCount() : 0;
}

std::uintptr_t PanelWrapperBase::GetHandle() const
{
    return tivra::embedding::NativeHandleOf(Panel());
}

void PanelWrapperBase::SetGuideLineMode(GuideLineMode mode)
{
    if (TivraPanel* const panel = Panel())
        panel->SetGuideLineMode(mode);
}

GuideLineMode PanelWrapperBase::GetGuideLineMode() const
{
    const TivraPanel* const panel = Panel();
    return panel ? panel->GetGuideLineMode() : GuideLineMode::Off;
}

void PanelWrapperBase::SetGuideLineVisible(bool visible)
{
    if (TivraPanel* const panel = Panel())
        panel->SetGuideLineVisible(visible);
}

bool PanelWrapperBase::GetGuideLineVisible() const
{
    const TivraPanel* const panel = Panel();
    return panel ? panel->GetGuideLineVisible() : false;
}

void PanelWrapperBase::SetGuideLineColor(int b, int g, int r, int a)
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    GuideLineStyle style = panel->GetGuideLineStyle();
    style.color = cv::Scalar(b, g, r, a);
    panel->SetGuideLineStyle(style);
}

void PanelWrapperBase::SetGuideLineThickness(int thickness)
{
    TivraPanel* const panel = Panel();
    if (!panel)
        return;
    GuideLineStyle style = panel->GetGuideLineStyle();
    style.thickness = thickness;
    panel->SetGuideLineStyle(style);
}

void PanelWrapperBase::SetAspectRatio(AspectRatio ratio)
{
    if (TivraPanel* const panel = Panel())
        panel->SetAspectRatio(ratio);
}

AspectRatio PanelWrapperBase::GetAspectRatio() const
{
    const TivraPanel* const panel = Panel();
    return panel ? panel->GetAspectRatio() : AspectRatio::AR_16_9;
}
