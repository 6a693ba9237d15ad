#include "tivra/io/UnicodeImage.h"

#include <climits>
#include <fstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileWrite.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/ImageHeader.h"
#include "tivra/io/PixelLimit.h"
#include "tivra/io/JxlUtils.h"

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// Number of continuation bytes announced by a lead byte, or -1 for a byte that
// cannot start a sequence.
int ContinuationCount(unsigned char lead)
{
    if (lead < 0x80)
        return 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 1;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 2;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 3;
    return -1;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The system stops reading a name at its first NUL, so such a name would stand
// for another file.
bool HasNul(const std::string& path)
{
    return path.find('\0') != std::string::npos;
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Refuses the file before decoding when its headers declare more pixels than
// the limit allows.
bool WithinPixelLimit(const std::wstring& path, const std::vector<unsigned char>& bytes)
{
    ImageFileInfo declared;
    image_header::ReadImageLayout(image_header::FileBytes(bytes.data(), bytes.size()), declared);
    return tivra::io::WithinPixelLimit(to_byte_string(path), static_cast<std::uint64_t>(declared.width),
                                       static_cast<std::uint64_t>(declared.height));
}

}  // namespace

std::wstring to_wide_string(const std::string& utf8)
{
    static const char32_t kMinForLength[] = {0, 0x80, 0x800, 0x10000};
    std::wstring wide;
    wide.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = ContinuationCount(lead);
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= utf8.size())
            return {};
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return {};
            c = (c << 6) | (next & 0x3F);
        }
        if (c < kMinForLength[extra] || c > kMaxCodePoint || IsSurrogate(c))
            return {};
        wide += static_cast<wchar_t>(c);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return wide;
}

std::string to_byte_string(const std::wstring& wide)
{
    std::string utf8;
    utf8.reserve(wide.size());
    for (const wchar_t element : wide) {
        const auto c = static_cast<char32_t>(element);
        if (c > kMaxCodePoint || IsSurrogate(c))
            return {};
        AppendUtf8(utf8, c);
    }
    return utf8;
}

std::wstring UTF8ToPath(const std::string& utf8)
{
    return to_wide_string(utf8);
}

std::string PathToUTF8(const std::wstring& path)
{
    return to_byte_string(path);
}

std::string GetExtension(const std::string& path)
{
    const auto dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string GetExtension(const std::wstring& path)
{
    const auto dot = path.rfind(L'.');
    return dot == std::wstring::npos ? std::string() : to_byte_string(path.substr(dot));
}

bool IsRegularFile(const std::string& utf8Path)
{
    struct stat info {};
    return !HasNul(utf8Path) && ::stat(utf8Path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool fileExists(const std::string& utf8Path)
{
    if (HasNul(utf8Path))
        return false;
    // Non-blocking, so that a FIFO without a writer answers at once instead of waiting for one.
    const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool ReadStreamBytes(std::istream& in, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    const std::streampos start = in.tellg();
    in.seekg(0, std::ios::end);
    const std::streampos end = in.tellg();
    if (start < 0 || end < start)
        return false;
    in.seekg(start);
    const auto size = static_cast<std::size_t>(end - start);
    bytes.resize(size);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(in.gcount()) != size) {
        bytes.clear();
        return false;
    }
    return true;
}

bool ReadFileBytes(const std::string& utf8Path, std::vector<unsigned char>& bytes)
{
    // A directory opens as a stream but reports a size no buffer can hold, and
    // opening a FIFO waits for a writer.
    if (!IsRegularFile(utf8Path)) {
        bytes.clear();
        return false;
    }
    std::ifstream file(utf8Path, std::ios::binary);
    return file.is_open() && ReadStreamBytes(file, bytes);
}

void Unicode_CvImread(std::wstring path, cv::Mat& image, int flags)
{
    std::vector<unsigned char> bytes;
    if (!ReadFileBytes(to_byte_string(path), bytes))
        return;
    if (bytes.size() > static_cast<std::size_t>(INT_MAX))
        CV_Error(cv::Error::StsOutOfRange, "Must not be larger than INT_MAX");
    // An empty file holds no image; OpenCV's decoder would reject the empty buffer
    // with an assertion instead.
    image = bytes.empty() || !WithinPixelLimit(path, bytes) ? cv::Mat() : cv::imdecode(bytes, flags);
    // Formats without a header reader are measured once decoded.
    if (!image.empty() && !tivra::io::WithinPixelLimit(to_byte_string(path), static_cast<std::uint64_t>(image.cols),
                                                       static_cast<std::uint64_t>(image.rows)))
        image.release();
}

bool Unicode_CvImwrite(const std::wstring& path, const cv::Mat& image, const std::vector<int>& params)
{
    std::string extension = GetExtension(path);
    if (extension.empty())
        extension = ".png";
    std::vector<unsigned char> encoded;
    try {
        if (!cv::imencode(extension, image, encoded, params))
            return false;
    } catch (const cv::Exception&) {
        return false;  // no encoder for the extension, or one that refuses this image
    }
    return tivra::io::WriteWholeFile(to_byte_string(path), encoded.data(), encoded.size());
}

cv::Mat LoadImageByExtension(const std::string& utf8Path, int flags)
{
    cv::Mat image;
    const std::wstring widePath = to_wide_string(utf8Path);
    const std::string extension = LowerAscii(GetExtension(utf8Path));
    if (extension == ".heic" || extension == ".heif")
        return heif_utils::heif_to_cvmat(widePath);
    if (extension == ".jxl")
        return jxl_utils::jxl_to_cvmat(widePath);
    Unicode_CvImread(widePath, image, flags);
    return image;
}
