// Loading image files into the advanced panel, at once or on a worker thread.
#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

#include <thread>

#include <opencv2/imgproc.hpp>
#include <wx/app.h>

#include "tivra/io/ImageReader.h"
#include "tivra/io/Log.h"
#include "tivra/io/UnicodeImage.h"

namespace {

// The file's own depth and colours, turned upright by its EXIF orientation as
// the engine's default reading does (OpenCV ignores the orientation only for
// IMREAD_UNCHANGED).
constexpr int kReadFlags = cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR;
constexpr const char* kLoadingText = "Loading...";

// The BGR channels of a BGRA image of any depth (cvtColor knows only 8 and
// 16-bit unsigned and 32-bit float ones).
cv::Mat WithoutAlpha(const cv::Mat& bgra)
{
    cv::Mat bgr(bgra.size(), CV_MAKETYPE(bgra.depth(), 3));
    const int fromTo[] = {0, 0, 1, 1, 2, 2};
    cv::mixChannels(&bgra, 1, &bgr, 1, fromTo, 3);
    return bgr;
}

void LogLoadError(const std::string& message)
{
    tivra::log::Write(tivra::log::Level::Error, "engine/TivraROIPanel/TivraROIAdvPanel", "SetCVmat: " + message);
}

}  // namespace

TivraROIAdvPanel::PreparedImage TivraROIAdvPanel::PrepareImageFile(const std::string& utf8Path)
{
    PreparedImage prepared;
    try {
        tivra::io::LoadedImage loaded = tivra::io::ReadImageFile(utf8Path, kReadFlags);
        if (loaded.image.empty() && IsRegularFile(utf8Path)) {
            // OpenCV's TIFF reader refuses 4-channel float files unless it reads them unchanged.
            tivra::io::LoadedImage unchanged = tivra::io::ReadImageFile(utf8Path, cv::IMREAD_UNCHANGED);
            if (!unchanged.image.empty())
                loaded = std::move(unchanged);
        }
        prepared.info = std::move(loaded.info);
        prepared.error = std::move(loaded.error);
        cv::Mat image = std::move(loaded.image);
        if (image.empty())
            return prepared;
        if (image.channels() == 4)
            image = WithoutAlpha(image);
        // The raw image keeps the file's own depth. An 8-bit gray file is shown
        // as BGR (a new buffer: raw stays gray); every other file shares one
        // buffer, deep ones mapped to 8 bits by the display levels.
        prepared.raw = image;
        if (image.channels() == 1 && image.depth() == CV_8U)
            cv::cvtColor(image, image, cv::COLOR_GRAY2BGR);
        prepared.display = image;
        if (!CanShow(image)) {
            prepared.display.release();
            prepared.error = "cannot show an image of type " + cv::typeToString(image.type()) + " (" + utf8Path +
                             "); the previous image stays";
        }
    } catch (const std::exception& e) {
        // OpenCV's conversions, or memory running out on a large image.
        prepared.display.release();
        prepared.raw.release();
        prepared.error = utf8Path + ": " + e.what();
    }
    return prepared;
}

bool TivraROIAdvPanel::AdoptPrepared(const PreparedImage& prepared, bool internal, bool keepScale)
{
    if (prepared.display.empty()) {
        LogLoadError(prepared.error);
        return false;
    }
    const bool shown = internal ? SetCVmat(prepared.display, true, keepScale) : AdoptImage(prepared.display, keepScale);
    if (!shown)
        return false;
    m_displayOverlay = false;
    m_loadedImageInfo = prepared.info;
    m_rawMat = prepared.raw;
    return true;
}

bool TivraROIAdvPanel::SetCVmat(const wxString& path, bool internal, bool keepScale)
{
    return AdoptPrepared(PrepareImageFile(std::string(path.utf8_str())), internal, keepScale);
}

void TivraROIAdvPanel::LoadImageAsync(const wxString& path, LoadDoneHook done)
{
    SupersedeAsyncLoad();
    if (!m_asyncLoad) {
        m_asyncLoad = std::make_shared<AsyncLoad>();
        m_asyncLoad->panel = this;
    }
    m_asyncLoad->done = std::move(done);
    const std::uint64_t generation = m_asyncLoad->generation;
    m_loading = true;
    Refresh(false);
    std::thread([state = m_asyncLoad, generation, utf8Path = std::string(path.utf8_str())]() mutable {
        auto prepared = std::make_shared<PreparedImage>(PrepareImageFile(utf8Path));
        // wxTheApp queues the call for the GUI thread from any thread; without
        // an application nothing could receive the image.
        if (wxAppConsole* const app = wxAppConsole::GetInstance())
            app->CallAfter([state = std::move(state), generation, prepared = std::move(prepared)]() {
                if (state->panel && state->generation == generation)
                    state->panel->FinishAsyncLoad(*prepared);
            });
    }).detach();
}

void TivraROIAdvPanel::FinishAsyncLoad(const PreparedImage& prepared)
{
    // Adopting the image supersedes the load: the hook is taken first. It may
    // destroy the panel, so nothing of it is touched afterwards.
    const LoadDoneHook done = std::move(m_asyncLoad->done);
    m_loading = false;
    const bool ok = AdoptPrepared(prepared, false, false);
    if (!ok)
        Refresh(false);  // the indicator goes, the previous image stays
    if (done)
        done(ok, prepared.info);
}

void TivraROIAdvPanel::SupersedeAsyncLoad()
{
    if (!m_asyncLoad)
        return;
    ++m_asyncLoad->generation;
    m_asyncLoad->done = nullptr;
    if (m_loading) {
        m_loading = false;
        Refresh(false);
    }
}

void TivraROIAdvPanel::DetachAsyncLoad()
{
    if (!m_asyncLoad)
        return;
    m_asyncLoad->panel = nullptr;
    m_asyncLoad->done = nullptr;
}

void TivraROIAdvPanel::DrawLoadingIndicator(wxDC& dc)
{
    const wxSize client = GetClientSize();
    const wxSize text = dc.GetTextExtent(kLoadingText);
    const wxPoint at((client.x - text.x) / 2, (client.y - text.y) / 2);
    constexpr int kMargin = 6;
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(*wxBLACK_BRUSH);
    dc.DrawRectangle(at.x - kMargin, at.y - kMargin, text.x + 2 * kMargin, text.y + 2 * kMargin);
    dc.SetTextForeground(*wxWHITE);
    dc.DrawText(kLoadingText, at);
}
