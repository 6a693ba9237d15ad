#pragma once
// Writing a whole file so that it is either complete or not there at all.
#include <cstddef>
#include <string>

namespace tivra::io {

/// Writes `size` bytes as the file `utf8Path`. The bytes go to a new temporary file
/// in the same directory, which is then renamed over the target, so a failure
/// leaves any previous content intact; the target is never written in place.
/// False for a target that exists but is not a regular file (a directory, FIFO or
/// device), when no temporary file can be made, and on any write, close or rename
/// error.
bool WriteWholeFile(const std::string& utf8Path, const void* data, std::size_t size);

}  // namespace tivra::io
