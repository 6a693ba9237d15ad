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
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/freetype.hpp>
#include <wx/wx.h>

#include "tivra/engine/OverlayStore.h"
#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "tivra/engine/TivraROIPanel/TivraPanelEvents.h"
#include "tivra/roi/ROIEditor.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/wx/TextRecord.h"

class TivraROIPanel : public TivraPanel {
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
    void UpdateDrawImage(bool resize) override;
    /// The source image under the area the current ROI covers (sharing its memory),
    /// cut to the image; the whole source image when no ROI area lies on it.
    cv::Mat& GetCVcropmat() override;

    // Current ROI
    void SetFuncEnable(bool menu_enable, bool crop_enable, bool move_enable) override;
    void SetSIMDMenuEnable(bool enable) override;
    void GetRect(cv::Rect& out) override;
    void SetRect(const cv::Rect& r) override;
    cv::Point2f GetLeftMouseDownPoint() override;
    cv::Point2f GetLeftMouseUpPoint() override;
    double GetStartAngle() override;
    double GetEndAngle() override;
    double GetRotateAngle() override;
    double GetInnerRadius() const override;
    double GetOuterRadius() const override;
    void GetPolygonPoints(std::vector<cv::Point2f>& out) const override;
    void GetRotatedRectEdges(cv::Point2f& a, cv::Point2f& b, cv::Point2f& c, cv::Point2f& d) override;
    void SetMenuROIEnable(bool point, bool line, bool rect, bool rotatedRect, bool circle, bool annulus,
                          bool polygon) override;
    void HideROI() override;
    void SetLockROI(bool lock) override;
    void SetROI(cvROI roi, bool refresh) override;
    void SetROIMode(CvROIMode mode) override;
    void SetStatusTarget(wxWindow* target) override;
    void SetROIParamDefault();

    // Overlays, texts and badge
    void ClearOverlay() override;
    int AppendOverlay(cvROI roi) override;
    int AppendOverlay(cvText text) override;
    void UpdateOverlayByIndex(int index, cvROI roi, bool show) override;
    void UpdateOverlayByIndex(int index, cvText text, bool show) override;
    void SetDisplayOverlay(bool on) override;
    bool GetDisplayOverlay() override;
    void SetExtDisplay(std::vector<cvROI*>* list) override;
    void SetExtText(std::vector<cvText*>* list) override;
    void UpdatePassFailRecycleLogo(bool show, int state) override;
    void UpdatePassFailRecycleLogo(bool show, int state, wxString fontPath, wxString passText, wxString failText,
                                   wxString recycleText) override;

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
    void SetMouseEventConnect(bool connect);

protected:
    // Largest bitmap byte count known to be creatable and smallest known to fail,
    // shared by every classic panel of the process.
    static std::int64_t s_lastGoodBitmapSize;
    static std::int64_t s_lastBadBitmapSize;

    std::string m_defaultFontPath;
    bool m_menuEnable = false;
    bool m_cropEnable = false;
    bool m_moveEnable = false;
    bool m_lockROI = false;
    ROIEditState m_edit;  // the current ROI in source pixels and the gesture editing it
    cv::Point m_cursorPixel;
    cv::Mat m_cropMat;
    cv::Scalar m_roiColor;
    wxWindow* m_statusTarget = nullptr;

    std::vector<cvROI> m_overlays;
    std::vector<cvText> m_texts;
    std::vector<std::shared_ptr<cv::freetype::FreeType2>> m_textFonts;
    OverlayStore m_overlayStore;
    bool m_displayOverlay = false;

    std::shared_ptr<cv::freetype::FreeType2> m_pfrFont;
    int m_pfrBaseline = 0;
    int m_pfrCacheWidth = 0;

    std::array<bool, 7> m_menuROIEnable{};
    bool m_simdMenuEnable = false;
    bool m_mouseConnected = false;

    /// A message in the library's log at `level`, with this panel's component and `function`.
    static void LogRecord(wxLogLevel level, const char* function, const wxString& message);
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
    void DrawCurrentROI(cv::Mat& image);
    void DrawStoredOverlays(cv::Mat& image);
    void RenderTextsAndLogos(double scale);
    void DrawBadge(cv::Mat& image);

    // Mouse editing
    /// The source pixel under a window position, or false when it is not on the image.
    bool SourcePointAt(const wxPoint& windowPos, cv::Point2f& source) const;
    bool EditingAllowed() const;
    /// Raises the crop event for a finished edit; false when a handler destroyed the panel.
    bool FinalizeCurrentROI();
    void ReportPixelInfo();
    void LogPolygonPress(size_t verticesBefore, bool closed);
    void LogPolygonRelease(size_t verticesBefore, bool closed);

    void OnContextMenu(wxContextMenuEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnImgeLeftMouseDown(wxMouseEvent& event);
    void OnImgeLeftMouseUp(wxMouseEvent& event);
    void OnImgeMouseMove(wxMouseEvent& event);
    void OnImgeLeftDClick(wxMouseEvent& event);
    void OnMenu_ScaleUp(wxCommandEvent& event);
    void OnMenu_ScaleDown(wxCommandEvent& event);
    void OnMenu_ZoomtoFit(wxCommandEvent& event);
    void OnMenu_Origianl(wxCommandEvent& event);
    void OnMenu_ROIChange(wxCommandEvent& event);
    void OnMenu_SIMDChange(wxCommandEvent& event);

private:
    size_t m_pressVertices = 0;  // polygon vertices before the press, for the release log
    bool m_pressClosed = false;  // the press closed a polygon
};
