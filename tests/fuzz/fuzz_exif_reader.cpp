// libFuzzer target for the EXIF reader and the JPEG frame header parser: every
// input is tried as an EXIF block (as HEIF hands it over) and as the start of a
// JPEG file.
#include <cstddef>
#include <cstdint>

#include "tivra/io/ExifReader.h"
#include "tivra/io/JpegHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ImageFileInfo block;
    exif_reader::ParseExif(data, size, block);
    ImageFileInfo jpeg;
    exif_reader::ParseJpegExif(data, size, jpeg);
    jpeg_header::ReadJpegFrame(data, size, jpeg);
    return 0;
}
