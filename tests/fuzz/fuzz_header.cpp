// libFuzzer target for an image header reader, named at build time by FUZZ_HEADER_READER
// (ReadPngHeader, ReadTiffHeader, ...). Each input is read twice: as a whole file in memory,
// and as the head and tail of a file ten times larger, so that reads falling into the unread
// middle are exercised too.
#include <cstddef>
#include <cstdint>

#include "tivra/io/BmpHeader.h"
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/io/PngHeader.h"
#include "tivra/io/PnmHeader.h"
#include "tivra/io/TiffHeader.h"
#include "tivra/io/WebpHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ImageFileInfo whole;
    image_header::FUZZ_HEADER_READER(image_header::FileBytes(data, size), whole);
    const std::size_t head = size / 2;
    ImageFileInfo sampled;
    image_header::FUZZ_HEADER_READER(
        image_header::FileBytes(data, head, data + head, size - head, std::uint64_t{size} * 10), sampled);
    return 0;
}
