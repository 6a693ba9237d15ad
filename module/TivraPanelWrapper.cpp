#include "TivraPanelWrapper.h"

#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "tivra/io/UnicodeImage.h"

#include <pybind11/pybind11.h>

TivraPanelWrapper::TivraPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width, int height,
                                     std::int64_t style, const std::string& name)
{
    tivra::embedding::PanelRequest request;
    request.parentHandle = parentHandle;
    request.id = id;
    request.x = x;
    request.y = y;
    request.width = width;
    request.height = height;
    request.style = static_cast<long>(style);
    request.name = name;
    m_panel = tivra::embedding::CreateEmbeddedPanel<TivraPanel>(request, [this] { m_panel = nullptr; });
}

TivraPanelWrapper::~TivraPanelWrapper()
{
    // Destroying the panel may run Python code (destroy handlers of the
    // parents); an exception pending in the caller must survive it.
    pybind11::error_scope keepPendingError;
    tivra::embedding::ReleasePanel(m_panel);
}

void TivraPanelWrapper::Repaint()
{
    m_panel->Refresh(true);
    m_panel->Update();
}

void TivraPanelWrapper::SetMat(const cv::Mat& image)
{
    if (!m_panel)
        return;
    m_panel->SetCVmat(image, false, false);
    Repaint();
}

bool TivraPanelWrapper::LoadImage(const std::string& path, int flags)
{
    if (!m_panel)
        return false;
    const cv::Mat image = LoadImageByExtension(path, flags);
    if (image.empty())
        return false;
    m_panel->SetCVmat(image, false, false);
    Repaint();
    return true;
}

cv::Mat TivraPanelWrapper::GetMat() const
{
    return m_panel ? m_panel->GetSourceMat() : cv::Mat();
}

void TivraPanelWrapper::SetMode(int mode)
{
    if (!m_panel)
        return;
    m_panel->SetDisplayMode(mode);
    m_panel->UpdateScale();
    m_panel->Refresh(true);
}

void TivraPanelWrapper::SetZoomToFit()
{
    SetMode(1);
}

void TivraPanelWrapper::SetOriginal(bool isScrollbarVisible)
{
    if (!m_panel)
        return;
    m_panel->SetOriginal(isScrollbarVisible);
    m_panel->Refresh(true);
}

void TivraPanelWrapper::SetZoomIn()
{
    if (!m_panel)
        return;
    m_panel->SetZoomIn();
    m_panel->Refresh(true);
}

void TivraPanelWrapper::SetZoomOut()
{
    if (!m_panel)
        return;
    m_panel->SetZoomOut();
    m_panel->Refresh(true);
}

void TivraPanelWrapper::SetSize(int w, int h)
{
    if (!m_panel)
        return;
    m_panel->SetSize(-1, -1, w, h, 0);
    m_panel->Refresh(true);
}

void TivraPanelWrapper::SetCanvasBgColor(int r, int g, int b)
{
    if (m_panel)
        m_panel->SetCanvasBgColor(r, g, b);
}

void TivraPanelWrapper::SetCenterImageEnable(bool enable)
{
    if (m_panel)
        m_panel->SetCenterImageEnable(enable);
}

void TivraPanelWrapper::Refresh()
{
    if (m_panel)
        m_panel->Refresh(true);
}

std::uintptr_t TivraPanelWrapper::GetHandle() const
{
    return tivra::embedding::NativeHandleOf(m_panel);
}

void TivraPanelWrapper::SetGuideLineMode(GuideLineMode mode)
{
    if (m_panel)
        m_panel->SetGuideLineMode(mode);
}

GuideLineMode TivraPanelWrapper::GetGuideLineMode() const
{
    return m_panel ? m_panel->GetGuideLineMode() : GuideLineMode::Off;
}

void TivraPanelWrapper::SetGuideLineVisible(bool visible)
{
    if (m_panel)
        m_panel->SetGuideLineVisible(visible);
}

bool TivraPanelWrapper::GetGuideLineVisible() const
{
    return m_panel ? m_panel->GetGuideLineVisible() : false;
}

void TivraPanelWrapper::SetGuideLineColor(int b, int g, int r, int a)
{
    if (!m_panel)
        return;
    GuideLineStyle style = m_panel->GetGuideLineStyle();
    style.color = cv::Scalar(b, g, r, a);
    m_panel->SetGuideLineStyle(style);
}

void TivraPanelWrapper::SetGuideLineThickness(int thickness)
{
    if (!m_panel)
        return;
    GuideLineStyle style = m_panel->GetGuideLineStyle();
    style.thickness = thickness;
    m_panel->SetGuideLineStyle(style);
}

void TivraPanelWrapper::SetAspectRatio(AspectRatio ratio)
{
    if (m_panel)
        m_panel->SetAspectRatio(ratio);
}

AspectRatio TivraPanelWrapper::GetAspectRatio() const
{
    return m_panel ? m_panel->GetAspectRatio() : AspectRatio::AR_16_9;
}
