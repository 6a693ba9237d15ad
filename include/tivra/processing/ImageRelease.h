#pragma once
// Letting go of an image the caller no longer needs. Returning tens of megabytes
// to the system (unmapping their pages) takes about as long as resizing them, so
// the last reference to a large buffer is dropped on a short-lived thread and the
// caller goes on at once. Small or shared buffers are let go at once.
#include <opencv2/core.hpp>

void ReleaseImage(cv::Mat image);
