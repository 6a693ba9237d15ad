#pragma once
// The advanced ROI panel: zoom and pan over large images, one current ROI,
// stored and external overlays, pixel masks, texts and a pass/fail/recycle badge.
// It never builds a scaled copy of the whole image: every paint cuts the visible
// part through the Viewport and draws the layers into that small buffer.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/freetype.hpp>
#include <wx/wx.h>

#include "tivra/engine/OverlayStore.h"
#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "tivra/engine/TivraROIPanel/TivraPanelEvents.h"
#include "tivra/engine/Viewport.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/roi/ROIEditor.h"
#include "tivra/roi/ROIHitTest.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/wx/TextRecord.h"

class TivraROIAdvPanel : public TivraPanel {
public:
    TivraROIAdvPanel(wxWindow* parent, const wxSize& size);
    TivraROIAdvPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                     const wxString& name);
    ~TivraROIAdvPanel() override;

    // Image
    void ClearImg() override;
    bool SetCVmat(const cv::Mat& mat, bool internal, bool keepScale) override;
    bool SetCVmat(const wxString& path, bool internal, bool keepScale) override;
    bool SetCVmatDisplay(cv::Mat& mat) override;
    bool SetCVmatDisplay(const wxString& path) override;
    // The frame as last painted, layers included: BGR, the window's size.
    cv::Mat& GetDrawMat() override;

    // Current ROI from code
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
    /// The current ROI as the record SetROI takes to set it again.
    cvROI GetROI() const;
    void GetPolygonPoints(std::vector<cv::Point2f>& out) const override;
    void GetRotatedRectEdges(cv::Point2f& a, cv::Point2f& b, cv::Point2f& c, cv::Point2f& d) override;

    // Overlay and text store
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
    void SetOriginal(bool unused) override;
    void SetZoomIn() override;
    void SetZoomOut() override;
    void UpdateScale() override;

    void SetStatusTarget(wxWindow* target) override;
    void SetMenuROIEnable(bool point, bool line, bool rect, bool rotatedRect, bool circle, bool annulus,
                          bool polygon) override;
    void HideROI() override;
    void SetLockROI(bool lock) override;
    void SetROI(cvROI roi, bool refresh) override;
    void UpdateDrawImage(bool resize) override;
    void SetROIMode(CvROIMode mode) override;
    void SetCenterImageEnable(bool on) override;
    /// This panel draws its guides into the frame buffer instead.
    void DrawGuideLineWxDC(wxDC& dc) override;

    int AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha);
    std::vector<cv::Point2f> ConvertMaskToPolygon(const cv::Mat& mask);
    void ClearROIState();
    void SetROIParamDefault();
    void SetMouseEventConnect(bool connect);
    bool CalcZoomIn();
    bool CalcZoomOut();
    void ShowContextMenu(const wxPoint& pos);

    double GetZoomFactor() const { return m_viewport.GetScale(); }
    const ImageFileInfo& GetLoadedImageInfo() const { return m_loadedImageInfo; }
    const cv::Mat& GetRawMat() const { return m_rawMat; }
    int GetROIMode() const { return m_roiMode; }

    using RightClickHook = std::function<bool(const cv::Point2f&, int)>;
    using PointHook = std::function<void(const cv::Point2f&)>;
    /// Hooks called from the mouse handlers with source-image points; an empty
    /// function clears the hook. A right-click hook returning true keeps the menu closed.
    void SetOnRightClick(RightClickHook hook) { m_onRightClick = std::move(hook); }
    void SetOnLeftDClick(PointHook hook) { m_onLeftDClick = std::move(hook); }
    void SetOnRightDClick(PointHook hook) { m_onRightDClick = std::move(hook); }
    void SetOnMouseMove(PointHook hook) { m_onMouseMove = std::move(hook); }

    // Frame rendering
    void RenderFrame(wxDC& dc);
    void RenderFrameFast(wxDC& dc, const cv::Mat& mat);
    void DrawGuideOnVisibleBuffer(cv::Mat& buffer);
    void DrawCurrentEditingROI(cv::Mat& buffer);
    void DrawStoredOverlays(cv::Mat& buffer);
    void DrawROI(cv::Mat& buffer, const cvROI& roi, const std::vector<cv::Point2f>& viewPoints);
    void DrawTexts(cv::Mat& buffer);
    void DrawPFRLogo(cv::Mat& buffer);

protected:
    std::string m_defaultFontPath;
    ImageFileInfo m_loadedImageInfo;
    cv::Mat m_rawMat;
    cv::Mat m_paintedFrame;
    Viewport m_viewport;
    bool m_cropEnable = false;
    bool m_moveEnable = false;
    bool m_lockROI = false;
    bool m_menuEnable = false;
    RightClickHook m_onRightClick;
    PointHook m_onLeftDClick;
    PointHook m_onRightDClick;
    PointHook m_onMouseMove;
    cv::Rect2f m_roiRect;
    cv::Point2f m_leftDownPoint;
    cv::Point2f m_leftUpPoint;
    double m_innerRadius = -1.0;
    double m_startAngle = 0.0;
    double m_endAngle = 360.0;
    double m_rotateAngle = 0.0;
    std::vector<cv::Point2f> m_polygonPoints;
    cv::Point2f m_hoverPoint{-1.0f, -1.0f};
    int m_activeVertex = -1;
    bool m_edgeDragStarted = false;
    ROIHitResult m_hit;
    bool m_dragging = false;
    cv::Point2f m_dragStartPoint;
    cv::Rect2f m_dragStartRect;
    bool m_panning = false;
    wxPoint m_panStartMouse;
    std::array<int, 2> m_panStartScroll{0, 0};
    cv::Point m_cursorPixel;
    cv::Point m_lastAnglePoint;
    std::array<int, 4> m_edgeCorners{0, 0, 0, 0};
    double m_rotationAccum = 0.0;
    double m_edgeSlope = 0.0;
    std::vector<cvROI> m_overlays;
    std::vector<cvText> m_texts;
    std::vector<std::shared_ptr<cv::freetype::FreeType2>> m_textFonts;
    OverlayStore m_overlayStore;
    bool m_displayOverlay = false;
    cv::Scalar m_roiColor;
    wxWindow* m_statusTarget = nullptr;
    std::shared_ptr<cv::freetype::FreeType2> m_pfrFont;
    int m_pfrBaseline = 0;
    cv::Size m_pfrCacheSize;
    std::array<bool, 7> m_menuROIEnable{};
    bool m_mouseConnected = false;
    wxLongLong m_lastClickTime = 0;
    cv::Point2f m_lastClickPoint{-1.0f, -1.0f};
    bool m_polygonDrawing = true;
    std::vector<cv::Point2f> m_polygonSnapshot;
    bool m_simdMenuEnable = false;
    /// Large images shown far below 1:1 are sampled from this copy, reduced by a
    /// fixed factor, so that a paint does not stream the whole image through the
    /// cache. Made at the first such paint; dropped with the image.
    cv::Mat m_reducedMat;

    void Init();
    /// Paints the visible part of `mat`, with the overlay layers when asked.
    void RenderVisible(wxDC& dc, const cv::Mat& mat, bool withLayers);
    void KeepPaintedFrame(const cv::Mat& buffer, const cv::Point& offset);
    /// The visible part of the panel's image at the current zoom, as the viewport
    /// cuts it (from the reduced copy for large images far below 1:1).
    cv::Mat VisibleImage();
    void ResetEditingState();
    void ApplyScale(double scale);
    void EndPanning();
    void PanTo(const wxPoint& mouse);
    /// Source-image point under a client position, through the viewport's
    /// scroll position, centring offset and scale.
    cv::Point2f MouseToSource(const wxPoint& mouse) const;

    void PaintFrame(wxDC& dc) override;
    void OnContextMenu(wxContextMenuEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnMiddleMouseDown(wxMouseEvent& event);
    void OnMiddleMouseUp(wxMouseEvent& event);
    void OnMouseCaptureLost(wxMouseCaptureLostEvent& event);
    void OnImgeMouseMove(wxMouseEvent& event);

    // Mouse editing of the current ROI (TivraROIAdvPanelEditing.cpp).
    ROIHitResult HitTestCurrentROI(const cv::Point2f& p);
    void UpdateROIFromDrag(const cv::Point2f& p);
    /// Raises the crop event for a finished edit; false when a handler destroyed the panel.
    bool FinalizeCurrentROI();
    void OnImgeLeftMouseDown(wxMouseEvent& event);
    void OnImgeLeftMouseUp(wxMouseEvent& event);
    void OnImgeLeftDClick(wxMouseEvent& event);
    void OnImgeRightDClick(wxMouseEvent& event);
    /// Ends a left-button drag (release or lost capture) and reports the edit.
    void EndEditDrag();
    /// Mouse-move hook and status text; false when the hook destroyed the panel.
    bool ReportMouseMove(const cv::Point2f& p);
    /// The editing part of a motion: rubber band, drag step or hover.
    void EditOnMouseMove(wxMouseEvent& event, const cv::Point2f& p);
    cv::Point2f EventToSource(const wxMouseEvent& event);
    ROIEditState TakeEditState();
    /// Only what the radius getters read: the radius vector and the inner radius.
    ROIEditState RadiusState() const;
    void PutEditState(ROIEditState&& s);
    void OnMenu_ScaleUp(wxCommandEvent& event);
    void OnMenu_ScaleDown(wxCommandEvent& event);
    void OnMenu_ZoomtoFit(wxCommandEvent& event);
    void OnMenu_Origianl(wxCommandEvent& event);
    void OnMenu_ROIChange(wxCommandEvent& event);
    void OnMenu_SIMDChange(wxCommandEvent& event);
};
