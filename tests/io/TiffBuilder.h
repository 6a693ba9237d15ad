#pragma once
// Builds EXIF/TIFF blocks byte by byte, in either byte order, for tests of the
// EXIF reader: IFD0 with optional Exif and GPS sub-IFDs, values inline or in a
// data area after the IFDs, and a JPEG wrapper around a block.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tiff_test {

using Bytes = std::vector<std::uint8_t>;

enum Ifd { kIfd0 = 0, kExifIfd = 1, kGpsIfd = 2 };

class TiffBuilder
{
public:
    explicit TiffBuilder(bool bigEndian) : m_bigEndian(bigEndian) {}

    /// Adds an entry whose value bytes are already encoded in this byte order.
    void Raw(Ifd ifd, std::uint16_t tag, std::uint16_t type, std::uint32_t count, Bytes value)
    {
        m_ifds[ifd].push_back({tag, type, count, std::move(value)});
    }

    /// ASCII value: the text as given plus one terminating NUL.
    void Ascii(Ifd ifd, std::uint16_t tag, const std::string& text)
    {
        Bytes value(text.begin(), text.end());
        value.push_back(0);
        Raw(ifd, tag, 2, static_cast<std::uint32_t>(value.size()), value);
    }

    void Short(Ifd ifd, std::uint16_t tag, std::uint16_t value) { Raw(ifd, tag, 3, 1, U16(value)); }

    void Long(Ifd ifd, std::uint16_t tag, std::uint32_t value) { Raw(ifd, tag, 4, 1, U32(value)); }

    void Rationals(Ifd ifd, std::uint16_t tag, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values)
    {
        Bytes bytes;
        for (const auto& [numerator, denominator] : values) {
            Append(bytes, U32(numerator));
            Append(bytes, U32(denominator));
        }
        Raw(ifd, tag, 5, static_cast<std::uint32_t>(values.size()), bytes);
    }

    /// Header, IFD0 (with pointers to the non-empty sub-IFDs), Exif IFD, GPS
    /// IFD, then the data area holding values longer than four bytes.
    Bytes Build() const
    {
        std::vector<Entry> ifd0 = m_ifds[kIfd0];
        const std::uint32_t ifd0Size = IfdSize(ifd0.size() + !m_ifds[kExifIfd].empty() + !m_ifds[kGpsIfd].empty());
        const std::uint32_t exifOffset = 8 + ifd0Size;
        const std::uint32_t gpsOffset = exifOffset + (m_ifds[kExifIfd].empty() ? 0 : IfdSize(m_ifds[kExifIfd].size()));
        if (!m_ifds[kExifIfd].empty())
            ifd0.push_back({34665, 4, 1, U32(exifOffset)});
        if (!m_ifds[kGpsIfd].empty())
            ifd0.push_back({34853, 4, 1, U32(gpsOffset)});
        std::uint32_t dataOffset = gpsOffset + (m_ifds[kGpsIfd].empty() ? 0 : IfdSize(m_ifds[kGpsIfd].size()));

        Bytes out = m_bigEndian ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
        Append(out, U16(42));
        Append(out, U32(8));
        Bytes data;
        const std::vector<Entry>* ifds[] = {&ifd0, &m_ifds[kExifIfd], &m_ifds[kGpsIfd]};
        for (const std::vector<Entry>* ifd : ifds)
            if (!ifd->empty())
                AppendIfd(out, data, dataOffset, *ifd);
        Append(out, data);
        return out;
    }

    Bytes U16(std::uint16_t v) const
    {
        return m_bigEndian ? Bytes{std::uint8_t(v >> 8), std::uint8_t(v)} : Bytes{std::uint8_t(v), std::uint8_t(v >> 8)};
    }

    Bytes U32(std::uint32_t v) const
    {
        Bytes b{std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
        return m_bigEndian ? b : Bytes(b.rbegin(), b.rend());
    }

    static void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

private:
    struct Entry
    {
        std::uint16_t tag, type;
        std::uint32_t count;
        Bytes value;
    };

    static std::uint32_t IfdSize(std::size_t entries) { return static_cast<std::uint32_t>(2 + 12 * entries + 4); }

    // Entries in the order added (the reader does not need them sorted).
    void AppendIfd(Bytes& out, Bytes& data, std::uint32_t dataOffset, const std::vector<Entry>& entries) const
    {
        Append(out, U16(static_cast<std::uint16_t>(entries.size())));
        for (const Entry& entry : entries) {
            Append(out, U16(entry.tag));
            Append(out, U16(entry.type));
            Append(out, U32(entry.count));
            if (entry.value.size() <= 4) {
                Bytes inlineValue = entry.value;
                inlineValue.resize(4, 0);
                Append(out, inlineValue);
            } else {
                Append(out, U32(dataOffset + static_cast<std::uint32_t>(data.size())));
                Append(data, entry.value);
            }
        }
        Append(out, U32(0));  // no next IFD
    }

    bool m_bigEndian;
    std::vector<Entry> m_ifds[3];
};

/// A JPEG holding `segments` (already framed) and then an APP1 Exif segment
/// with `tiff`, ending with end of image. Only markers, no pixel data.
inline Bytes JpegWithExif(const Bytes& tiff, const Bytes& segments = {})
{
    Bytes out{0xFF, 0xD8};
    TiffBuilder::Append(out, segments);
    const std::size_t length = 2 + 6 + tiff.size();
    TiffBuilder::Append(out, {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
    TiffBuilder::Append(out, tiff);
    TiffBuilder::Append(out, {0xFF, 0xD9});
    return out;
}

/// One framed segment with `marker` and `payload` (at most 65533 bytes).
inline Bytes Segment(std::uint8_t marker, const Bytes& payload)
{
    const std::size_t length = payload.size() + 2;
    Bytes out{0xFF, marker, std::uint8_t(length >> 8), std::uint8_t(length)};
    TiffBuilder::Append(out, payload);
    return out;
}

}  // namespace tiff_test
