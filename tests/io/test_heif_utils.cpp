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

// Encodes `image` with libheif's own heif-enc, which writes what our encoder does not (alpha, 10 bits).
std::string HeifEnc(const ScratchDir& dir, const cv::Mat& image, const std::string& options)
{
    const std::string png = dir / "source.png", heic = dir / "source.heic";
    const std::string command = "heif-enc " + options + " '" + png + "' -o '" + heic + "' >/dev/null 2>&1";
    return cv::imwrite(png, image) && std::system(command.c_str()) == 0 ? heic : "";
}

}  // namespace

// Regions of larger images (rows not contiguous) at odd sizes (padded plane rows);
// gray comes back as three equal channels.
TEST(HeifUtils, LosslessRoundTripsAreExact)
{
    ScratchDir dir;
    for (const int type : {CV_8UC3, CV_8UC1}) {
        const cv::Mat region = NoisePicture(200, 150, type)(cv::Rect(13, 21, 77, 55));
        ASSERT_TRUE(EncodeCapturing(region, dir / "region.heic", 100).first);
        const cv::Mat back = DecodeCapturing(dir / "region.heic").first;
        ASSERT_EQ(back.type(), CV_8UC3);
        cv::Mat expected = region;
        if (type == CV_8UC1)
            cv::merge(std::vector<cv::Mat>(3, region), expected);
        EXPECT_EQ(MaxDifference(back, expected), 0) << type;
    }
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

TEST(HeifUtils, EncoderRejectsWhatItCannotStoreOrWrite)
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
    EXPECT_EQ(EncodeCapturing(SmoothPicture(16, 16), dir / "missing/a.heic", 90),
              std::make_pair(false, std::string("Error: Failed to write HEIF file.\n")));
    EXPECT_TRUE(fs::is_empty(dir.path()));
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

// heif-enc also carries a JPEG's EXIF block over, where the file information finds it.
TEST(HeifUtils, TenBitsDecodeToEightAndAlphaIsKept)
{
    if (std::system("command -v heif-enc >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "heif-enc (libheif-examples) is not installed";
    ScratchDir dir;
    const cv::Mat picture = SmoothPicture(64, 48);
    cv::Mat deep;
    picture.convertTo(deep, CV_16UC3, 257.0);
    const std::string tenBits = HeifEnc(dir, deep, "-b 10 -q 95");
    EXPECT_EQ(Describe(GetImageFileInfo(tenBits)), "64x48 c3 b10 HEIF o1 e0");
    const auto [back, log] = DecodeCapturing(tenBits);
    ASSERT_EQ(back.type(), CV_8UC3);
    EXPECT_LT(MeanDifference(back, picture), 4.0);

    cv::Mat alpha(48, 64, CV_8UC1, cv::Scalar(255)), bgra;
    alpha.colRange(32, 64).setTo(60);
    cv::merge(std::vector<cv::Mat>{picture, alpha}, bgra);
    const std::string alphaFile = HeifEnc(dir, bgra, "-q 95");
    EXPECT_EQ(Describe(GetImageFileInfo(alphaFile)), "64x48 c4 b8 HEIF o1 e0");
    const cv::Mat withAlpha = DecodeCapturing(alphaFile).first;
    ASSERT_EQ(withAlpha.type(), CV_8UC4);
    EXPECT_LT(MeanDifference(withAlpha, bgra), 4.0);
    EXPECT_NEAR(withAlpha.at<cv::Vec4b>(10, 5)[3], 255, 8);
    EXPECT_NEAR(withAlpha.at<cv::Vec4b>(10, 50)[3], 60, 8);

    const std::string command = "heif-enc '" + DataFile("orientation-6.jpg") + "' -o '" + (dir / "exif.heic") + "'";
    ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0);
    EXPECT_EQ(Describe(GetImageFileInfo(dir / "exif.heic")), "40x24 c3 b8 HEIF o6 e1");
}
