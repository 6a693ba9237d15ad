// libFuzzer target for the HEIF adapter: every input is handed to it as a file,
// kept in memory (memfd) so that runs never touch the disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tivra/io/HeifUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = memfd_create("fuzz.heic", 0);
    if (fd < 0)
        return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size))
        heif_utils::heif_to_cvmat(std::string("/proc/self/fd/") + std::to_string(fd));
    close(fd);
    return 0;
}
