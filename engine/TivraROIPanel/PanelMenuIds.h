#pragma once
// Context-menu ids shared by both ROI panels, and what the ROI-kind and
// SIMD items stand for. Each panel keeps its own layout.
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

struct KindItem {
    int id;
    int kind;
    const char* label;         // the advanced panel's
    const char* classicLabel;  // the classic panel's
};
// Menu order (the plain rectangle, 407, before the rotated one, 406), indexed
// like the panels' enable flags.
constexpr KindItem kKindItems[] = {
    {404, CvROIMode::Point, "Point", "Point"},
    {405, CvROIMode::Line, "Line", "Line"},
    {407, CvROIMode::Rectangle, "Rectangle", "Rectangle"},
    {406, CvROIMode::RotatedRectangle, "Rotated Rectangle", "RotatedRectangle"},
    {408, CvROIMode::Circle, "Circle", "Circle"},
    {409, CvROIMode::Annulus, "Annulus", "Annulus"},
    {410, CvROIMode::Polygon, "Polygon", "Polygon"}};

/// The ROI kind of a kind item, or `current` for any other id.
inline int KindOfMenuId(int id, int current)
{
    for (const KindItem& item : kKindItems)
        if (item.id == id)
            return item.kind;
    return current;
}

/// The SIMD level a SIMD item selects: 3 (AVX512) down to 0 (CPU), -1 for Default.
inline int SIMDModeOfMenuId(int id)
{
    return (id >= kFirstSIMD && id < kDefaultSIMD) ? 414 - id : -1;
}

}  // namespace PanelMenuIds
