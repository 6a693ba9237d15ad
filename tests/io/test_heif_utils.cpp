#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "IoTestSupport.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/UnicodeImage.h"

using namespace iotest;

namespace {

std::pair<cv::Mat, std::string> DecodeCapturing(const std::string& path)
{
    return Capturing([&] { return heif_utils::heif_to_cvmat(path); });
}

std::pair<bool, std::string> EncodeCapturing(const cv::Mat& image, const std::string& path, int quality)
{
    return Capturing([&] { return heif_utils::cvmat_to_heif(image, path, quality); });
}

bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

TEST(HeifUtils, LosslessColourRoundTripIsExact)
{
    ScratchDir dir;
    const cv::Mat image = NoisePicture(91, 67, CV_8UC3);  // odd sizes: padded plane rows
    ASSERT_TRUE(EncodeCapturing(image, dir / "noise.heic", 100).first);
    const auto [back, log] = DecodeCapturing(dir / "noise.heic");
    ASSERT_EQ(back.type(), CV_8UC3);
    EXPECT_EQ(MaxDifference(back, image), 0);
}

TEST(HeifUtils, LossyRoundTripIsCloseAndGoesThroughYCbCr)
{
    ScratchDir dir;
    const cv::Mat image = SmoothPicture(160, 120);
    ASSERT_TRUE(EncodeCapturing(image, dir / "smooth.heic", 90).first);
    const auto [back, log] = DecodeCapturing(dir / "smooth.heic");
    ASSERT_EQ(back.type(), CV_8UC3);
    ASSERT_EQ(back.size(), image.size());
    EXPECT_LT(MeanDifference(back, image), 3.0);
    EXPECT_EQ(log, "YCbCr color space detected. Performing conversion.\n");

    // A lower quality gives a smaller file.
    ASSERT_TRUE(EncodeCapturing(image, dir / "low.heic", 10).first);
    EXPECT_LT(fs::file_size(dir.path() / "low.heic"), fs::file_size(dir.path() / "smooth.heic"));
}

TEST(HeifUtils, GrayRoundTripGivesEqualChannels)
{
    ScratchDir dir;
    const cv::Mat gray = NoisePicture(37, 29, CV_8UC1);
    ASSERT_TRUE(EncodeCapturing(gray, dir / "gray.heif", 100).first);
    const auto [back, log] = DecodeCapturing(dir / "gray.heif");
    ASSERT_EQ(back.type(), CV_8UC3);
    std::vector<cv::Mat> channels;
    cv::split(back, channels);
    for (const cv::Mat& channel : channels)
        EXPECT_EQ(MaxDifference(channel, gray), 0);
}

TEST(HeifUtils, RegionOfALargerImageRoundTrips)
{
    ScratchDir dir;
    const cv::Mat whole = NoisePicture(200, 150, CV_8UC3);
    const cv::Mat region = whole(cv::Rect(13, 21, 77, 55));
    ASSERT_FALSE(region.isContinuous());
    ASSERT_TRUE(EncodeCapturing(region, dir / "region.heic", 100).first);
    EXPECT_EQ(MaxDifference(DecodeCapturing(dir / "region.heic").first, region), 0);

    const cv::Mat grayWhole = NoisePicture(200, 150, CV_8UC1);
    const cv::Mat grayRegion = grayWhole(cv::Rect(5, 9, 61, 40));
    ASSERT_TRUE(EncodeCapturing(grayRegion, dir / "gray-region.heic", 100).first);
    cv::Mat back;
    cv::cvtColor(DecodeCapturing(dir / "gray-region.heic").first, back, cv::COLOR_BGR2GRAY);
    EXPECT_EQ(MaxDifference(back, grayRegion), 0);
}

TEST(HeifUtils, EncoderRejectsWhatItCannotStore)
{
    ScratchDir dir;
    EXPECT_EQ(EncodeCapturing(cv::Mat(), dir / "a.heic", 90),
              std::make_pair(false, std::string("Error: Input cv::Mat is empty.\n")));
    EXPECT_EQ(EncodeCapturing(NoisePicture(8, 8, CV_8UC4), dir / "b.heic", 90),
              std::make_pair(false, std::string("Error: Unsupported number of channels. Only 1 (grayscale) and 3 "
                                                "(RGB) are supported.\n")));
    EXPECT_EQ(EncodeCapturing(NoisePicture(8, 8, CV_8UC2), dir / "c.heic", 90).first, false);
    EXPECT_EQ(EncodeCapturing(cv::Mat(8, 8, CV_16UC3, cv::Scalar::all(1000)), dir / "d.heic", 90),
              std::make_pair(false, std::string("Error: Only 8-bit images are supported.\n")));
    for (const int quality : {101, -1})
        EXPECT_EQ(EncodeCapturing(SmoothPicture(8, 8), dir / "e.heic", quality),
                  std::make_pair(false, std::string("Error: Failed to set HEIF quality.\n")));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(HeifUtils, UnwritablePathReportsFailure)
{
    ScratchDir dir;
    EXPECT_EQ(EncodeCapturing(SmoothPicture(16, 16), dir / "missing/a.heic", 90),
              std::make_pair(false, std::string("Error: Failed to write HEIF file.\n")));
}

TEST(HeifUtils, UnreadableFilesGiveEmptyImages)
{
    ScratchDir dir;
    const auto [missing, missingLog] = DecodeCapturing(dir / "missing.heic");
    EXPECT_TRUE(missing.empty());
    EXPECT_EQ(missingLog.rfind("Failed to read HEIC file: ", 0), 0u) << missingLog;
    EXPECT_EQ(std::count(missingLog.begin(), missingLog.end(), '\n'), 1);

    ASSERT_TRUE(EncodeCapturing(SmoothPicture(128, 96), dir / "whole.heic", 90).first);
    const std::vector<unsigned char> bytes = ReadBytes(dir / "whole.heic");
    for (const std::size_t keep : {bytes.size() / 2, bytes.size() - 40, std::size_t{20}}) {
        WriteBytes(dir / "cut.heic", std::string(bytes.begin(), bytes.begin() + static_cast<long>(keep)));
        const auto [cut, cutLog] = DecodeCapturing(dir / "cut.heic");
        EXPECT_TRUE(cut.empty()) << keep;
        EXPECT_FALSE(cutLog.empty()) << keep;
    }
}

TEST(HeifUtils, AllPathTypesReachTheSameFile)
{
    ScratchDir dir;
    const cv::Mat image = NoisePicture(24, 16, CV_8UC3);
    const std::string name = dir / "\xe5\x86\x99\xe7\x9c\x9f \xf0\x9f\x98\x80.heic";  // 写真 😀
    ASSERT_TRUE(heif_utils::cvmat_to_heif(image, to_wide_string(name), 100));
    EXPECT_EQ(MaxDifference(DecodeCapturing(name).first, image), 0);

    EXPECT_THROW(heif_utils::heif_to_cvmat(std::wstring(1, static_cast<wchar_t>(0xD800))), std::range_error);
}

TEST(HeifUtils, HighBitDepthDecodesToEightBits)
{
    if (!HaveTool("heif-enc"))
        GTEST_SKIP() << "heif-enc (libheif-examples) is not installed";
    ScratchDir dir;
    cv::Mat deep(48, 64, CV_16UC3);
    for (int y = 0; y < deep.rows; ++y)
        for (int x = 0; x < deep.cols; ++x)
            deep.at<cv::Vec3w>(y, x) = cv::Vec3w(static_cast<ushort>(x * 1000), static_cast<ushort>(y * 1300),
                                                 static_cast<ushort>((x + y) * 500));
    ASSERT_TRUE(cv::imwrite(dir / "deep.png", deep));
    const std::string command = "heif-enc -b 10 -q 95 '" + (dir / "deep.png") + "' -o '" + (dir / "deep.heic") +
                                "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const auto [back, log] = DecodeCapturing(dir / "deep.heic");
    ASSERT_EQ(back.type(), CV_8UC3);
    cv::Mat expected;
    deep.convertTo(expected, CV_8U, 1.0 / 257.0);
    EXPECT_LT(MeanDifference(back, expected), 4.0);
}

TEST(HeifUtils, AlphaChannelIsKept)
{
    if (!HaveTool("heif-enc"))
        GTEST_SKIP() << "heif-enc (libheif-examples) is not installed";
    ScratchDir dir;
    cv::Mat bgra(48, 64, CV_8UC4);
    for (int y = 0; y < bgra.rows; ++y)
        for (int x = 0; x < bgra.cols; ++x)
            bgra.at<cv::Vec4b>(y, x) = cv::Vec4b(static_cast<uchar>(x * 4), static_cast<uchar>(y * 5),
                                                 static_cast<uchar>((x + y) * 2), x < 32 ? 255 : 60);
    ASSERT_TRUE(cv::imwrite(dir / "alpha.png", bgra));
    const std::string command = "heif-enc -q 95 '" + (dir / "alpha.png") + "' -o '" + (dir / "alpha.heic") +
                                "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const auto [back, log] = DecodeCapturing(dir / "alpha.heic");
    ASSERT_EQ(back.type(), CV_8UC4);
    EXPECT_LT(MeanDifference(back, bgra), 4.0);
    EXPECT_NEAR(back.at<cv::Vec4b>(10, 5)[3], 255, 8);
    EXPECT_NEAR(back.at<cv::Vec4b>(10, 50)[3], 60, 8);
}
