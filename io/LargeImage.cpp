#include "tivra/io/LargeImage.h"

#include <cstddef>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>

#include <sys/mman.h>

// With 4 KiB pages, faulting in a fresh 24-megapixel image costs about as much
// as blurring it, and far more than copying it.
cv::Mat NewLargeImage(cv::Size size, int type)
{
    cv::Mat image(size, type);
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(image.data);
    const std::uintptr_t begin = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + image.total() * image.elemSize()) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    return image;
}

cv::Mat LargeCopy(const cv::Mat& image)
{
    if (image.empty() || image.dims > 2)
        return image.clone();
    cv::Mat copy = NewLargeImage(image.size(), image.type());
    image.copyTo(copy);
    return copy;
}

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
