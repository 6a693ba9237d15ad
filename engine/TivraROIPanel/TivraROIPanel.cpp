// State, image pipeline, the current ROI set from code, and the overlay, text
// and badge stores of the classic ROI panel.
#include "tivra/engine/TivraROIPanel/TivraROIPanel.h"

#include <opencv2/imgproc.hpp>
#include <wx/log.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/io/LargeImage.h"
#include "tivra/io/Log.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIEditRecord.h"

std::int64_t TivraROIPanel::s_lastGoodBitmapSize = std::int64_t(1) << 30;
std::int64_t TivraROIPanel::s_lastBadBitmapSize = std::int64_t(1) << 33;

TivraROIPanel::TivraROIPanel(wxWindow* parent, const wxSize& size)
    : TivraROIPanelBase(parent, wxID_ANY, wxDefaultPosition, size, 0, wxPanelNameStr)
{
    m_roiMode = CvROIMode::Rectangle;
    m_edit.mode = m_roiMode;
    m_edit.polygonDrawing = false;
}

TivraROIPanel::~TivraROIPanel()
{
    SetMouseEventConnect(false);
}

void TivraROIPanel::LogRecord(wxLogLevel level, const char* function, const wxString& message)
{
    using tivra::log::Level;
    const Level ours = level <= wxLOG_Error ? Level::Error : level == wxLOG_Warning ? Level::Warning : Level::Info;
    tivra::log::Write(ours, "engine/TivraROIPanel/TivraROIPanel",
                      std::string(function) + ": " + message.utf8_str().data());
}

// ---------------------------------------------------------------- image

bool TivraROIPanel::SetBitmap(const wxBitmap& bmp)
{
    const bool shown = TivraPanel::SetBitmap(bmp);
    SetMouseEventConnect(true);
    return shown;
}

void TivraROIPanel::ClearImg()
{
    SetMouseEventConnect(false);
    m_menuEnable = false;
    m_cropMat.release();
    TivraPanel::ClearImg();
}

bool TivraROIPanel::SetCVmat(const cv::Mat& mat, bool internal, bool keepScale)
{
    // A new image that cannot be shown must not replace the one on screen: the
    // crop and the editing would otherwise work on an image nobody sees.
    cv::Mat previous = m_matBitmap;
    try {
        if (!internal)
            m_matBitmap = LargeCopy(mat);
        if (m_matBitmap.rows == 0 || m_matBitmap.cols == 0) {
            ClearImg();
            return false;
        }
        if (!internal && !keepScale)
            UpdateScale();
        if (m_scale == 1.0) {
            m_drawmatBitmap = LargeCopy(m_matBitmap);
        } else if (m_scale > 0) {
            cv::resize(m_matBitmap, m_drawmatBitmap, cv::Size(), m_scale, m_scale, cv::INTER_NEAREST);
        } else {
            LogRecord(wxLOG_Error, "SetCVmat", "TivraROIPanel m_scale<=0 ");
            m_matBitmap = previous;
            return false;
        }
        switch (m_drawmatBitmap.elemSize()) {
        case 3:
            break;
        case 1:
            cv::cvtColor(m_drawmatBitmap, m_drawmatBitmap, cv::COLOR_GRAY2BGR);
            break;
        default:
            cv::cvtColor(m_drawmatBitmap, m_drawmatBitmap, cv::COLOR_BGRA2BGR);
            break;
        }
        Update_showDisplayROIs();
        if (MakeBitmapFrom(m_drawmatBitmap))
            return SetBitmap(m_bitmap);
        LogRecord(wxLOG_Error, "SetCVmat", "Could not convert Mat to wxBitmap.");
    } catch (const cv::Exception& e) {
        LogRecord(wxLOG_Error, "SetCVmat",
                  wxString::Format("TivraROIPanel::SetCVmat(const cv::Mat& bitmap,bool internal) get cv error %s",
                                   e.what()));
    }
    m_matBitmap = previous;
    return false;
}

bool TivraROIPanel::SetCVmat(const wxString& imagePath, bool internal, bool keepScale)
{
    try {
        return TivraPanel::SetCVmat(imagePath, internal, keepScale);
    } catch (const cv::Exception& e) {
        LogRecord(wxLOG_Error, "SetCVmat",
                  wxString::Format("TivraROIPanel::SetCVmat(const wxString& imagePath) get cv error %s", e.what()));
    } catch (...) {
        LogRecord(wxLOG_Error, "SetCVmat", "Unknown exception caught.");
    }
    return false;
}

cv::Mat& TivraROIPanel::GetCVcropmat()
{
    // The area the ROI covers, whatever its kind, cut to the image.
    const cv::Rect2f box = ROIEditRecord::CoveredBox(Edit());
    const cv::Rect crop = cv::Rect(static_cast<int>(box.x), static_cast<int>(box.y), static_cast<int>(box.width),
                                   static_cast<int>(box.height)) &
                          cv::Rect(0, 0, m_matBitmap.cols, m_matBitmap.rows);
    if (box.width * m_scale > 0 && box.height * m_scale > 0 && !crop.empty())
        m_cropMat = m_matBitmap(crop);
    else
        m_cropMat = m_matBitmap;
    return m_cropMat;
}

// ---------------------------------------------------------------- current ROI

void TivraROIPanel::RedrawLayers()
{
    UpdateDrawImage(false);
}
