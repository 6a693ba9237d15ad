#pragma once
// Context-menu ids shared by both ROI panels, and what the ROI-kind and
// SIMD items stand for. Each panel keeps its own labels and layout.
#include "tivra/roi/ROIRecords.h"

namespace PanelMenuIds {

constexpr int kScaleUp = 400;
constexpr int kScaleDown = 401;
constexpr int kZoomToFit = 402;
constexpr int kOriginal = 403;
constexpr int kFirstKind = 404;
constexpr int kLastKind = 410;
constexpr int kFirstSIMD = 411;
constexpr int kDefaultSIMD = 415;

struct SIMDItem {
    int id;
    int value;
    const char* label;
};
constexpr SIMDItem kSIMDItems[] = {
    {411, 3, "AVX512"}, {412, 2, "AVX2"}, {413, 1, "SSE4"}, {414, 0, "CPU"}, {415, -1, "Default"}};

/// The ROI kind of a kind item (the plain rectangle is 407, the rotated one 406),
/// or `current` for any other id.
inline int KindOfMenuId(int id, int current)
{
    constexpr int kinds[] = {CvROIMode::Point,  CvROIMode::Line,    CvROIMode::RotatedRectangle, CvROIMode::Rectangle,
                             CvROIMode::Circle, CvROIMode::Annulus, CvROIMode::Polygon};
    return (id >= kFirstKind && id <= kLastKind) ? kinds[id - kFirstKind] : current;
}

/// The SIMD level a SIMD item selects: 3 (AVX512) down to 0 (CPU), -1 for Default.
inline int SIMDModeOfMenuId(int id)
{
    return (id >= kFirstSIMD && id < kDefaultSIMD) ? 414 - id : -1;
}

}  // namespace PanelMenuIds
