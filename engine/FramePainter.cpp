#include "tivra/engine/FramePainter.h"

#include <opencv2/imgproc.hpp>
#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/graphics.h>
#include <wx/image.h>

#include <cairo.h>

#include <vector>

namespace {

int BgrxConversionFor(const cv::Mat& image)
{
    if (image.depth() != CV_8U)
        return -1;
    switch (image.channels()) {
    case 1: return cv::COLOR_GRAY2BGRA;
    case 3: return cv::COLOR_BGR2BGRA;
    case 4: return -2;  // already in the surface's byte order
    default: return -1;
    }
}

cairo_t* CairoOf(wxDC& dc)
{
    wxGraphicsContext* gc = dc.GetGraphicsContext();
    if (gc == nullptr || gc->GetRenderer() != wxGraphicsRenderer::GetCairoRenderer())
        return nullptr;
    return static_cast<cairo_t*>(gc->GetNativeContext());
}

// One frame's pixels in cairo's RGB24 layout (B, G, R, unused on little-endian
// machines). Paints run one at a time on the GUI thread, so one buffer serves
// every panel and is only reallocated when a larger frame comes.
cv::Mat SurfacePixels(const cv::Size& size, int stride)
{
    static std::vector<unsigned char> storage;
    const size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(size.height);
    if (storage.size() < bytes)
        storage.assign(bytes, 0);
    return cv::Mat(size, CV_8UC4, storage.data(), static_cast<size_t>(stride));
}

bool FillPixels(const cv::Mat& image, cv::Mat& pixels)
{
    const int conversion = BgrxConversionFor(image);
    const unsigned char* const target = pixels.data;
    if (conversion == -2)
        image.copyTo(pixels);
    else
        cv::cvtColor(image, pixels, conversion);
    return pixels.data == target;  // written in place, not into a new buffer
}

bool DrawWithCairo(cairo_t* cr, const cv::Mat& image, const wxPoint& at)
{
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, image.cols);
    cv::Mat pixels = SurfacePixels(image.size(), stride);
    if (!FillPixels(image, pixels))
        return false;
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(pixels.data, CAIRO_FORMAT_RGB24, image.cols, image.rows, stride);
    cairo_save(cr);
    cairo_set_source_surface(cr, surface, at.x, at.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, at.x, at.y, image.cols, image.rows);
    cairo_fill(cr);
    cairo_restore(cr);
    // Finishing detaches any copy the target keeps, so the buffer is free for the next frame.
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
    return true;
}

// DCs without a cairo context (printing, other ports) get a plain RGB bitmap.
bool DrawAsBitmap(wxDC& dc, const cv::Mat& image, const wxPoint& at)
{
    wxImage rgb(image.cols, image.rows, false);
    cv::Mat pixels(image.rows, image.cols, CV_8UC3, rgb.GetData());
    const int conversion = image.channels() == 1 ? cv::COLOR_GRAY2RGB
                           : image.channels() == 3 ? cv::COLOR_BGR2RGB : cv::COLOR_BGRA2RGB;
    cv::cvtColor(image, pixels, conversion);
    dc.DrawBitmap(wxBitmap(rgb), at, false);
    return true;
}

}  // namespace

namespace FramePainter {

bool Draw(wxDC& dc, const cv::Mat& image, const wxPoint& at)
{
    if (image.depth() == CV_16U || image.depth() == CV_16S) {
        // Saturated to 8 bits, as the panels load 16-bit files.
        cv::Mat eightBit;
        image.convertTo(eightBit, CV_8U);
        return Draw(dc, eightBit, at);
    }
    if (image.empty() || BgrxConversionFor(image) == -1)
        return false;
    if (cairo_t* cr = CairoOf(dc))
        return DrawWithCairo(cr, image, at);
    return DrawAsBitmap(dc, image, at);
}

}  // namespace FramePainter
