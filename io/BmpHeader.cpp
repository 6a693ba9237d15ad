#include "tivra/io/BmpHeader.h"

namespace image_header {
namespace {

constexpr std::uint64_t kInfoHeader = 14;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;

struct Header {
    std::uint32_t dataOffset = 0, infoSize = 0, width = 0, height = 0, bitsPerPixel = 0, compression = 0,
                  coloursUsed = 0;
};

bool ReadHeaders(const FileBytes& file, Header& header)
{
    const std::uint8_t* d = file.At(0, kInfoHeader + 36);
    if (!d || d[0] != 'B' || d[1] != 'M')
        return false;
    header.dataOffset = LittleEndian32(d + 10);
    header.infoSize = LittleEndian32(d + 14);
    const auto width = static_cast<std::int32_t>(LittleEndian32(d + 18));
    const auto height = static_cast<std::int32_t>(LittleEndian32(d + 22));
    header.bitsPerPixel = LittleEndian16(d + 28);
    header.compression = LittleEndian32(d + 30);
    header.coloursUsed = LittleEndian32(d + 46);
    // A negative height stores the rows top down.
    if (width <= 0 || height == 0 || height == INT32_MIN || header.infoSize < 40)
        return false;
    header.width = static_cast<std::uint32_t>(width);
    header.height = static_cast<std::uint32_t>(height < 0 ? -height : height);
    return true;
}

bool DecodableLayout(const Header& header)
{
    const std::uint32_t bits = header.bitsPerPixel;
    if (header.compression == kBitFields)
        return bits == 16;
    return header.compression == kUncompressed &&
           (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32);
}

// Palette entries are blue, green, red, reserved; the decoder gives one gray
// channel when every entry has equal colour components.
bool ReadPaletteIsGray(const FileBytes& file, const Header& header, bool& gray)
{
    const std::uint32_t entries = header.coloursUsed == 0 ? 1u << header.bitsPerPixel : header.coloursUsed;
    if (entries > 256)
        return false;
    const std::uint8_t* palette = file.At(kInfoHeader + header.infoSize, std::uint64_t{entries} * 4);
    if (!palette)
        return false;
    gray = true;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = palette + 4 * i;
        gray = gray && entry[0] == entry[1] && entry[1] == entry[2];
    }
    return true;
}

bool HoldsAllRows(const FileBytes& file, const Header& header)
{
    const std::uint64_t rowBytes = ((std::uint64_t{header.width} * header.bitsPerPixel + 31) / 32) * 4;
    return std::uint64_t{header.dataOffset} + rowBytes * header.height <= file.Size();
}

}  // namespace

bool ReadBmpHeader(const FileBytes& file, ImageFileInfo& info)
{
    Header header;
    if (!ReadHeaders(file, header))
        return false;
    info.width = static_cast<int>(header.width);
    info.height = static_cast<int>(header.height);
    bool gray = false;
    if (!DecodableLayout(header) || !HoldsAllRows(file, header) ||
        (header.bitsPerPixel <= 8 && !ReadPaletteIsGray(file, header, gray)))
        return false;
    info.channels = gray ? 1 : 3;
    info.bit_depth = 8;
    return true;
}

}  // namespace image_header
