#include "tivra/io/TiffHeader.h"

#include <algorithm>
#include <optional>

namespace image_header {
namespace {

enum Tag : std::uint16_t {
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometric = 262,
    kStripOffsets = 273,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kPlanarConfig = 284,
    kTileWidth = 322,
    kTileLength = 323,
    kTileOffsets = 324,
    kTileByteCounts = 325,
    kSampleFormat = 339,
};

constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint64_t kEntrySize = 12;
constexpr std::uint32_t kMaxDimension = 1u << 20;  // the decoder's limit on either side

struct Entry {
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint64_t valuePos = 0;  ///< inline in the entry or at the offset it holds
};

// TIFF integers in the file's byte order, read through FileBytes' bounds checks.
class TiffReader {
public:
    TiffReader(const FileBytes& file, bool bigEndian) : m_file(file), m_bigEndian(bigEndian) {}

    std::optional<std::uint32_t> U16(std::uint64_t pos) const
    {
        const std::uint8_t* p = m_file.At(pos, 2);
        return p ? std::optional<std::uint32_t>(m_bigEndian ? BigEndian16(p) : LittleEndian16(p)) : std::nullopt;
    }

    std::optional<std::uint32_t> U32(std::uint64_t pos) const
    {
        const std::uint8_t* p = m_file.At(pos, 4);
        return p ? std::optional<std::uint32_t>(m_bigEndian ? BigEndian32(p) : LittleEndian32(p)) : std::nullopt;
    }

    // Element `index` of a SHORT or LONG value.
    std::optional<std::uint32_t> Element(const Entry& entry, std::uint32_t index) const
    {
        if (index >= entry.count)
            return std::nullopt;
        if (entry.type == kTypeShort)
            return U16(entry.valuePos + 2ull * index);
        if (entry.type == kTypeLong)
            return U32(entry.valuePos + 4ull * index);
        return std::nullopt;
    }

    // Reads the entry at `at`; values of up to four bytes lie inline.
    std::optional<Entry> ReadEntry(std::uint64_t at) const
    {
        const auto type = U16(at + 2);
        const auto count = U32(at + 4);
        const auto offset = U32(at + 8);
        if (!type || !count || !offset)
            return std::nullopt;
        const std::uint64_t size = *type == kTypeShort ? 2 : 4;
        Entry entry{static_cast<std::uint16_t>(*type), *count, 0};
        entry.valuePos = size * entry.count <= 4 ? at + 8 : *offset;
        return entry;
    }

private:
    const FileBytes& m_file;
    bool m_bigEndian;
};

struct Directory {
    std::uint32_t width = 0, height = 0, bits = 0, compression = 1, photometric = 99, samples = 1,
                  rowsPerStrip = 0xFFFFFFFFu, planar = 1, tileWidth = 0, tileLength = 0, sampleFormat = 1;
    std::optional<Entry> offsets, byteCounts;
    bool uniformBits = true;
};

// Sample counts must agree across channels: every element of BitsPerSample
// and SampleFormat is the same.
std::optional<std::uint32_t> UniformValue(const TiffReader& tiff, const Entry& entry)
{
    const auto first = tiff.Element(entry, 0);
    for (std::uint32_t i = 1; first && i < entry.count && i < 16; ++i)
        if (tiff.Element(entry, i) != first)
            return std::nullopt;
    return first;
}

void Record(const TiffReader& tiff, std::uint16_t tag, const Entry& entry, Directory& dir)
{
    auto value = [&](std::uint32_t& field) { field = tiff.Element(entry, 0).value_or(0); };
    switch (tag) {
    case kImageWidth: value(dir.width); break;
    case kImageLength: value(dir.height); break;
    case kCompression: value(dir.compression); break;
    case kPhotometric: value(dir.photometric); break;
    case kSamplesPerPixel: value(dir.samples); break;
    case kRowsPerStrip: value(dir.rowsPerStrip); break;
    case kPlanarConfig: value(dir.planar); break;
    case kTileWidth: value(dir.tileWidth); break;
    case kTileLength: value(dir.tileLength); break;
    case kBitsPerSample:
    case kSampleFormat: {
        const auto uniform = UniformValue(tiff, entry);
        dir.uniformBits = dir.uniformBits && uniform.has_value();
        (tag == kBitsPerSample ? dir.bits : dir.sampleFormat) = uniform.value_or(0);
        break;
    }
    case kStripOffsets:
    case kTileOffsets: dir.offsets = entry; break;
    case kStripByteCounts:
    case kTileByteCounts: dir.byteCounts = entry; break;
    default: break;
    }
}

bool ReadDirectory(const TiffReader& tiff, std::uint64_t offset, Directory& dir)
{
    const auto count = tiff.U16(offset);
    if (!count || *count == 0)
        return false;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t at = offset + 2 + kEntrySize * i;
        const auto tag = tiff.U16(at);
        const auto entry = tiff.ReadEntry(at);
        if (!tag || !entry)
            return false;
        Record(tiff, static_cast<std::uint16_t>(*tag), *entry, dir);
    }
    return true;
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b)
{
    return (a + b - 1) / b;
}

std::uint64_t ExpectedChunks(const Directory& dir)
{
    if (dir.tileWidth > 0 || dir.tileLength > 0) {
        if (dir.tileWidth == 0 || dir.tileLength == 0)
            return 0;
        return CeilDiv(dir.width, dir.tileWidth) * CeilDiv(dir.height, dir.tileLength);
    }
    return CeilDiv(dir.height, dir.rowsPerStrip == 0 ? 1 : std::min(dir.rowsPerStrip, dir.height));
}

// Every strip or tile lies inside the file: a file cut short fails to decode.
bool HoldsAllChunks(const TiffReader& tiff, const Directory& dir, std::uint64_t fileSize)
{
    if (!dir.offsets || !dir.byteCounts || dir.offsets->count != dir.byteCounts->count ||
        dir.offsets->count != ExpectedChunks(dir))
        return false;
    for (std::uint32_t i = 0; i < dir.offsets->count; ++i) {
        const auto offset = tiff.Element(*dir.offsets, i);
        const auto bytes = tiff.Element(*dir.byteCounts, i);
        if (!offset || !bytes || *bytes == 0 || std::uint64_t{*offset} + *bytes > fileSize)
            return false;
    }
    return true;
}

bool DecodableSamples(const Directory& dir)
{
    switch (dir.bits) {
    case 8: return dir.sampleFormat == 1;
    case 16: return dir.sampleFormat == 1 || dir.sampleFormat == 2;
    case 32: return dir.sampleFormat == 2 || dir.sampleFormat == 3;
    case 64: return dir.sampleFormat == 3;
    default: return false;
    }
}

bool DecodableLayout(const Directory& dir)
{
    const bool gray = dir.photometric == 1 && dir.samples == 1;
    const bool colour = dir.photometric == 2 && (dir.samples == 3 || dir.samples == 4);
    const std::uint32_t c = dir.compression;
    const bool knownCompression = c == 1 || c == 5 || c == 8 || c == 32946 || c == 32773;
    return (gray || colour) && dir.planar == 1 && knownCompression && dir.uniformBits && DecodableSamples(dir) &&
           dir.width > 0 && dir.height > 0 && dir.width <= kMaxDimension && dir.height <= kMaxDimension;
}

}  // namespace

bool ReadTiffHeader(const FileBytes& file, ImageFileInfo& info)
{
    const std::uint8_t* header = file.At(0, 8);
    if (!header || !((header[0] == 'I' && header[1] == 'I') || (header[0] == 'M' && header[1] == 'M')))
        return false;
    const TiffReader tiff(file, header[0] == 'M');
    Directory dir;
    if (tiff.U16(2) != 42u || !ReadDirectory(tiff, *tiff.U32(4), dir) || dir.width == 0 || dir.height == 0 ||
        dir.width > INT32_MAX || dir.height > INT32_MAX)
        return false;
    info.width = static_cast<int>(dir.width);
    info.height = static_cast<int>(dir.height);
    if (!DecodableLayout(dir) || !HoldsAllChunks(tiff, dir, file.Size()))
        return false;
    info.channels = static_cast<int>(dir.samples);
    info.bit_depth = static_cast<int>(dir.bits);
    return true;
}

}  // namespace image_header
