// libFuzzer target for the EXIF reader: every input is tried both as an EXIF
// block (as HEIF hands it over) and as the start of a JPEG file.
#include <cstddef>
#include <cstdint>

#include "tivra/io/ExifReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ImageFileInfo block;
    exif_reader::ParseExif(data, size, block);
    ImageFileInfo jpeg;
    exif_reader::ParseJpegExif(data, size, jpeg);
    return 0;
}
