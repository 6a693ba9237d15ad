#pragma once
// Size and sample layout of a PNG file from its chunks before the image data.
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace image_header {

/// Reads IHDR and the chunks up to the first IDAT (checking their CRCs) and
/// requires the file to end with IEND. When the file is one the decoder reads,
/// fills `width`, `height`, `channels` and `bit_depth` of `info` as the decoder
/// reports them (palette and RGB with a tRNS chunk decode to 4 channels) and
/// returns true. Otherwise returns false, with `width` and `height` set to the
/// declared size when a valid IHDR was read and `info` untouched before that.
bool ReadPngHeader(const FileBytes& file, ImageFileInfo& info);

}  // namespace image_header
