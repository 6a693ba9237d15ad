#pragma once
// The bytes of an image file that the header readers may look at: the first
// and the last bytes of the file and its size. Readers reach them only through
// At(), which answers nullptr for any range outside what was read, so any byte
// sequence is safe input.
#include <cstddef>
#include <cstdint>

namespace image_header {

class FileBytes {
public:
    /// The whole file is in memory (tests, fuzzing, small files).
    FileBytes(const std::uint8_t* data, std::size_t size);

    /// The first `headSize` and the last `tailSize` bytes of a file of
    /// `fileSize` bytes; sizes beyond the file are clamped to it.
    FileBytes(const std::uint8_t* head, std::size_t headSize, const std::uint8_t* tail, std::size_t tailSize,
              std::uint64_t fileSize);

    /// The `length` bytes at file offset `pos` when they all lie in the head or
    /// all in the tail; nullptr otherwise.
    const std::uint8_t* At(std::uint64_t pos, std::uint64_t length) const;

    std::uint64_t Size() const { return m_fileSize; }

    /// How many bytes from the start of the file were read.
    std::uint64_t HeadSize() const { return m_headSize; }

private:
    const std::uint8_t* m_head;
    std::uint64_t m_headSize;
    const std::uint8_t* m_tail;
    std::uint64_t m_tailSize;
    std::uint64_t m_fileSize;
};

inline unsigned BigEndian16(const std::uint8_t* p)
{
    return (unsigned{p[0]} << 8) | p[1];
}

inline std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

inline unsigned LittleEndian16(const std::uint8_t* p)
{
    return (unsigned{p[1]} << 8) | p[0];
}

inline std::uint32_t LittleEndian32(const std::uint8_t* p)
{
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

}  // namespace image_header
