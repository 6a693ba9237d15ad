// The header readers against OpenCV's decoder: a file a reader vouches for must
// decode to the layout it reports, whole or cut short, and the whole files OpenCV
// encodes must be vouched for (else the fast path is never taken).
#include <gtest/gtest.h>

#include <tuple>

#include <opencv2/imgcodecs.hpp>

#include "IoTestSupport.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/io/ImageHeader.h"

namespace {

using Layout = std::tuple<int, int, int, int>;

// What `decode` gives; nothing when it throws (beyond OpenCV's pixel limit).
template <typename Decode>
Layout DecodedLayout(Decode decode)
{
    cv::Mat image;
    try {
        image = decode();
    } catch (const cv::Exception&) {
    }
    if (image.empty())
        return {0, 0, 0, 0};
    return {image.cols, image.rows, image.channels(), static_cast<int>(8 * image.elemSize1())};
}

struct Case {
    const char* extension;
    int type;
};

class ImageHeader : public ::testing::TestWithParam<Case> {};

TEST_P(ImageHeader, ReportsWhatTheDecoderGivesAndRefusesCutFiles)
{
    cv::Mat picture = iotest::NoisePicture(37, 23, GetParam().type);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(cv::imencode(GetParam().extension, picture, bytes));
    const std::size_t whole = bytes.size();
    for (const std::size_t size : {whole, whole - 1, whole / 2, std::size_t{16}}) {
        SCOPED_TRACE(size);
        bytes.resize(size);
        ImageFileInfo info;
        const bool vouched = image_header::ReadImageLayout(image_header::FileBytes(bytes.data(), size), info);
        EXPECT_TRUE(vouched || size != whole);
        if (vouched) {
            EXPECT_EQ(Layout(info.width, info.height, info.channels, info.bit_depth),
                      DecodedLayout([&] { return cv::imdecode(bytes, cv::IMREAD_UNCHANGED); }));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageHeader,
                         ::testing::Values(Case{".png", CV_8UC1}, Case{".png", CV_8UC3}, Case{".png", CV_8UC4},
                                           Case{".png", CV_16UC3}, Case{".tiff", CV_8UC1}, Case{".tiff", CV_8UC4},
                                           Case{".tiff", CV_16UC1}, Case{".tiff", CV_32FC1},
                                           Case{".bmp", CV_8UC1}, Case{".bmp", CV_8UC3}, Case{".webp", CV_8UC3},
                                           Case{".webp", CV_8UC4}, Case{".pgm", CV_8UC1},
                                           Case{".pgm", CV_16UC1}, Case{".ppm", CV_8UC3}, Case{".jpg", CV_8UC1},
                                           Case{".jpg", CV_8UC3}));

}  // namespace

// Small files from other producers (Pillow's palette, 1-bit, CMYK, progressive and
// transparent variants, OpenCV's other options, headers that lie about their size)
// under tests/data/io/headers: whole or cut, GetImageFileInfo reports the layout
// the decoder gives.
TEST(ImageFileInfoLayout, IsWhatTheDecoderGivesForFilesFromOtherProducers)
{
    const iotest::ScratchDir dir;
    int files = 0;
    for (const auto& entry : iotest::fs::directory_iterator(iotest::fs::path(TIVRA_TEST_DATA_DIR) / "io/headers")) {
        const std::vector<std::uint8_t> whole = iotest::ReadBytes(entry.path().string());
        for (const std::size_t size : {whole.size(), whole.size() - 1, whole.size() / 2, std::size_t{40}}) {
            const std::vector<std::uint8_t> bytes(whole.begin(), whole.begin() + std::min(size, whole.size()));
            const std::string path = dir / ("cut" + entry.path().extension().string());
            iotest::WriteBytes(path, std::string(bytes.begin(), bytes.end()));
            const ImageFileInfo info = GetImageFileInfo(path);
            EXPECT_EQ(Layout(info.width, info.height, info.channels, info.bit_depth),
                      DecodedLayout([&] { return cv::imread(path, cv::IMREAD_UNCHANGED); }))
                << entry.path().filename() << " cut to " << size;
        }
        ++files;
    }
    EXPECT_EQ(files, 61);
}
