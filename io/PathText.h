#pragma once
// The narrow file name behind each path type the codec adapters accept.
#include <stdexcept>
#include <string>

#include "tivra/io/UnicodeImage.h"

namespace tivra::io {

inline std::string NarrowPath(const std::string& path)
{
    return path;
}

inline std::string NarrowPath(const std::wstring& path)
{
    std::string narrow = to_byte_string(path);
    if (narrow.empty() && !path.empty())
        throw std::range_error("path is not valid Unicode");
    return narrow;
}

}  // namespace tivra::io
