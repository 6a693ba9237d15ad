#pragma once

#include <opencv2/core.hpp>

#include <vector>

// Distance and containment helpers for hit testing, in source-image pixels.
// Distances are the square root of a double sum of squares of float
// differences, returned as float.
namespace ROIGeometry {

float DistanceToPoint(const cv::Point2f& p, const cv::Point2f& q);
// Distance from p to the segment ab; a zero-length segment gives the distance to a.
float DistanceToLine(const cv::Point2f& p, const cv::Point2f& a, const cv::Point2f& b);
float DistanceToCircle(const cv::Point2f& p, const cv::Point2f& centre, float r);
// Minimum distance to the closed outline; FLT_MAX for fewer than two vertices.
float DistanceToPolygon(const cv::Point2f& p, const std::vector<cv::Point2f>& poly);
// Left and top edges are inside, right and bottom edges outside.
bool IsInsideRect(const cv::Point2f& p, const cv::Rect2f& r);
// The smallest float rectangle holding every point; empty for no points.
cv::Rect2f BoundsOf(const std::vector<cv::Point2f>& pts);
// (trunc min x, trunc min y, trunc(max x - min x), trunc(max y - min y)); empty for no points.
cv::Rect GetBoundingBox(const std::vector<cv::Point2f>& pts);

} // namespace ROIGeometry
