#pragma once

#include <opencv2/core.hpp>

// Line-style primitives: arrow heads, dashed and dotted strokes and a cross
// marker, drawn into an 8-bit image with OpenCV.
namespace ID {

// The two barbs of an arrow head at `to` (no shaft); headAngle in degrees.
void drawArrow(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
               int thickness, int lineType);
// Shaft from -> to, then the head at `to`.
void drawArrowLine(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
                   int thickness, int lineType);
// Samples the segment every `step` pixels (the end point is not a sample) and
// joins samples 0-1, 2-3, ...: dashes and gaps of length step.
void drawDashedLine(cv::Mat& img, cv::Point p1, cv::Point p2, cv::Scalar color, int thickness, int step);
// A filled dot of `radius` at every sample.
void drawDottedLine(cv::Mat& img, cv::Point p1, cv::Point p2, cv::Scalar color, int radius, int step);
// Dashes plus head; nothing at all for a zero-length segment.
void drawArrowDashedLine(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
                         int thickness, int step);
// Dots plus head; the head is drawn even for a zero-length segment.
void drawArrowDottedLine(cv::Mat& img, cv::Point from, cv::Point to, int headLength, int headAngle, cv::Scalar color,
                         int radius, int step);
// A plus-shaped cross of arm length size / 2 around centre.
void drawReularCrossLine(cv::Mat& img, cv::Point centre, cv::Scalar color, int thickness, int size);

} // namespace ID
