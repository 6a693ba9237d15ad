#include "tivra/io/PnmHeader.h"

#include <climits>

namespace image_header {
namespace {

bool IsSpace(std::uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

// Reads the header's text number at `pos`, skipping white space and '#'
// comments before it. Like the decoder, it takes the one byte after the digits
// with the number, which must be white space; `pos` ends behind that byte.
bool ReadNumber(const FileBytes& file, std::uint64_t& pos, std::uint32_t& value)
{
    const std::uint8_t* c = nullptr;
    while ((c = file.At(pos, 1)) && !IsDigit(*c)) {
        if (*c == '#') {
            while ((c = file.At(++pos, 1)) && *c != '\n' && *c != '\r') {
            }
        } else if (!IsSpace(*c)) {
            return false;
        }
        ++pos;
    }
    std::uint64_t number = 0;
    for (; c && IsDigit(*c); c = file.At(++pos, 1)) {
        number = number * 10 + (*c - '0');
        if (number > INT_MAX)
            return false;
    }
    if (!c || !IsSpace(*c))
        return false;
    ++pos;
    value = static_cast<std::uint32_t>(number);
    return true;
}

}  // namespace

bool ReadPnmHeader(const FileBytes& file, ImageFileInfo& info)
{
    const std::uint8_t* magic = file.At(0, 2);
    const std::uint8_t* separator = file.At(2, 1);
    // The decoder recognises the format only with white space after the magic number.
    if (!magic || !separator || magic[0] != 'P' || magic[1] < '4' || magic[1] > '6' || !IsSpace(*separator))
        return false;
    const bool bitmap = magic[1] == '4';
    const int channels = magic[1] == '6' ? 3 : 1;
    std::uint64_t pos = 2;
    std::uint32_t width = 0, height = 0, maxValue = 1;
    if (!ReadNumber(file, pos, width) || !ReadNumber(file, pos, height) ||
        (!bitmap && !ReadNumber(file, pos, maxValue)))
        return false;
    if (width == 0 || height == 0 || maxValue == 0 || maxValue > 65535)
        return false;
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);
    const std::uint64_t sampleBytes = maxValue > 255 ? 2 : 1;
    const std::uint64_t rowBytes = bitmap ? (std::uint64_t{width} + 7) / 8 : width * sampleBytes * channels;
    // A file cut short fails to decode.
    if (pos + rowBytes * height > file.Size())
        return false;
    info.channels = channels;
    info.bit_depth = maxValue > 255 ? 16 : 8;
    return true;
}

}  // namespace image_header
