#pragma once
// Circle fitting on edge points, and radius / diameter spread around a centre.
//
// Several independent fitters live side by side under their own names so that a caller
// can choose or compare them. Which one to pick:
//   - clean points on a full circle or a long arc: fitCircleFromPoints (fast, algebraic);
//   - points with outliers, best accuracy: fitCircleGeminiUltra (MSAC sampling with an
//     adaptive iteration bound, then a damped geometric fit on the inliers);
//   - points with many outliers packed densely on the contour: fitCircleClaudeOpus45v2.
//
// Shared contract of the robust fitters (fitCircleRANSAC ... fitCircleChatGPTv2):
//   - a point is an inlier when |distance(point, centre) - radius| < inlierThreshold;
//   - a candidate is rejected when minRadius > 0 and its radius < minRadius, or when
//     maxRadius > 0 and its radius > maxRadius: a bound of 0 or below is no bound;
//   - maxIterations bounds the number of sampling iterations;
//   - sampling is deterministic: every call reseeds its generator, so the same input gives
//     the same circle. fitCircleRANSAC and fitCircleRANSAC2 draw from the C library's rand()
//     and call srand(0) on every call, which also resets the process-wide rand() sequence
//     of the caller; the other fitters use their own std::mt19937 seeded with 12345.
//
// No function here throws.

#include <opencv2/core.hpp>

#include <vector>

namespace EA {

// ---- Robust fitters -----------------------------------------------------------------

/// Plain RANSAC on three-point circles, srand(0), indices rand() % n, at most
/// min(n, maxIterations) iterations; the result is the best three-point circle by inlier
/// count. Sets centre (0, 0) and radius 0 first, which is what stays when no model is found.
void fitCircleRANSAC(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                     int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// RANSAC with three distinct indices per sample (srand(0), rand() % n) and a final
/// moment fit on the best inlier set. Sets (0, 0) and 0 first.
void fitCircleRANSAC2(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                      int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// RANSAC with shuffled samples (mt19937(12345)), an adaptive iteration bound at 99 %
/// confidence, and the minimum enclosing circle of the best inliers as the final circle
/// when it agrees with the best sampled circle to within inlierThreshold (on short arcs it
/// does not, and the sampled circle stays). Sets (0, 0) and 0 first.
void fitCircleUSAC(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                   int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// MSAC: the three-point circle with the lowest truncated quadratic cost
/// sum(min(e^2, inlierThreshold^2)). Writes the outputs only when it accepts a model (true).
/// Bounds swap when both are positive and minRadius > maxRadius.
bool fitCircleChatGPT(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                      int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// MSAC whose threshold and iteration count adapt to the angular coverage of the points
/// (short arcs get a tighter threshold and more iterations); the best candidates are then
/// re-estimated geometrically from their inliers. Outputs written only on success.
bool fitCircleChatGPTv2(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                        int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// Stratified RANSAC (one sample point from each third of the list when there are ten or
/// more points), stopping early above 95 % inliers, then least squares and a geometric
/// refinement on the inliers. Fewer than three points: (0, 0), 0 and false.
bool fitCircleGeminiPro(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                        int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// Locally optimised MSAC with an adaptive iteration bound, finished by a damped
/// (Levenberg-Marquardt) geometric fit on the inliers. Outputs written only on success.
bool fitCircleGeminiUltra(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                          int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// MSAC with stratified sampling; every candidate is refined (least squares, geometric fit,
/// tighter inlier set, geometric fit again) and the refined circle with the lowest cost wins.
/// Outputs written only on success.
bool fitCircleClaudeOpus45(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                           int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

/// MSAC sampling weighted by local point density (from the densest 70 % of the points),
/// with an adaptive iteration bound at 99.5 % confidence, refined in rounds with inlier
/// bands shrinking to 0.75, 0.6 and 0.375 x inlierThreshold, but not below three times
/// the measured noise. Sets (0, 0) and 0 first.
bool fitCircleClaudeOpus45v2(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius,
                             int maxIterations, float inlierThreshold, float minRadius, float maxRadius);

// ---- Closed-form fitters ------------------------------------------------------------

/// Algebraic fit of the centred moments (double sums). When the moment determinant
/// vanishes (collinear or coincident points) the centre is the mean and the radius the mean
/// distance to it. No points: centre (0, 0), radius 0.
void fitCircleFromPoints(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius);

/// The moment fit in single precision. False, outputs unchanged, for fewer than three
/// points or when the points are collinear (the 2 x 2 system is singular).
bool fitCircleLeastSquares(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius);

/// Algebraic fit of x^2 + y^2 + D x + E y + F = 0 by its normal equations. False, outputs
/// unchanged, for fewer than three points or collinear points.
bool fitCircleTaubin(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius);

/// Hough voting on an image rendered from the points; centre and radius come out rounded
/// to whole pixels. Fewer than three points: false, outputs unchanged. Otherwise the outputs
/// start at (-1, -1) and -1 and are replaced when a circle is found (true).
bool fitCircleHoughTransform(const std::vector<cv::Point2f>& points, cv::Point2f& centre, float& radius);

/// The candidate (x, y, r) with the largest radius; (0, 0, 0) for an empty list. The ratio
/// does not change the result.
cv::Vec3f selectBestFitCircle(const std::vector<cv::Vec3f>& circles, float ratio);

// ---- Radius and diameter spread -----------------------------------------------------

/// Mean, largest and smallest distance of the points to centre, with the points where the
/// extremes occur. No points: mean 0, max 1.1754944e-38, min FLT_MAX, points unchanged.
void FindMeanMaxMinRadius(const std::vector<cv::Point2f>& pts, const cv::Point2f& centre, float& mean,
                          float& max, float& min, cv::Point2f& maxPt, cv::Point2f& minPt);

/// Chords between opposite points of a closed contour of n points (pts[j] to pts[j + n/2]):
/// their mean, the longest and the shortest non-zero one with their end points. With
/// n < 2 or no chord of positive length, mean, max and min are 0. centre is not used.
void FindMeanMaxMinDiameter(int n, const std::vector<cv::Point2f>& pts, const cv::Point2f& centre,
                            float& mean, float& max, float& min, cv::Point2f& maxA, cv::Point2f& maxB,
                            cv::Point2f& minA, cv::Point2f& minB);

}  // namespace EA
