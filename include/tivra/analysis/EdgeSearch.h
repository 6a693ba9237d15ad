#pragma once
// Caliper edge search on 8-bit images: an intensity profile is sampled along a
// search line (or a caller-supplied arc), correlated with a step kernel
// (-1 ... [0] ... +1), and the first or the strongest position whose response
// passes the threshold is reported, optionally refined to sub-pixel precision.
//
// Common parameters:
//   threshold     minimum step response
//   polarity      0 either direction, 1 rising (dark to bright along the search),
//                 2 falling, 3 strongest response of either direction
//   kernelSize    width of the step kernel in samples, limited to [2, 15]
//   connectivity  4 or 8, the pixel walk of the search line
//   index         out: index of the reported sample, -1 when none
// A search that finds nothing returns (-1, -1) with index -1; bad arguments
// (such as a connectivity other than 4 or 8) count as finding nothing.

#include <opencv2/core.hpp>

#include <vector>

namespace EA {

/// Integer position of the edge sample along p1->p2 (trailing window: with kernel
/// size 2 a dark-to-bright step reports its first bright pixel). Kernel sizes 10 to
/// 15 use the size-3 kernel.
cv::Point2f findEdgePoint(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                          cv::Point p2, int connectivity, int& index);

/// As above with the kernel centred on each sample; also returns the profile and the
/// response (both one value per visited pixel, the response 0 where the kernel does
/// not fit).
cv::Point2f findEdgePoint(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                          cv::Point p2, int connectivity, std::vector<double>& profile,
                          std::vector<double>& response, int& index);

/// Sub-pixel edge position along p1->p2: the response peak of the edge that passes
/// the threshold, refined by a parabola through the neighbouring responses.
cv::Point2f findEdgePoint_subPixel(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                                   cv::Point p2, int connectivity, int& index);

cv::Point2f findEdgePoint_subPixel(const cv::Mat& img, int threshold, int polarity, int kernelSize, cv::Point p1,
                                   cv::Point p2, int connectivity, std::vector<double>& profile,
                                   std::vector<double>& response, int& index);

/// Edge along an arc given as one sample point per element (1, 3 or 4 channels);
/// returns the arc point at the edge sample exactly as given.
cv::Point2f findArcEdgePoint(const cv::Mat& img, int threshold, int polarity, int kernelSize,
                             const std::vector<cv::Point2f>& arc, int& index);

/// As findArcEdgePoint, interpolated between neighbouring arc points.
cv::Point2f findArcEdgePoint_subPixel(const cv::Mat& img, int threshold, int polarity, int kernelSize,
                                      const std::vector<cv::Point2f>& arc, int& index);

/// Every edge along p1->p2 in order from p1 (integer positions).
std::vector<cv::Point2f> findAllEdgePoints(const cv::Mat& img, int threshold, int polarity, int kernelSize,
                                           cv::Point p1, cv::Point p2, int connectivity);

/// Every local response peak along p1->p2 that passes the threshold, with sub-pixel
/// positions; peaks closer than kernelSize to the previous one are dropped.
/// Polarity 3 finds nothing here.
std::vector<cv::Point2f> findAllEdgePoints_subPixel(const cv::Mat& img, int threshold, int polarity,
                                                    int kernelSize, cv::Point2f p1, cv::Point2f p2,
                                                    int connectivity);

}  // namespace EA
