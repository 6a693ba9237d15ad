#pragma once
// A small EXIF/TIFF reader: IFD0 (camera, date, orientation), the Exif sub-IFD
// (exposure, aperture, focal length, ISO, original date) and the GPS IFD.
// It parses from a byte span and checks every read against the span's length,
// so any byte sequence is safe input.
#include <cstddef>
#include <cstdint>

#include "tivra/io/ImageFileInfo.h"

namespace exif_reader {

/// The JPEG EXIF scan reads at most this many bytes from the start of a file.
constexpr std::size_t kJpegScanLimit = 65536;

/// Parses an EXIF block: the TIFF header ("II" or "MM", 42) is searched from
/// the start, so leading bytes such as HEIF's offset field are skipped. Fills
/// `has_exif`, `orientation`, the text fields, the exposure fields and the GPS
/// fields of `info`; fields whose data is missing or malformed are left as
/// they are.
void ParseExif(const std::uint8_t* data, std::size_t size, ImageFileInfo& info);

/// Finds the APP1 "Exif" segment by walking the JPEG markers of `data` (the
/// first bytes of a JPEG file). On success sets [begin, end) to the EXIF block
/// after the "Exif\0\0" identifier and returns true.
bool FindJpegExifBlock(const std::uint8_t* data, std::size_t size, std::size_t& begin, std::size_t& end);

/// FindJpegExifBlock followed by ParseExif on the block found.
void ParseJpegExif(const std::uint8_t* data, std::size_t size, ImageFileInfo& info);

}  // namespace exif_reader
