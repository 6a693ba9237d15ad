#pragma once
// Size and sample layout of a BMP file from its headers and palette.
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace image_header {

/// Reads the file header, the info header and the palette. When the file holds
/// every row its headers announce and is one the decoder reads (uncompressed,
/// or 16-bit bit fields), fills `width`, `height`, `channels` (1 for a gray
/// palette, else 3) and `bit_depth` (8) of `info` and returns true. Otherwise
/// returns false, with `width` and `height` set to the declared size when the
/// headers were read.
bool ReadBmpHeader(const FileBytes& file, ImageFileInfo& info);

}  // namespace image_header
