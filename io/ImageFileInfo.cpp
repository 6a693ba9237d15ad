#include "tivra/io/ImageFileInfo.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdint>
#include <fstream>
#include <limits>
#include <memory>
#include <vector>

#include <jxl/decode.h>
#include <libheif/heif.h>
#include <opencv2/imgcodecs.hpp>

#include "tivra/io/ExifReader.h"
#include "tivra/io/ImageHeader.h"
#include "tivra/io/PixelLimit.h"
#include "tivra/io/UnicodeImage.h"

namespace {

// Text after the last '.', lower-cased; empty when the path has no '.'.
std::string LowerExtension(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::string FormatOfExtension(const std::string& extension)
{
    static const std::pair<const char*, const char*> kFormats[] = {
        {"jpg", "JPEG"}, {"jpeg", "JPEG"}, {"png", "PNG"},   {"tif", "TIFF"}, {"tiff", "TIFF"},
        {"bmp", "BMP"},  {"pgm", "PNM"},   {"ppm", "PNM"},   {"pnm", "PNM"},  {"webp", "WebP"},
        {"heic", "HEIF"}, {"heif", "HEIF"}, {"jxl", "JXL"},
    };
    for (const auto& [ext, format] : kFormats)
        if (extension == ext)
            return format;
    return "Unknown";
}

// Reads up to `limit` bytes from the start of the file. The path is UTF-8 and
// Linux file names are bytes, so it is used as it is. Reading stops at end of
// file or at the first error (a directory, a vanished file): no size is trusted
// from seeking.
std::vector<std::uint8_t> ReadFileHead(const std::string& path, std::size_t limit)
{
    std::vector<std::uint8_t> bytes;
    std::ifstream file(path, std::ios::binary);
    constexpr std::size_t kChunk = 1 << 20;
    while (file && bytes.size() < limit) {
        const std::size_t old = bytes.size();
        bytes.resize(old + std::min(kChunk, limit - old));
        file.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(bytes.size() - old));
        bytes.resize(old + static_cast<std::size_t>(file.gcount()));
    }
    return bytes;
}

int BitDepthOfCvDepth(int depth)
{
    switch (depth) {
    case CV_16U:
    case CV_16S:
        return 16;
    case CV_32S:  // 32-bit integer samples are 32 bits deep
    case CV_32F:
        return 32;
    case CV_64F:
        return 64;
    default:
        return 8;
    }
}

void ReadHeif(const std::string& path, ImageFileInfo& info)
{
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    if (!context || heif_context_read_from_file(context.get(), path.c_str(), nullptr).code != heif_error_Ok)
        return;
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code != heif_error_Ok)
        return;
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handle(rawHandle,
                                                                                  heif_image_handle_release);
    info = HeifFileInfo(handle.get());
}

// Asks libjxl for the basic information of `bytes`. `complete` tells the
// decoder whether more input could follow.
JxlDecoderStatus DecodeJxlBasicInfo(const std::vector<std::uint8_t>& bytes, bool complete, JxlBasicInfo& basic)
{
    std::unique_ptr<JxlDecoder, decltype(&JxlDecoderDestroy)> decoder(JxlDecoderCreate(nullptr), JxlDecoderDestroy);
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), bytes.data(), bytes.size()) != JXL_DEC_SUCCESS)
        return JXL_DEC_ERROR;
    if (complete)
        JxlDecoderCloseInput(decoder.get());
    // Only the basic-information event is subscribed: any other status (error,
    // success, more input needed) ends the reading.
    const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
    if (status == JXL_DEC_BASIC_INFO && JxlDecoderGetBasicInfo(decoder.get(), &basic) != JXL_DEC_SUCCESS)
        return JXL_DEC_ERROR;
    return status;
}

void FillJxlLayout(const JxlBasicInfo& basic, ImageFileInfo& info)
{
    info.width = static_cast<int>(basic.xsize);
    info.height = static_cast<int>(basic.ysize);
    info.channels = static_cast<int>(basic.num_color_channels) + (basic.alpha_bits != 0 ? 1 : 0);
    info.bit_depth = static_cast<int>(basic.bits_per_sample);
}

void ReadJxl(const std::string& path, ImageFileInfo& info)
{
    // The basic information sits in the first bytes of a file: the head is
    // tried first, and the whole file read only when the decoder needs more.
    constexpr std::size_t kHead = 64 * 1024;
    std::vector<std::uint8_t> bytes = ReadFileHead(path, kHead);
    JxlBasicInfo basic;
    JxlDecoderStatus status = DecodeJxlBasicInfo(bytes, bytes.size() < kHead, basic);
    if (status == JXL_DEC_NEED_MORE_INPUT && bytes.size() == kHead) {
        bytes = ReadFileHead(path, std::numeric_limits<std::size_t>::max());
        status = DecodeJxlBasicInfo(bytes, true, basic);
    }
    if (status == JXL_DEC_BASIC_INFO)
        FillJxlLayout(basic, info);
}

// OpenCV refuses images wider or higher than OPENCV_IO_MAX_IMAGE_WIDTH or
// _HEIGHT (2^20 by default) or above OPENCV_IO_MAX_IMAGE_PIXELS (2^30); a header
// beyond those limits is left to the decoder, which reports it.
std::uint64_t DecoderLimit(const char* name, std::uint64_t fallback)
{
    const char* configured = std::getenv(name);
    return configured ? std::strtoull(configured, nullptr, 10) : fallback;
}

bool WithinDecoderLimit(const ImageFileInfo& info)
{
    const auto width = static_cast<std::uint64_t>(info.width);
    const auto height = static_cast<std::uint64_t>(info.height);
    return width <= DecoderLimit("OPENCV_IO_MAX_IMAGE_WIDTH", 1 << 20) &&
           height <= DecoderLimit("OPENCV_IO_MAX_IMAGE_HEIGHT", 1 << 20) &&
           width * height <= DecoderLimit("OPENCV_IO_MAX_IMAGE_PIXELS", std::uint64_t{1} << 30);
}

// Size and layout come from the file's headers when a header reader vouches
// for what the decoder would report; other files are decoded to learn them.
void ReadByContent(const std::string& path, ImageFileInfo& info)
{
    image_header::FileSample sample;
    const bool sampled = sample.Read(path);
    ImageFileInfo declared;
    if (sampled && ReadInfoFromHeaders(path, sample.Bytes(), info, declared))
        return;
    // Headers declaring more pixels than loads accept are not decoded either.
    if (static_cast<std::uint64_t>(declared.width) * static_cast<std::uint64_t>(declared.height) <=
        tivra::io::GetMaxImagePixels())
        FillLayoutFromDecoded(cv::imread(path, cv::IMREAD_UNCHANGED), info);
}

}  // namespace

bool ReadInfoFromHeaders(const std::string& path, const image_header::FileBytes& file, ImageFileInfo& info,
                         ImageFileInfo& declared)
{
    info.format = FormatOfExtension(LowerExtension(path));
    const bool vouched = image_header::ReadImageLayout(file, declared) && WithinDecoderLimit(declared);
    if (vouched) {
        info.width = declared.width;
        info.height = declared.height;
        info.channels = declared.channels;
        info.bit_depth = declared.bit_depth;
    }
    // The EXIF scan runs even when the pixels cannot be decoded.
    if (info.format == "JPEG") {
        const auto scanned = std::min<std::uint64_t>(file.HeadSize(), exif_reader::kJpegScanLimit);
        if (const std::uint8_t* head = file.At(0, scanned))
            exif_reader::ParseJpegExif(head, static_cast<std::size_t>(scanned), info);
    }
    return vouched;
}

ImageFileInfo HeifFileInfo(const heif_image_handle* handle)
{
    ImageFileInfo info;
    info.format = FormatOfExtension("heif");
    info.width = heif_image_handle_get_width(handle);
    info.height = heif_image_handle_get_height(handle);
    info.channels = heif_image_handle_has_alpha_channel(handle) ? 4 : 3;
    const int lumaBits = heif_image_handle_get_luma_bits_per_pixel(handle);
    info.bit_depth = lumaBits > 0 ? lumaBits : 8;

    if (heif_image_handle_get_number_of_metadata_blocks(handle, "Exif") < 1)
        return info;
    heif_item_id exifId = 0;
    heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &exifId, 1);
    const std::size_t size = heif_image_handle_get_metadata_size(handle, exifId);
    if (size < 9)
        return info;
    std::vector<std::uint8_t> exif(size, 0);
    // The block starts with a 4-byte offset field; the parser finds the TIFF
    // header behind it by itself.
    if (heif_image_handle_get_metadata(handle, exifId, exif.data()).code == heif_error_Ok)
        exif_reader::ParseExif(exif.data(), exif.size(), info);
    return info;
}

ImageFileInfo JxlFileInfo(const std::vector<std::uint8_t>& bytes)
{
    ImageFileInfo info;
    info.format = FormatOfExtension("jxl");
    JxlBasicInfo basic;
    if (DecodeJxlBasicInfo(bytes, true, basic) == JXL_DEC_BASIC_INFO)
        FillJxlLayout(basic, info);
    return info;
}

void FillLayoutFromDecoded(const cv::Mat& unchanged, ImageFileInfo& info)
{
    if (unchanged.empty())
        return;
    info.width = unchanged.cols;
    info.height = unchanged.rows;
    info.channels = unchanged.channels();
    info.bit_depth = BitDepthOfCvDepth(unchanged.depth());
}

ImageFileInfo GetImageFileInfo(const std::string& path)
{
    ImageFileInfo info;
    try {
        const std::string extension = LowerExtension(path);
        info.format = FormatOfExtension(extension);
        // A directory or FIFO named like an image would feed the readers endless
        // bytes or block them.
        if (!IsRegularFile(path))
            return info;
        if (extension == "heic" || extension == "heif") {
            ReadHeif(path, info);
        } else if (extension == "jxl") {
            ReadJxl(path, info);
        } else {
            ReadByContent(path, info);
        }
    } catch (const std::exception&) {
        // Unreadable input (an OpenCV decoder error, memory exhaustion) leaves
        // the fields filled so far; the caller gets what could be read.
    }
    return info;
}
