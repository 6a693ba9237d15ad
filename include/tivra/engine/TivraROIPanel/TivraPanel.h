#pragma once
// The wxWidgets window that shows one OpenCV image: it keeps the image it is
// given (the source Mat), derives a scaled copy for display, turns that copy
// into a wxBitmap and paints it in a scrolled window with the guide overlay on
// top. Both ROI panels derive from it (through TivraROIPanelBase) and
// override its virtual operations; the operations marked "hook" do nothing here.

#include "tivra/engine/DisplayMapping.h"
#include "tivra/engine/GuideLines.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/wx/TextRecord.h"

#include <opencv2/core.hpp>
#include <wx/bitmap.h>
#include <wx/scrolwin.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <cstdint>
#include <utility>

#include <vector>

class TivraPanel : public wxScrolled<wxWindow> {
public:
    TivraPanel(wxWindow* parent, const wxSize& size);
    TivraPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
               const wxString& name);
    ~TivraPanel() override;

    // ---- virtual operations, in slot order --------------------------------
    // Shows bmp (shared), sizes the scrolled area to it and repaints.
    virtual bool SetBitmap(const wxBitmap& bmp);
    // Drops the source image and the bitmap; the display Mat is kept.
    virtual void ClearImg();
    // Makes a copy of mat the source image (3-channel BGR) and shows it. With
    // internal true the current source is re-shown and mat is ignored; with
    // keepScale true the scale is not recomputed.
    virtual bool SetCVmat(const cv::Mat& mat, bool internal, bool keepScale);
    // Loads a file (HEIC and JXL through their adapters, others through
    // OpenCV) and shows it as above. A missing file clears the panel.
    virtual bool SetCVmat(const wxString& imagePath, bool internal, bool keepScale);
    // Shows mat without making it the source image.
    virtual bool SetCVmatDisplay(cv::Mat& mat);
    virtual bool SetCVmatDisplay(const wxString& imagePath);
    virtual void SetFuncEnable(bool cropEnable, bool menuEnable, bool dragEnable);  // hook
    virtual void SetSIMDMenuEnable(bool enable);                                     // hook
    virtual void GetRect(cv::Rect& rect);                                            // hook
    virtual void SetRect(const cv::Rect& rect);                                      // hook
    virtual cv::Point2f GetLeftMouseDownPoint();                                     // hook
    virtual cv::Point2f GetLeftMouseUpPoint();                                       // hook
    virtual double GetStartAngle();                                                  // hook
    virtual double GetEndAngle();                                                    // hook
    virtual double GetRotateAngle();                                                 // hook
    virtual double GetInnerRadius() const;                                           // hook
    virtual double GetOuterRadius() const;                                           // hook
    virtual void GetPolygonPoints(std::vector<cv::Point2f>& points) const;           // hook
    virtual void GetRotatedRectEdges(cv::Point2f& p0, cv::Point2f& p1, cv::Point2f& p2,
                                     cv::Point2f& p3);                               // hook
    virtual void ClearOverlay();                                                     // hook
    virtual int AppendOverlay(cvROI roi);                                            // hook
    virtual int AppendOverlay(cvText text);                                          // hook
    virtual void UpdateOverlayByIndex(int index, cvROI roi, bool refresh);           // hook
    virtual void UpdateOverlayByIndex(int index, cvText text, bool refresh);         // hook
    virtual void SetDisplayOverlay(bool display);                                    // hook
    virtual bool GetDisplayOverlay();                                                // hook
    virtual void SetExtDisplay(std::vector<cvROI*>* rois);                           // hook
    virtual void SetExtText(std::vector<cvText*>* texts);                            // hook
    virtual void UpdatePassFailRecycleLogo(bool show, int state);                    // hook
    virtual void UpdatePassFailRecycleLogo(bool show, int state, wxString fontPath, wxString passText,
                                           wxString failText, wxString recycleText); // hook
    virtual void SetZoomToFit();                                                     // hook
    virtual void SetOriginal(bool isScrollbarVisible);                               // hook
    virtual void SetZoomIn();                                                        // hook
    virtual void SetZoomOut();                                                       // hook
    // Sets m_scale from the display mode: 1.0, or the fit-to-window factor.
    virtual void UpdateScale();
    virtual void SetStatusTarget(wxWindow* target);                                  // hook
    virtual void SetMenuROIEnable(bool point, bool line, bool rectangle, bool rotatedRectangle,
                                  bool circle, bool annulus, bool polygon);          // hook
    virtual void HideROI();                                                          // hook
    virtual void SetLockROI(bool lock);                                              // hook
    virtual void SetROI(cvROI roi, bool refresh);                                    // hook
    virtual void UpdateDrawImage(bool refresh);                                      // hook
    virtual cv::Mat& GetDrawMat();
    virtual void SetCanvasBgColor(int r, int g, int b);
    virtual wxBitmap& GetBitmap();
    virtual cv::Mat& GetCVcropmat();
    virtual void SetROIMode(CvROIMode mode);
    virtual void SetCenterImageEnable(bool enable);
    // Window path of the guide overlay, in display pixels of the whole bitmap.
    virtual void DrawGuideLineWxDC(wxDC& dc);
    // Shows mat as SetCVmat does, but keeps mat's pixels instead of a copy when
    // it is 8-bit BGR: the caller keeps them alive, at that size, while they
    // are shown, and changes to them show at the next repaint.
    virtual bool ShareCVmat(const cv::Mat& mat);
    // Repaints after the pixels of a shared image changed: what was derived
    // from them (a scaled copy) is made again.
    virtual void RefreshImage();

    // ---- plain operations --------------------------------------------------
    void Init();
    // Re-renders the source image at the current display mode.
    bool UpdateCVmat();

    void SetGuideLineMode(GuideLineMode mode);
    void SetGuideLineVisible(bool visible);
    void SetGuideLineStyle(const GuideLineStyle& style);
    void SetAspectRatio(AspectRatio ratio);
    GuideLineMode GetGuideLineMode() const { return m_guideLineMode; }
    bool GetGuideLineVisible() const { return m_guideLineVisible; }
    const GuideLineStyle& GetGuideLineStyle() const { return m_guideLineStyle; }
    AspectRatio GetAspectRatio() const { return m_aspectRatio; }
    GuideLineSettings GetGuideLineSettings() const;

    int GetDisplayMode() const { return m_displayMode; }
    void SetDisplayMode(int mode) { m_displayMode = mode; }
    double GetScale() const { return m_scale; }
    const cv::Mat& GetSourceMat() const { return m_matBitmap; }
    /// Frames painted so far, each counted once it is on the window.
    std::uint64_t GetPaintCount() const { return m_paintCount; }
    /// The image as it was given or loaded, at its own depth and channel count.
    const cv::Mat& GetRawMat() const { return m_rawMat; }

    /// How raw values become display bytes (levels, colour map); repaints.
    void SetDisplayMapping(const tivra::display::DisplayMapping& mapping);
    const tivra::display::DisplayMapping& GetDisplayMapping() const { return m_displayMapping; }

    // which 1 writes the source image, 0 the display image; other values do nothing.
    void SaveImage(wxString path, int which);

    // Whether the panel can show a Mat of this type: 8 or 16-bit integers or
    // floats with 1, 3 or 4 channels. Others (2 channels, 32-bit integers) are
    // refused when set.
    static bool CanShow(const cv::Mat& mat);

    int GetSSE() const { return m_sse; }
    // SIMD level of this CPU: 3 AVX-512, 2 AVX2, 1 SSE4, 0 none. Detected once.
    static int GetSSESupport();
    // 32-bit bitmap of the Mat's size, or an invalid bitmap (logged) when the
    // Mat cannot be shown. The int is accepted and ignored.
    static wxBitmap ConvertMatToBitmap(const cv::Mat& mat, int simdMode);
    // Fills bmp (same size as mat) through raw pixel access in one pass.
    // Accepts 1, 3 and 4 channel Mats of 8 bits, and of the deeper types
    // CanShow names, which are brought to 8 bits without levels first;
    // anything else fails with false and copies nothing. The two ints are
    // accepted and ignored.
    static bool ConvertMatBitmapTowxBitmap(const cv::Mat& mat, wxBitmap& bmp, int, int);
    // 16-bit Mats are converted in place to 8 bits, saturating.
    static void Convert16bitTo8bit(cv::Mat& mat);
    static bool allPointsNonPositive(const std::vector<cv::Point2f>& points);

    // Handlers of this panel never let an exception reach wx, whose event loop
    // would end the process: it is logged and the event counts as handled.
    bool ProcessEvent(wxEvent& event) override;

protected:
    wxSize DoGetBestClientSize() const override;
    // The one paint handler: nothing is drawn while the panel or its parent is
    // being destroyed; otherwise PaintFrame draws.
    void OnPaint(wxPaintEvent& event);
    // Draws a whole frame into the paint DC: the bitmap at its scrolled place and the guides.
    virtual void PaintFrame(wxDC& dc);
    // m_bitmap made from `display`, which the paint then draws straight from;
    // false when no bitmap could be made. For 8-bit gray or BGR displays the
    // bitmap gets its pixels only once it is asked for (GetBitmap).
    bool MakeBitmapFrom(const cv::Mat& display);
    // True once the panel, its parent or its frame is on its way out: a handler
    // that called into a program's callback returns at once when it sees this.
    bool IsGoingAway() const;
    // Runs a call into the program (a hook or an event handler that may destroy
    // the panel, its host or its frame); false when the panel went away during
    // it: the caller then returns at once without touching the panel again.
    template <class Call>
    bool SurvivesCall(Call&& call)
    {
        wxWeakRef<TivraPanel> alive(this);
        std::forward<Call>(call)();
        return alive && !alive->IsGoingAway();
    }

    int m_sse;
    wxBitmap m_bitmap;
    int m_displayMode = 0;
    double m_scale = 1.0;
    cv::Mat m_matBitmap;
    // The image as given: shares m_matBitmap's pixels except where 8-bit gray
    // or BGRA images get their BGR copy there.
    cv::Mat m_rawMat;
    cv::Mat m_drawmatBitmap;
    tivra::display::DisplayMapping m_displayMapping;
    int m_simdMode = 0;
    int m_roiMode = 0;
    bool m_centerImage = false;
    GuideLineMode m_guideLineMode = GuideLineMode::Off;
    bool m_guideLineVisible = true;
    GuideLineStyle m_guideLineStyle;
    AspectRatio m_aspectRatio = AspectRatio::AR_16_9;

private:
    // The pixels of m_bitmap as an 8-bit gray or BGR Mat, painted without
    // going through the bitmap; empty when m_bitmap came from elsewhere.
    cv::Mat m_shownMat;
    // m_bitmap is sized to m_shownMat but not yet filled from it.
    bool m_bitmapPending = false;
    std::uint64_t m_paintCount = 0;

    bool IsOrphaned() const;
    // What the display is made from: the BGR copy for 8-bit images shown as
    // they are, the raw image otherwise.
    const cv::Mat& DisplaySource() const;
    // Brings m_drawmatBitmap, scaled from DisplaySource(), to 8-bit BGR.
    void MapDrawMat();
    void DrawVisibleBitmap(wxDC& dc);
    // m_bitmap with its pixels, filled from m_shownMat first when still pending.
    const wxBitmap& FilledBitmap();
};
