#pragma once

#include "tivra/roi/ROIRecords.h"

#include <opencv2/core.hpp>

#include <vector>

// Draws cvROI records into an 8-bit image buffer. `scale` multiplies every
// point coordinate and every length taken from the points; `thicknessScale`
// multiplies the record's thickness to give the stroke width in buffer pixels.
// No offset is applied: callers map their points into the buffer first.
namespace ROIRenderer {

// Draws the visible records in vector order (later over earlier); null entries
// are skipped.
void RenderAll(cv::Mat& img, const std::vector<cvROI*>& rois, double scale, double thicknessScale);
void RenderAll(cv::Mat& img, const std::vector<cvROI*>* rois, double scale, double thicknessScale);
// Blends the record's mask colour over the image; the last two arguments are unused.
void RenderMask(cv::Mat& img, const cvROI& roi, double scale, const cv::Point2f& offset);

// The grab handles of an editing rectangle given by two opposite corners in
// buffer pixels: its four corners and the middles of its four edges, each a
// filled dot ringed in black. Handles off the buffer are not drawn.
void RenderRectangleHandles(cv::Mat& img, const cv::Point& corner, const cv::Point& opposite, const cv::Scalar& fill);

namespace Internal {

void RenderPoint(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderLine(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderArrowLine(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderRectangle(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderRotatedRectangle(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderCircle(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderAnnulus(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderEllipse(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderPolygon(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);
void RenderMask(cv::Mat& img, const cvROI* roi, double scale, double thicknessScale);

// True when the list is empty or every point has x <= 0 and y <= 0: such a
// record counts as not set.
bool AllPointsNonPositive(const std::vector<cv::Point2f>& pts);

} // namespace Internal
} // namespace ROIRenderer
