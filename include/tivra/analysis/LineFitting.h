#pragma once
// Straight-line fitting to edge points. Unless stated otherwise a fitter writes its
// line in direction form (vx, vy, x0, y0): a unit direction and a point on the
// line, as cv::fitLine does. The sampling fitters use fixed seeds, so every call
// with the same input gives the same line.

#include <opencv2/core.hpp>

#include <vector>

namespace EA {

/// cv::fitLine with DIST_L2; fewer than two points give (0, 0, 0, 0).
void fitLineLeastSquares(const std::vector<cv::Point2f>& pts, cv::Vec4f& line);

/// cv::fitLine with DIST_HUBER; fewer than two points give (0, 0, 0, 0).
void fitLineUSAC(const std::vector<cv::Point2f>& pts, cv::Vec4f& line);

/// Principal axis through the centroid; fewer than two points give (0, 0, 0, 0).
void fitLineTaubin(const std::vector<cv::Point2f>& pts, cv::Vec4f& line);

/// Line through the centres of a two-cluster k-means split, written as the segment
/// (x1, y1, x2, y2) over the points' x range (over their y range when the centres
/// lie one above the other). Fewer than two points print a message to standard
/// error and leave the line unchanged.
void fitLineKMeans(const std::vector<cv::Point2f>& pts, cv::Vec4f& line);

/// Orthogonal least squares refined by Levenberg-Marquardt.
/// Throws std::runtime_error for fewer than two points.
void fitLineLevenbergMarquardt(const std::vector<cv::Point2f>& pts, cv::Vec4f& line);

/// Best line through two sampled points (most inliers closer than threshold, at
/// least minInliers), min(n, maxIterations) samples, no refinement. Leaves the line
/// unchanged when no sample qualifies.
void fitLineRANSAC(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations, double threshold,
                   int minInliers);

/// Sampling with OpenCV's RNG (seed 12345); the best sample's inliers are refitted
/// by their principal axis. (0, 0, 0, 0) when no sample qualifies.
void fitLineChatGPT(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations, double threshold,
                    int minInliers);

/// Adaptive sampling whose iteration count shrinks with the inlier ratio, then
/// cv::fitLine (DIST_L2) on the best inliers. Leaves the line unchanged for too few points.
void fitLineLeastSquaresUSAC(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations,
                             float threshold);

/// Sampling with soft (Gaussian) scoring, principal-axis refits of the inliers and a
/// final Tukey-biweight refinement; the direction points right (or down when vertical).
void fitLineClaudeOpus45(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations,
                         double threshold, int minInliers);

/// MSAC sampling (truncated quadratic cost). refineMode 0 keeps the best sample,
/// 2 runs up to five weighted principal-axis passes over the inliers, any other
/// value one unweighted pass.
void fitLineGeminiPro(const std::vector<cv::Point2f>& pts, cv::Vec4f& line, int maxIterations, double threshold,
                      int refineMode, int minInliers);

/// Line as y = k*x + b: returns (k, b, valid). method 1 robust sampling, 2 Huber,
/// anything else least squares. A vertical line gives k = +infinity and b = its x.
cv::Vec3f fitLinearCurve(const std::vector<cv::Point2f>& pts, int method);

}  // namespace EA
