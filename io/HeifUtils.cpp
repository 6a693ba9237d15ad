#include "tivra/io/PixelLimit.h"
#include "tivra/io/HeifUtils.h"

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <memory>
#include <vector>

#include <libheif/heif.h>
#include <opencv2/imgproc.hpp>

#include "tivra/io/ImageFileInfo.h"

#include "FileWrite.h"
#include "PathText.h"

namespace heif_utils {
namespace {

void PrintLine(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

// libheif ends some of its messages with a newline of its own; the line gets one.
void PrintError(const char* prefix, const heif_error& error)
{
    std::string message = error.message ? error.message : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    PrintLine(prefix + message);
}

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct EncoderDeleter {
    void operator()(heif_encoder* encoder) const { heif_encoder_release(encoder); }
};
using ContextPtr = std::unique_ptr<heif_context, ContextDeleter>;
using HandlePtr = std::unique_ptr<heif_image_handle, HandleDeleter>;
using ImagePtr = std::unique_ptr<heif_image, ImageDeleter>;
using EncoderPtr = std::unique_ptr<heif_encoder, EncoderDeleter>;

// One plane as 8-bit samples. 8-bit planes are wrapped without a copy; planes of
// higher bit depth (stored as 16-bit words) are scaled down to 8 bits. Empty when
// the plane is missing or has no extent.
cv::Mat PlaneAs8Bit(const heif_image* image, heif_channel channel)
{
    int stride = 0;
    const uint8_t* data = heif_image_get_plane_readonly(image, channel, &stride);
    const int width = heif_image_get_width(image, channel);
    const int height = heif_image_get_height(image, channel);
    if (!data || stride < 1 || width < 1 || height < 1)
        return {};
    const int bits = heif_image_get_bits_per_pixel_range(image, channel);
    if (bits <= 8)
        return cv::Mat(height, width, CV_8UC1, const_cast<uint8_t*>(data), static_cast<size_t>(stride));
    const cv::Mat wide(height, width, CV_16UC1, const_cast<uint8_t*>(data), static_cast<size_t>(stride));
    cv::Mat narrow;
    wide.convertTo(narrow, CV_8U, 255.0 / ((1 << bits) - 1));
    return narrow;
}

// Adds the alpha plane, if the decoded image carries one, as a fourth channel.
cv::Mat WithAlpha(const heif_image* image, const cv::Mat& bgr)
{
    if (!heif_image_has_channel(image, heif_channel_Alpha))
        return bgr;
    cv::Mat alpha = PlaneAs8Bit(image, heif_channel_Alpha);
    if (alpha.size() != bgr.size())
        return bgr;
    cv::Mat bgra;
    const cv::Mat parts[] = {bgr, alpha};
    cv::merge(parts, 2, bgra);
    return bgra;
}

cv::Mat ConvertYCbCr(const heif_image* image)
{
    PrintLine("YCbCr color space detected. Performing conversion.");
    const heif_channel channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    std::vector<cv::Mat> planes;
    for (int index = 0; index < 3; ++index) {
        cv::Mat plane = PlaneAs8Bit(image, channels[index]);
        if (plane.empty()) {
            PrintLine("Error getting plane data for channel: " + std::to_string(index));
            return {};
        }
        planes.push_back(plane);
    }
    const cv::Mat& y = planes[0];
    cv::Mat cb, cr;
    cv::resize(planes[1], cb, y.size(), 0, 0, cv::INTER_LINEAR);
    cv::resize(planes[2], cr, y.size(), 0, 0, cv::INTER_LINEAR);
    // OpenCV's YCrCb conversion is the full-range one: R = Y + 1.403 (Cr - 128), ...
    cv::Mat ycrcb, bgr;
    const cv::Mat ordered[] = {y, cr, cb};
    cv::merge(ordered, 3, ycrcb);
    cv::cvtColor(ycrcb, bgr, cv::COLOR_YCrCb2BGR);
    return WithAlpha(image, bgr);
}

// libheif hands RGB-coded images (lossless ones among them) over as R, G and B planes.
cv::Mat ConvertRGB(const heif_image* image)
{
    cv::Mat r = PlaneAs8Bit(image, heif_channel_R);
    cv::Mat g = PlaneAs8Bit(image, heif_channel_G);
    cv::Mat b = PlaneAs8Bit(image, heif_channel_B);
    if (r.empty() || g.empty() || b.empty() || r.size() != g.size() || r.size() != b.size()) {
        PrintLine("Error getting interleaved RGB image data.");
        return {};
    }
    cv::Mat bgr;
    const cv::Mat ordered[] = {b, g, r};
    cv::merge(ordered, 3, bgr);
    return WithAlpha(image, bgr);
}

// The colour space the image is coded in, which is the cheapest to decode into:
// RGB for images coded with the identity matrix (lossless ones), otherwise YCbCr
// with the coded chroma layout. libheif hands gray images over as YCbCr with
// neutral chroma, so they decode like colour ones.
heif_colorspace PreferredColorspace(const heif_image_handle* handle)
{
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok || !nclx)
        return heif_colorspace_YCbCr;
    const bool identity = nclx->matrix_coefficients == heif_matrix_coefficients_RGB_GBR;
    heif_nclx_color_profile_free(nclx);
    return identity ? heif_colorspace_RGB : heif_colorspace_YCbCr;
}

// Decodes the primary image; `info`, when given, gets the file's information
// from the same reading of the file.
cv::Mat DecodeFile(const std::string& fileName, ImageFileInfo* info)
{
    ContextPtr context(heif_context_alloc());
    if (!context) {
        PrintLine("Error allocating HEIF context.");
        return {};
    }
    if (fileName.find('\0') != std::string::npos) {
        // libheif would stop reading the name at the NUL and open another file.
        PrintLine("Failed to read HEIC file: the file name contains a NUL character");
        return {};
    }
    if (!IsRegularFile(fileName)) {
        // libheif would read a directory as an endless stream and wait on a FIFO.
        PrintLine("Failed to read HEIC file: not a regular file");
        return {};
    }
    heif_error error = heif_context_read_from_file(context.get(), fileName.c_str(), nullptr);
    if (error.code != heif_error_Ok) {
        PrintError("Failed to read HEIC file: ", error);
        return {};
    }
    heif_image_handle* rawHandle = nullptr;
    error = heif_context_get_primary_image_handle(context.get(), &rawHandle);
    HandlePtr handle(rawHandle);
    if (error.code != heif_error_Ok) {
        PrintError("Failed to get HEIC image handle: ", error);
        return {};
    }
    if (info)
        *info = HeifFileInfo(handle.get());
    if (!tivra::io::WithinPixelLimit(fileName, static_cast<std::uint64_t>(heif_image_handle_get_width(handle.get())),
                                     static_cast<std::uint64_t>(heif_image_handle_get_height(handle.get()))))
        return {};
    heif_image* rawImage = nullptr;
    const heif_colorspace colorspace = PreferredColorspace(handle.get());
    const heif_chroma chroma = colorspace == heif_colorspace_RGB ? heif_chroma_444 : heif_chroma_undefined;
    error = heif_decode_image(handle.get(), &rawImage, colorspace, chroma, nullptr);
    ImagePtr image(rawImage);
    if (error.code != heif_error_Ok) {
        PrintError("Failed to decode HEIC image: ", error);
        return {};
    }
    switch (heif_image_get_colorspace(image.get())) {
    case heif_colorspace_YCbCr:
        return ConvertYCbCr(image.get());
    case heif_colorspace_RGB:
        return ConvertRGB(image.get());
    default:
        PrintLine("Unsupported color space.");
        return {};
    }
}

// Copies an 8-bit image row by row into a plane with its own stride.
void CopyRows(const cv::Mat& source, uint8_t* plane, int stride)
{
    const size_t rowBytes = source.cols * source.elemSize();
    for (int row = 0; row < source.rows; ++row)
        std::memcpy(plane + static_cast<size_t>(row) * stride, source.ptr(row), rowBytes);
}

ImagePtr MakeGrayImage(const cv::Mat& gray)
{
    heif_image* raw = nullptr;
    heif_error error = heif_image_create(gray.cols, gray.rows, heif_colorspace_monochrome, heif_chroma_monochrome, &raw);
    ImagePtr image(raw);
    if (error.code != heif_error_Ok) {
        PrintLine("Error: Failed to create HEIF image (grayscale).");
        return nullptr;
    }
    int stride = 0;
    uint8_t* plane = nullptr;
    if (heif_image_add_plane(image.get(), heif_channel_Y, gray.cols, gray.rows, 8).code == heif_error_Ok)
        plane = heif_image_get_plane(image.get(), heif_channel_Y, &stride);
    if (!plane) {
        PrintLine("Error: Failed to get HEIF image plane (grayscale).");
        return nullptr;
    }
    CopyRows(gray, plane, stride);
    return image;
}

ImagePtr MakeRgbImage(const cv::Mat& bgr)
{
    cv::Mat rgb;
    cv::cvtColor(bgr, rgb, cv::COLOR_BGR2RGB);
    heif_image* raw = nullptr;
    heif_error error = heif_image_create(rgb.cols, rgb.rows, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &raw);
    ImagePtr image(raw);
    if (error.code != heif_error_Ok) {
        PrintLine("Error: Failed to create HEIF image.");
        return nullptr;
    }
    int stride = 0;
    uint8_t* plane = nullptr;
    if (heif_image_add_plane(image.get(), heif_channel_interleaved, rgb.cols, rgb.rows, 8).code == heif_error_Ok)
        plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    if (!plane) {
        PrintLine("Error: Failed to get HEIF image plane.");
        return nullptr;
    }
    CopyRows(rgb, plane, stride);
    return image;
}

heif_error AppendBytes(heif_context*, const void* data, size_t size, void* userdata)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(userdata);
    const auto* begin = static_cast<const unsigned char*>(data);
    bytes->insert(bytes->end(), begin, begin + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "Success"};
}

bool WriteContext(heif_context* context, const std::string& fileName)
{
    std::vector<unsigned char> bytes;
    heif_writer writer{1, &AppendBytes};
    const heif_error error = heif_context_write(context, &writer, &bytes);
    if (error.code != heif_error_Ok || !tivra::io::WriteWholeFile(fileName, bytes.data(), bytes.size())) {
        PrintLine("Error: Failed to write HEIF file.");
        return false;
    }
    return true;
}

using NclxPtr = std::unique_ptr<heif_color_profile_nclx, decltype(&heif_nclx_color_profile_free)>;

// sRGB stored through the identity matrix: the three planes hold G, B and R.
NclxPtr IdentityNclx()
{
    NclxPtr nclx(heif_nclx_color_profile_alloc(), &heif_nclx_color_profile_free);
    nclx->matrix_coefficients = heif_matrix_coefficients_RGB_GBR;
    nclx->color_primaries = heif_color_primaries_ITU_R_BT_709_5;
    nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
    nclx->full_range_flag = 1;
    return nclx;
}

// Lossless colour: libheif's own RGB conversion rounds some samples by one, so the
// planes are filled directly, G, B and R in the luma and the two chroma planes.
ImagePtr MakeLosslessRgbImage(const cv::Mat& bgr, const heif_color_profile_nclx* nclx)
{
    heif_image* raw = nullptr;
    heif_error error = heif_image_create(bgr.cols, bgr.rows, heif_colorspace_YCbCr, heif_chroma_444, &raw);
    ImagePtr image(raw);
    if (error.code != heif_error_Ok) {
        PrintLine("Error: Failed to create HEIF image.");
        return nullptr;
    }
    const heif_channel channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    const int sourceChannel[] = {1, 0, 2};  // G, B, R of a BGR image
    for (int index = 0; index < 3; ++index) {
        int stride = 0;
        uint8_t* plane = nullptr;
        if (heif_image_add_plane(image.get(), channels[index], bgr.cols, bgr.rows, 8).code == heif_error_Ok)
            plane = heif_image_get_plane(image.get(), channels[index], &stride);
        if (!plane) {
            PrintLine("Error: Failed to get HEIF image plane.");
            return nullptr;
        }
        cv::Mat component;
        cv::extractChannel(bgr, component, sourceChannel[index]);
        CopyRows(component, plane, stride);
    }
    heif_image_set_nclx_color_profile(image.get(), nclx);
    return image;
}

heif_error EncodeImage(heif_context* context, const heif_image* image, heif_encoder* encoder,
                       heif_color_profile_nclx* nclx)
{
    if (!nclx)
        return heif_context_encode_image(context, image, encoder, nullptr, nullptr);
    std::unique_ptr<heif_encoding_options, decltype(&heif_encoding_options_free)> options(
        heif_encoding_options_alloc(), &heif_encoding_options_free);
    options->output_nclx_profile = nclx;
    // The profile box is what tells readers that the planes hold RGB.
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
    return heif_context_encode_image(context, image, encoder, options.get(), nullptr);
}

bool EncodeFile(const cv::Mat& input, const std::string& fileName, int quality)
{
    if (input.empty()) {
        PrintLine("Error: Input cv::Mat is empty.");
        return false;
    }
    if (input.depth() != CV_8U) {
        PrintLine("Error: Only 8-bit images are supported.");
        return false;
    }
    ContextPtr context(heif_context_alloc());
    if (!context) {
        PrintLine("Error: Failed to create HEIF context.");
        return false;
    }
    heif_encoder* rawEncoder = nullptr;
    const heif_error found = heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder);
    EncoderPtr encoder(rawEncoder);
    if (found.code != heif_error_Ok || !encoder) {
        PrintLine("Error: Failed to create HEIF encoder.");
        return false;
    }
    const bool lossless = quality == 100;
    if (lossless) {
        heif_encoder_set_lossless(encoder.get(), 1);
        // Lossless needs full chroma resolution.
        heif_encoder_set_parameter_string(encoder.get(), "chroma", "444");
    } else if (heif_encoder_set_lossy_quality(encoder.get(), quality).code != heif_error_Ok) {
        // libheif keeps its default quality for a value it refuses (outside 0..100):
        // the file would not be what was asked for.
        PrintLine("Error: Failed to set HEIF quality.");
        return false;
    }

    ImagePtr image;
    NclxPtr nclx(nullptr, &heif_nclx_color_profile_free);
    if (input.channels() == 1) {
        image = MakeGrayImage(input);
    } else if (input.channels() == 3 && lossless) {
        nclx = IdentityNclx();
        image = MakeLosslessRgbImage(input, nclx.get());
    } else if (input.channels() == 3) {
        image = MakeRgbImage(input);
    } else {
        PrintLine("Error: Unsupported number of channels. Only 1 (grayscale) and 3 (RGB) are supported.");
        return false;
    }
    if (!image)
        return false;
    const heif_error encoded = EncodeImage(context.get(), image.get(), encoder.get(), nclx.get());
    image.reset();
    if (encoded.code != heif_error_Ok) {
        PrintLine("Error: Failed to encode HEIF image.");
        return false;
    }
    return WriteContext(context.get(), fileName);
}

}  // namespace

template <typename Path>
cv::Mat heif_to_cvmat(const Path& path)
{
    return DecodeFile(tivra::io::NarrowPath(path), nullptr);
}

cv::Mat ReadHeifFile(const std::string& utf8Path, ImageFileInfo& info)
{
    return DecodeFile(utf8Path, &info);
}

template <typename Path>
bool cvmat_to_heif(const cv::Mat& image, const Path& path, int quality)
{
    return EncodeFile(image, tivra::io::NarrowPath(path), quality);
}

template cv::Mat heif_to_cvmat<std::string>(const std::string&);
template cv::Mat heif_to_cvmat<std::wstring>(const std::wstring&);
template bool cvmat_to_heif<std::string>(const cv::Mat&, const std::string&, int);
template bool cvmat_to_heif<std::wstring>(const cv::Mat&, const std::wstring&, int);

}  // namespace heif_utils
