#include "TivraPanelWrapper.h"

#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "tivra/io/UnicodeImage.h"

#include <pybind11/pybind11.h>

#include <algorithm>
#include <exception>

TivraPanelWrapper::TivraPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width, int height,
                                     std::int64_t style, const std::string& name)
{
    tivra::embedding::PanelRequest request{parentHandle, id, x, y, width, height, static_cast<long>(style), name};
    m_panel = tivra::embedding::CreateEmbeddedPanel<TivraPanel>(request, [this] { m_panel = nullptr; });
}

TivraPanelWrapper::~TivraPanelWrapper()
{
    // Destroying the panel may run Python code (destroy handlers of the
    // parents); an exception pending in the caller must survive it.
    pybind11::error_scope keepPendingError;
    tivra::embedding::ReleasePanel(m_panel);
}

TivraPanel* TivraPanelWrapper::Panel() const
{
    tivra::embedding::RequireGuiThread();
    return m_panel;
}

void TivraPanelWrapper::Repaint()
{
    m_panel->Refresh(true);
    m_panel->Update();
}

void TivraPanelWrapper::SetMat(const cv::Mat& image)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    panel->SetCVmat(image, false, false);
    Repaint();
}

bool TivraPanelWrapper::LoadImage(const std::string& path, int flags)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return false;
    cv::Mat image;
    try {
        image = LoadImageByExtension(path, flags);
    } catch (const std::exception&) {
        return false;  // a file too large to decode
    }
    if (image.empty())
        return false;
    // An image the panel cannot show is refused like an unreadable file: the
    // previous one comes back (SetCVmat gives it a fresh buffer each time).
    const cv::Mat previous = panel->GetRawMat();
    if (!panel->SetCVmat(image, false, false)) {
        if (!previous.empty())
            panel->SetCVmat(previous, false, true);
        return false;
    }
    Repaint();
    return true;
}

cv::Mat TivraPanelWrapper::GetMat() const
{
    const TivraPanel* panel = Panel();
    return panel ? panel->GetSourceMat() : cv::Mat();
}

void TivraPanelWrapper::SetMode(int mode)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    panel->SetDisplayMode(mode);
    panel->UpdateScale();
    panel->Refresh(true);
}

void TivraPanelWrapper::SetZoomToFit()
{
    SetMode(1);
}

void TivraPanelWrapper::SetOriginal(bool isScrollbarVisible)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    panel->SetOriginal(isScrollbarVisible);
    panel->Refresh(true);
}

void TivraPanelWrapper::SetZoomIn()
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    panel->SetZoomIn();
    panel->Refresh(true);
}

void TivraPanelWrapper::SetZoomOut()
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    panel->SetZoomOut();
    panel->Refresh(true);
}

void TivraPanelWrapper::SetSize(int w, int h)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    // -1 keeps a dimension; other negative sizes, which GTK refuses, do too.
    panel->SetSize(-1, -1, std::max(w, -1), std::max(h, -1), 0);
    panel->Refresh(true);
}

void TivraPanelWrapper::SetCanvasBgColor(int r, int g, int b)
{
    if (TivraPanel* panel = Panel())
        panel->SetCanvasBgColor(r, g, b);
}

void TivraPanelWrapper::SetCenterImageEnable(bool enable)
{
    if (TivraPanel* panel = Panel())
        panel->SetCenterImageEnable(enable);
}

void TivraPanelWrapper::Refresh()
{
    if (TivraPanel* panel = Panel())
        panel->Refresh(true);
}

std::uintptr_t TivraPanelWrapper::GetHandle() const
{
    return tivra::embedding::NativeHandleOf(Panel());
}

void TivraPanelWrapper::SetGuideLineMode(GuideLineMode mode)
{
    if (TivraPanel* panel = Panel())
        panel->SetGuideLineMode(mode);
}

GuideLineMode TivraPanelWrapper::GetGuideLineMode() const
{
    const TivraPanel* panel = Panel();
    return panel ? panel->GetGuideLineMode() : GuideLineMode::Off;
}

void TivraPanelWrapper::SetGuideLineVisible(bool visible)
{
    if (TivraPanel* panel = Panel())
        panel->SetGuideLineVisible(visible);
}

bool TivraPanelWrapper::GetGuideLineVisible() const
{
    const TivraPanel* panel = Panel();
    return panel ? panel->GetGuideLineVisible() : false;
}

void TivraPanelWrapper::SetGuideLineColor(int b, int g, int r, int a)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    GuideLineStyle style = panel->GetGuideLineStyle();
    style.color = cv::Scalar(b, g, r, a);
    panel->SetGuideLineStyle(style);
}

void TivraPanelWrapper::SetGuideLineThickness(int thickness)
{
    TivraPanel* panel = Panel();
    if (!panel)
        return;
    GuideLineStyle style = panel->GetGuideLineStyle();
    style.thickness = thickness;
    panel->SetGuideLineStyle(style);
}

void TivraPanelWrapper::SetAspectRatio(AspectRatio ratio)
{
    if (TivraPanel* panel = Panel())
        panel->SetAspectRatio(ratio);
}

AspectRatio TivraPanelWrapper::GetAspectRatio() const
{
    const TivraPanel* panel = Panel();
    return panel ? panel->GetAspectRatio() : AspectRatio::AR_16_9;
}
