// libFuzzer target for the PNG header reader: each input is read as a whole
// file and as a large file of which only the head and the tail were read.
#include "FuzzFileBytes.h"
#include "tivra/io/PngHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::ReadBothWays(data, size, image_header::ReadPngHeader);
}
