#pragma once
// The classic ROI panel for native wx applications. It scales the whole image
// once per change, draws the current ROI, the overlays, texts and the
// pass/fail/recycle badge into that scaled copy and lets the basic panel blit it.
// Zoom steps along a fixed ladder from 0.1 to 8.0; a process-wide memory guard
// refuses zoom levels whose bitmap could not be created. ROI editing with the
// mouse works in display pixels, converted to source pixels by dividing by the
// zoom with truncation, and reports each finished edit as a CropEvent.
#include <array>
#include <cstdint>

#include <opencv2/core.hpp>
#include <wx/wx.h>

#include "tivra/engine/TivraROIPanel/TivraROIPanelBase.h"

class TivraROIPanel : public TivraROIPanelBase {
public:
    TivraROIPanel(wxWindow* parent, const wxSize& size);
    ~TivraROIPanel() override;

    /// The zoom factors the panel steps through, smallest first.
    static const std::array<double, 16> kZoomLadder;

    // Image
    bool SetBitmap(const wxBitmap& bmp) override;
    void ClearImg() override;
    bool SetCVmat(const cv::Mat& mat, bool internal, bool keepScale) override;
    bool SetCVmat(const wxString& imagePath, bool internal, bool keepScale) override;
    /// The source image under the area the current ROI covers (sharing its memory),
    /// cut to the image; the whole source image when no ROI area lies on it.
    cv::Mat& GetCVcropmat() override;

    // Zoom
    void SetZoomToFit() override;
    void SetOriginal(bool showScrollbars) override;
    void SetZoomIn() override;
    void SetZoomOut() override;
    void UpdateScale() override;
    /// One ladder step up (down) of m_scale; true when the factor changed. A step
    /// up is refused when the memory guard knows or finds its bitmap too large.
    bool CalcZoomIn();
    bool CalcZoomOut();

    void ShowContextMenu(const wxPoint& pos);

protected:
    // Largest bitmap byte count known to be creatable and smallest known to fail,
    // shared by every classic panel of the process.
    static std::int64_t s_lastGoodBitmapSize;
    static std::int64_t s_lastBadBitmapSize;

    cv::Mat m_cropMat;

    /// A message in the library's log at `level`, with this panel's component and `function`.
    static void LogRecord(wxLogLevel level, const char* function, const wxString& message);
    /// Re-renders the scaled image with the layers.
    void RedrawLayers() override;
    /// The menu's zoom steps keep the pixel under the mouse in view.
    void MenuZoomStep(bool zoomIn) override;
    /// Whether the next step up may be made: the memory guard for a bitmap of
    /// `scale` times the image.
    bool BitmapFitsInMemory(double scale);
    /// One zoom step keeping the pixel last under the mouse near the centre of the view.
    void ZoomAroundCursor(bool zoomIn);
    /// One zoom step keeping the relative view centre in place.
    void ZoomAroundViewCentre(bool zoomIn);
    void ScrollToRelativeCentre(double fx, double fy);

    // Rendering into the scaled image
    void Update_showDisplayROIs();
    void RenderTextsAndLogos(double scale);

    // Mouse editing
    /// The source pixel under a window position, or false when it is not on the image.
    bool SourcePointAt(const wxPoint& windowPos, cv::Point2f& source) const;
    bool EditingAllowed() const override;
    void ReportPixelInfo();
    void LogPolygonPress(size_t verticesBefore, bool closed);
    void LogPolygonRelease(size_t verticesBefore, bool closed);

    void OnContextMenu(wxContextMenuEvent& event) override;
    /// Zooms on every wheel turn, with or without modifiers.
    void OnMouseWheel(wxMouseEvent& event) override;
    void OnImgeLeftMouseDown(wxMouseEvent& event) override;
    void OnImgeLeftMouseUp(wxMouseEvent& event) override;
    /// Pixel information and the drag step or hover.
    void OnImgeMouseMove(wxMouseEvent& event) override;
    void OnImgeLeftDClick(wxMouseEvent& event) override;

private:
    size_t m_pressVertices = 0;  // polygon vertices before the press, for the release log
    bool m_pressClosed = false;  // the press closed a polygon
};
