#include "tivra/io/PixelLimit.h"
#include "tivra/io/JxlUtils.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <jxl/decode.h>
#include <jxl/encode.h>
#include <jxl/thread_parallel_runner.h>
#include <opencv2/imgproc.hpp>

#include "FileWrite.h"
#include "PathText.h"

namespace {

void PrintLine(const char* text)
{
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
}

void PrintText(const char* text)
{
    std::fputs(text, stderr);
    std::fflush(stderr);
}

struct RunnerDeleter {
    void operator()(void* runner) const { JxlThreadParallelRunnerDestroy(runner); }
};
struct DecoderDeleter {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
struct EncoderDeleter {
    void operator()(JxlEncoder* encoder) const { JxlEncoderDestroy(encoder); }
};
using RunnerPtr = std::unique_ptr<void, RunnerDeleter>;
using DecoderPtr = std::unique_ptr<JxlDecoder, DecoderDeleter>;
using EncoderPtr = std::unique_ptr<JxlEncoder, EncoderDeleter>;

RunnerPtr MakeRunner()
{
    return RunnerPtr(JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads()));
}

cv::Mat FinishImage(std::vector<unsigned char>& pixels, const JxlBasicInfo& info, const JxlPixelFormat& format)
{
    const int type = format.num_channels == 1 ? CV_8UC1 : CV_8UC3;
    cv::Mat wrapped(static_cast<int>(info.ysize), static_cast<int>(info.xsize), type, pixels.data());
    if (format.num_channels == 3)
        cv::cvtColor(wrapped, wrapped, cv::COLOR_RGB2BGR);
    return wrapped.clone();
}

// Runs the decoder's event loop over input that is already complete.
cv::Mat Decode(JxlDecoder* decoder)
{
    JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    JxlBasicInfo info{};
    std::vector<unsigned char> pixels;
    for (;;) {
        const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
        if (status == JXL_DEC_ERROR || status == JXL_DEC_NEED_MORE_INPUT) {
            PrintLine("JXL decode error or unexpected input state.");
            return {};
        }
        if (status == JXL_DEC_SUCCESS) {
            PrintLine("Failed to decode JXL image.");
            return {};
        }
        if (status == JXL_DEC_BASIC_INFO) {
            if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS) {
                PrintLine("Failed to get JXL basic info.");
                return {};
            }
            if (info.num_color_channels != 1 && info.num_color_channels != 3) {
                PrintLine(("Unsupported number of color channels: " + std::to_string(info.num_color_channels)).c_str());
                return {};
            }
            if (!tivra::io::WithinPixelLimit("JPEG XL image", info.xsize, info.ysize))
                return {};
            format.num_channels = info.num_color_channels;
        } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
            size_t size = 0;
            if (JxlDecoderImageOutBufferSize(decoder, &format, &size) != JXL_DEC_SUCCESS) {
                PrintLine("Failed to get image buffer size.");
                return {};
            }
            pixels.assign(size, 0);
            if (JxlDecoderSetImageOutBuffer(decoder, &format, pixels.data(), pixels.size()) != JXL_DEC_SUCCESS) {
                PrintLine("Failed to set image out buffer.");
                return {};
            }
        } else if (status == JXL_DEC_FULL_IMAGE) {
            return FinishImage(pixels, info, format);
        }
    }
}

bool SetQuality(JxlEncoderFrameSettings* settings, int quality)
{
    if (quality == 100) {
        if (JxlEncoderSetFrameLossless(settings, JXL_TRUE) != JXL_ENC_SUCCESS) {
            PrintText("Failed to set lossless mode.\n");
            return false;
        }
        return true;
    }
    if (JxlEncoderSetFrameLossless(settings, JXL_FALSE) != JXL_ENC_SUCCESS) {
        PrintText("Failed to set lossless mode.\n");
        return false;
    }
    const float distance = std::min((100.0f - static_cast<float>(quality)) / 10.0f, 10.0f);
    if (JxlEncoderSetFrameDistance(settings, distance) != JXL_ENC_SUCCESS) {
        PrintText("Failed to set distance.\n");
        return false;
    }
    return true;
}

JxlColorEncoding GrayEncoding()
{
    JxlColorEncoding encoding{};
    encoding.color_space = JXL_COLOR_SPACE_GRAY;
    encoding.white_point = JXL_WHITE_POINT_D65;
    encoding.primaries = JXL_PRIMARIES_CUSTOM;
    encoding.transfer_function = JXL_TRANSFER_FUNCTION_709;
    encoding.rendering_intent = JXL_RENDERING_INTENT_PERCEPTUAL;
    encoding.gamma = 0;
    return encoding;
}

bool DescribeImage(JxlEncoder* encoder, const cv::Mat& image)
{
    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = static_cast<uint32_t>(image.cols);
    info.ysize = static_cast<uint32_t>(image.rows);
    info.bits_per_sample = 8;
    info.exponent_bits_per_sample = 0;
    info.uses_original_profile = JXL_TRUE;
    info.num_color_channels = static_cast<uint32_t>(image.channels());
    info.num_extra_channels = 0;
    if (JxlEncoderSetBasicInfo(encoder, &info) != JXL_ENC_SUCCESS) {
        PrintText("Failed to set JXL basic info.\n");
        return false;
    }
    JxlColorEncoding encoding{};
    if (image.channels() == 3)
        JxlColorEncodingSetToSRGB(&encoding, JXL_FALSE);
    else
        encoding = GrayEncoding();
    if (JxlEncoderSetColorEncoding(encoder, &encoding) != JXL_ENC_SUCCESS) {
        PrintText("Failed to set color encoding.\n");
        return false;
    }
    return true;
}

bool CollectOutput(JxlEncoder* encoder, std::vector<unsigned char>& output)
{
    output.resize(65536);
    size_t used = 0;
    for (;;) {
        uint8_t* next = output.data() + used;
        size_t available = output.size() - used;
        const JxlEncoderStatus status = JxlEncoderProcessOutput(encoder, &next, &available);
        used = static_cast<size_t>(next - output.data());
        if (status == JXL_ENC_NEED_MORE_OUTPUT) {
            output.resize(output.size() * 2);
        } else if (status == JXL_ENC_SUCCESS) {
            output.resize(used);
            return true;
        } else {
            PrintText("Encoding error.\n");
            return false;
        }
    }
}

bool Encode(const cv::Mat& image, int quality, std::vector<unsigned char>& output)
{
    if (image.empty()) {
        PrintText("Input cv::Mat is empty.\n");
        return false;
    }
    if (image.channels() != 1 && image.channels() != 3) {
        PrintText("Only grayscale (1 channel) and RGB (3 channel) are supported.\n");
        return false;
    }
    if (image.depth() != CV_8U) {
        PrintText("Only 8-bit images are supported.\n");
        return false;
    }
    EncoderPtr encoder(JxlEncoderCreate(nullptr));
    if (!encoder) {
        PrintText("Failed to create JxlEncoder.\n");
        return false;
    }
    JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder.get(), nullptr);
    if (!SetQuality(settings, quality))
        return false;
    RunnerPtr runner = MakeRunner();
    JxlEncoderSetParallelRunner(encoder.get(), JxlThreadParallelRunner, runner.get());
    if (!DescribeImage(encoder.get(), image))
        return false;

    // The encoder takes one packed block: RGB order, no gaps between rows.
    cv::Mat pixels;
    if (image.channels() == 3)
        cv::cvtColor(image, pixels, cv::COLOR_BGR2RGB);
    else
        pixels = image.isContinuous() ? image : image.clone();
    const JxlPixelFormat format{static_cast<uint32_t>(image.channels()), JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    if (JxlEncoderAddImageFrame(settings, &format, pixels.data, pixels.total() * pixels.elemSize()) !=
        JXL_ENC_SUCCESS) {
        PrintText("Failed to add image frame.\n");
        return false;
    }
    JxlEncoderCloseInput(encoder.get());
    const bool ok = CollectOutput(encoder.get(), output);
    // The encoder uses the runner until it is destroyed.
    encoder.reset();
    return ok;
}

// The name the file is opened under. A wide path that is not valid Unicode
// becomes an empty name, which fails to open like a missing file.
std::string FileName(const std::string& path)
{
    return path;
}

std::string FileName(const std::wstring& path)
{
    return to_byte_string(path);
}

// The path as UTF-8 text for messages.
std::string MessageText(const std::string& path)
{
    return path;
}

std::string MessageText(const std::wstring& path)
{
    return to_byte_string(path);
}

}  // namespace

cv::Mat LoadJxlFromVector(std::vector<unsigned char>& data)
{
    RunnerPtr runner = MakeRunner();
    DecoderPtr decoder(JxlDecoderCreate(nullptr));
    if (!runner || !decoder ||
        JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner, runner.get()) != JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(decoder.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), data.data(), data.size()) != JXL_DEC_SUCCESS) {
        PrintLine("JXL decode error or unexpected input state.");
        return {};
    }
    JxlDecoderCloseInput(decoder.get());
    cv::Mat image = Decode(decoder.get());
    decoder.reset();
    return image;
}

namespace jxl_utils {

template <typename Path>
cv::Mat jxl_to_cvmat(const Path& path)
{
    std::vector<unsigned char> bytes;
    if (!ReadFileBytes(FileName(path), bytes))
        return {};
    return LoadJxlFromVector(bytes);
}

template <typename Path>
bool cvmat_to_jxl(const cv::Mat& image, const Path& path, int quality)
{
    std::vector<unsigned char> encoded;
    if (!Encode(image, quality, encoded))
        return false;
    if (!tivra::io::WriteWholeFile(FileName(path), encoded.data(), encoded.size())) {
        // Written as UTF-8 text: standard error is byte-oriented once anything
        // narrow went there, and a wide write would then be dropped.
        PrintLine(("Failed to write to file: " + MessageText(path)).c_str());
        return false;
    }
    return true;
}

template cv::Mat jxl_to_cvmat<std::string>(const std::string&);
template cv::Mat jxl_to_cvmat<std::wstring>(const std::wstring&);
template bool cvmat_to_jxl<std::string>(const cv::Mat&, const std::string&, int);
template bool cvmat_to_jxl<std::wstring>(const cv::Mat&, const std::wstring&, int);

}  // namespace jxl_utils
