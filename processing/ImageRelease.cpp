#include "tivra/processing/ImageRelease.h"

#include <cstddef>
#include <system_error>
#include <thread>
#include <utility>

void ReleaseImage(cv::Mat image)
{
    constexpr std::size_t kLargeBytes = std::size_t{8} << 20;
    const bool soleOwner = image.u && image.u->refcount == 1;
    if (!soleOwner || image.total() * image.elemSize() < kLargeBytes)
        return;
    try {
        std::thread([held = std::move(image)]() mutable { held.release(); }).detach();
    } catch (const std::system_error&) {
        // No thread to spare: the buffer is released here instead.
    }
}
