#include "tivra/io/ExifReader.h"

#include "tivra/io/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace exif_reader {
namespace {

enum Tag : std::uint16_t {
    kMake = 271,
    kModel = 272,
    kOrientation = 274,
    kDateTime = 306,
    kExposureTime = 33434,
    kFNumber = 33437,
    kExifIfdPointer = 34665,
    kGpsIfdPointer = 34853,
    kIsoSpeed = 34855,
    kDateTimeOriginal = 36867,
    kFocalLength = 37386,
};

enum GpsTag : std::uint16_t {
    kLatitudeRef = 1,
    kLatitude = 2,
    kLongitudeRef = 3,
    kLongitude = 4,
    kAltitude = 6,
};

constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeRational = 5;
constexpr std::uint64_t kEntrySize = 12;

// Size in bytes of one value of each TIFF field type; unknown types count as 0.
std::uint32_t TypeSize(std::uint16_t type)
{
    static const std::uint8_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < sizeof(sizes) ? sizes[type] : 0;
}

// TIFF data starting at its byte-order mark. Positions are 64-bit so that
// offset + length never wraps; every read answers "nothing" outside the data.
class TiffData
{
public:
    TiffData(const std::uint8_t* data, std::size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian)
    {
    }

    std::uint64_t Size() const { return m_size; }

    bool Fits(std::uint64_t pos, std::uint64_t length) const { return pos <= m_size && length <= m_size - pos; }

    const std::uint8_t* At(std::uint64_t pos) const { return m_data + pos; }

    std::optional<std::uint16_t> U16(std::uint64_t pos) const
    {
        if (!Fits(pos, 2))
            return std::nullopt;
        const std::uint8_t* p = At(pos);
        return static_cast<std::uint16_t>(m_bigEndian ? image_header::BigEndian16(p) : image_header::LittleEndian16(p));
    }

    std::optional<std::uint32_t> U32(std::uint64_t pos) const
    {
        if (!Fits(pos, 4))
            return std::nullopt;
        const std::uint8_t* p = At(pos);
        return m_bigEndian ? image_header::BigEndian32(p) : image_header::LittleEndian32(p);
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_bigEndian;
};

struct Entry
{
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::uint32_t valueField;  ///< the raw 4-byte field, read as an offset
    std::uint64_t valuePos;    ///< where the value lies: inline or at the offset
};

// `at` must leave room for a whole entry.
Entry ReadEntry(const TiffData& tiff, std::uint64_t at)
{
    Entry entry{*tiff.U16(at), *tiff.U16(at + 2), *tiff.U32(at + 4), *tiff.U32(at + 8), 0};
    // Values of up to four bytes lie inline. The byte count is a 32-bit
    // product as TIFF writers compute it; unknown types count their elements.
    const bool knownType = entry.type >= 1 && entry.type <= 12;
    const std::uint32_t bytes = knownType ? TypeSize(entry.type) * entry.count : entry.count;
    entry.valuePos = bytes < 5 ? at + 8 : entry.valueField;
    return entry;
}

// Calls visit(entry) for each entry of the IFD at `offset` that fits in the data.
template <typename Visit>
void ForEachEntry(const TiffData& tiff, std::uint64_t offset, Visit visit)
{
    const std::optional<std::uint16_t> count = tiff.U16(offset);
    if (!count)
        return;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t at = offset + 2 + kEntrySize * i;
        if (!tiff.Fits(at, kEntrySize))
            return;
        visit(ReadEntry(tiff, at));
    }
}

// The `count` bytes of the value without trailing NULs and spaces; empty when
// they do not fit in the data.
std::string ReadString(const TiffData& tiff, const Entry& entry)
{
    if (!tiff.Fits(entry.valuePos, entry.count))
        return std::string();
    std::string text(reinterpret_cast<const char*>(tiff.At(entry.valuePos)), entry.count);
    const std::size_t last = text.find_last_not_of(std::string("\0 ", 2));
    text.erase(last == std::string::npos ? 0 : last + 1);
    return text;
}

double ReadRational(const TiffData& tiff, std::uint64_t pos)
{
    const std::uint32_t numerator = tiff.U32(pos).value_or(0);
    const std::uint32_t denominator = tiff.U32(pos + 4).value_or(0);
    return denominator == 0 ? 0.0 : static_cast<double>(numerator) / static_cast<double>(denominator);
}

double ReadDegreesMinutesSeconds(const TiffData& tiff, std::uint64_t pos)
{
    return ReadRational(tiff, pos) + ReadRational(tiff, pos + 8) / 60.0 + ReadRational(tiff, pos + 16) / 3600.0;
}

void ParseExifSubIfd(const TiffData& tiff, std::uint64_t offset, ImageFileInfo& info)
{
    ForEachEntry(tiff, offset, [&](const Entry& entry) {
        switch (entry.tag) {
        case kExposureTime:
            if (entry.type == kTypeRational)
                info.exposure_time = ReadRational(tiff, entry.valuePos);
            break;
        case kFNumber:
            if (entry.type == kTypeRational)
                info.f_number = ReadRational(tiff, entry.valuePos);
            break;
        case kFocalLength:
            if (entry.type == kTypeRational)
                info.focal_length = ReadRational(tiff, entry.valuePos);
            break;
        case kIsoSpeed:
            if (entry.type == kTypeShort)
                info.iso = tiff.U16(entry.valuePos).value_or(0);
            break;
        case kDateTimeOriginal: {
            std::string original = ReadString(tiff, entry);
            if (!original.empty())
                info.date_time = std::move(original);
            break;
        }
        default:
            break;
        }
    });
}

void ParseGpsIfd(const TiffData& tiff, std::uint64_t offset, ImageFileInfo& info)
{
    char latitudeRef = 'N';
    char longitudeRef = 'E';
    double latitude = 0.0, longitude = 0.0, altitude = 0.0;
    bool hasLatitude = false, hasLongitude = false;
    ForEachEntry(tiff, offset, [&](const Entry& entry) {
        switch (entry.tag) {
        case kLatitudeRef:
        case kLongitudeRef:
            if (tiff.Fits(entry.valuePos, 1))
                (entry.tag == kLatitudeRef ? latitudeRef : longitudeRef) = static_cast<char>(*tiff.At(entry.valuePos));
            break;
        case kLatitude:
            latitude = ReadDegreesMinutesSeconds(tiff, entry.valuePos);
            hasLatitude = true;
            break;
        case kLongitude:
            longitude = ReadDegreesMinutesSeconds(tiff, entry.valuePos);
            hasLongitude = true;
            break;
        case kAltitude:
            if (entry.type == kTypeRational)
                altitude = ReadRational(tiff, entry.valuePos);
            break;
        default:
            break;
        }
    });
    // A position needs both coordinates; half of one is no position at all.
    if (!hasLatitude || !hasLongitude)
        return;
    info.has_gps = true;
    info.gps_lat = latitudeRef == 'S' ? -latitude : latitude;
    info.gps_lon = longitudeRef == 'W' ? -longitude : longitude;
    info.gps_alt = altitude;
}

void ParseIfd0(const TiffData& tiff, std::uint64_t offset, ImageFileInfo& info)
{
    ForEachEntry(tiff, offset, [&](const Entry& entry) {
        switch (entry.tag) {
        case kMake:
            info.camera_make = ReadString(tiff, entry);
            break;
        case kModel:
            info.camera_model = ReadString(tiff, entry);
            break;
        case kDateTime:
            info.date_time = ReadString(tiff, entry);
            break;
        case kOrientation:
            if (entry.type == kTypeShort)
                info.orientation = tiff.U16(entry.valuePos).value_or(0);
            break;
        case kExifIfdPointer:
            ParseExifSubIfd(tiff, entry.valueField, info);
            break;
        case kGpsIfdPointer:
            ParseGpsIfd(tiff, entry.valueField, info);
            break;
        default:
            break;
        }
    });
}

bool IsByteOrderMark(const std::uint8_t* p)
{
    return (p[0] == 'I' && p[1] == 'I') || (p[0] == 'M' && p[1] == 'M');
}

}  // namespace

void ParseExif(const std::uint8_t* data, std::size_t size, ImageFileInfo& info)
{
    if (data == nullptr || size < 9)
        return;
    for (std::size_t start = 0; size - start > 8; ++start) {
        if (!IsByteOrderMark(data + start))
            continue;
        const TiffData tiff(data + start, size - start, data[start] == 'M');
        if (tiff.U16(2) != std::uint16_t{42})
            continue;
        const std::uint32_t ifd0 = *tiff.U32(4);
        if (ifd0 >= tiff.Size())
            continue;
        info.has_exif = true;
        ParseIfd0(tiff, ifd0, info);
        return;
    }
}

bool FindJpegExifBlock(const std::uint8_t* data, std::size_t size, std::size_t& begin, std::size_t& end)
{
    if (data == nullptr || size < 6 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    static const std::uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
    // Invariant: pos + 4 <= size, so the marker and its length can be read.
    std::size_t pos = 2;
    while (data[pos] == 0xFF) {
        const std::uint8_t marker = data[pos + 1];
        const std::size_t length = (std::size_t{data[pos + 2]} << 8) | data[pos + 3];
        if (marker == 0xE1 && pos + 10 <= size && std::memcmp(data + pos + 4, kExifId, sizeof(kExifId)) == 0) {
            end = std::min(size, pos + 2 + length);
            begin = pos + 10;
            return pos + 18 <= end;
        }
        pos += 2 + length;
        if (marker == 0xD9 || marker == 0xDA || length < 2 || pos + 4 > size)
            return false;
    }
    return false;
}

void ParseJpegExif(const std::uint8_t* data, std::size_t size, ImageFileInfo& info)
{
    std::size_t begin = 0, end = 0;
    if (FindJpegExifBlock(data, size, begin, end))
        ParseExif(data + begin, end - begin, info);
}

}  // namespace exif_reader
