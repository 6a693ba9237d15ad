#pragma once
// Size and sample layout of a JPEG file from its frame header, without decoding.
// The parser works on a byte span and checks every read against its length, so
// any byte sequence is safe input.
#include <cstddef>
#include <cstdint>

#include "tivra/io/ImageFileInfo.h"

namespace jpeg_header {

/// Walks the markers of `data` (the first bytes of a JPEG file) to the frame
/// header and the start of the first scan. When both lie inside `data` and the
/// frame is one the decoder reads (8-bit baseline, extended or progressive with
/// 1, 3 or 4 components and a known height), fills `width`, `height`, `channels`
/// and `bit_depth` of `info` as the decoder reports them (4 components decode
/// to 3 channels) and returns true; otherwise leaves `info` alone and returns
/// false, and the caller decodes to learn them.
bool ReadJpegFrame(const std::uint8_t* data, std::size_t size, ImageFileInfo& info);

}  // namespace jpeg_header
