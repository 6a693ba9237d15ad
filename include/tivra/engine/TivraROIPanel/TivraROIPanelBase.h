#pragma once
// What the classic and the advanced ROI panel share: the current ROI and the
// gesture editing it (one ROIEditState), the editing switches, the caller's
// overlays and texts, the pass/fail/recycle badge, the operations on them and
// the context-menu commands. The two panels differ only in how they draw and
// map coordinates: RedrawLayers brings a change to the screen, and the layer
// drawers take the buffer and the viewport that maps source pixels into it.
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/freetype.hpp>
#include <wx/wx.h>

#include "tivra/engine/OverlayStore.h"
#include "tivra/engine/TivraROIPanel/TivraPanel.h"
#include "tivra/engine/TivraROIPanel/TivraPanelEvents.h"
#include "tivra/engine/Viewport.h"
#include "tivra/roi/ROIEditHistory.h"
#include "tivra/roi/ROIEditor.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/ROIState.h"
#include "tivra/roi/wx/TextRecord.h"

class TivraROIPanelBase : public TivraPanel {
public:
    TivraROIPanelBase(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                      const wxString& name);
    ~TivraROIPanelBase() override;

    /// Binds (connect true) or unbinds the mouse handlers of ROI editing; a
    /// call that does not change the state does nothing.
    void SetMouseEventConnect(bool connect);

    /// Re-renders the source image (resize: and sizes the scrolled area to the bitmap).
    void UpdateDrawImage(bool resize) override;

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
    /// The current ROI as the record SetROI takes to set it again.
    cvROI GetROI() const;
    void GetPolygonPoints(std::vector<cv::Point2f>& out) const override;
    void GetRotatedRectEdges(cv::Point2f& a, cv::Point2f& b, cv::Point2f& c, cv::Point2f& d) override;
    void SetMenuROIEnable(bool point, bool line, bool rect, bool rotatedRect, bool circle, bool annulus,
                          bool polygon) override;
    void HideROI() override;
    void SetLockROI(bool lock) override;
    /// Throws std::invalid_argument for points or an angle that are not finite.
    void SetROI(cvROI roi, bool refresh) override;
    void SetROIMode(CvROIMode mode) override;
    void SetStatusTarget(wxWindow* target) override;
    void SetROIParamDefault();

    // Undo and redo of the current ROI: one step per finished edit (a drag, a
    // closed polygon, a burst of key presses, a record or state set from code).
    // Each step taken raises the crop event as an edit does; false when there
    // was none to take (or a handler destroyed the panel).
    bool UndoROI();
    bool RedoROI();
    bool CanUndoROI() const;
    bool CanRedoROI() const;
    /// The current ROI as plain fields (ROIState); reading them back sets it again.
    ROIStateFields GetROIState() const;
    /// Throws std::invalid_argument naming the field at fault, changing nothing.
    void SetROIState(const ROIStateFields& fields);

    // Overlays, texts and badge; ROI records with points or an angle that are
    // not finite are refused with std::invalid_argument.
    void ClearOverlay() override;
    /// Empties the panel's own texts (ClearOverlay keeps them); the external list stays.
    void ClearTexts();
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

protected:
    /// Brings a change of the current ROI or of the layers to the screen.
    virtual void RedrawLayers() = 0;
    /// One zoom step of the context menu's "Scale Up" or "Scale Down".
    virtual void MenuZoomStep(bool zoomIn);
    /// Binds or unbinds the mouse handlers a panel has beyond the editing ones.
    virtual void BindPanelMouseHandlers(bool connect);

    // Each panel handles the mouse and the context menu in its own coordinates.
    virtual void OnContextMenu(wxContextMenuEvent& event) = 0;
    virtual void OnMouseWheel(wxMouseEvent& event) = 0;
    virtual void OnImgeLeftMouseDown(wxMouseEvent& event) = 0;
    virtual void OnImgeLeftMouseUp(wxMouseEvent& event) = 0;
    virtual void OnImgeMouseMove(wxMouseEvent& event) = 0;
    virtual void OnImgeLeftDClick(wxMouseEvent& event) = 0;

    /// The current ROI, its kind following the panel's ROI mode.
    ROIEditState& Edit();
    /// Whether the mouse and the keys may edit the current ROI now.
    virtual bool EditingAllowed() const = 0;
    /// Records a finished edit and raises the crop event for it (none while a
    /// polygon is open); false when a handler destroyed the panel.
    bool FinalizeCurrentROI();
    /// A finished edit made from code: recorded, not reported.
    void RecordCodeEdit();
    /// Keys with the panel focused: arrows move the ROI (Shift: 10 source
    /// pixels), Ctrl+arrows resize it, Delete and Backspace remove it, Escape
    /// cancels a gesture in progress, Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y
    /// redo. Returns false for a key left to others: arrows when there is no ROI
    /// to move, Escape with no gesture in progress.
    bool HandleROIKey(const wxKeyEvent& event);
    /// Binds (connect true) or unbinds one mouse handler of a panel.
    template <class Panel, class Event>
    void BindWhile(bool connect, const wxEventTypeTag<Event>& type, void (Panel::*handler)(Event&))
    {
        Panel* const self = static_cast<Panel*>(this);
        if (connect)
            Bind(type, handler, self);
        else
            Unbind(type, handler, self);
    }

    // Layers drawn into a buffer whose pixels `viewport` maps source pixels to.
    /// The current ROI with its handles, while editing is on.
    void DrawCurrentROI(cv::Mat& buffer, const Viewport& viewport);
    void DrawStoredOverlays(cv::Mat& buffer, const Viewport& viewport);
    /// Visible texts with their fonts, the panel's own first, then the caller's.
    std::vector<std::pair<const cvText*, cv::freetype::FreeType2*>> TextsToDraw();
    void DrawBadge(cv::Mat& buffer);

    void OnMenu_ScaleUp(wxCommandEvent& event);
    void OnMenu_ScaleDown(wxCommandEvent& event);
    void OnMenu_ZoomtoFit(wxCommandEvent& event);
    void OnMenu_Origianl(wxCommandEvent& event);
    void OnMenu_ROIChange(wxCommandEvent& event);
    void OnMenu_SIMDChange(wxCommandEvent& event);

    std::string m_defaultFontPath;
    bool m_menuEnable = false;
    bool m_cropEnable = false;
    bool m_moveEnable = false;
    bool m_lockROI = false;
    ROIEditState m_edit;  // the current ROI in source pixels and the gesture editing it
    cv::Point m_cursorPixel;
    cv::Scalar m_roiColor;
    wxWindow* m_statusTarget = nullptr;

    std::vector<cvROI> m_overlays;
    std::vector<cvText> m_texts;
    std::vector<std::shared_ptr<cv::freetype::FreeType2>> m_textFonts;
    OverlayStore m_overlayStore;
    bool m_displayOverlay = false;

    std::shared_ptr<cv::freetype::FreeType2> m_pfrFont;
    int m_pfrBaseline = 0;
    cv::Size m_pfrCacheSize;

    std::array<bool, 7> m_menuROIEnable{};
    bool m_simdMenuEnable = false;
    bool m_mouseConnected = false;

private:
    void Init();
    void OnKeyDown(wxKeyEvent& event);
    /// Shows a state the history put back and reports it.
    bool ShowRestoredROI(bool changed);
    bool CancelROIGesture();
    bool DeleteROI();
    bool StepROIByKey(int key, bool resize, bool shift);

    ROIEditHistory m_history;
};
