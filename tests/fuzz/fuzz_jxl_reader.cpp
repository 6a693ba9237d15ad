// libFuzzer target for the JPEG XL adapter, decoding each input from memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tivra/io/JxlUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<unsigned char> bytes(data, data + size);
    LoadJxlFromVector(bytes);
    return 0;
}
