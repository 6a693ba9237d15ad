#include "tivra/io/WebpHeader.h"

#include <cstring>

namespace image_header {
namespace {

constexpr std::uint64_t kFirstChunk = 12;
constexpr std::uint8_t kVp8xAlpha = 0x10;
constexpr std::uint8_t kVp8xAnimation = 0x02;

struct Layout {
    std::uint32_t width = 0, height = 0;
    bool alpha = false;
};

// Lossy: a 3-byte frame tag of a key frame, the start code, then two 14-bit sizes.
bool ReadVp8(const std::uint8_t* d, std::uint32_t length, Layout& layout)
{
    if (length < 10 || (d[0] & 1) != 0 || d[3] != 0x9D || d[4] != 0x01 || d[5] != 0x2A)
        return false;
    layout.width = LittleEndian16(d + 6) & 0x3FFF;
    layout.height = LittleEndian16(d + 8) & 0x3FFF;
    return true;
}

// Lossless: signature 0x2F, then width-1 and height-1 in 14 bits each, the
// alpha hint and a 3-bit version that must be 0.
bool ReadVp8l(const std::uint8_t* d, std::uint32_t length, Layout& layout)
{
    if (length < 5 || d[0] != 0x2F)
        return false;
    const std::uint32_t bits = LittleEndian32(d + 1);
    layout.width = (bits & 0x3FFF) + 1;
    layout.height = ((bits >> 14) & 0x3FFF) + 1;
    layout.alpha = ((bits >> 28) & 1) != 0;
    return (bits >> 29) == 0;
}

std::uint32_t LittleEndian24(const std::uint8_t* p)
{
    return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

// Extended: flags, three reserved bytes, then the canvas size minus one in 24 bits each.
bool ReadVp8x(const std::uint8_t* d, std::uint32_t length, Layout& layout)
{
    if (length < 10 || (d[0] & kVp8xAnimation) != 0)
        return false;
    layout.alpha = (d[0] & kVp8xAlpha) != 0;
    layout.width = LittleEndian24(d + 4) + 1;
    layout.height = LittleEndian24(d + 7) + 1;
    return true;
}

bool ReadFirstChunk(const FileBytes& file, Layout& layout)
{
    const std::uint8_t* header = file.At(kFirstChunk, 8);
    if (!header)
        return false;
    const std::uint32_t length = LittleEndian32(header + 4);
    const std::uint8_t* d = file.At(kFirstChunk + 8, length < 10 ? length : 10);
    if (!d)
        return false;
    if (std::memcmp(header, "VP8 ", 4) == 0)
        return ReadVp8(d, length, layout);
    if (std::memcmp(header, "VP8L", 4) == 0)
        return ReadVp8l(d, length, layout);
    if (std::memcmp(header, "VP8X", 4) == 0)
        return ReadVp8x(d, length, layout);
    return false;
}

}  // namespace

bool ReadWebpHeader(const FileBytes& file, ImageFileInfo& info)
{
    const std::uint8_t* riff = file.At(0, kFirstChunk);
    if (!riff || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WEBP", 4) != 0)
        return false;
    Layout layout;
    if (!ReadFirstChunk(file, layout) || layout.width == 0 || layout.height == 0)
        return false;
    info.width = static_cast<int>(layout.width);
    info.height = static_cast<int>(layout.height);
    // A file shorter than its RIFF header announces fails to decode.
    if (std::uint64_t{LittleEndian32(riff + 4)} + 8 > file.Size())
        return false;
    info.channels = layout.alpha ? 4 : 3;
    info.bit_depth = 8;
    return true;
}

}  // namespace image_header
