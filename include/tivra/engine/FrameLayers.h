#pragma once
// Layers of the advanced panel's frame: overlays, texts and the pass/fail/recycle
// badge drawn into the buffer of the visible region. The functions know the
// viewport and the records, not the window, so each layer can be drawn and
// checked on a plain cv::Mat.
//
// Buffer coordinates: a source point p lands at viewport.OriginalToView(p) minus
// the centring offset; lengths are multiplied by the zoom factor.
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/freetype.hpp>
#include <wx/string.h>

#include "tivra/engine/Viewport.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/wx/TextRecord.h"

namespace FrameLayers {

using FontPtr = std::shared_ptr<cv::freetype::FreeType2>;

/// Default TrueType file used when a text's or the badge's own font file is missing.
extern const char* const kDefaultFontPath;

/// Loads `path` when that file exists, else `defaultPath`. Null when neither loads.
FontPtr LoadFont(const wxString& path, const std::string& defaultPath);

/// Source-pixel box of an overlay record for culling against the visible
/// rectangle. An empty box (width or height <= 0) means the record is skipped.
cv::Rect OverlayCullingBox(const cvROI& roi, cv::Size sourceSize);

/// The record's points mapped to view coordinates, with the entries that are
/// lengths (sizes, radii) scaled instead of mapped. Empty for a mask.
std::vector<cv::Point2f> OverlayViewPoints(const cvROI& roi, const Viewport& viewport, double scale);

/// One overlay record whose view points are given. Records with a non-negative
/// roiIndex are drawn in `roiColor`.
void DrawOverlay(cv::Mat& buffer, const cvROI& roi, const std::vector<cv::Point2f>& viewPoints,
                 const Viewport& viewport, double scale, cv::Size sourceSize, const cv::Scalar& roiColor);

/// Every visible, non-culled record of `records` (null entries skipped), in order.
void DrawOverlays(cv::Mat& buffer, const std::vector<const cvROI*>& records, const Viewport& viewport,
                  double scale, cv::Size sourceSize, const cv::Scalar& roiColor);

/// One text record drawn with `font`: each line below the previous one, the
/// glyph height and line gap scaled by the zoom. Texts anchored more than 100
/// pixels left of or above the buffer are skipped.
void DrawText(cv::Mat& buffer, const cvText& text, cv::freetype::FreeType2& font, const Viewport& viewport,
              double scale);

/// The same at a buffer anchor, its lines starting `indent` pixels right of it
/// (the classic panel indents by 10 x zoom). Anchors past the buffer's right or
/// bottom edge or not finite draw nothing; glyphs are at most the buffer's height.
void DrawTextAt(cv::Mat& buffer, const cvText& text, cv::freetype::FreeType2& font, const cv::Point2f& anchor,
                double scale, int indent);

/// The badge's rectangle for a buffer `bufferWidth` pixels wide, both corners
/// included: from (W - W/6 - 3, 3) to (W - 3, W/12 + 3).
struct BadgeBox {
    cv::Point topLeft;
    cv::Point bottomRight;
};
BadgeBox BadgeRect(int bufferWidth);

/// The label the badge font is fitted to: the widest of the three at height 80
/// (recycle, fail, pass; a later one wins only when strictly wider), plus one space.
std::string WidestBadgeLabel(cv::freetype::FreeType2& font, const std::string& pass, const std::string& fail,
                             const std::string& recycle);

/// The largest height from 80 down to 2 at which `label` fits a badge of
/// `badgeWidth` x `badgeHeight` (baseline included); 1 when none fits.
int FitBadgeFontHeight(cv::freetype::FreeType2& font, const std::string& label, int badgeWidth,
                       int badgeHeight);

/// Fills the badge in the state's colour (1 red, 2 silver, any other lime),
/// outlines it and centres `label` in it at `fontHeight`. `baseline` receives the
/// baseline of the label's measurement. A null font draws the box only.
void DrawBadge(cv::Mat& buffer, int state, const std::string& label, cv::freetype::FreeType2* font,
               int fontHeight, int& baseline);

}  // namespace FrameLayers
