#pragma once
// An image file's size and sample layout from its headers, for every format
// with a header reader, and the file bytes those readers need.
#include <cstdint>
#include <string>
#include <vector>

#include "tivra/io/ExifReader.h"
#include "tivra/io/FileBytes.h"
#include "tivra/io/ImageFileInfo.h"

namespace image_header {

/// A file opened for reading without waiting (a FIFO without a writer opens at
/// once); Get() is negative when it could not be opened.
class FileDescriptor {
public:
    explicit FileDescriptor(const std::string& utf8Path);
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

/// The first bytes of a regular file and, for formats that keep their
/// directory at the end (TIFF), its last bytes.
class FileSample {
public:
    /// The JPEG EXIF scan and every header reader look at most this far from the start.
    static constexpr std::size_t kHeadBytes = exif_reader::kJpegScanLimit;

    /// Reads the sample; false for a file that is not regular or cannot be read.
    bool Read(const std::string& utf8Path);
    /// The same for a file already open.
    bool Read(int fd);

    FileBytes Bytes() const;
    const std::vector<std::uint8_t>& Head() const { return m_head; }

private:
    std::vector<std::uint8_t> m_head;
    std::vector<std::uint8_t> m_tail;
    std::uint64_t m_size = 0;
};

/// Recognises the format by its content (JPEG, PNG, TIFF, BMP, WebP, binary
/// PNM) and fills `width`, `height`, `channels` and `bit_depth` of `info` as
/// OpenCV's decoder would report them with IMREAD_UNCHANGED. False when no
/// reader can vouch for the file; `width` and `height` then hold the size the
/// headers declare where a reader got that far (else they are untouched).
bool ReadImageLayout(const FileBytes& file, ImageFileInfo& info);

}  // namespace image_header
