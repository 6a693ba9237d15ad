#pragma once
// Writing a whole file so that it is either complete or not there at all.
#include <cstddef>
#include <string>

namespace tivra::io {

/// Writes `size` bytes as the file `utf8Path`. A regular (or new) file is written
/// under a temporary name in the same directory and renamed over the target, so a
/// failure leaves any previous content intact. Devices and other special files are
/// written in place. False on any open, write, close or rename error.
bool WriteWholeFile(const std::string& utf8Path, const void* data, std::size_t size);

}  // namespace tivra::io
