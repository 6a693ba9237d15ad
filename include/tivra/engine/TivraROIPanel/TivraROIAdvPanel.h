#pragma once
// The advanced ROI panel: zoom and pan over large images, one current ROI,
// stored and external overlays, pixel masks, texts and a pass/fail/recycle badge.
// It never builds a scaled copy of the whole image: every paint cuts the visible
// part through the Viewport and draws the layers into that small buffer.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <wx/wx.h>

#include "tivra/engine/TivraROIPanel/TivraROIPanelBase.h"
#include "tivra/engine/Viewport.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/roi/ROIHitTest.h"

class ViewLink;

class TivraROIAdvPanel : public TivraROIPanelBase {
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
    // Any 8-bit Mat the panel shows is kept without a copy.
    bool ShareCVmat(const cv::Mat& mat) override;
    void RefreshImage() override;
    // The frame as last painted, layers included: BGR, the window's size.
    cv::Mat& GetDrawMat() override;

    void SetFuncEnable(bool menu_enable, bool crop_enable, bool move_enable) override;
    void SetDisplayOverlay(bool on) override;

    // Zoom
    void SetZoomToFit() override;
    void SetOriginal(bool unused) override;
    void SetZoomIn() override;
    void SetZoomOut() override;
    void UpdateScale() override;

    void SetCenterImageEnable(bool on) override;
    /// This panel draws its guides into the frame buffer instead.
    void DrawGuideLineWxDC(wxDC& dc) override;

    int AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha);
    std::vector<cv::Point2f> ConvertMaskToPolygon(const cv::Mat& mask);
    bool CalcZoomIn();
    bool CalcZoomOut();
    void ShowContextMenu(const wxPoint& pos);

    double GetZoomFactor() const { return m_viewport.GetScale(); }

    // View control (TivraROIAdvPanelNavigationView.cpp). Points and rectangles are
    // in source pixels; arguments that are not finite throw std::invalid_argument.
    /// The source rectangle the window shows, clipped to the image; empty without one.
    cv::Rect2d GetViewRect() const;
    /// Source point at the middle of the window (it may lie beyond the image).
    cv::Point2d GetViewCenter() const;
    /// Zooms to `factor`, held within the zoom limits, keeping `center` (default:
    /// the current view centre) in the middle of the window as far as scrolling allows.
    void SetZoomFactor(double factor, std::optional<cv::Point2d> center = std::nullopt);
    void SetViewCenter(const cv::Point2d& center);
    /// Scrolls by window pixels; positive values show what lies right and below.
    void ScrollBy(int dx, int dy);
    /// The largest zoom within the limits that shows all of `rect`, centred on it.
    void ZoomToRect(const cv::Rect2d& rect);
    using ViewChangedHook = std::function<void(double zoom, const cv::Rect2d& viewRect)>;
    /// Called once after every change of zoom or visible area, whatever caused it.
    void SetOnViewChanged(ViewChangedHook hook) { m_onViewChanged = std::move(hook); }
    /// The group of linked panels this one follows; null when not linked.
    void SetViewLink(std::shared_ptr<ViewLink> link) { m_viewLink = std::move(link); }
    const std::shared_ptr<ViewLink>& GetViewLink() const { return m_viewLink; }
    /// Loading a file (TivraROIAdvPanelLoading.cpp). Called on the GUI thread
    /// when an asynchronous load ends: whether the file's image is now shown,
    /// and the file's information.
    using LoadDoneHook = std::function<void(bool ok, const ImageFileInfo& info)>;
    /// Reads and decodes `path` on a worker thread while the window keeps
    /// handling events; the panel shows a loading indicator meanwhile. A later
    /// load or image supersedes this one (its hook is then never called), and
    /// so does the panel's destruction. A failed load keeps the previous image.
    void LoadImageAsync(const wxString& path, LoadDoneHook done);
    bool IsLoading() const { return m_loading; }
    const ImageFileInfo& GetLoadedImageInfo() const { return m_loadedImageInfo; }
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
    void DrawROI(cv::Mat& buffer, const cvROI& roi, const std::vector<cv::Point2f>& viewPoints);
    void DrawTexts(cv::Mat& buffer);

protected:
    ImageFileInfo m_loadedImageInfo;
    /// What the last paint showed: its buffer, where it went, the client size
    /// and the background around it. GetDrawMat composes them into m_paintedFrame
    /// only when asked, so a paint costs no extra full-window copy.
    struct PaintedFrame {
        cv::Mat buffer;
        cv::Point offset;
        cv::Size client;
        cv::Scalar background;
    } m_painted;
    cv::Mat m_paintedFrame;
    Viewport m_viewport;
    RightClickHook m_onRightClick;
    PointHook m_onLeftDClick;
    PointHook m_onRightDClick;
    PointHook m_onMouseMove;
    bool m_panning = false;
    wxPoint m_panStartMouse;
    std::array<int, 2> m_panStartScroll{0, 0};
    /// Large images shown far below 1:1 are sampled from copies reduced 4, 8,
    /// 16 ... times per axis (index 0, 1, 2 ...), so that a paint does not stream
    /// the whole image through the cache. Each level is made at the first paint
    /// that needs it (empty until then); all are dropped with the image.
    std::vector<cv::Mat> m_reducedLevels;

    /// A decoded file made ready for the panel on any thread: the raw image as
    /// the file holds it and the display image, one buffer where they agree.
    struct PreparedImage {
        cv::Mat display;
        cv::Mat raw;
        ImageFileInfo info;
        std::string error;
    };
    static PreparedImage PrepareImageFile(const std::string& utf8Path);
    /// Shows a prepared image; false (the previous image kept, the reason logged) when it cannot.
    bool AdoptPrepared(const PreparedImage& prepared, bool internal, bool keepScale);
    /// Shared with the worker threads of asynchronous loads; its fields are
    /// touched on the GUI thread only.
    struct AsyncLoad {
        TivraROIAdvPanel* panel = nullptr;
        std::uint64_t generation = 0;
        LoadDoneHook done;
    };
    std::shared_ptr<AsyncLoad> m_asyncLoad;
    bool m_loading = false;
    /// A pending load's result is dropped when it arrives.
    void SupersedeAsyncLoad();
    /// Called by the destructor: no pending load reaches this panel any more.
    void DetachAsyncLoad();
    void FinishAsyncLoad(const PreparedImage& prepared);
    void DrawLoadingIndicator(wxDC& dc);

    /// Makes `pixels` the image (raw and display alike, one buffer) and shows it.
    bool AdoptImage(const cv::Mat& pixels, bool keepScale);
    /// Shows the current image at the current or, unless keepScale, the fitted zoom.
    bool ShowImage(bool keepScale);
    void RedrawLayers() override;
    /// Paints the visible part of `mat`, with the overlay layers when asked.
    void RenderVisible(wxDC& dc, const cv::Mat& mat, bool withLayers);
    void KeepPaintedFrame(const cv::Mat& buffer, const cv::Point& offset);
    /// The visible part of the panel's image at the current zoom, as the viewport
    /// cuts it (from the reduced copy for large images far below 1:1).
    cv::Mat VisibleImage();
    /// The copy of the image reduced `factor` times per axis (a power of two, 4 or
    /// more), made when first asked.
    const cv::Mat& ReducedLevel(int factor);
    void ApplyScale(double scale);

    struct ViewState {
        double zoom = 1.0;
        cv::Rect2d rect;
        bool operator==(const ViewState& other) const { return zoom == other.zoom && rect == other.rect; }
    };
    ViewChangedHook m_onViewChanged;
    std::shared_ptr<ViewLink> m_viewLink;
    ViewState m_reportedView;
    bool m_viewReportPending = false;
    /// Tells the hook and the linked panels when the view differs from the one last reported.
    void ReportViewChange();
    /// After a paint: a view that differs from the one last reported is reported next.
    void ScheduleViewReport();
    /// Repaints a view the panel has just moved to; linked panels take it at
    /// once, so that all of them paint in the same frame.
    void ShowNewView();
    /// Scroll position in window pixels.
    cv::Point ScrollPixels() const;
    /// Where the image starts in the window when it is centred and smaller than the window.
    cv::Point2d CentringOffset() const;
    void ScrollToPixels(double x, double y);
    void OnNavigationKey(wxKeyEvent& event);
    void EndPanning();
    void PanTo(const wxPoint& mouse);
    /// Source-image point under a client position, through the viewport's
    /// scroll position, centring offset and scale.
    cv::Point2f MouseToSource(const wxPoint& mouse) const;

    void PaintFrame(wxDC& dc) override;
    void OnContextMenu(wxContextMenuEvent& event) override;
    void OnMouseWheel(wxMouseEvent& event) override;
    /// Middle-button panning, a right double click and a lost capture.
    void BindPanelMouseHandlers(bool connect) override;
    void OnMiddleMouseDown(wxMouseEvent& event);
    void OnMiddleMouseUp(wxMouseEvent& event);
    void OnMouseCaptureLost(wxMouseCaptureLostEvent& event);
    void OnImgeMouseMove(wxMouseEvent& event) override;

    // Mouse editing of the current ROI (TivraROIAdvPanelEditing.cpp).
    ROIHitResult HitTestCurrentROI(const cv::Point2f& p);
    void UpdateROIFromDrag(const cv::Point2f& p);
    bool EditingAllowed() const override;
    void OnImgeLeftMouseDown(wxMouseEvent& event) override;
    void OnImgeLeftMouseUp(wxMouseEvent& event) override;
    void OnImgeLeftDClick(wxMouseEvent& event) override;
    void OnImgeRightDClick(wxMouseEvent& event);
    /// Ends a left-button drag (release or lost capture) and reports the edit.
    void EndEditDrag();
    /// Mouse-move hook and status text; false when the hook destroyed the panel.
    bool ReportMouseMove(const cv::Point2f& p);
    /// The editing part of a motion: rubber band, drag step or hover.
    void EditOnMouseMove(wxMouseEvent& event, const cv::Point2f& p);
    cv::Point2f EventToSource(const wxMouseEvent& event);
};
