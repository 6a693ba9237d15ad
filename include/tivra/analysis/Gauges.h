#pragma once
// Gauges: edges, lines and circles measured inside an ROI.
//
// A gauge lays one or more calipers over the image. A caliper samples the image
// along its search direction at one-pixel steps with bilinear interpolation,
// averaging `width` lines one pixel apart (parallel lines, or rays fanned about the
// centre for the radial calipers of a circle gauge), and looks for steps in that
// profile. Edge positions are the centroid of the step response around its peak,
// which stays unbiased whatever the edge's sub-pixel phase.
//
// Conventions: pixel centres sit at integer coordinates; angles are in degrees,
// atan2(dy, dx) in image coordinates (y down), so they grow clockwise on screen.
// Polarity is seen along the caliper's search direction.
//
// No gauge throws for unsuitable input: an empty image, an ROI outside the image,
// degenerate or non-finite geometry and too few edges all give ok == false and a
// reason that says what went wrong.

#include <opencv2/core.hpp>

#include <string>
#include <vector>

namespace EA {

enum class EdgeSelect { First = 0, Strongest = 1, All = 2 };

struct CaliperParams {
    double threshold = 20.0;  ///< minimum step contrast in grey levels (response / half the kernel size)
    int polarity = 0;         ///< 0 either, 1 rising (dark to bright along the search), 2 falling
    int kernelSize = 2;       ///< width of the step kernel in samples, limited to [2, 15]
    int width = 5;            ///< parallel lines averaged across the search, one pixel apart (>= 1)
    EdgeSelect select = EdgeSelect::First;  ///< which edge a caliper reports (All: the edge gauge only)
};

/// One edge found by a caliper.
struct GaugeEdge {
    cv::Point2f point;       ///< sub-pixel position in the image
    double position = 0.0;   ///< distance from the caliper's start along its search direction
    int polarity = 0;        ///< 1 rising, 2 falling
    double strength = 0.0;   ///< peak step response in grey levels, as compared with the threshold
};

/// One caliper of a line or circle gauge: its search segment and the edge it found, if any.
struct CaliperHit {
    cv::Point2f start, end;  ///< search segment (start -> end)
    bool found = false;
    GaugeEdge edge;          ///< valid when found
    bool inlier = false;     ///< the edge was used by the final fit
};

struct EdgeGaugeResult {
    bool ok = false;
    std::string reason;              ///< why the gauge failed; empty when ok
    std::vector<GaugeEdge> edges;    ///< in order along the search
    std::vector<double> gaps;        ///< distances between consecutive edges
};

struct LineGaugeParams {
    CaliperParams caliper;
    int calipers = 10;               ///< calipers spread along the rectangle's long axis (>= 2)
    double inlierThreshold = 1.0;    ///< pixels; farther edge points are outliers
};

struct LineGaugeResult {
    bool ok = false;
    std::string reason;
    cv::Vec4f line{0, 0, 0, 0};      ///< direction form (vx, vy, x0, y0), direction along the long axis
    cv::Point2f p1, p2;              ///< fitted line between the rectangle's two short sides
    double angle = 0.0;              ///< to the horizontal, degrees in (-90, 90]
    double straightness = 0.0;       ///< largest minus smallest signed residual of the inliers
    int inliers = 0;
    std::vector<CaliperHit> hits;    ///< one per caliper
};

struct CircleGaugeParams {
    CaliperParams caliper;
    int calipers = 32;               ///< radial calipers spread over the sweep (>= 3)
    bool inward = false;             ///< search from the outer towards the inner radius
    double inlierThreshold = 1.0;    ///< pixels; farther edge points are outliers
};

struct CircleGaugeResult {
    bool ok = false;
    std::string reason;
    cv::Point2f centre;
    double radius = 0.0;
    double diameter = 0.0;
    double roundness = 0.0;          ///< largest minus smallest radial distance of the inliers
    int inliers = 0;
    std::vector<CaliperHit> hits;    ///< one per caliper
};

/// Every edge (or the first, or the strongest, by params.select) along p1 -> p2,
/// averaging params.width lines across the search.
EdgeGaugeResult measureEdges(const cv::Mat& img, cv::Point2f p1, cv::Point2f p2, const CaliperParams& params);

/// Edges along the long axis of a rotated rectangle, averaged over its whole short side
/// (params.width is not used). The long axis points along box.angle when the width is at
/// least the height, else along box.angle + 90; the search runs that way from short side
/// to short side (left to right for a level, wide rectangle).
EdgeGaugeResult measureEdges(const cv::Mat& img, const cv::RotatedRect& box, const CaliperParams& params);

/// Line gauge: calipers spread along the long axis of the rectangle (as above), each
/// searching across it (the long axis turned by +90 degrees: downwards for a level
/// rectangle), and a robust line fit of their edges.
LineGaugeResult measureLine(const cv::Mat& img, const cv::RotatedRect& box, const LineGaugeParams& params);

/// Circle gauge over the annulus sector between innerRadius and outerRadius swept from
/// startAngle to endAngle (the smaller to the larger, as cv::ellipse draws it; a sweep of
/// 360 or more is the full ring), and a robust circle fit of the edges.
CircleGaugeResult measureCircle(const cv::Mat& img, cv::Point2f centre, double innerRadius, double outerRadius,
                                double startAngle, double endAngle, const CircleGaugeParams& params);

}  // namespace EA
