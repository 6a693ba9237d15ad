#pragma once
// Size and sample layout of a binary PNM file (P4, P5, P6) from its text header.
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace image_header {

/// Reads the magic number, width, height and maximum value. When the file is a
/// binary bitmap, graymap or pixmap that holds all its samples, fills `width`,
/// `height`, `channels` (3 for P6, else 1) and `bit_depth` (16 for a maximum
/// above 255, else 8) of `info` and returns true. Otherwise (text formats
/// included) returns false, with `width` and `height` set to the declared size
/// when a binary header was read.
bool ReadPnmHeader(const FileBytes& file, ImageFileInfo& info);

}  // namespace image_header
