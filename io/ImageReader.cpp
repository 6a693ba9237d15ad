#include "tivra/io/ImageReader.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "tivra/io/HeifUtils.h"
#include "tivra/io/ImageHeader.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/PixelLimit.h"
#include "tivra/io/UnicodeImage.h"

namespace tivra::io {
namespace {

std::string LowerExtension(const std::string& path)
{
    std::string extension = GetExtension(path);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

// Why a path names no regular file that could be read.
std::string UnreadableReason(const std::string& path)
{
    struct stat status {};
    if (path.find('\0') != std::string::npos)
        return "the path contains a NUL character";
    if (::stat(path.c_str(), &status) != 0)
        return std::strerror(errno);
    if (S_ISDIR(status.st_mode))
        return "it is a directory";
    if (!S_ISREG(status.st_mode))
        return "it is not a regular file";
    return "it could not be read completely";
}

cv::Mat DecodeQuietly(const std::vector<unsigned char>& bytes, int flags)
{
    try {
        return cv::imdecode(bytes, flags);
    } catch (const cv::Exception&) {
        return {};  // OpenCV refuses some malformed files with an exception
    }
}

cv::Mat ReadQuietly(const std::string& path, int flags)
{
    try {
        return cv::imread(path, flags);
    } catch (const cv::Exception&) {
        return {};  // OpenCV refuses some malformed files with an exception
    }
}

std::string PixelLimitMessage(const std::string& path)
{
    return path + ": the image has more pixels than the limit (SetMaxImagePixels)";
}

// Checks the declared size against the pixel limit before `decode(flags)`
// allocates, then fills `info` from the headers, or from the decoded image
// for formats without a header reader.
template <typename Decode>
cv::Mat DecodeChecked(const std::string& utf8Path, const image_header::FileBytes& file, int flags, Decode decode,
                      ImageFileInfo& info, std::string& error)
{
    if (file.Size() == 0) {
        error = utf8Path + ": the file is empty";
        return {};
    }
    ImageFileInfo declared;
    const bool vouched = ReadInfoFromHeaders(utf8Path, file, info, declared);
    if (!WithinPixelLimit(utf8Path, static_cast<std::uint64_t>(declared.width),
                          static_cast<std::uint64_t>(declared.height))) {
        error = PixelLimitMessage(utf8Path);
        return {};
    }
    cv::Mat image = decode(flags);
    if (!vouched && !image.empty()) {
        FillLayoutFromDecoded(flags == cv::IMREAD_UNCHANGED ? image : decode(cv::IMREAD_UNCHANGED), info);
        if (!WithinPixelLimit(utf8Path, static_cast<std::uint64_t>(image.cols),
                              static_cast<std::uint64_t>(image.rows))) {
            image.release();
            error = PixelLimitMessage(utf8Path);
        }
    }
    if (image.empty() && error.empty())
        error = utf8Path + ": the file could not be decoded";
    return image;
}

// The decoder streams the file it is given as cv::imread does, without a copy
// of the whole file in memory. It reads the open file through its /proc name,
// so it decodes the very file that was checked and sampled, even when the path
// is renamed or replaced meanwhile. Without /proc the bytes are read into memory.
cv::Mat DecodeOpenFile(const std::string& utf8Path, int fd, const image_header::FileSample& sample, int flags,
                       ImageFileInfo& info, std::string& error)
{
    const std::string openName = "/proc/self/fd/" + std::to_string(fd);
    if (::access(openName.c_str(), R_OK) != 0) {
        std::vector<unsigned char> bytes;
        if (!ReadFileBytes(utf8Path, bytes)) {
            error = utf8Path + ": " + UnreadableReason(utf8Path);
            return {};
        }
        return DecodeImageBytes(utf8Path, bytes, flags, info, error);
    }
    return DecodeChecked(utf8Path, sample.Bytes(), flags, [&](int how) { return ReadQuietly(openName, how); },
                         info, error);
}

// HEIF and JPEG XL files are read once, for the image and its information.
LoadedImage ReadWithAdapter(const std::string& path, bool heif)
{
    LoadedImage loaded;
    // The adapters check the path themselves and say why they refuse it.
    if (heif) {
        loaded.image = heif_utils::ReadHeifFile(path, loaded.info);
    } else {
        std::vector<unsigned char> bytes;
        if (ReadFileBytes(path, bytes)) {
            loaded.info = JxlFileInfo(bytes);
            loaded.image = LoadJxlFromVector(bytes);
        }
    }
    if (loaded.image.empty()) {
        // What could be read of a file that does not decode.
        loaded.info = GetImageFileInfo(path);
        loaded.error = path + ": " + (IsRegularFile(path) ? "the file could not be decoded" : UnreadableReason(path));
    }
    return loaded;
}

}  // namespace

cv::Mat DecodeImageBytes(const std::string& utf8Path, std::vector<unsigned char>& bytes, int flags,
                         ImageFileInfo& info, std::string& error)
{
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        error = utf8Path + ": the file is larger than the decoder accepts (2 GiB)";
        return {};
    }
    cv::Mat image = DecodeChecked(utf8Path, image_header::FileBytes(bytes.data(), bytes.size()), flags,
                                  [&](int how) { return DecodeQuietly(bytes, how); }, info, error);
    std::vector<unsigned char>().swap(bytes);
    return image;
}

LoadedImage ReadImageFile(const std::string& utf8Path, int flags)
{
    const std::string extension = LowerExtension(utf8Path);
    if (extension == ".heic" || extension == ".heif" || extension == ".jxl")
        return ReadWithAdapter(utf8Path, extension != ".jxl");
    LoadedImage loaded;
    try {
        const image_header::FileDescriptor file(utf8Path);
        image_header::FileSample sample;
        if (!sample.Read(file.Get())) {
            loaded.info = GetImageFileInfo(utf8Path);
            loaded.error = utf8Path + ": " + UnreadableReason(utf8Path);
            return loaded;
        }
        loaded.image = DecodeOpenFile(utf8Path, file.Get(), sample, flags, loaded.info, loaded.error);
    } catch (const std::exception& e) {
        // Memory exhaustion while reading or decoding a large file.
        loaded.image.release();
        loaded.error = utf8Path + ": " + e.what();
    }
    return loaded;
}

}  // namespace tivra::io
