#pragma once
// Sharpest bends of an ordered point list (a contour or a chain of edge points).

#include <opencv2/core.hpp>

#include <vector>

namespace EA {

/// Finds the peak (strongest clockwise turn on screen, largest turning value) and the
/// valley (strongest counter-clockwise turn) of `curve`. The turning value at i is the
/// cross product of p(i) - p(i - step) and p(i + step) - p(i); a candidate must beat
/// the five values on each side strictly. For each of the two the function reports
/// the index (-1 when none), the point ((-1, -1) when none), the turning value
/// (-infinity / +infinity when none), the linear curve y = k*x + b fitted (Huber) to
/// the points within `window` of it, itself excluded, and its distance from that
/// curve (0 when none). Coefficient vectors become (k, b, 0.0); k is +infinity for a
/// vertical line, with b its x. The optional outputs may be null. Curves shorter than
/// 2*step + 1 or 2*window + 1 points, or a negative step, give indices -1 and zero
/// values.
void findCruveLocalPeakValleyPoint(const std::vector<cv::Point2f>& curve, int& peakIndex, int& valleyIndex,
                                   cv::Point2f& peakPoint, cv::Point2f& valleyPoint, float& peakDistance,
                                   float& valleyDistance, float& peakValue, float& valleyValue,
                                   std::vector<double>* peakCoefficients, std::vector<double>* valleyCoefficients,
                                   int step, int window, cv::Vec2f* peakLine = nullptr,
                                   float* peakLineValid = nullptr, cv::Vec2f* valleyLine = nullptr,
                                   float* valleyLineValid = nullptr);

}  // namespace EA
