// State, images set from code, the current ROI set from code, and the overlay,
// text and badge stores of the advanced panel.
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

#include <algorithm>
#include <utility>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "tivra/engine/FrameLayers.h"
#include "tivra/io/ImageReader.h"
#include "tivra/io/LargeImage.h"
#include "tivra/io/Log.h"
#include "tivra/roi/ROIEditRecord.h"

namespace {

constexpr const char* kComponent = "engine/TivraROIPanel/TivraROIAdvPanel";
// Scrolling by single pixels lets code place the view exactly.
constexpr int kScrollPixelsPerUnit = 1;
// The file's own depth and colours, turned upright by its EXIF orientation as
// the engine's default reading does (OpenCV ignores the orientation only for
// IMREAD_UNCHANGED).
constexpr int kReadFlags = cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR;

void LogPanelError(const char* function, const wxString& message)
{
    tivra::log::Write(tivra::log::Level::Error, kComponent, std::string(function) + ": " + message.utf8_str().data());
}

}  // namespace

TivraROIAdvPanel::TivraROIAdvPanel(wxWindow* parent, const wxSize& size)
    : TivraROIAdvPanel(parent, wxID_ANY, wxDefaultPosition, size, 0, wxPanelNameStr)
{
}

TivraROIAdvPanel::TivraROIAdvPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                                   const wxString& name)
    : TivraROIPanelBase(parent, id, pos, size, style, name)
{
    Bind(wxEVT_CHAR, &TivraROIAdvPanel::OnNavigationKey, this);
}

TivraROIAdvPanel::~TivraROIAdvPanel()
{
    DetachAsyncLoad();
    EndPanning();
    SetMouseEventConnect(false);
}

// ---------------------------------------------------------------- image

void TivraROIAdvPanel::ClearImg()
{
    SupersedeAsyncLoad();
    m_matBitmap.release();
    m_rawMat.release();
    m_reducedLevels.clear();
    m_viewport.SetOriginalSize(cv::Size(0, 0));
    SetVirtualSize(1, 1);
    Refresh(true);
}

bool TivraROIAdvPanel::SetCVmat(const cv::Mat& mat, bool internal, bool keepScale)
{
    if (internal)
        return ShowImage(true);
    if (!mat.empty() && !CanShow(mat)) {
        LogPanelError("SetCVmat", "cannot show an image of type " + cv::typeToString(mat.type()) +
                                      "; the previous image stays");
        return false;
    }
    return AdoptImage(LargeCopy(mat), keepScale);
}

bool TivraROIAdvPanel::ShareCVmat(const cv::Mat& mat)
{
    if (mat.depth() != CV_8U)
        return SetCVmat(mat, false, false);
    if (!mat.empty() && !CanShow(mat)) {
        LogPanelError("ShareCVmat", "cannot show an image of type " + cv::typeToString(mat.type()));
        return false;
    }
    return AdoptImage(mat, false);
}

void TivraROIAdvPanel::RefreshImage()
{
    m_reducedLevels.clear();
    Refresh(true);
}

bool TivraROIAdvPanel::AdoptImage(const cv::Mat& pixels, bool keepScale)
{
    // The raw image and the displayed one are the same pixels until a display
    // mapping makes them differ: one buffer serves both.
    SupersedeAsyncLoad();
    cv::Mat previousRaw = std::exchange(m_rawMat, pixels);
    cv::Mat previousShown = std::exchange(m_matBitmap, pixels);
    m_reducedLevels.clear();
    // Unmapping a large old image costs about as much as copying the new one.
    ReleaseImage(std::move(previousRaw));
    ReleaseImage(std::move(previousShown));
    m_loadedImageInfo = ImageFileInfo();
    m_loadedImageInfo.width = pixels.cols;
    m_loadedImageInfo.height = pixels.rows;
    m_loadedImageInfo.channels = pixels.channels();
    return ShowImage(keepScale);
}

bool TivraROIAdvPanel::ShowImage(bool keepScale)
{
    if (m_matBitmap.rows == 0 || m_matBitmap.cols == 0) {
        ClearImg();
        return false;
    }
    m_viewport.SetOriginalSize(m_matBitmap.size());
    m_viewport.SetScale(m_scale);
    if (!keepScale)
        UpdateScale();
    const cv::Size virtualSize = m_viewport.GetVirtualSize();
    SetVirtualSize(virtualSize.width, virtualSize.height);
    SetScrollRate(kScrollPixelsPerUnit, kScrollPixelsPerUnit);
    SetMouseEventConnect(true);
    Refresh(true);
    return true;
}

bool TivraROIAdvPanel::SetCVmatDisplay(cv::Mat& mat)
{
    if (mat.empty()) {
        ClearImg();
        return false;
    }
    const wxSize client = GetClientSize();
    if (m_displayMode != 1) {
        m_scale = 1.0;
    } else {
        if (client.x < 1 || client.y < 1)
            return false;
        m_scale = std::min(static_cast<double>(client.x) / mat.cols, static_cast<double>(client.y) / mat.rows);
        if (m_scale <= 0)
            m_scale = 1.0;
    }
    m_viewport.SetOriginalSize(mat.size());
    m_viewport.SetScale(m_scale);
    m_viewport.SetWindowSize(cv::Size(client.x, client.y));
    const cv::Size virtualSize = m_viewport.GetVirtualSize();
    SetVirtualSize(virtualSize.width, virtualSize.height);
    SetScrollRate(kScrollPixelsPerUnit, kScrollPixelsPerUnit);
    wxClientDC dc(this);
    RenderFrameFast(dc, mat);
    return true;
}

bool TivraROIAdvPanel::SetCVmatDisplay(const wxString& path)
{
    try {
        cv::Mat image = tivra::io::ReadImageFile(std::string(path.utf8_str()), kReadFlags).image;
        if (image.empty())
            return false;
        Convert16bitTo8bit(image);
        if (image.channels() == 4)
            cv::cvtColor(image, image, cv::COLOR_BGRA2BGR);
        return SetCVmatDisplay(image);
    } catch (const cv::Exception& e) {
        LogPanelError("SetCVmatDisplay", wxString::Format("OpenCV error: %s", e.what()));
    }
    return false;
}

// ---------------------------------------------------------------- current ROI

void TivraROIAdvPanel::RedrawLayers()
{
    Refresh(true);
}

void TivraROIAdvPanel::SetFuncEnable(bool menu_enable, bool crop_enable, bool move_enable)
{
    // Without editing the current ROI goes.
    if (!crop_enable) {
        ROIEditRecord::Reset(m_edit);
        RecordCodeEdit();
    }
    TivraROIPanelBase::SetFuncEnable(menu_enable, crop_enable, move_enable);
}

// ---------------------------------------------------------------- overlays

int TivraROIAdvPanel::AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha)
{
    if (mask.empty())
        return -1;
    cvROI roi;
    roi.visible = true;
    roi.thickness = 1;
    roi.roiIndex = -1;
    roi.mode = CvROIMode::Mask;
    roi.color = cv::Scalar(color[0], color[1], color[2], alpha * 255.0);
    roi.mask = mask.clone();
    return AppendOverlay(roi);
}

std::vector<cv::Point2f> TivraROIAdvPanel::ConvertMaskToPolygon(const cv::Mat& mask)
{
    if (mask.empty())
        return {};
    // Contours are traced on a one-channel 8-bit mask of the set pixels: a pixel
    // of a multi-channel mask is set when any of its channels is.
    std::vector<cv::Mat> channels;
    cv::split(mask, channels);
    cv::Mat binary = channels[0] != 0;
    for (size_t i = 1; i < channels.size(); ++i)
        binary |= channels[i] != 0;
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(binary, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    const std::vector<cv::Point>* largest = nullptr;
    double largestArea = -1.0;
    for (const auto& contour : contours) {
        const double area = cv::contourArea(contour);
        if (area > largestArea) {
            largest = &contour;
            largestArea = area;
        }
    }
    if (!largest)
        return {};
    return std::vector<cv::Point2f>(largest->begin(), largest->end());
}

void TivraROIAdvPanel::SetDisplayOverlay(bool on)
{
    m_displayOverlay = on;
    SetCVmat(m_matBitmap, true, false);
}
