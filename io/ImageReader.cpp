#include "tivra/io/ImageReader.h"

#include <cerrno>
#include <climits>
#include <cstring>

#include <sys/stat.h>

#include "tivra/io/HeifUtils.h"
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

LoadedImage ReadWithAdapter(const std::string& path, bool heif)
{
    LoadedImage loaded;
    loaded.info = GetImageFileInfo(path);
    // The adapters check the path themselves and say why they refuse it.
    loaded.image = heif ? heif_utils::heif_to_cvmat(path) : jxl_utils::jxl_to_cvmat(path);
    if (loaded.image.empty())
        loaded.error = path + ": " + (IsRegularFile(path) ? "the file could not be decoded" : UnreadableReason(path));
    return loaded;
}

}  // namespace

cv::Mat DecodeImageBytes(const std::string& utf8Path, std::vector<unsigned char>& bytes, int flags,
                         ImageFileInfo& info, std::string& error)
{
    if (bytes.empty()) {
        error = utf8Path + ": the file is empty";
        return {};
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        error = utf8Path + ": the file is larger than the decoder accepts (2 GiB)";
        return {};
    }
    ImageFileInfo declared;
    const bool vouched = ReadInfoFromHeaders(utf8Path, image_header::FileBytes(bytes.data(), bytes.size()), info,
                                             declared);
    if (!WithinPixelLimit(utf8Path, static_cast<std::uint64_t>(declared.width),
                          static_cast<std::uint64_t>(declared.height))) {
        error = utf8Path + ": the image has more pixels than the limit (SetMaxImagePixels)";
        return {};
    }
    cv::Mat image = DecodeQuietly(bytes, flags);
    // Formats without a header reader are measured once decoded.
    if (!vouched && !image.empty()) {
        FillLayoutFromDecoded(flags == cv::IMREAD_UNCHANGED ? image : DecodeQuietly(bytes, cv::IMREAD_UNCHANGED),
                              info);
        if (!WithinPixelLimit(utf8Path, static_cast<std::uint64_t>(image.cols),
                              static_cast<std::uint64_t>(image.rows))) {
            image.release();
            error = utf8Path + ": the image has more pixels than the limit (SetMaxImagePixels)";
        }
    }
    std::vector<unsigned char>().swap(bytes);
    if (image.empty() && error.empty())
        error = utf8Path + ": the file could not be decoded";
    return image;
}

LoadedImage ReadImageFile(const std::string& utf8Path, int flags)
{
    const std::string extension = LowerExtension(utf8Path);
    if (extension == ".heic" || extension == ".heif" || extension == ".jxl")
        return ReadWithAdapter(utf8Path, extension != ".jxl");
    LoadedImage loaded;
    try {
        std::vector<unsigned char> bytes;
        if (!ReadFileBytes(utf8Path, bytes)) {
            loaded.info = GetImageFileInfo(utf8Path);
            loaded.error = utf8Path + ": " + UnreadableReason(utf8Path);
            return loaded;
        }
        loaded.image = DecodeImageBytes(utf8Path, bytes, flags, loaded.info, loaded.error);
    } catch (const std::exception& e) {
        // Memory exhaustion while reading or decoding a large file.
        loaded.image.release();
        loaded.error = utf8Path + ": " + e.what();
    }
    return loaded;
}

}  // namespace tivra::io
