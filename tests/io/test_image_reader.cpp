#include <gtest/gtest.h>

#include <sys/stat.h>

#include <opencv2/imgcodecs.hpp>

#include "IoTestSupport.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/ImageReader.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/PixelLimit.h"

using namespace iotest;

constexpr int kPanelFlags = cv::IMREAD_ANYDEPTH | cv::IMREAD_ANYCOLOR;

// The panels' reading gives the image OpenCV (or the HEIF or JPEG XL adapter)
// decodes and the information GetImageFileInfo reports, from one read of the file.
TEST(ImageReader, GivesTheDecodedImageAndTheFileInformation)
{
    const ScratchDir dir;
    cv::Mat deep(20, 30, CV_16UC1);
    cv::randu(deep, 0, 65535);
    cv::Mat rgba(20, 30, CV_8UC4, cv::Scalar(1, 2, 3, 4));
    const std::vector<std::pair<std::string, cv::Mat>> files = {
        {"colour.png", SmoothPicture(30, 20)}, {"deep.tif", deep}, {"alpha.png", rgba},
        {"gray.bmp", cv::Mat(20, 30, CV_8UC1, cv::Scalar(9))}, {"photo.webp", SmoothPicture(30, 20)}};
    // A JPEG whose EXIF block sets orientation 6 (turned upright, width and height swap).
    std::vector<std::string> paths = {DataFile("orientation-6.jpg"), dir / "photo.heic", dir / "photo.jxl"};
    ASSERT_TRUE(heif_utils::cvmat_to_heif(SmoothPicture(64, 48), paths[1], 90));
    ASSERT_TRUE(jxl_utils::cvmat_to_jxl(SmoothPicture(64, 48), paths[2], 90));
    for (const auto& [name, image] : files) {
        ASSERT_TRUE(cv::imwrite(dir / name, image)) << name;
        paths.push_back(dir / name);
    }
    for (const std::string& path : paths) {
        const tivra::io::LoadedImage loaded = tivra::io::ReadImageFile(path, kPanelFlags);
        const cv::Mat expected = path == paths[1]   ? heif_utils::heif_to_cvmat(path)
                                 : path == paths[2] ? jxl_utils::jxl_to_cvmat(path)
                                                    : cv::imread(path, kPanelFlags);
        ASSERT_EQ(loaded.image.size(), expected.size()) << path;
        EXPECT_EQ(loaded.image.type(), expected.type()) << path;
        EXPECT_EQ(cv::norm(loaded.image, expected, cv::NORM_INF), 0) << path;
        EXPECT_EQ(Describe(loaded.info), Describe(GetImageFileInfo(path))) << path;
        EXPECT_TRUE(loaded.error.empty()) << path;
    }
}

// Every kind of bad input is a clear failure naming the file, never a hang.
TEST(ImageReader, RefusesBadInputWithAReason)
{
    const ScratchDir dir;
    std::vector<unsigned char> jpeg;
    cv::imencode(".jpg", SmoothPicture(64, 64), jpeg);
    WriteBytes(dir / "cut.jpg", std::string(jpeg.begin(), jpeg.begin() + 200));
    WriteBytes(dir / "empty.png", "");
    WriteBytes(dir / "text.png", "not an image");
    // A PNG header declaring 100000 x 100000 pixels and nothing behind it.
    fs::copy_file(DataFile("ihdr-100000x100000-no-data.png"), dir.path() / "lying.png");
    ::mkfifo((dir / "fifo.png").c_str(), 0600);
    fs::create_directory(dir.path() / "folder.jpg");
    const std::pair<const char*, const char*> cases[] = {
        {"cut.jpg", "decoded"},   {"empty.png", "empty"},        {"text.png", "decoded"},
        {"lying.png", "limit"},   {"fifo.png", "regular file"},  {"folder.jpg", "directory"},
        {"missing.jpg", "No such file"}, {"folder.jpg/none.heic", "No such file"}};
    for (const auto& [name, reason] : cases) {
        const tivra::io::LoadedImage loaded = tivra::io::ReadImageFile(dir / name);
        EXPECT_TRUE(loaded.image.empty()) << name;
        EXPECT_NE(loaded.error.find(dir / name), std::string::npos) << loaded.error;
        EXPECT_NE(loaded.error.find(reason), std::string::npos) << loaded.error;
    }
}
