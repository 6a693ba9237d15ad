#pragma once
// Size and sample layout of a TIFF file from its first image file directory.
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace image_header {

/// Reads the first IFD. When it describes an image the decoder reads the same
/// way (gray with one sample or RGB with three or four, interleaved, 8-bit
/// unsigned, 16-bit, 32-bit signed or float, 64-bit float samples, stored
/// uncompressed, LZW, Deflate or PackBits) and every strip or tile lies inside
/// the file, fills `width`, `height`, `channels` and `bit_depth` of `info` and
/// returns true. Otherwise returns false, with `width` and `height` set to the
/// declared size when the directory was read.
bool ReadTiffHeader(const FileBytes& file, ImageFileInfo& info);

}  // namespace image_header
