#include "FileWrite.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tivra::io {
namespace {

bool WriteAll(int fd, const unsigned char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Writes and closes; the close result matters because some file systems report
// deferred write errors only there.
bool WriteAndClose(int fd, const void* data, std::size_t size)
{
    const bool written = WriteAll(fd, static_cast<const unsigned char*>(data), size);
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

// A symbolic link is followed so that the file it names gets the new content and
// the link itself stays.
std::string ResolveLink(const std::string& path)
{
    struct stat linkInfo {};
    if (::lstat(path.c_str(), &linkInfo) != 0 || !S_ISLNK(linkInfo.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// Longest file name the directory accepts (255 bytes on the usual file systems).
std::size_t NameLimit(const std::string& dir)
{
    const long limit = ::pathconf(dir.empty() ? "." : dir.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

// The first `size` bytes of a UTF-8 name, never cutting a character in two.
std::string Utf8Prefix(const std::string& name, std::size_t size)
{
    if (size >= name.size())
        return name;
    while (size > 0 && (static_cast<unsigned char>(name[size]) & 0xC0) == 0x80)
        --size;
    return name.substr(0, size);
}

// A hidden name beside the target that always fits the directory's name limit:
// the target's name is shortened as needed, and the process id with a counter
// keep it unique.
std::string TemporarySibling(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string suffix = ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::size_t limit = NameLimit(dir);
    const std::size_t room = limit > suffix.size() + 1 ? limit - suffix.size() - 1 : 0;
    return dir + "." + Utf8Prefix(name, room) + suffix;
}

// Creates a new temporary file beside `target`; -1 when none can be made.
int CreateTemporarySibling(const std::string& target, std::string& temporary)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = TemporarySibling(target);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

bool WriteWholeFile(const std::string& utf8Path, const void* data, std::size_t size)
{
    // The system would stop reading the name at a NUL and write another file.
    if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos)
        return false;
    const std::string target = ResolveLink(utf8Path);
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    // A FIFO would block the save forever and a device would take a partial
    // write: only regular files are replaced.
    if (exists && !S_ISREG(info.st_mode))
        return false;

    // The target itself is never opened for writing: if no temporary file can be
    // made (an unwritable directory, a full disk) the save fails and the old
    // content stays as it was.
    std::string temporary;
    const int fd = CreateTemporarySibling(target, temporary);
    if (fd < 0)
        return false;
    if (exists)
        ::fchmod(fd, info.st_mode & 07777);
    if (WriteAndClose(fd, data, size) && ::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace tivra::io
