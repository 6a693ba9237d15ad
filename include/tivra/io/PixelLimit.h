#pragma once
// The largest image, in pixels, that any load accepts: a file declaring more
// (a decompression bomb, or a header that lies) is refused before its pixels
// are allocated. Shared by every reader in the process and safe to use from
// any thread.
#include <cstdint>
#include <string>

namespace tivra::io {

/// OpenCV's own limit: OPENCV_IO_MAX_IMAGE_PIXELS when set, else 2^30.
std::uint64_t DefaultMaxImagePixels();

std::uint64_t GetMaxImagePixels();

/// Sets the limit; throws std::invalid_argument for 0.
void SetMaxImagePixels(std::uint64_t pixels);

/// True when width x height is within the limit. Otherwise writes an error
/// naming `path`, the size and the limit to the library's log and returns false.
bool WithinPixelLimit(const std::string& path, std::uint64_t width, std::uint64_t height);

}  // namespace tivra::io
