#include "tivra/io/PixelLimit.h"

#include <atomic>
#include <cstdlib>
#include <stdexcept>

#include "tivra/io/Log.h"

namespace tivra::io {
namespace {

std::atomic<std::uint64_t>& Limit()
{
    static std::atomic<std::uint64_t> limit{DefaultMaxImagePixels()};
    return limit;
}

}  // namespace

std::uint64_t DefaultMaxImagePixels()
{
    const char* configured = std::getenv("OPENCV_IO_MAX_IMAGE_PIXELS");
    const std::uint64_t value = configured ? std::strtoull(configured, nullptr, 10) : 0;
    return value > 0 ? value : std::uint64_t{1} << 30;
}

std::uint64_t GetMaxImagePixels()
{
    return Limit().load();
}

void SetMaxImagePixels(std::uint64_t pixels)
{
    if (pixels == 0)
        throw std::invalid_argument("the pixel limit must be at least 1");
    Limit().store(pixels);
}

bool WithinPixelLimit(const std::string& path, std::uint64_t width, std::uint64_t height)
{
    const std::uint64_t limit = GetMaxImagePixels();
    std::uint64_t pixels = 0;
    if (!__builtin_mul_overflow(width, height, &pixels) && pixels <= limit)
        return true;
    log::Write(log::Level::Error, "io/PixelLimit",
               path + ": the image has " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels, more than the limit of " + std::to_string(limit) +
                   " (SetMaxImagePixels); it was not loaded");
    return false;
}

}  // namespace tivra::io
