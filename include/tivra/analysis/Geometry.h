#pragma once
// Geometric primitives on image-plane points (x right, y down).
//
// Angles are in degrees and measured with atan2(dy, dx) in image coordinates,
// so they grow clockwise on the screen. Two four-float line encodings exist:
//   direction form (as cv::fitLine): (vx, vy, x0, y0)
//   point form:                      (x0, y0, vx, vy)
// Each function says which one it takes. Functions with a bool result leave
// their out-parameters untouched when they return false.

#include <opencv2/core.hpp>

#include <vector>

namespace EA {

// ---- Angles -----------------------------------------------------------------

/// Brings an angle into [0, 360]: 360 stays 360, -360 becomes 0, 725 becomes 5.
/// A non-finite angle gives NaN.
double normalizeAngle(double a);

/// Direction from p1 to p2 in [0, 360]; (0,0)->(0,1) is 90 (downwards on screen).
double calculatepoint2pointAngle(const cv::Point2f& p1, const cv::Point2f& p2);

/// Signed angle at `vertex` from the ray to `a` to the ray to `c`, in [-180, 180];
/// positive when the turn is clockwise on screen, 0 when a ray has zero length.
double calculate3pointsAngle(const cv::Point2f& a, const cv::Point2f& vertex, const cv::Point2f& c);

/// Direction from p2 to p1, in [-180, 180].
double calculateline2HorizontalAngle(const cv::Point2f& p1, const cv::Point2f& p2);

/// Direction of a2->a1 minus direction of b2->b1, each taken in [0, 360); range (-360, 360).
double calculateline2lineAngle(const cv::Point2f& a1, const cv::Point2f& a2, const cv::Point2f& b1,
                               const cv::Point2f& b2);

/// Mirrors a sweep (start, end) into the counter-clockwise convention: start 30, end 90
/// becomes start 270, end 330.
void convertToCounterClockwiseAngles(double& start, double& end);

/// Mirrors a sweep back into the clockwise convention; a wrapping sweep may start below 0.
void convertToClockwiseAngles(double& start, double& end);

/// Integer point at `angle` degrees on a circle, each coordinate truncated toward zero.
cv::Point pointOnCircle(cv::Point2f centre, double radius, double angle);

/// Turns p about centre by `angle` degrees (positive turns clockwise on screen).
cv::Point2f rotatePoint(const cv::Point2f& p, const cv::Point2f& centre, double angle);

// ---- Distances --------------------------------------------------------------

double point2pointDistance(cv::Point2f p1, cv::Point2f p2);
double point2pointDistance(double x1, double y1, double x2, double y2);

/// Midpoint of p1p2 and its length.
void calcuMidPointAndDistance(const cv::Point2f& p1, const cv::Point2f& p2, cv::Point2f& mid, float& dist);

/// Signed distance of p from the infinite line l1->l2; negative when p lies clockwise of
/// the direction on screen, 0 when l1 = l2.
double point2LineDistance(const cv::Point2f& l1, const cv::Point2f& l2, const cv::Point2f& p);

/// Distance of p from the infinite line l1l2 and the foot of the perpendicular.
/// For l1 ~ l2 the foot is l1.
double Point2LineDistanceAndPoint(const cv::Point2f& l1, const cv::Point2f& l2, const cv::Point2f& p,
                                  cv::Point2f& foot);

/// Distance of p from the segment ab (the distance to a when a = b).
double point2LineSegmentDistance(const cv::Point2f& a, const cv::Point2f& b, const cv::Point2f& p);

/// |distance(p, centre) - r|.
double pointToCircleEdgeDistance(cv::Point2f p, cv::Point2f centre, double r);
double pointToCircleEdgeDistance(double px, double py, double cx, double cy, double r);

/// Distance of (px, py) from the edge of the annulus sector around `centre` between the
/// radii rInner and rOuter swept from `start` to `end`; 0 inside the sector.
double pointToAnnulusEdgeDistance(double px, double py, cv::Point centre, double rOuter, double rInner,
                                  double start, double end);

/// Distance of p from a direction-form line; the direction need not be unit length.
double pointLineDistance(const cv::Point2f& p, const cv::Vec4f& line);

/// Distance of p from a direction-form line with a unit direction.
float pointToLineDistance(const cv::Point2f& p, const cv::Vec4f& line);

/// Distance of p from the linear curve y = k*x + b (an infinite k is the line x = b);
/// 0 when `valid` is 0.
float pointToLinearCurveDistance(const cv::Point2f& p, const cv::Vec2f& curve, float valid);

// ---- Lines and intersections --------------------------------------------------

/// Direction-form line through p1 and p2 with a unit direction; p1 must differ from p2.
cv::Vec4f createLineFromTwoPoints(const cv::Point2f& p1, const cv::Point2f& p2);

/// As createLineFromTwoPoints, but false for coincident points.
bool lineFromTwoPoints(const cv::Point2f& p1, const cv::Point2f& p2, cv::Vec4f& line);

/// Intersection of the segments p1p2 and p3p4, ends included.
bool getLineSegmentIntersection(const cv::Point2f& p1, const cv::Point2f& p2, const cv::Point2f& p3,
                                const cv::Point2f& p4, cv::Point2f& out);

/// Intersection of the infinite line l1l2 with the segment s1s2, ends included.
bool getLine2LineSegmentIntersection(const cv::Point2f& l1, const cv::Point2f& l2, const cv::Point2f& s1,
                                     const cv::Point2f& s2, cv::Point2f& out);

/// Intersection of the infinite lines a1a2 and b1b2.
bool getLineIntersection(const cv::Point2f& a1, const cv::Point2f& a2, const cv::Point2f& b1,
                         const cv::Point2f& b2, cv::Point2f& out);

/// Bisector of the lines a1a2 and b1b2 in point form (x0, y0, vx, vy); for parallel lines the
/// mid line between them.
bool calcBisectoroftwolines(const cv::Point2f& a1, const cv::Point2f& a2, const cv::Point2f& b1,
                            const cv::Point2f& b2, cv::Vec4f& bisector);

/// Points where a point-form line crosses the borders x = 0, x = width, y = 0, y = height
/// (in that order, bounds inclusive; a corner may appear twice).
std::vector<cv::Point2f> calcBisectorBoundaryIntersections(const cv::Vec4f& line, int width, int height);

/// Circle through three points; false when they are (nearly) collinear.
bool circleFromThreePoints(const cv::Point2f& p1, const cv::Point2f& p2, const cv::Point2f& p3,
                           cv::Point2f& centre, float& radius);

// ---- Points, polygons and rectangles -------------------------------------------

/// n + 1 points from p1 to p2, n = trunc(|p1p2| / spacing), coordinates truncated toward
/// zero. Empty when the spacing is not positive (or so small the count overflows).
std::vector<cv::Point2f> calculateEquidistantPoints(cv::Point2f p1, cv::Point2f p2, double spacing);

/// Area centroid of a polygon; (-1, -1) for fewer than three vertices.
/// Throws std::runtime_error("The polygon has zero area.") for a degenerate polygon.
cv::Point2f calcPolygonCenter(const std::vector<cv::Point2f>& poly);

/// Rectangle from the rounded (ties to even) minimum to the rounded maximum corner;
/// (0, 0, 0, 0) for no points.
cv::Rect findBoundingBox(const std::vector<cv::Point2f>& pts);

/// True when r lies wholly inside m.
bool isRectInMat(const cv::Rect& r, const cv::Mat& m);

/// r clipped to m. A rectangle wholly outside gives a zero or negative width or height,
/// which the caller must check.
cv::Rect getValidRect(const cv::Rect& r, const cv::Mat& m);

}  // namespace EA
