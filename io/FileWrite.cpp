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

bool WriteInPlace(const std::string& path, const void* data, std::size_t size, bool removeOnFailure)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    if (WriteAndClose(fd, data, size))
        return true;
    if (removeOnFailure)
        ::unlink(path.c_str());
    return false;
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

std::string TemporarySibling(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return dir + "." + name + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
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
    if (exists && !S_ISREG(info.st_mode))
        return WriteInPlace(target, data, size, false);

    const std::string temporary = TemporarySibling(target);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        // No sibling allowed (an unwritable directory holding a writable file, a
        // name at the length limit): write the file itself. Other errors (a full
        // disk) would fail in place too, after truncating the old content.
        if (errno == EACCES || errno == EPERM || errno == ENAMETOOLONG)
            return WriteInPlace(target, data, size, true);
        return false;
    }
    if (exists)
        ::fchmod(fd, info.st_mode & 07777);
    if (WriteAndClose(fd, data, size) && ::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace tivra::io
