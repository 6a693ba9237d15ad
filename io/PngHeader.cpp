#include "tivra/io/PngHeader.h"

#include <array>
#include <cstring>

namespace image_header {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t kEndChunk[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
// libpng's default limit on either dimension.
constexpr std::uint32_t kMaxDimension = 1000000;

enum ColorType : std::uint8_t { kGray = 0, kRgb = 2, kPalette = 3, kGrayAlpha = 4, kRgba = 6 };

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

struct Chunk {
    std::uint32_t length = 0;
    const std::uint8_t* type = nullptr;  ///< the 4 type bytes, followed by the data
};

// The chunk at `pos` when it lies wholly in the bytes read and its CRC is right.
bool ReadChunk(const FileBytes& file, std::uint64_t pos, Chunk& chunk)
{
    const std::uint8_t* header = file.At(pos, 8);
    if (!header)
        return false;
    chunk.length = BigEndian32(header);
    const std::uint8_t* whole = file.At(pos + 4, std::uint64_t{chunk.length} + 8);
    if (!whole)
        return false;
    chunk.type = whole;
    return Crc32(whole, chunk.length + 4) == BigEndian32(whole + 4 + chunk.length);
}

bool IsType(const Chunk& chunk, const char* type)
{
    return std::memcmp(chunk.type, type, 4) == 0;
}

bool ValidDepth(std::uint8_t colorType, std::uint8_t depth)
{
    switch (colorType) {
    case kGray:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb:
    case kGrayAlpha:
    case kRgba:
        return depth == 8 || depth == 16;
    default:
        return false;
    }
}

struct Header {
    std::uint32_t width = 0, height = 0;
    std::uint8_t depth = 0, colorType = 0;
    std::uint32_t paletteEntries = 0;
    bool transparency = false;
};

bool ReadIhdr(const Chunk& chunk, Header& header)
{
    if (!IsType(chunk, "IHDR") || chunk.length != 13)
        return false;
    const std::uint8_t* d = chunk.type + 4;
    header.width = BigEndian32(d);
    header.height = BigEndian32(d + 4);
    header.depth = d[8];
    header.colorType = d[9];
    return header.width > 0 && header.height > 0 && header.width <= kMaxDimension &&
           header.height <= kMaxDimension && ValidDepth(header.colorType, header.depth) && d[10] == 0 &&
           d[11] == 0 && d[12] <= 1;
}

// A tRNS chunk the decoder would ignore or reject is not vouched for.
bool ReadTransparency(const Chunk& chunk, Header& header)
{
    switch (header.colorType) {
    case kGray:
        return chunk.length == 2;
    case kRgb:
        header.transparency = chunk.length == 6;
        return header.transparency;
    case kPalette:
        header.transparency = chunk.length > 0 && chunk.length <= header.paletteEntries;
        return header.transparency;
    default:
        return false;
    }
}

// Visits the chunks between IHDR and the first IDAT. Unknown critical chunks,
// a misplaced PLTE or a second tRNS make the decoder fail or differ.
bool ReadChunksBeforeData(const FileBytes& file, std::uint64_t pos, Header& header)
{
    bool seenTransparency = false;
    Chunk chunk;
    while (ReadChunk(file, pos, chunk)) {
        if (IsType(chunk, "IDAT"))
            return header.colorType != kPalette || header.paletteEntries > 0;
        if (IsType(chunk, "PLTE")) {
            if (header.colorType == kGray || header.colorType == kGrayAlpha || header.paletteEntries > 0 ||
                seenTransparency || chunk.length == 0 || chunk.length % 3 != 0 ||
                chunk.length / 3 > (1u << header.depth))
                return false;
            header.paletteEntries = chunk.length / 3;
        } else if (IsType(chunk, "tRNS")) {
            if (seenTransparency || !ReadTransparency(chunk, header))
                return false;
            seenTransparency = true;
        } else if ((chunk.type[0] & 0x20) == 0) {
            return false;
        }
        pos += std::uint64_t{chunk.length} + 12;
    }
    return false;
}

int DecodedChannels(const Header& header)
{
    switch (header.colorType) {
    case kRgb:
    case kPalette:
        return header.transparency ? 4 : 3;
    case kGrayAlpha:
    case kRgba:
        return 4;
    default:
        return 1;
    }
}

}  // namespace

bool ReadPngHeader(const FileBytes& file, ImageFileInfo& info)
{
    const std::uint8_t* signature = file.At(0, sizeof(kSignature));
    Header header;
    Chunk ihdr;
    if (!signature || std::memcmp(signature, kSignature, sizeof(kSignature)) != 0 || !ReadChunk(file, 8, ihdr) ||
        !ReadIhdr(ihdr, header))
        return false;
    info.width = static_cast<int>(header.width);
    info.height = static_cast<int>(header.height);
    // A file cut short fails to decode; one that ends with IEND holds all its chunks.
    const std::uint8_t* end = file.Size() >= sizeof(kEndChunk) ? file.At(file.Size() - sizeof(kEndChunk), 12) : nullptr;
    if (!end || std::memcmp(end, kEndChunk, sizeof(kEndChunk)) != 0 || !ReadChunksBeforeData(file, 8 + 25, header))
        return false;
    info.channels = DecodedChannels(header);
    info.bit_depth = header.depth == 16 ? 16 : 8;
    return true;
}

}  // namespace image_header
