#pragma once
// Runs a header reader on a fuzzer input twice: as a whole file in memory, and
// as the head and tail of a file ten times larger, so that reads falling into
// the unread middle are exercised too.
#include <cstddef>
#include <cstdint>

#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace fuzz {

template <typename Reader>
int ReadBothWays(const std::uint8_t* data, std::size_t size, Reader reader)
{
    ImageFileInfo whole;
    reader(image_header::FileBytes(data, size), whole);
    const std::size_t head = size / 2;
    ImageFileInfo sampled;
    reader(image_header::FileBytes(data, head, data + head, size - head, std::uint64_t{size} * 10), sampled);
    return 0;
}

}  // namespace fuzz
