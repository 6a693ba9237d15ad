#pragma once
// The per-kind layout of cvROI::points, read and written here only: the
// renderer, the overlay layers, the editing panels and the Python wrapper all
// go through these accessors instead of indexing the points themselves.

#include "tivra/roi/ROIRecords.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <vector>

namespace ROIPoints {

/// Line and ArrowLine: one pair (start, end).
struct Segment {
    cv::Point2f start;
    cv::Point2f end;
};

/// Rectangle: one pair (top-left, (width, height)); RotatedRectangle adds its angle.
struct Box {
    cv::Point2f topLeft;
    cv::Point2f size;
    double angle = 0.0;
};

/// Circle: one pair (centre, radius). Drawing reads the radius as (r, unused);
/// an editing ROI takes the length of the vector (RadiusLength).
struct Circle {
    cv::Point2f centre;
    cv::Point2f radius;
};

/// Annulus: one group of four (centre, outer radius, (inner radius, outer
/// radius when > 0), (start angle, end angle)).
struct Ring {
    cv::Point2f centre;
    cv::Point2f radius; // (r, 0) or a vector of length r
    cv::Point2f inner;
    double start = 0.0;
    double end = 360.0;
};

/// The drawn outer radius: inner.y when positive, else the length of `radius`.
double OuterRadius(const Ring& r);
/// The drawn inner radius: inner.x when positive, else half the outer radius.
double InnerRadius(const Ring& r);

/// Ellipse: one triple (centre, (semi-axis x, semi-axis y), (start, end)).
struct Arc {
    cv::Point2f centre;
    cv::Point2f axes;
    double start = 0.0;
    double end = 0.0;
};

/// Points one shape of the kind takes: 2 for Line, ArrowLine, Rectangle, Circle
/// and a RotatedRectangle turned by the record's angle, 3 for Ellipse and a
/// RotatedRectangle given as triples, 4 for Annulus, 1 for the rest.
std::size_t GroupSize(const cvROI& roi);

/// The shape whose first point is pts[i]; the group must be complete.
Segment SegmentAt(const std::vector<cv::Point2f>& pts, std::size_t i);
Box BoxAt(const std::vector<cv::Point2f>& pts, std::size_t i);
Circle CircleAt(const std::vector<cv::Point2f>& pts, std::size_t i);
Ring RingAt(const std::vector<cv::Point2f>& pts, std::size_t i);
Arc ArcAt(const std::vector<cv::Point2f>& pts, std::size_t i);

/// The rectangles of a RotatedRectangle record: two points turned by the
/// record's angle, or triples (top-left, size, (angle, unused)); none for any
/// other count.
std::vector<Box> TurnedBoxes(const cvROI& roi);

/// The length of a radius an editing ROI is set with: r for (r, y <= 0), else
/// the length of the vector.
double RadiusLength(const cv::Point2f& radius);

/// True for a Polygon point that separates one polygon of the record from the next.
bool IsSeparator(const cv::Point2f& p);

/// The points of one shape, in the layout the readers above take.
std::vector<cv::Point2f> PointsOf(const Segment& s);
std::vector<cv::Point2f> PointsOf(const Box& b); // the angle goes to the record's angle
std::vector<cv::Point2f> PointsOf(const Circle& c);
std::vector<cv::Point2f> PointsOf(const Ring& r);
std::vector<cv::Point2f> PointsOf(const Arc& a);

/// What entry k of a record's points is when the record is drawn at a zoom: a
/// position (mapped like the image), a length (multiplied by the zoom) or kept
/// as it is (angles).
enum class Entry { Position, Length, Kept };
Entry EntryAt(const cvROI& roi, std::size_t k);

} // namespace ROIPoints
