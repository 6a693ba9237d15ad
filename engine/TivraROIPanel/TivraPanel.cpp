#include "tivra/engine/TivraROIPanel/TivraPanel.h"

#include "tivra/engine/FramePainter.h"

#include "tivra/io/ImageReader.h"
#include "tivra/io/LargeImage.h"
#include "tivra/io/Log.h"
#include "tivra/io/UnicodeImage.h"
#include "tivra/io/Utils.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <wx/dcbuffer.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/rawbmp.h>
#include <wx/app.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Errors go to the library's own log, with this file's component: the wx log
// would show a modal box in a wxPython program.
template <typename... Args>
void LogError(const wxString& format, Args... args)
{
    tivra::log::Write(tivra::log::Level::Error, "engine/TivraROIPanel/TivraPanel",
                      std::string(wxString::Format(format, args...).utf8_str()));
}

constexpr long kPanelStyleFlags = wxHSCROLL | wxVSCROLL | wxFULL_REPAINT_ON_RESIZE;
constexpr const char* kConversionFailed = "Could not convert Mat to wxBitmap.";

// The bitmap fill converts straight into the pixel layout of wxAlphaPixelData,
// which on GTK is the byte order R, G, B, A of a GdkPixbuf.
static_assert(wxAlphaPixelFormat::RED == 0 && wxAlphaPixelFormat::GREEN == 1 &&
                  wxAlphaPixelFormat::BLUE == 2 && wxAlphaPixelFormat::ALPHA == 3,
              "bitmap fill expects RGBA pixel data");

int RgbaConversionFor(int channels)
{
    switch (channels) {
    case 1: return cv::COLOR_GRAY2RGBA;
    case 3: return cv::COLOR_BGR2RGBA;
    case 4: return cv::COLOR_BGRA2RGBA;
    default: return -1;
    }
}

// 8-bit form of a Mat the bitmap can show, or an empty Mat. Deeper Mats are
// clipped to 8 bits, as without display levels.
cv::Mat DisplayableEightBit(const cv::Mat& mat)
{
    if (RgbaConversionFor(mat.channels()) < 0)
        return {};
    switch (mat.depth()) {
    case CV_8U: return mat;
    case CV_16U:
    case CV_16S:
    case CV_32F:
    case CV_64F: return tivra::display::MapToDisplay(mat, {});
    default: return {};
    }
}

void NormaliseToBgr(cv::Mat& mat)
{
    // An empty image clears the panel; cvtColor would throw on it and leave the old picture shown.
    if (mat.empty() || (mat.channels() != 4 && mat.channels() != 1))
        return;
    cv::Mat bgr = NewLargeImage(mat.size(), CV_MAKETYPE(mat.depth(), 3));
    cv::cvtColor(mat, bgr, mat.channels() == 4 ? cv::COLOR_BGRA2BGR : cv::COLOR_GRAY2BGR);
    mat = bgr;
}

// Resizes by a factor with OpenCV's own target size, except that a side
// never shrinks below one pixel (OpenCV refuses an empty target).
void ResizeByFactor(const cv::Mat& source, cv::Mat& target, double scale, int interpolation)
{
    const int cols = cvRound(source.cols * scale);
    const int rows = cvRound(source.rows * scale);
    if (cols >= 1 && rows >= 1)
        cv::resize(source, target, cv::Size(), scale, scale, interpolation);
    else
        cv::resize(source, target, cv::Size(std::max(cols, 1), std::max(rows, 1)), 0, 0, interpolation);
}

// The file's own depth and colours, turned upright by its EXIF orientation as
// the engine's default reading does (OpenCV ignores the orientation only for
// IMREAD_UNCHANGED).
constexpr int kReadFlags = cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR;

// The image, or an empty Mat after logging why the file could not be loaded.
cv::Mat ReadForPanel(const wxString& path, int flags)
{
    tivra::io::LoadedImage loaded = tivra::io::ReadImageFile(std::string(path.utf8_str()), flags);
    if (loaded.image.empty())
        LogError("TivraPanel: %s", wxString::FromUTF8(loaded.error.c_str()));
    return loaded.image;
}

}  // namespace

TivraPanel::TivraPanel(wxWindow* parent, const wxSize& size)
    : wxScrolled<wxWindow>(parent, wxID_ANY, wxDefaultPosition, size, kPanelStyleFlags, wxPanelNameStr),
      m_sse(GetSSESupport())
{
    Init();
}

TivraPanel::TivraPanel(wxWindow* parent, int id, const wxPoint& pos, const wxSize& size, long style,
                       const wxString& name)
    : wxScrolled<wxWindow>(parent, id, pos, size, style | kPanelStyleFlags, name), m_sse(GetSSESupport())
{
    Init();
}

TivraPanel::~TivraPanel()
{
    Unbind(wxEVT_PAINT, &TivraPanel::OnPaint, this);
}

void TivraPanel::Init()
{
    m_displayMode = 0;
    m_scale = 1.0;
    m_roiMode = 0;
    SetBackgroundColour(*wxBLACK);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Unbind(wxEVT_PAINT, &TivraPanel::OnPaint, this);  // Init may run more than once
    Bind(wxEVT_PAINT, &TivraPanel::OnPaint, this);
}

// ---- image pipeline ----------------------------------------------------------

bool TivraPanel::SetBitmap(const wxBitmap& bmp)
{
    if (!bmp.IsSameAs(m_bitmap)) {
        m_shownMat.release();
        m_bitmapPending = false;
    }
    m_bitmap = bmp;
    if (!m_bitmap.IsOk())
        SetVirtualSize(1, 1);
    else if (m_bitmap.GetSize() != GetVirtualSize())
        SetVirtualSize(m_bitmap.GetSize());
    Refresh(true);
    Update();
    return true;
}

void TivraPanel::ClearImg()
{
    m_matBitmap.release();
    m_rawMat.release();
    m_bitmap = wxBitmap();
    m_shownMat.release();
    m_bitmapPending = false;
    SetVirtualSize(1, 1);
    Refresh(true);
    Update();
}

bool TivraPanel::SetCVmat(const cv::Mat& mat, bool internal, bool keepScale)
{
    if (!internal && !mat.empty() && !CanShow(mat)) {
        LogError("TivraPanel::SetCVmat: cannot show an image of type %s; the previous image stays",
                 cv::typeToString(mat.type()));
        return false;
    }
    try {
        // The old images are let go of off the GUI thread once nothing shows
        // them: unmapping a large one costs about as much as copying the new one.
        cv::Mat previousRaw, previousSource;
        if (!internal) {
            previousRaw = std::exchange(m_rawMat, LargeCopy(mat));
            previousSource = std::exchange(m_matBitmap, m_rawMat);
            if (m_matBitmap.depth() == CV_8U)
                NormaliseToBgr(m_matBitmap);  // a new buffer only when the channels change
        }
        if (m_matBitmap.empty()) {
            ClearImg();
            return false;
        }
        if (!internal && !keepScale)
            UpdateScale();
        // At 1:1 the display Mat shares the source's pixels: this panel never draws into it.
        if (std::abs(m_scale - 1.0) < 1e-6) {
            m_drawmatBitmap = DisplaySource();
        } else if (m_scale <= 0) {
            LogError("TivraPanel: Invalid m_scale <= 0");
            return false;
        } else {
            ResizeByFactor(DisplaySource(), m_drawmatBitmap, m_scale, cv::INTER_NEAREST);
        }
        MapDrawMat();
        if (MakeBitmapFrom(m_drawmatBitmap)) {
            ReleaseImage(std::move(previousRaw));
            ReleaseImage(std::move(previousSource));
            return SetBitmap(m_bitmap);
        }
        LogError(kConversionFailed);
        return false;
    } catch (const cv::Exception& e) {
        LogError("TivraPanel::SetCVmat OpenCV error: %s", e.what());
        return false;
    }
}

bool TivraPanel::ShareCVmat(const cv::Mat& mat)
{
    if (mat.type() != CV_8UC3)
        return SetCVmat(mat, false, false);
    m_matBitmap = mat;
    m_rawMat = mat;
    UpdateScale();
    return SetCVmat(m_matBitmap, true, true);
}

void TivraPanel::RefreshImage()
{
    // At 1:1 the paint reads the pixels themselves.
    if (!m_matBitmap.empty() && m_drawmatBitmap.data != m_matBitmap.data)
        SetCVmat(m_matBitmap, true, true);
    Refresh(true);
}

bool TivraPanel::SetCVmat(const wxString& imagePath, bool internal, bool keepScale)
{
    if (!wxFileExists(imagePath)) {
        ClearImg();
        return false;
    }
    // Names without a three- or four-letter extension are not read (HEIC and
    // JXL included); a file that cannot be loaded leaves the previous image shown.
    const size_t extension = wxFileName(imagePath).GetExt().length();
    if (extension != 3 && extension != 4)
        return false;
    cv::Mat mat = ReadForPanel(imagePath, kReadFlags);
    if (mat.empty())
        return false;
    try {
        Convert16bitTo8bit(mat);
        return SetCVmat(mat, internal, keepScale);
    } catch (const cv::Exception& e) {
        LogError("TivraPanel::SetCVmat(const wxString& imagePath) get cv error %s", e.what());
        return false;
    }
}

bool TivraPanel::SetCVmatDisplay(cv::Mat& mat)
{
    try {
        if (mat.empty()) {
            ClearImg();
            return false;
        }
        double scale = 1.0;
        if (m_displayMode == 1) {
            const wxSize client = GetClientSize();
            if (client.x < 1 || client.y < 1)
                return false;
            scale = std::min(static_cast<double>(client.x) / mat.cols, static_cast<double>(client.y) / mat.rows);
            if (scale <= 0)
                scale = 1.0;
        }
        m_scale = scale;
        cv::Mat shown = mat;
        if (std::abs(scale - 1.0) >= 1e-6)
            ResizeByFactor(mat, shown, scale, cv::INTER_LINEAR);
        if (!MakeBitmapFrom(shown))
            return false;
        if (m_bitmap.GetSize() != GetVirtualSize())
            SetVirtualSize(m_bitmap.GetSize());
        Refresh(false);
        Update();
        return true;
    } catch (const cv::Exception& e) {
        LogError("OpenCV Error: %s", e.what());
        return false;
    }
}

bool TivraPanel::SetCVmatDisplay(const wxString& imagePath)
{
    try {
        cv::Mat mat = ReadForPanel(imagePath, cv::IMREAD_COLOR);
        // An unreadable file neither clears the panel's image nor reports
        // success.
        if (mat.empty() || !SetCVmatDisplay(mat))
            return false;
        return SetBitmap(m_bitmap);
    } catch (const cv::Exception& e) {
        LogError("wxBitmapFromOpenCVPanel::SetCVmat(const wxString& imagePath) get cv error %s", e.what());
        return false;
    }
}

void TivraPanel::UpdateScale()
{
    if (m_matBitmap.empty() || m_matBitmap.rows == 0 || m_matBitmap.cols == 0)
        return;
    if (m_displayMode == 0) {
        m_scale = 1.0;
    } else if (m_displayMode == 1) {
        ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_NEVER);
        const wxSize client = GetClientSize();
        const double sx = static_cast<double>(client.x) / m_matBitmap.cols;
        const double sy = static_cast<double>(client.y) / m_matBitmap.rows;
        const double scale = std::min(sx, sy);
        m_scale = scale == 0.0 ? 1.0 : scale;
    }
}

bool TivraPanel::UpdateCVmat()
{
    try {
        UpdateScale();
        if (m_scale == 1.0) {
            m_drawmatBitmap = DisplaySource();
        } else if (m_scale > 0) {
            ResizeByFactor(DisplaySource(), m_drawmatBitmap, m_scale, cv::INTER_NEAREST);
        } else {
            LogError("TivraPanel m_scale<=0 ");
            return false;
        }
        MapDrawMat();
        if (MakeBitmapFrom(m_drawmatBitmap))
            return SetBitmap(m_bitmap);
        LogError(kConversionFailed);
        return false;
    } catch (const cv::Exception& e) {
        LogError("TivraPanel::SetCVmat(const cv::Mat& bitmap,bool internal) get cv error %s", e.what());
        return false;
    }
}

const cv::Mat& TivraPanel::DisplaySource() const
{
    return m_rawMat.empty() || m_displayMapping.IsIdentityFor(m_rawMat) ? m_matBitmap : m_rawMat;
}

void TivraPanel::MapDrawMat()
{
    if (m_displayMapping.IsIdentityFor(m_drawmatBitmap))
        return;
    m_drawmatBitmap = tivra::display::MapToDisplay(m_drawmatBitmap, m_displayMapping);
    NormaliseToBgr(m_drawmatBitmap);
}

void TivraPanel::SetDisplayMapping(const tivra::display::DisplayMapping& mapping)
{
    m_displayMapping = mapping;
    if (!m_matBitmap.empty())
        SetCVmat(m_matBitmap, true, true);
}

bool TivraPanel::MakeBitmapFrom(const cv::Mat& display)
{
    const bool opaque = display.type() == CV_8UC3 || display.type() == CV_8UC1;
    if (!opaque) {
        m_bitmap = ConvertMatToBitmap(display, m_simdMode);
        m_shownMat.release();
        m_bitmapPending = false;
        return m_bitmap.IsOk();
    }
    // The paint draws these pixels themselves, so the bitmap is only sized here
    // (its pages stay untouched) and filled when someone asks for it: filled at
    // once, it would hold the image a second time at four bytes a pixel.
    m_bitmap = display.empty() ? wxBitmap() : wxBitmap(display.cols, display.rows, 32);
    m_shownMat = m_bitmap.IsOk() ? display : cv::Mat();
    m_bitmapPending = m_bitmap.IsOk();
    return m_bitmap.IsOk();
}

const wxBitmap& TivraPanel::FilledBitmap()
{
    if (m_bitmapPending && !ConvertMatBitmapTowxBitmap(m_shownMat, m_bitmap, 0, 0))
        LogError(kConversionFailed);
    m_bitmapPending = false;
    return m_bitmap;
}

wxBitmap TivraPanel::ConvertMatToBitmap(const cv::Mat& mat, int)
{
    if (mat.empty())
        return wxBitmap();
    // 32 bits for every type: on GTK only bitmaps with an alpha channel give
    // the 32-bit raw access the fill writes through.
    wxBitmap bitmap(mat.cols, mat.rows, 32);
    if (ConvertMatBitmapTowxBitmap(mat, bitmap, 0, 0))
        return bitmap;
    LogError(kConversionFailed);
    return wxBitmap();
}

bool TivraPanel::ConvertMatBitmapTowxBitmap(const cv::Mat& mat, wxBitmap& bmp, int, int)
{
    if (mat.empty() || !bmp.IsOk() || bmp.GetWidth() != mat.cols || bmp.GetHeight() != mat.rows)
        return false;
    const cv::Mat source = DisplayableEightBit(mat);
    if (source.empty())
        return false;
    wxAlphaPixelData data(bmp);
    if (!data)
        return false;
    unsigned char* const raw = data.GetPixels().m_ptr;
    cv::Mat pixels(mat.rows, mat.cols, CV_8UC4, raw, static_cast<size_t>(data.GetRowStride()));
    // One pass: the source channels are reordered into the bitmap's layout;
    // gray and colour sources get alpha 255, BGRA sources keep their alpha.
    cv::cvtColor(source, pixels, RgbaConversionFor(source.channels()));
    return pixels.data == raw;  // written in place, not into a new buffer
}

// By type alone: converting a 100-megapixel image just to ask would cost more
// than showing it.
bool TivraPanel::CanShow(const cv::Mat& mat)
{
    const int depth = mat.depth();
    return !mat.empty() && RgbaConversionFor(mat.channels()) >= 0 &&
           (depth == CV_8U || depth == CV_16U || depth == CV_16S || depth == CV_32F || depth == CV_64F);
}

void TivraPanel::Convert16bitTo8bit(cv::Mat& mat)
{
    if (!mat.empty() && (mat.depth() == CV_16U || mat.depth() == CV_16S))
        mat.convertTo(mat, CV_8U, 1.0, 0.0);
}

bool TivraPanel::allPointsNonPositive(const std::vector<cv::Point2f>& points)
{
    for (const cv::Point2f& p : points)
        if (p.x > 0 || p.y > 0)
            return false;
    return true;
}

int TivraPanel::GetSSESupport()
{
    static const int level = [] {
        if (isAVX512Supported())
            return 3;
        if (isAVX2Supported())
            return 2;
        return isSSE4Supported() ? 1 : 0;
    }();
    return level;
}

void TivraPanel::SaveImage(wxString path, int which)
{
    if (which != 0 && which != 1)
        return;
    const cv::Mat& image = which == 1 ? m_matBitmap : m_drawmatBitmap;
    if (image.empty()) {
        LogError(which == 1 ? "TivraPanel::SaveImage failed! , m_matBitmap is empty!"
                              : "TivraPanel::SaveImage failed! , m_drawmatBitmap is empty!");
        return;
    }
    bool written = false;
    try {
        const wxCharBuffer narrow = path.mb_str(wxConvLibc);
        // Paths the locale cannot spell go through the Unicode writer.
        written = narrow.length() > 0 ? cv::imwrite(narrow.data(), image)
                                      : Unicode_CvImwrite(path.ToStdWstring(), image, {});
    } catch (const cv::Exception& e) {
        LogError("TivraPanel::SaveImage failed! %s", e.what());
        return;
    }
    if (!written)
        LogError("TivraPanel::SaveImage failed! , could not write %s", path);
}

// ---- window ----------------------------------------------------------------

wxSize TivraPanel::DoGetBestClientSize() const
{
    return m_bitmap.IsOk() ? m_bitmap.GetSize() : wxSize(64, 48);
}

bool TivraPanel::IsOrphaned() const
{
    wxWindow* parent = GetParent();
    return IsBeingDeleted() || parent == nullptr || parent->IsBeingDeleted();
}

bool TivraPanel::IsGoingAway() const
{
    if (IsOrphaned())
        return true;
    // A destroyed frame waits for the next idle time before it deletes its windows.
    wxWindow* frame = wxGetTopLevelParent(const_cast<TivraPanel*>(this));
    return frame && wxPendingDelete.Member(frame);
}

bool TivraPanel::ProcessEvent(wxEvent& event)
{
    try {
        return wxScrolled<wxWindow>::ProcessEvent(event);
    } catch (const std::exception& e) {
        LogError("Event %d not handled: %s", event.GetEventType(), e.what());
    } catch (...) {
        LogError("Event %d not handled: unknown exception", event.GetEventType());
    }
    return true;
}

void TivraPanel::OnPaint(wxPaintEvent&)
{
    if (IsOrphaned()) {
        wxPaintDC dc(this);
        return;
    }
    {
        wxAutoBufferedPaintDC dc(this);
        PaintFrame(dc);
    }  // the buffer reaches the window here
    ++m_paintCount;
}

void TivraPanel::PaintFrame(wxDC& dc)
{
    dc.SetBackground(wxBrush(GetBackgroundColour()));
    dc.Clear();
    if (!m_bitmap.IsOk())
        return;
    DoPrepareDC(dc);
    DrawVisibleBitmap(dc);
    DrawGuideLineWxDC(dc);
}

// Draws the part of the image that the client area shows, at its place in
// the scrolled area: straight from the display Mat when there is one, else
// from m_bitmap. Handing X only that part keeps a paint's cost to the window's
// size and keeps images wider or taller than X's 32767-pixel limit for server
// pixmaps from failing (which aborts the process).
void TivraPanel::DrawVisibleBitmap(wxDC& dc)
{
    const wxRect whole(m_bitmap.GetSize());
    wxRect visible(CalcUnscrolledPosition(wxPoint(0, 0)), GetClientSize());
    visible.Intersect(whole);
    if (visible.IsEmpty())
        return;
    const cv::Rect region(visible.x, visible.y, visible.width, visible.height);
    if (m_shownMat.size() == cv::Size(whole.width, whole.height) &&
        FramePainter::Draw(dc, m_shownMat(region), visible.GetTopLeft()))
        return;
    const wxBitmap& bitmap = FilledBitmap();
    if (visible == whole)
        dc.DrawBitmap(bitmap, 0, 0, false);
    else
        dc.DrawBitmap(bitmap.GetSubBitmap(visible), visible.GetTopLeft(), false);
}

void TivraPanel::DrawGuideLineWxDC(wxDC& dc)
{
    if (!m_bitmap.IsOk())
        return;
    GuideLines::DrawOnDC(dc, m_bitmap.GetWidth(), m_bitmap.GetHeight(), GetGuideLineSettings());
}

void TivraPanel::SetCanvasBgColor(int r, int g, int b)
{
    SetBackgroundColour(wxColour(r & 255, g & 255, b & 255, 255));
    Refresh(true);
}

// ---- guide settings ----------------------------------------------------------

GuideLineSettings TivraPanel::GetGuideLineSettings() const
{
    GuideLineSettings settings;
    settings.mode = m_guideLineMode;
    settings.visible = m_guideLineVisible;
    settings.style = m_guideLineStyle;
    settings.aspectRatio = m_aspectRatio;
    return settings;
}

void TivraPanel::SetGuideLineMode(GuideLineMode mode)
{
    m_guideLineMode = mode;
    Refresh(true);
}

void TivraPanel::SetGuideLineVisible(bool visible)
{
    m_guideLineVisible = visible;
    Refresh(true);
}

void TivraPanel::SetGuideLineStyle(const GuideLineStyle& style)
{
    m_guideLineStyle = style;
    Refresh(true);
}

void TivraPanel::SetAspectRatio(AspectRatio ratio)
{
    m_aspectRatio = ratio;
    Refresh(true);
}

// ---- plain accessors and hooks -------------------------------------------------

cv::Mat& TivraPanel::GetDrawMat() { return m_drawmatBitmap; }
wxBitmap& TivraPanel::GetBitmap()
{
    FilledBitmap();
    return m_bitmap;
}
cv::Mat& TivraPanel::GetCVcropmat() { return m_drawmatBitmap; }
void TivraPanel::SetROIMode(CvROIMode mode) { m_roiMode = mode; }
void TivraPanel::SetCenterImageEnable(bool enable) { m_centerImage = enable; }

// The basic panel has no ROI editing, overlays, badge or zoom steps: these
// operations are filled in by the ROI panels.
void TivraPanel::SetFuncEnable(bool, bool, bool) {}
void TivraPanel::SetSIMDMenuEnable(bool) {}
void TivraPanel::GetRect(cv::Rect&) {}
void TivraPanel::SetRect(const cv::Rect&) {}
cv::Point2f TivraPanel::GetLeftMouseDownPoint() { return {0.0f, 0.0f}; }
cv::Point2f TivraPanel::GetLeftMouseUpPoint() { return {0.0f, 0.0f}; }
double TivraPanel::GetStartAngle() { return 0.0; }
double TivraPanel::GetEndAngle() { return 0.0; }
double TivraPanel::GetRotateAngle() { return 0.0; }
double TivraPanel::GetInnerRadius() const { return 0.0; }
double TivraPanel::GetOuterRadius() const { return 0.0; }
void TivraPanel::GetPolygonPoints(std::vector<cv::Point2f>&) const {}
void TivraPanel::GetRotatedRectEdges(cv::Point2f&, cv::Point2f&, cv::Point2f&, cv::Point2f&) {}
void TivraPanel::ClearOverlay() {}
int TivraPanel::AppendOverlay(cvROI) { return 0; }
int TivraPanel::AppendOverlay(cvText) { return 0; }
void TivraPanel::UpdateOverlayByIndex(int, cvROI, bool) {}
void TivraPanel::UpdateOverlayByIndex(int, cvText, bool) {}
void TivraPanel::SetDisplayOverlay(bool) {}
bool TivraPanel::GetDisplayOverlay() { return false; }
void TivraPanel::SetExtDisplay(std::vector<cvROI*>*) {}
void TivraPanel::SetExtText(std::vector<cvText*>*) {}
void TivraPanel::UpdatePassFailRecycleLogo(bool, int) {}
void TivraPanel::UpdatePassFailRecycleLogo(bool, int, wxString, wxString, wxString, wxString) {}
void TivraPanel::SetZoomToFit() {}
void TivraPanel::SetOriginal(bool) {}
void TivraPanel::SetZoomIn() {}
void TivraPanel::SetZoomOut() {}
void TivraPanel::SetStatusTarget(wxWindow*) {}
void TivraPanel::SetMenuROIEnable(bool, bool, bool, bool, bool, bool, bool) {}
void TivraPanel::HideROI() {}
void TivraPanel::SetLockROI(bool) {}
void TivraPanel::SetROI(cvROI, bool) {}
void TivraPanel::UpdateDrawImage(bool) {}
