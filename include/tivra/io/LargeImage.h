#pragma once
// Getting and letting go of large images. This machine's kind of system pays
// dearly for every 4 KiB page a fresh buffer touches first, so large new
// images are backed by transparent huge pages, as NumPy arrays are. Returning
// tens of megabytes to the system (unmapping their pages) takes about as long
// as resizing them, so the last reference to a large buffer is dropped on a
// short-lived thread and the caller goes on at once. Small or shared buffers
// are let go at once.
#include <opencv2/core.hpp>

/// A new, uninitialised image whose buffer is backed by huge pages where it spans them.
cv::Mat NewLargeImage(cv::Size size, int type);

/// A deep copy of image, packed, in a buffer from NewLargeImage: as fast to
/// fill as NumPy's copy, where Mat::clone pays for every page it touches.
cv::Mat LargeCopy(const cv::Mat& image);

void ReleaseImage(cv::Mat image);
