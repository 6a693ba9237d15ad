// The HEIF and JPEG XL adapters side by side, then what only one of them does.
#include <gtest/gtest.h>

#include <functional>

#include <opencv2/imgcodecs.hpp>

#include "IoTestSupport.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/UnicodeImage.h"

using namespace iotest;

namespace {

struct Codec {
    std::string extension;
    std::function<bool(const cv::Mat&, const std::string&, int)> encode;
    std::function<cv::Mat(const std::string&)> decode;
};

const Codec kHeif{".heic", heif_utils::cvmat_to_heif<std::string>, heif_utils::heif_to_cvmat<std::string>};
const Codec kJxl{".jxl", jxl_utils::cvmat_to_jxl<std::string>, jxl_utils::jxl_to_cvmat<std::string>};

std::pair<bool, std::string> Encode(const Codec& codec, const cv::Mat& image, const std::string& path, int quality)
{
    return Capturing([&] { return codec.encode(image, path, quality); });
}

std::pair<cv::Mat, std::string> Decode(const Codec& codec, const std::string& path)
{
    return Capturing([&] { return codec.decode(path); });
}

// libjxl may print its own diagnostics first; ours comes last.
bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

// Regions of larger images (rows not contiguous) at odd sizes (padded plane rows), and
// a picture that fills the first 64 KiB output buffer several times, come back exactly
// and leave the caller's image BGR; HEIF gives gray as three equal channels.
TEST(CodecAdapters, LosslessRoundTripsAreExact)
{
    ScratchDir dir;
    for (const Codec* codec : {&kHeif, &kJxl})
        for (const cv::Mat& image : {NoisePicture(200, 150, CV_8UC3)(cv::Rect(13, 21, 77, 55)),
                                     NoisePicture(200, 150, CV_8UC1)(cv::Rect(3, 4, 51, 61)),
                                     NoisePicture(300, 300, CV_8UC3)}) {
            const std::string path = dir / (std::to_string(image.cols) + codec->extension);
            SCOPED_TRACE(path);
            const cv::Mat copy = image.clone();
            EXPECT_EQ(Encode(*codec, image, path, 100), std::make_pair(true, std::string()));
            const auto [back, log] = Decode(*codec, path);
            cv::Mat expected = image;
            if (codec == &kHeif && image.channels() == 1)
                cv::merge(std::vector<cv::Mat>(3, image), expected);
            ASSERT_EQ(back.type(), expected.type());
            EXPECT_EQ(MaxDifference(back, expected), 0);
            EXPECT_EQ(MaxDifference(image, copy), 0);
            EXPECT_TRUE(codec == &kHeif || log.empty()) << log;  // HEIF stores gray as YCbCr
        }
    EXPECT_GT(fs::file_size(dir.path() / "300.jxl"), 4u * 65536u);
    EXPECT_EQ(Describe(GetImageFileInfo(dir / "300.jxl")), "300x300 c3 b8 JXL o1 e0");
}

// A lower quality gives a smaller file; JPEG XL caps the distance at 10, so qualities
// below 0 give the file quality 0 gives.
TEST(CodecAdapters, LossyRoundTripsAreClose)
{
    ScratchDir dir;
    const cv::Mat image = SmoothPicture(160, 120);
    const std::tuple<const Codec*, int, double, std::string> rows[] = {
        {&kHeif, 10, 3.0, "YCbCr color space detected. Performing conversion.\n"}, {&kJxl, 0, 2.0, ""}};
    for (const auto& [codec, low, tolerance, message] : rows) {
        const std::string high = dir / ("q90" + codec->extension), lower = dir / ("low" + codec->extension);
        ASSERT_TRUE(Encode(*codec, image, high, 90).first);
        ASSERT_TRUE(Encode(*codec, image, lower, low).first);
        const auto [back, log] = Decode(*codec, high);
        ASSERT_EQ(back.type(), CV_8UC3);
        ASSERT_EQ(back.size(), image.size());
        EXPECT_LT(MeanDifference(back, image), tolerance);
        EXPECT_EQ(log, message);
        EXPECT_LT(fs::file_size(lower), fs::file_size(high));
    }
    ASSERT_TRUE(Encode(kJxl, image, dir / "qneg.jxl", -50).first);
    EXPECT_EQ(ReadBytes(dir / "qneg.jxl"), ReadBytes(dir / "low.jxl"));
}

// Nothing is written for an image an encoder cannot store or a file it cannot create.
TEST(CodecAdapters, EncodersRefuseWhatTheyCannotStoreOrWrite)
{
    ScratchDir dir;
    const std::string unwritable = dir / "missing/\xe7\x8c\xab";  // 猫
    const cv::Mat small = SmoothPicture(8, 8), deep(8, 8, CV_16UC3, cv::Scalar::all(1000));
    const std::string channels =
        "Error: Unsupported number of channels. Only 1 (grayscale) and 3 (RGB) are supported.\n";
    const std::tuple<const Codec*, cv::Mat, int, std::string, std::string> rows[] = {
        {&kHeif, cv::Mat(), 90, "a", "Error: Input cv::Mat is empty.\n"},
        {&kHeif, NoisePicture(8, 8, CV_8UC4), 90, "b", channels},
        {&kHeif, NoisePicture(8, 8, CV_8UC2), 90, "c", channels},
        {&kHeif, deep, 90, "d", "Error: Only 8-bit images are supported.\n"},
        {&kHeif, small, 101, "e", "Error: Failed to set HEIF quality.\n"},
        {&kHeif, small, -1, "e", "Error: Failed to set HEIF quality.\n"},
        {&kHeif, small, 90, unwritable, "Error: Failed to write HEIF file.\n"},
        {&kJxl, cv::Mat(), 90, "a", "Input cv::Mat is empty.\n"},
        {&kJxl, NoisePicture(8, 8, CV_8UC4), 90, "b",
         "Only grayscale (1 channel) and RGB (3 channel) are supported.\n"},
        {&kJxl, deep, 90, "d", "Only 8-bit images are supported.\n"},
        {&kJxl, small, 101, "e", "Failed to set distance.\n"},
        {&kJxl, small, 90, unwritable, "Failed to write to file: " + unwritable + ".jxl\n"}};
    for (const auto& [codec, image, quality, name, message] : rows) {
        const auto [written, log] = Encode(*codec, image, (name == unwritable ? name : dir / name) + codec->extension,
                                           quality);
        EXPECT_FALSE(written) << message;
        EXPECT_TRUE(codec == &kJxl ? EndsWith(log, message) : log == message) << log;
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

// A missing HEIF file gives one line, a missing JPEG XL file none.
TEST(CodecAdapters, BrokenInputGivesEmptyImage)
{
    ScratchDir dir;
    const auto [heifMissing, heifLog] = Decode(kHeif, dir / "missing.heic");
    EXPECT_TRUE(heifMissing.empty());
    EXPECT_EQ(heifLog.rfind("Failed to read HEIC file: ", 0), 0u) << heifLog;
    EXPECT_EQ(std::count(heifLog.begin(), heifLog.end(), '\n'), 1);
    EXPECT_EQ(Decode(kJxl, dir / "missing.jxl").second, "");
    EXPECT_TRUE(Decode(kJxl, dir / "missing.jxl").first.empty());

    for (const Codec* codec : {&kHeif, &kJxl}) {
        ASSERT_TRUE(Encode(*codec, SmoothPicture(128, 96), dir / ("whole" + codec->extension), 90).first);
        const std::vector<unsigned char> bytes = ReadBytes(dir / ("whole" + codec->extension));
        for (const std::size_t keep : {bytes.size() / 2, bytes.size() - 40, std::size_t{20}}) {
            WriteBytes(dir / ("cut" + codec->extension), std::string(bytes.begin(), bytes.begin() + long(keep)));
            const auto [cut, log] = Decode(*codec, dir / ("cut" + codec->extension));
            EXPECT_TRUE(cut.empty()) << keep;
            EXPECT_TRUE(codec == &kHeif ? !log.empty() : EndsWith(log, "JXL decode error or unexpected input state.\n"))
                << log;
        }
    }

    std::vector<unsigned char> nothing, garbage(100, 0x42);
    EXPECT_TRUE(Capturing([&] { return LoadJxlFromVector(nothing); }).first.empty());
    const auto [none, garbageLog] = Capturing([&] { return LoadJxlFromVector(garbage); });
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(EndsWith(garbageLog, "JXL decode error or unexpected input state.\n"));
}

// Wide and UTF-8 paths reach the same file; a name that is not Unicode reaches none.
TEST(CodecAdapters, AllPathTypesReachTheSameFile)
{
    ScratchDir dir;
    const cv::Mat image = NoisePicture(24, 16, CV_8UC3);
    const std::string name = dir / "\xe5\x86\x99\xe7\x9c\x9f \xf0\x9f\x98\x80";  // 写真 😀
    ASSERT_TRUE(heif_utils::cvmat_to_heif(image, to_wide_string(name + ".heic"), 100));
    ASSERT_TRUE(jxl_utils::cvmat_to_jxl(image, to_wide_string(name + ".jxl"), 100));
    EXPECT_EQ(MaxDifference(Decode(kHeif, name + ".heic").first, image), 0);
    EXPECT_EQ(MaxDifference(jxl_utils::jxl_to_cvmat(to_wide_string(name + ".jxl")), image), 0);

    const std::wstring notUnicode(1, static_cast<wchar_t>(0xDC80));  // a lone surrogate
    EXPECT_THROW(heif_utils::heif_to_cvmat(notUnicode), std::range_error);
    EXPECT_TRUE(jxl_utils::jxl_to_cvmat(notUnicode).empty());
    const std::string unwritable = dir / "missing/\xe7\x8c\xab.jxl";  // 猫.jxl
    testing::internal::CaptureStderr();
    EXPECT_FALSE(jxl_utils::cvmat_to_jxl(image, notUnicode, 100));
    EXPECT_FALSE(jxl_utils::cvmat_to_jxl(image, to_wide_string(unwritable), 90));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Failed to write to file: \nFailed to write to file: " + unwritable + "\n");
}

// A container whose codestream follows 100 KiB of XML metadata.
TEST(JxlUtils, InformationIsFoundBehindLargeBoxes)
{
    const auto box = [](const std::string& kind, const std::string& payload) {
        const std::size_t size = 8 + payload.size();
        return std::string{char(size >> 24), char(size >> 16), char(size >> 8), char(size)} + kind + payload;
    };
    ScratchDir dir;
    ASSERT_TRUE(Encode(kJxl, NoisePicture(40, 30, CV_8UC3), dir / "bare.jxl", 100).first);
    const std::vector<unsigned char> codestream = ReadBytes(dir / "bare.jxl");
    WriteBytes(dir / "boxed.jxl", box("JXL ", "\r\n\x87\n") + box("ftyp", std::string("jxl \0\0\0\0jxl ", 12)) +
                                      box("xml ", "<x>" + std::string(100000, ' ') + "</x>") +
                                      box("jxlc", std::string(codestream.begin(), codestream.end())));
    EXPECT_EQ(Describe(GetImageFileInfo(dir / "boxed.jxl")), "40x30 c3 b8 JXL o1 e0");
}

// The file information still counts the alpha channel the decoder drops.
TEST(JxlUtils, AlphaIsDropped)
{
    if (std::system("command -v cjxl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "cjxl (libjxl-tools) is not installed";
    ScratchDir dir;
    cv::Mat bgra = NoisePicture(32, 24, CV_8UC4);
    ASSERT_TRUE(cv::imwrite(dir / "alpha.png", bgra));
    const std::string command = "cjxl -d 0 '" + (dir / "alpha.png") + "' '" + (dir / "alpha.jxl") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(Describe(GetImageFileInfo(dir / "alpha.jxl")), "32x24 c4 b8 JXL o1 e0");
    const cv::Mat back = Decode(kJxl, dir / "alpha.jxl").first;
    ASSERT_EQ(back.type(), CV_8UC3);
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    EXPECT_EQ(MaxDifference(back, bgr), 0);
}

// libheif's own heif-enc writes what our encoder does not (alpha, 10 bits) and carries
// a JPEG's EXIF block over, where the file information finds it.
TEST(HeifUtils, TenBitsDecodeToEightAndAlphaIsKept)
{
    if (std::system("command -v heif-enc >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "heif-enc (libheif-examples) is not installed";
    ScratchDir dir;
    const auto heifEnc = [&](const std::string& source, const std::string& options, const std::string& name) {
        const std::string command = "heif-enc " + options + " '" + source + "' -o '" + (dir / name) + "'";
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0 ? dir / name : "";
    };
    const cv::Mat picture = SmoothPicture(64, 48);
    cv::Mat deep;
    picture.convertTo(deep, CV_16UC3, 257.0);
    ASSERT_TRUE(cv::imwrite(dir / "deep.png", deep));
    const std::string tenBits = heifEnc(dir / "deep.png", "-b 10 -q 95", "deep.heic");
    EXPECT_EQ(Describe(GetImageFileInfo(tenBits)), "64x48 c3 b10 HEIF o1 e0");
    const cv::Mat back = Decode(kHeif, tenBits).first;
    ASSERT_EQ(back.type(), CV_8UC3);
    EXPECT_LT(MeanDifference(back, picture), 4.0);

    cv::Mat alpha(48, 64, CV_8UC1, cv::Scalar(255)), bgra;
    alpha.colRange(32, 64).setTo(60);
    cv::merge(std::vector<cv::Mat>{picture, alpha}, bgra);
    ASSERT_TRUE(cv::imwrite(dir / "alpha.png", bgra));
    const std::string alphaFile = heifEnc(dir / "alpha.png", "-q 95", "alpha.heic");
    EXPECT_EQ(Describe(GetImageFileInfo(alphaFile)), "64x48 c4 b8 HEIF o1 e0");
    const cv::Mat withAlpha = Decode(kHeif, alphaFile).first;
    ASSERT_EQ(withAlpha.type(), CV_8UC4);
    EXPECT_LT(MeanDifference(withAlpha, bgra), 4.0);
    EXPECT_NEAR(withAlpha.at<cv::Vec4b>(10, 5)[3], 255, 8);
    EXPECT_NEAR(withAlpha.at<cv::Vec4b>(10, 50)[3], 60, 8);

    EXPECT_EQ(Describe(GetImageFileInfo(heifEnc(DataFile("orientation-6.jpg"), "", "exif.heic"))),
              "40x24 c3 b8 HEIF o6 e1");
}
