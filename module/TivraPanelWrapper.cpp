#include "TivraPanelWrapper.h"

#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "tivra/io/UnicodeImage.h"

#include <exception>

TivraPanelWrapper::TivraPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width, int height,
                                     std::int64_t style, const std::string& name)
    : PanelWrapperBase({parentHandle, id, x, y, width, height, static_cast<long>(style), name}, FactoryOf<TivraPanel>())
{
}

TivraPanelWrapper::TivraPanelWrapper(const tivra::embedding::PanelRequest& request)
    : PanelWrapperBase(request, FactoryOf<TivraPanel>())
{
}

bool TivraPanelWrapper::LoadImage(const std::string& path, int flags)
{
    TivraPanel* const panel = Panel();
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
    DropKeptArray();
    Repaint();
    return true;
}
