#include "tivra/io/FileBytes.h"

#include <algorithm>

namespace image_header {

FileBytes::FileBytes(const std::uint8_t* data, std::size_t size) : FileBytes(data, size, data, size, size) {}

FileBytes::FileBytes(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail, std::size_t tailSize,
                     std::uint64_t fileSize)
    : m_head(head),
      m_headSize(head ? std::min<std::uint64_t>(headSize, fileSize) : 0),
      m_tail(tail),
      m_tailSize(tail ? std::min<std::uint64_t>(tailSize, fileSize) : 0),
      m_fileSize(fileSize)
{
}

const std::uint8_t* FileBytes::At(std::uint64_t pos, std::uint64_t length) const
{
    if (pos <= m_headSize && length <= m_headSize - pos)
        return m_head + pos;
    const std::uint64_t tailStart = m_fileSize - m_tailSize;
    if (pos >= tailStart && pos - tailStart <= m_tailSize && length <= m_tailSize - (pos - tailStart))
        return m_tail + (pos - tailStart);
    return nullptr;
}

}  // namespace image_header
