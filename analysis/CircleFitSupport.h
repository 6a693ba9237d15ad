#pragma once
// Building blocks shared by the circle fitters: radius bounds, inlier tests, the truncated
// quadratic (MSAC) cost, geometric refinement and angular coverage. Internal to analysis/.

#include <opencv2/core.hpp>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

namespace EA {
namespace circlefit {

struct Circle {
    cv::Point2f centre;
    float radius = 0.0f;
};

/// Accepted radius range. A non-finite radius is never accepted.
struct RadiusBounds {
    float lower = 0.0f;
    float upper = FLT_MAX;

    /// A bound of 0 or below is no bound.
    static RadiusBounds fromLimits(float minRadius, float maxRadius);
    /// As fromLimits, and the two are swapped when both are positive and out of order.
    static RadiusBounds fromLimitsOrdered(float minRadius, float maxRadius);

    bool admits(float r) const { return std::isfinite(r) && r >= lower && r <= upper; }
};

/// Signed distance of p from the circle (positive outside), in double.
inline double radialResidual(const cv::Point2f& p, const cv::Point2f& centre, float radius)
{
    const double dx = double(p.x) - centre.x;
    const double dy = double(p.y) - centre.y;
    return std::sqrt(dx * dx + dy * dy) - radius;
}

/// |distance - radius| < threshold (strict).
inline bool isInlier(const cv::Point2f& p, const cv::Point2f& centre, float radius, float threshold)
{
    return float(std::fabs(radialResidual(p, centre, radius))) < threshold;
}

int countInliers(const std::vector<cv::Point2f>& points, const Circle& c, float threshold);
std::vector<cv::Point2f> collectInliers(const std::vector<cv::Point2f>& points, const Circle& c,
                                        float threshold);

/// Sum of min(e^2, threshold^2). Stops adding once the sum exceeds stopAbove (the caller
/// only needs to know it lost), so the value is exact only when it is <= stopAbove.
double msacCost(const std::vector<cv::Point2f>& points, const Circle& c, float threshold,
                double stopAbove = HUGE_VAL);

/// Sum of the squared distances of the points from the circle.
double sumSquaredResiduals(const std::vector<cv::Point2f>& points, const Circle& c);

/// The number of points as an int (lists longer than INT_MAX are used up to INT_MAX).
int pointCount(const std::vector<cv::Point2f>& points);

/// Three distinct indices drawn uniformly from [0, n - 1]; n must be at least 3.
void drawDistinctTriple(std::mt19937& rng, int n, int (&idx)[3]);

/// One index from each third of [0, n - 1] (integer thirds), so that the three points of a
/// sample from an ordered contour lie far apart; n must be at least 3.
void drawStratifiedTriple(std::mt19937& rng, int n, int (&idx)[3]);

/// The circle through the three indexed points when they are not collinear and its radius
/// is within bounds.
bool sampleCircle(const std::vector<cv::Point2f>& points, const int (&idx)[3], const RadiusBounds& bounds,
                  Circle& c);

/// Gauss-Newton on the orthogonal distances with the normal matrix's diagonal scaled by
/// 1.01, at most maxSteps steps, stopping when every step component is below 1e-4.
/// False when the result is not a circle (radius not positive or centre not finite).
bool refineGeometric(const std::vector<cv::Point2f>& pts, Circle& c, int maxSteps = 10);

/// Levenberg-Marquardt on the orthogonal distances: damping starts at 0.01 and is
/// multiplied by 0.1 after a step that lowers the squared error, by 10 otherwise.
/// False when no circle results.
bool refineLevenbergMarquardt(const std::vector<cv::Point2f>& pts, Circle& c, int maxSteps = 30);

/// The inliers without those that sit alone on the circle: runs of at most max(2, m / 50)
/// points (m inliers) cut off from the rest by angular gaps of more than eight times the
/// median gap. Uniform outliers that fall into the inlier band on the far side of a short
/// arc have great leverage on the fit; points of a real contour come in runs.
std::vector<cv::Point2f> dropIsolatedInliers(const std::vector<cv::Point2f>& inliers, const cv::Point2f& centre);

/// 2 pi minus the largest angular gap between the points as seen from their centroid.
float angularCoverage(const std::vector<cv::Point2f>& points);

/// Sampling iterations needed so that an all-inlier triple is drawn with the confidence
/// whose failure log is logFailure, at inlier ratio w; INT_MAX when w is too small to tell.
int iterationsForConfidence(double w, double logFailure);

}  // namespace circlefit
}  // namespace EA
