#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "IoTestSupport.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/UnicodeImage.h"

using namespace iotest;

namespace {

// libjxl may print its own diagnostics first; ours comes last.
bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::pair<bool, std::string> EncodeCapturing(const cv::Mat& image, const std::string& path, int quality)
{
    return Capturing([&] { return jxl_utils::cvmat_to_jxl(image, path, quality); });
}

std::pair<cv::Mat, std::string> DecodeCapturing(const std::string& path)
{
    return Capturing([&] { return jxl_utils::jxl_to_cvmat(path); });
}

std::string Box(const std::string& kind, const std::string& payload)
{
    const std::size_t size = 8 + payload.size();
    return std::string{char(size >> 24), char(size >> 16), char(size >> 8), char(size)} + kind + payload;
}

}  // namespace

// The large picture fills several times the first 64 KiB output buffer; regions of
// larger images have rows that are not contiguous.
TEST(JxlUtils, LosslessRoundTripsAreExact)
{
    ScratchDir dir;
    const cv::Mat colour = NoisePicture(300, 300, CV_8UC3);
    const cv::Mat copy = colour.clone();
    EXPECT_EQ(EncodeCapturing(colour, dir / "noise.jxl", 100), std::make_pair(true, std::string()));
    EXPECT_GT(fs::file_size(dir.path() / "noise.jxl"), 4u * 65536u);
    EXPECT_EQ(Describe(GetImageFileInfo(dir / "noise.jxl")), "300x300 c3 b8 JXL o1 e0");
    EXPECT_EQ(MaxDifference(colour, copy), 0);  // the caller's image stays BGR
    for (const cv::Mat& image : {colour, NoisePicture(200, 150, CV_8UC3)(cv::Rect(17, 11, 70, 50)),
                                 NoisePicture(200, 150, CV_8UC1)(cv::Rect(3, 4, 50, 60))}) {
        ASSERT_TRUE(EncodeCapturing(image, dir / "a.jxl", 100).first);
        const auto [back, log] = DecodeCapturing(dir / "a.jxl");
        ASSERT_EQ(back.type(), image.type());
        EXPECT_EQ(MaxDifference(back, image), 0);
        EXPECT_EQ(log, "");
    }
}

// A container whose codestream follows 100 KiB of XML metadata.
TEST(JxlUtils, InformationIsFoundBehindLargeBoxes)
{
    ScratchDir dir;
    ASSERT_TRUE(EncodeCapturing(NoisePicture(40, 30, CV_8UC3), dir / "bare.jxl", 100).first);
    const std::vector<unsigned char> codestream = ReadBytes(dir / "bare.jxl");
    WriteBytes(dir / "boxed.jxl", Box("JXL ", "\r\n\x87\n") + Box("ftyp", std::string("jxl \0\0\0\0jxl ", 12)) +
                                      Box("xml ", "<x>" + std::string(100000, ' ') + "</x>") +
                                      Box("jxlc", std::string(codestream.begin(), codestream.end())));
    EXPECT_EQ(Describe(GetImageFileInfo(dir / "boxed.jxl")), "40x30 c3 b8 JXL o1 e0");
}

TEST(JxlUtils, LossyRoundTripIsClose)
{
    ScratchDir dir;
    const cv::Mat image = SmoothPicture(160, 120);
    ASSERT_TRUE(EncodeCapturing(image, dir / "q90.jxl", 90).first);
    ASSERT_TRUE(EncodeCapturing(image, dir / "q0.jxl", 0).first);
    ASSERT_TRUE(EncodeCapturing(image, dir / "qneg.jxl", -50).first);  // distance capped at 10
    const cv::Mat back = DecodeCapturing(dir / "q90.jxl").first;
    ASSERT_EQ(back.size(), image.size());
    EXPECT_LT(MeanDifference(back, image), 2.0);
    EXPECT_LT(fs::file_size(dir.path() / "q0.jxl"), fs::file_size(dir.path() / "q90.jxl"));
    EXPECT_EQ(ReadBytes(dir / "q0.jxl"), ReadBytes(dir / "qneg.jxl"));
}

TEST(JxlUtils, EncoderMessages)
{
    ScratchDir dir;
    EXPECT_EQ(EncodeCapturing(cv::Mat(), dir / "a.jxl", 90),
              std::make_pair(false, std::string("Input cv::Mat is empty.\n")));
    EXPECT_EQ(EncodeCapturing(NoisePicture(8, 8, CV_8UC4), dir / "b.jxl", 90),
              std::make_pair(false, std::string("Only grayscale (1 channel) and RGB (3 channel) are supported.\n")));
    const auto [tooHigh, tooHighLog] = EncodeCapturing(SmoothPicture(8, 8), dir / "c.jxl", 101);
    EXPECT_FALSE(tooHigh);
    EXPECT_TRUE(EndsWith(tooHighLog, "Failed to set distance.\n"))
        << tooHighLog;
    EXPECT_EQ(EncodeCapturing(cv::Mat(8, 8, CV_16UC1, cv::Scalar(500)), dir / "d.jxl", 100),
              std::make_pair(false, std::string("Only 8-bit images are supported.\n")));
    EXPECT_TRUE(fs::is_empty(dir.path()));

    const std::string unwritable = dir / "missing/\xe7\x8c\xab.jxl";  // 猫.jxl
    EXPECT_EQ(EncodeCapturing(SmoothPicture(8, 8), unwritable, 90),
              std::make_pair(false, "Failed to write to file: " + unwritable + "\n"));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(jxl_utils::cvmat_to_jxl(SmoothPicture(8, 8), to_wide_string(unwritable), 90));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to write to file: " + unwritable + "\n");
}

TEST(JxlUtils, BrokenInputGivesEmptyImage)
{
    ScratchDir dir;
    EXPECT_EQ(DecodeCapturing(dir / "missing.jxl").second, "");  // no message for a missing file
    EXPECT_TRUE(DecodeCapturing(dir / "missing.jxl").first.empty());

    ASSERT_TRUE(EncodeCapturing(NoisePicture(64, 64, CV_8UC3), dir / "whole.jxl", 100).first);
    const std::vector<unsigned char> bytes = ReadBytes(dir / "whole.jxl");
    WriteBytes(dir / "cut.jxl", std::string(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)));
    const auto [cut, log] = DecodeCapturing(dir / "cut.jxl");
    EXPECT_TRUE(cut.empty());
    EXPECT_TRUE(EndsWith(log, "JXL decode error or unexpected input state.\n")) << log;

    std::vector<unsigned char> nothing, garbage(100, 0x42);
    EXPECT_TRUE(Capturing([&] { return LoadJxlFromVector(nothing); }).first.empty());
    const auto [none, garbageLog] = Capturing([&] { return LoadJxlFromVector(garbage); });
    EXPECT_TRUE(none.empty());
    EXPECT_TRUE(EndsWith(garbageLog, "JXL decode error or unexpected input state.\n"));
}

TEST(JxlUtils, AllPathTypesReachTheSameFile)
{
    ScratchDir dir;
    const cv::Mat image = NoisePicture(20, 10, CV_8UC3);
    const std::string name = dir / "\xf0\x9f\x8c\x88 \xc3\xa9t\xc3\xa9.jxl";  // 🌈 été.jxl
    ASSERT_TRUE(jxl_utils::cvmat_to_jxl(image, to_wide_string(name), 100));
    EXPECT_EQ(MaxDifference(jxl_utils::jxl_to_cvmat(to_wide_string(name)), image), 0);

    const std::wstring notUnicode(1, static_cast<wchar_t>(0xDC80));  // a lone surrogate
    EXPECT_TRUE(jxl_utils::jxl_to_cvmat(notUnicode).empty());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(jxl_utils::cvmat_to_jxl(image, notUnicode, 100));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to write to file: \n");
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
    const cv::Mat back = DecodeCapturing(dir / "alpha.jxl").first;
    ASSERT_EQ(back.type(), CV_8UC3);
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    EXPECT_EQ(MaxDifference(back, bgr), 0);
}
