#pragma once
// The current ROI of an editing panel set from code and read back: what a
// panel's SetROI, GetRect and radius getters do with an ROIEditState. Shared by
// the panels so that a record set on one reads back the same on the other.

#include "tivra/roi/ROIEditor.h"
#include "tivra/roi/ROIRecords.h"

#include <opencv2/core.hpp>

namespace ROIEditRecord {

/// Clears the geometry and the gesture; the kind and whether a polygon is open stay.
void Reset(ROIEditState& s);

/// Throws std::invalid_argument naming the first point ("points[1]") or the
/// angle that is not finite: such geometry can neither be drawn nor measured.
void RequireFiniteGeometry(const cvROI& roi);

/// Sets kind and geometry from a record (the point layout of each kind is that of
/// cvROI). A record with the wrong number of points for its kind resets the ROI.
void Apply(ROIEditState& s, const cvROI& roi);

/// The record Apply takes to set this ROI again: its kind, its points in the layout of
/// cvROI (circles and annuli with radii as (r, 0), the annulus's inner radius as
/// InnerRadius gives it) and a rotated rectangle's angle. No points for None.
cvROI ToRecord(const ROIEditState& s);

/// The ROI's rectangle, truncated toward zero, or (0, 0, 0, 0) when there is no
/// shape: the point (size 0), a line's span, a (rotated) rectangle's roiRect, the
/// bounding square of a circle's or annulus's outer circle, a polygon's
/// bounding box.
cv::Rect ReportedRect(const ROIEditState& s);

/// The source area the ROI covers, in source pixels: a rectangle as it is, the
/// box around a rotated rectangle's corners, a circle's or annulus's outer circle,
/// a line's span, a closed or open polygon's vertices. Empty for a point and when
/// there is no shape.
cv::Rect2f CoveredBox(const ROIEditState& s);

/// Whether there is a shape to show and edit: a point off the origin, a line of
/// some length, a sized (rotated) rectangle, circle or annulus, a closed polygon.
bool HasShape(const ROIEditState& s);

/// Length of the radius vector (roiRect width, height) in single precision; 0 when neither is positive.
double OuterRadius(const ROIEditState& s);

/// innerRadius when positive, else half the outer radius.
double InnerRadius(const ROIEditState& s);

}  // namespace ROIEditRecord
