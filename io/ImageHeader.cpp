#include "tivra/io/ImageHeader.h"

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tivra/io/BmpHeader.h"
#include "tivra/io/JpegHeader.h"
#include "tivra/io/PngHeader.h"
#include "tivra/io/PnmHeader.h"
#include "tivra/io/TiffHeader.h"
#include "tivra/io/WebpHeader.h"

namespace image_header {
namespace {

// TIFF writers often put the directory and the strip tables at the end; a
// megabyte holds them for images of hundreds of megapixels.
constexpr std::size_t kTiffTailBytes = 1 << 20;
// PNG's closing IEND chunk.
constexpr std::size_t kOtherTailBytes = 12;

bool IsTiff(const std::vector<std::uint8_t>& head)
{
    return head.size() >= 2 && head[0] == head[1] && (head[0] == 'I' || head[0] == 'M');
}

bool ReadAt(int fd, std::uint64_t pos, std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(pos + done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

FileDescriptor::FileDescriptor(const std::string& utf8Path)
    : m_fd(utf8Path.find('\0') == std::string::npos ? ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1)
{
}

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileSample::Read(const std::string& utf8Path)
{
    const FileDescriptor file(utf8Path);
    return Read(file.Get());
}

bool FileSample::Read(int fd)
{
    m_head.clear();
    m_tail.clear();
    m_size = 0;
    struct stat status {};
    // A FIFO or a directory named like an image is no image file.
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    const auto size = static_cast<std::uint64_t>(status.st_size);
    m_head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kHeadBytes)));
    if (!ReadAt(fd, 0, m_head))
        return false;
    const std::size_t tailBytes = IsTiff(m_head) ? kTiffTailBytes : kOtherTailBytes;
    m_tail.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, tailBytes)));
    if (!ReadAt(fd, size - m_tail.size(), m_tail))
        return false;
    m_size = size;
    return true;
}

FileBytes FileSample::Bytes() const
{
    return FileBytes(m_head.data(), m_head.size(), m_tail.data(), m_tail.size(), m_size);
}

bool ReadImageLayout(const FileBytes& file, ImageFileInfo& info)
{
    const std::uint8_t* head = file.At(0, file.HeadSize());
    if (head && jpeg_header::ReadJpegFrame(head, static_cast<std::size_t>(file.HeadSize()), info))
        return true;
    return ReadPngHeader(file, info) || ReadTiffHeader(file, info) || ReadBmpHeader(file, info) ||
           ReadWebpHeader(file, info) || ReadPnmHeader(file, info);
}

}  // namespace image_header
