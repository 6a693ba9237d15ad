#include "tivra/io/JpegHeader.h"

namespace jpeg_header {
namespace {

constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;

unsigned BigEndian16(const std::uint8_t* bytes)
{
    return (static_cast<unsigned>(bytes[0]) << 8) | bytes[1];
}

// Markers without a length field: TEM and the restart markers.
bool IsStandalone(std::uint8_t marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// Baseline, extended sequential and progressive Huffman frames: the ones every
// libjpeg build decodes. Lossless and arithmetic frames are left to the decoder.
bool IsDecodableFrame(std::uint8_t marker)
{
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2;
}

struct Frame {
    int width = 0;
    int height = 0;
    int components = 0;
};

// The frame header's payload starts at `p`; `length` bytes belong to it.
bool ReadFrame(const std::uint8_t* p, std::size_t length, Frame& frame)
{
    if (length < 6 || p[0] != 8)
        return false;
    frame.height = static_cast<int>(BigEndian16(p + 1));
    frame.width = static_cast<int>(BigEndian16(p + 3));
    frame.components = p[5];
    return frame.height > 0 && frame.width > 0 &&
           (frame.components == 1 || frame.components == 3 || frame.components == 4);
}

}  // namespace

bool ReadJpegFrame(const std::uint8_t* data, std::size_t size, ImageFileInfo& info)
{
    if (size < 4 || data[0] != 0xFF || data[1] != kStartOfImage)
        return false;
    Frame frame;
    bool haveFrame = false;
    std::size_t p = 2;
    while (p + 1 < size) {
        if (data[p] != 0xFF)
            return false;
        const std::uint8_t marker = data[p + 1];
        if (marker == 0xFF) {  // fill byte before a marker
            ++p;
            continue;
        }
        if (IsStandalone(marker)) {
            p += 2;
            continue;
        }
        if (marker == kEndOfImage || p + 4 > size)
            return false;
        const std::size_t length = BigEndian16(data + p + 2);
        if (length < 2 || length > size - p - 2)
            return false;
        if (marker == kStartOfScan) {
            if (!haveFrame)
                return false;
            info.width = frame.width;
            info.height = frame.height;
            info.channels = frame.components == 1 ? 1 : 3;
            info.bit_depth = 8;
            return true;
        }
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            if (haveFrame || !IsDecodableFrame(marker) || !ReadFrame(data + p + 4, length - 2, frame))
                return false;
            haveFrame = true;
        }
        p += 2 + length;
    }
    return false;
}

}  // namespace jpeg_header
