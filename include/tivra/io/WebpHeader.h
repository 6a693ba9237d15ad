#pragma once
// Size and sample layout of a WebP file from its RIFF header and first chunk.
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace image_header {

/// Reads the RIFF header and the VP8, VP8L or VP8X chunk. When the file holds
/// all the bytes its RIFF header announces and is a still image the decoder
/// reads, fills `width`, `height`, `channels` (4 with alpha, else 3) and
/// `bit_depth` (8) of `info` and returns true. Otherwise returns false, with
/// `width` and `height` set to the declared size when the chunk was read.
bool ReadWebpHeader(const FileBytes& file, ImageFileInfo& info);

}  // namespace image_header
