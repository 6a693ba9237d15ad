#include "tivra/engine/FrameLayers.h"

#include <algorithm>
#include <cmath>

#include <opencv2/imgproc.hpp>
#include <wx/filefn.h>

#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIGeometry.h"
#include "tivra/roi/ROIPoints.h"
#include "tivra/roi/ROIRenderer.h"

namespace FrameLayers {

const char* const kDefaultFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

namespace {

constexpr float kFarAway = -1e9f;

FontPtr TryLoadFont(const std::string& path)
{
    if (path.empty())
        return nullptr;
    try {
        FontPtr font(cv::freetype::createFreeType2());
        font->loadFontData(path, 0);
        return font;
    } catch (const cv::Exception&) {
        return nullptr;
    }
}

cv::Rect UnionOf(const cv::Rect& a, const cv::Rect& b)
{
    if (a.width <= 0 || a.height <= 0)
        return b;
    return a | b;
}

cv::Rect TruncatedBox(const cv::Point2f& topLeft, const cv::Point2f& size)
{
    return cv::Rect(static_cast<int>(topLeft.x), static_cast<int>(topLeft.y), static_cast<int>(size.x),
                    static_cast<int>(size.y));
}

cv::Rect PairBoxes(const std::vector<cv::Point2f>& pts)
{
    // Each rectangle of the record counts, not only the first.
    cv::Rect box;
    for (size_t i = 0; i + 1 < pts.size(); i += 2) {
        const ROIPoints::Box b = ROIPoints::BoxAt(pts, i);
        const cv::Rect r = TruncatedBox(b.topLeft, b.size);
        if (r.width > 0 && r.height > 0)
            box = UnionOf(box, r);
    }
    return box;
}

cv::Rect RotatedRectangleBox(const cvROI& roi)
{
    const std::vector<ROIPoints::Box> boxes = ROIPoints::TurnedBoxes(roi);
    if (roi.points.size() == 2) {
        const ROIPoints::Box& b = boxes.front();
        if (b.angle == 0.0)
            return TruncatedBox(b.topLeft, b.size);
        return cv::RotatedRect(b.topLeft + b.size * 0.5f, cv::Size2f(b.size.x, b.size.y), static_cast<float>(b.angle))
            .boundingRect();
    }
    cv::Rect box;
    for (const ROIPoints::Box& b : boxes) {
        cv::Rect2f r(b.topLeft.x, b.topLeft.y, b.size.x, b.size.y);
        if (b.angle != 0.0)
            r = cv::RotatedRect(b.topLeft + b.size * 0.5f, cv::Size2f(b.size.x, b.size.y), static_cast<float>(b.angle))
                    .boundingRect2f();
        box = UnionOf(box, cv::Rect(r));
    }
    return box;
}

cv::Rect AnnulusBox(const std::vector<cv::Point2f>& pts)
{
    cv::Rect box;
    for (size_t i = 0; i + 3 < pts.size(); i += 4) {
        const ROIPoints::Ring ring = ROIPoints::RingAt(pts, i);
        const cv::Point2f& c = ring.centre;
        const double radius = ROIPoints::OuterRadius(ring);
        if (radius > 0)
            box = UnionOf(box, cv::Rect(static_cast<int>(c.x - radius), static_cast<int>(c.y - radius),
                                        static_cast<int>(2 * radius), static_cast<int>(2 * radius)));
    }
    return box;
}

cv::Rect CircleBox(const std::vector<cv::Point2f>& pts)
{
    bool any = false;
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (size_t i = 0; i + 1 < pts.size(); i += 2) {
        const ROIPoints::Circle circle = ROIPoints::CircleAt(pts, i);
        const cv::Point2f& c = circle.centre;
        const float r = circle.radius.x;
        if (r <= 0 || c.x < 0 || c.y < 0)
            continue;
        x0 = any ? std::min(x0, c.x - r) : c.x - r;
        y0 = any ? std::min(y0, c.y - r) : c.y - r;
        x1 = any ? std::max(x1, c.x + r) : c.x + r;
        y1 = any ? std::max(y1, c.y + r) : c.y + r;
        any = true;
    }
    if (!any)
        return {};
    return cv::Rect(static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
}

cv::Rect PointSetBox(const cvROI& roi)
{
    cv::Rect box = ROIGeometry::GetBoundingBox(roi.points);
    if (roi.mode == CvROIMode::Point && box.width == 0)
        return cv::Rect(box.x - 5, box.y - 5, 10, 10);
    if (roi.mode == CvROIMode::Line || roi.mode == CvROIMode::ArrowLine) {
        if (box.width < 1) {
            box.x -= 1;
            box.width = 2;
        }
        if (box.height < 1) {
            box.y -= 1;
            box.height = 2;
        }
    }
    return box;
}

bool IsDrawnInView(const cv::Rect& box, const cv::Rect& visible)
{
    if (box.width <= 0 || box.height <= 0 || visible.width <= 0 || visible.height <= 0)
        return false;
    return (box & visible).area() > 0;
}

// The part of a mask that lies under the visible region. A mask of the source's
// size is cut exactly like the image; a mask of another size is cut at the
// proportional rectangle and left for the renderer to stretch to the buffer.
cv::Mat VisibleMask(const cv::Mat& mask, const Viewport& viewport, cv::Size sourceSize)
{
    if (mask.size() == sourceSize)
        return viewport.ExtractVisibleRegion(mask);
    const cv::Rect visible = viewport.GetVisibleROI();
    if (visible.width <= 0 || visible.height <= 0 || sourceSize.width <= 0 || sourceSize.height <= 0)
        return {};
    const double fx = static_cast<double>(mask.cols) / sourceSize.width;
    const double fy = static_cast<double>(mask.rows) / sourceSize.height;
    const int x0 = static_cast<int>(std::floor(visible.x * fx));
    const int y0 = static_cast<int>(std::floor(visible.y * fy));
    const int x1 = static_cast<int>(std::ceil(visible.br().x * fx));
    const int y1 = static_cast<int>(std::ceil(visible.br().y * fy));
    const cv::Rect cut = cv::Rect(x0, y0, x1 - x0, y1 - y0) & cv::Rect(0, 0, mask.cols, mask.rows);
    if (cut.width <= 0 || cut.height <= 0)
        return {};
    return mask(cut).clone();
}

void DrawMaskOverlay(cv::Mat& buffer, const cvROI& roi, const Viewport& viewport, cv::Size sourceSize)
{
    if (roi.mask.empty())
        return;
    cv::Mat visible = VisibleMask(roi.mask, viewport, sourceSize);
    if (visible.empty())
        return;
    cvROI copy = roi;
    copy.mask = visible;
    ROIRenderer::Internal::RenderMask(buffer, &copy, 1.0, 1.0);
}

// View points shifted into buffer coordinates: the centring offset comes off the
// positions only; lengths and angles stay as they are. A polygon vertex in the
// negative quadrant becomes a separator.
std::vector<cv::Point2f> BufferPoints(const cvROI& roi, const std::vector<cv::Point2f>& viewPoints,
                                      const cv::Point2f& offset)
{
    std::vector<cv::Point2f> pts = viewPoints;
    const auto& src = roi.points;
    const size_t n = std::min(pts.size(), src.size());
    for (size_t i = 0; i < n; ++i) {
        const bool separator = roi.mode == CvROIMode::Polygon &&
                               ((src[i].x < 0 && src[i].y < 0) || ROIPoints::IsSeparator(src[i]));
        if (separator)
            pts[i] = cv::Point2f(kFarAway, kFarAway);
        else if (ROIPoints::EntryAt(roi, i) == ROIPoints::Entry::Position)
            pts[i] -= offset;
    }
    return pts;
}

// A record whose outline spans less than a screen pixel both ways at this zoom
// would be drawn as a blob of its stroke anyway: it shows as that dot, without
// the cost of its outline. Point markers keep their fixed screen size.
bool IsBelowAPixel(const cvROI& roi, const cv::Rect& box, double scale)
{
    return roi.mode != CvROIMode::Point && box.width * scale < 1.0 && box.height * scale < 1.0;
}

void DrawDot(cv::Mat& buffer, const cvROI& roi, const cv::Rect& box, const Viewport& viewport,
             double thicknessScale, const cv::Scalar& roiColor)
{
    const cv::Point2f centre(box.x + box.width * 0.5f, box.y + box.height * 0.5f);
    const cv::Point2f at = viewport.OriginalToView(centre) - viewport.GetCenteringOffset();
    const int side = std::clamp(static_cast<int>(roi.thickness * thicknessScale), 1, std::max(buffer.cols, 1));
    const cv::Rect dot = cv::Rect(static_cast<int>(std::floor(at.x)) - (side - 1) / 2,
                                  static_cast<int>(std::floor(at.y)) - (side - 1) / 2, side, side) &
                         cv::Rect(0, 0, buffer.cols, buffer.rows);
    if (dot.empty())
        return;
    const cv::Scalar& colour = roi.roiIndex >= 0 ? roiColor : roi.color;
    if (side == 1 && buffer.type() == CV_8UC3) {
        buffer.at<cv::Vec3b>(dot.y, dot.x) = cv::Vec3b(cv::saturate_cast<uchar>(colour[0]),
                                                       cv::saturate_cast<uchar>(colour[1]),
                                                       cv::saturate_cast<uchar>(colour[2]));
        return;
    }
    buffer(dot).setTo(colour);
}

// The record with its points in buffer coordinates, written into `out` (whose
// storage is reused): positions mapped and shifted by the centring offset,
// lengths scaled, angles kept, polygon separators moved far away. False when no
// point lands in the positive quadrant, where nothing would be drawn.
bool ToBufferRecord(const cvROI& roi, const Viewport& viewport, double scale, const cv::Scalar& roiColor, cvROI& out)
{
    out = roi;
    const cv::Point2f offset = viewport.GetCenteringOffset();
    const float s = static_cast<float>(scale);
    bool anyPositive = false;
    for (size_t i = 0; i < roi.points.size(); ++i) {
        const cv::Point2f& p = roi.points[i];
        cv::Point2f& q = out.points[i];
        const bool separator = roi.mode == CvROIMode::Polygon && ((p.x < 0 && p.y < 0) || ROIPoints::IsSeparator(p));
        const ROIPoints::Entry entry = ROIPoints::EntryAt(roi, i);
        if (separator)
            q = cv::Point2f(kFarAway, kFarAway);
        else if (entry == ROIPoints::Entry::Position)
            q = viewport.OriginalToView(p) - offset;
        else if (entry == ROIPoints::Entry::Length)
            q = p * s;
        anyPositive = anyPositive || q.x > 0 || q.y > 0;
    }
    if (roi.roiIndex >= 0)
        out.color = roiColor;
    return anyPositive;
}

}  // namespace

FontPtr LoadFont(const wxString& path, const std::string& defaultPath)
{
    if (!path.empty() && wxFileExists(path)) {
        if (FontPtr font = TryLoadFont(std::string(path.mb_str(*wxConvCurrent))))
            return font;
    }
    return TryLoadFont(defaultPath);
}

cv::Rect OverlayCullingBox(const cvROI& roi, cv::Size sourceSize)
{
    const auto& pts = roi.points;
    switch (roi.mode) {
    case CvROIMode::Mask:
        return cv::Rect(0, 0, sourceSize.width, sourceSize.height);
    case CvROIMode::Rectangle:
        if (pts.size() >= 2)
            return PairBoxes(pts);
        break;
    case CvROIMode::RotatedRectangle:
        if (pts.size() >= 2)
            return RotatedRectangleBox(roi);
        break;
    case CvROIMode::Annulus:
        if (pts.size() >= 3)
            return AnnulusBox(pts);
        return {};
    case CvROIMode::Circle:
        if (pts.size() >= 2)
            return CircleBox(pts);
        break;
    default:
        break;
    }
    return PointSetBox(roi);
}

std::vector<cv::Point2f> OverlayViewPoints(const cvROI& roi, const Viewport& viewport, double scale)
{
    if (roi.mode == CvROIMode::Mask)
        return {};
    std::vector<cv::Point2f> view = viewport.OriginalToView(roi.points);
    const float s = static_cast<float>(scale);
    for (size_t i = 0; i < view.size(); ++i) {
        const ROIPoints::Entry entry = ROIPoints::EntryAt(roi, i);
        if (entry == ROIPoints::Entry::Length)
            view[i] = roi.points[i] * s;
        else if (entry == ROIPoints::Entry::Kept)
            view[i] = roi.points[i];
    }
    return view;
}

void DrawOverlay(cv::Mat& buffer, const cvROI& roi, const std::vector<cv::Point2f>& viewPoints,
                 const Viewport& viewport, double scale, cv::Size sourceSize, const cv::Scalar& roiColor)
{
    if (roi.mode == CvROIMode::Mask) {
        DrawMaskOverlay(buffer, roi, viewport, sourceSize);
        return;
    }
    std::vector<cv::Point2f> pts = BufferPoints(roi, viewPoints, viewport.GetCenteringOffset());
    const bool anyPositive =
        std::any_of(pts.begin(), pts.end(), [](const cv::Point2f& p) { return p.x > 0 || p.y > 0; });
    if (!anyPositive)
        return;
    cvROI copy = roi;
    copy.points = std::move(pts);
    if (copy.roiIndex >= 0)
        copy.color = roiColor;
    // Points are already in buffer pixels; strokes thicken with the zoom but never
    // thin below the record's own thickness.
    ROIRenderer::RenderAll(buffer, std::vector<cvROI*>{&copy}, 1.0, std::max(scale, 1.0));
}

void DrawOverlays(cv::Mat& buffer, const std::vector<const cvROI*>& records, const Viewport& viewport,
                  double scale, cv::Size sourceSize, const cv::Scalar& roiColor)
{
    const cv::Rect visible = viewport.GetVisibleROI();
    // One scratch record for the whole frame: its point list keeps its capacity, so
    // thousands of overlays cost no allocation each.
    cvROI scratch;
    const std::vector<cvROI*> one{&scratch};
    const double thicknessScale = std::max(scale, 1.0);
    for (const cvROI* roi : records) {
        if (!roi || !roi->visible || (roi->mode != CvROIMode::Mask && roi->points.empty()))
            continue;
        const cv::Rect box = OverlayCullingBox(*roi, sourceSize);
        if (!IsDrawnInView(box, visible))
            continue;
        if (roi->mode == CvROIMode::Mask) {
            DrawMaskOverlay(buffer, *roi, viewport, sourceSize);
        } else if (IsBelowAPixel(*roi, box, scale)) {
            DrawDot(buffer, *roi, box, viewport, thicknessScale, roiColor);
        } else if (ToBufferRecord(*roi, viewport, scale, roiColor, scratch)) {
            ROIRenderer::RenderAll(buffer, one, 1.0, thicknessScale);
        }
    }
}

void DrawText(cv::Mat& buffer, const cvText& text, cv::freetype::FreeType2& font, const Viewport& viewport,
              double scale)
{
    const cv::Point2f anchor = viewport.OriginalToView(text.position) - viewport.GetCenteringOffset();
    if (anchor.x < -100.0f || anchor.y < -100.0f)
        return;
    DrawTextAt(buffer, text, font, anchor, scale, 0);
}

void DrawTextAt(cv::Mat& buffer, const cvText& text, cv::freetype::FreeType2& font, const cv::Point2f& anchor,
                double scale, int indent)
{
    // Text starts right of and below its anchor: an anchor past the buffer's right or bottom edge
    // (or not a number) shows nothing, and skipping it keeps the pixel casts below in range.
    if (!(anchor.x < static_cast<float>(buffer.cols) && anchor.y < static_cast<float>(buffer.rows)) ||
        !(anchor.x > -1e6f && anchor.y > -1e6f))
        return;
    // Glyphs taller than the buffer cannot be read; capping them keeps FreeType from rasterising
    // huge bitmaps at high zoom.
    const double wanted = std::min(scale * text.fontHeight, static_cast<double>(std::max(buffer.rows, 1)));
    const int height = std::max(static_cast<int>(wanted), 1);
    const int pad = static_cast<int>(scale * 10.0);
    const int step = height + pad;
    const int x = static_cast<int>(std::nearbyint(anchor.x)) + indent;
    for (size_t i = 0; i < text.lines.size(); ++i) {
        const double top = anchor.y + static_cast<double>(i) * step;
        if (top >= buffer.rows)
            break;
        const std::string line(text.lines[i].utf8_str());
        const int y = static_cast<int>(std::nearbyint(top + height));
        if (text.drawBackground) {
            int baseline = 0;
            const cv::Size size = font.getTextSize(line, height, -1, &baseline);
            cv::rectangle(buffer, cv::Point(x, y + baseline), cv::Point(x + pad + size.width, y - size.height),
                          text.bgColor, -1, cv::LINE_8);
        }
        font.putText(buffer, line, cv::Point(x, y), height, text.color, -1, cv::LINE_AA, true);
    }
}

BadgeBox BadgeRect(int bufferWidth)
{
    const int bw = bufferWidth / 6;
    const int bh = bufferWidth / 12;
    return {cv::Point(bufferWidth - bw - 3, 3), cv::Point(bufferWidth - 3, bh + 3)};
}

std::string WidestBadgeLabel(cv::freetype::FreeType2& font, const std::string& pass, const std::string& fail,
                             const std::string& recycle)
{
    int baseline = 0;
    std::string widest = recycle;
    int widestWidth = font.getTextSize(recycle, 80, -1, &baseline).width;
    for (const std::string* label : {&fail, &pass}) {
        const int width = font.getTextSize(*label, 80, -1, &baseline).width;
        if (width > widestWidth) {
            widest = *label;
            widestWidth = width;
        }
    }
    return widest + " ";
}

int FitBadgeFontHeight(cv::freetype::FreeType2& font, const std::string& label, int badgeWidth, int badgeHeight)
{
    for (int height = 80; height >= 2; --height) {
        int baseline = 0;
        const cv::Size size = font.getTextSize(label, height, -1, &baseline);
        if (size.width <= badgeWidth && baseline + height <= badgeHeight)
            return height;
    }
    return 1;
}

void DrawBadge(cv::Mat& buffer, int state, const std::string& label, cv::freetype::FreeType2* font, int fontHeight,
               int& baseline)
{
    const int width = buffer.cols;
    const BadgeBox box = BadgeRect(width);
    const cv::Scalar fill = state == 1 ? cv_Color_Defines::red
                            : state == 2 ? cv_Color_Defines::silver
                                         : cv_Color_Defines::lime;
    cv::rectangle(buffer, box.topLeft, box.bottomRight, fill, -1, cv::LINE_8);
    cv::rectangle(buffer, box.topLeft, box.bottomRight, cv::Scalar(136, 136, 18), 2, cv::LINE_8);
    if (!font)
        return;
    const int bw = width / 6;
    const int bh = width / 12;
    const cv::Size size = font->getTextSize(label, fontHeight, -1, &baseline);
    const cv::Point origin(box.topLeft.x + (bw - size.width) / 2, (bh + size.height) / 2 - baseline + 3);
    font->putText(buffer, label, origin, fontHeight, cv_Color_Defines::lightyellow, -1, cv::LINE_AA, true);
}

}  // namespace FrameLayers
