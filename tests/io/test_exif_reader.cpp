// The EXIF reader on small files under tests/data: camera blocks in both byte
// orders, JPEG wrappers, hostile and cut blocks, the fuzzing seeds and every
// input that once crashed the reader. Each file is named after what it holds.
#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>

#include "IoTestSupport.h"
#include "tivra/io/ExifReader.h"

using namespace iotest;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes DataBytes(const std::string& name)
{
    return ReadBytes((fs::path(TIVRA_TEST_DATA_DIR) / name).string());
}

// JPEG files are scanned for their APP1 segment; anything else is an EXIF block.
ImageFileInfo Parse(const Bytes& bytes, bool jpeg)
{
    ImageFileInfo info;
    if (jpeg)
        exif_reader::ParseJpegExif(bytes.data(), bytes.size(), info);
    else
        exif_reader::ParseExif(bytes.data(), bytes.size(), info);
    return info;
}

// exif|make|model|date|orientation|exposure|f-number|focal|iso|gps|lat,lon,alt
std::string DescribeExif(const ImageFileInfo& i)
{
    std::ostringstream out;
    out << i.has_exif << '|' << i.camera_make << '|' << i.camera_model << '|' << i.date_time << '|' << i.orientation
        << '|' << i.exposure_time << '|' << i.f_number << '|' << i.focal_length << '|' << i.iso << '|' << i.has_gps
        << '|' << std::setprecision(9) << i.gps_lat << ',' << i.gps_lon << ',' << i.gps_alt;
    return out.str();
}

// Eiffel Tower position, 1/250 s at f/2.8, 52.5 mm, ISO 400; DateTimeOriginal wins
// over DateTime and the below-sea-level altitude reference is not applied.
const char* const kCamera = "1|Canon|EOS R5|2024:05:06 07:00:00|6|0.004|2.8|52.5|400|1|48.8582222,2.2945,123.4";
const char* const kNothing = "0||||1|0|0|0|0|0|0,0,0";
const char* const kSeed = "1|Seed|Model 1|2020:01:01 00:00:01|3|0.008|4|24|100|1|-1.03416667,-4.085,7";

struct Case {
    const char* file;
    const char* expected;
};

class ExifFile : public testing::TestWithParam<Case> {};

TEST_P(ExifFile, ParsesToItsRecordedValues)
{
    const std::string file = GetParam().file;
    const bool jpeg = file.size() > 4 && file.compare(file.size() - 4, 4, ".jpg") == 0;
    EXPECT_EQ(DescribeExif(Parse(DataBytes(file), jpeg)), GetParam().expected) << file;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExifFile,
    testing::Values(Case{"io/exif/camera-little-endian.tif", kCamera}, Case{"io/exif/camera-big-endian.tif", kCamera},
                    Case{"io/exif/camera-after-jfif.jpg", kCamera}, Case{"io/exif/camera-after-xmp.jpg", kCamera},
                    // HEIF stores a 4-byte offset before the header; a stray "MM" not followed by 42 is skipped.
                    Case{"io/exif/header-behind-offset-and-stray-mm.bin", kCamera},
                    // An APP1 segment claiming more than the file holds is read up to the file's end.
                    Case{"io/exif/jpeg-exif-segment-past-end.jpg", kCamera},
                    // Text loses trailing NULs and spaces only; DateTime stays when the original is blank.
                    Case{"io/exif/text-padding-and-blank-original-date.tif",
                         "1|Nikon Corp|AB|2020:01:01 00:00:00|1|0|0|0|0|0|0,0,0"},
                    Case{"io/exif/unexpected-types-and-zero-denominator.tif", "1||||1|0|0|35|0|0|0,0,0"},
                    // South and west are negative; a position needs both coordinates.
                    Case{"io/exif/gps-latitude-only.tif", "1||||1|0|0|0|0|0|0,0,0"},
                    Case{"io/exif/gps-south-west.tif", "1||||1|0|0|0|0|1|-33.8666667,-70.51,50"},
                    Case{"io/exif/values-outside-data.tif", "1||||0|0|0|0|0|0|0,0,0"},
                    Case{"io/exif/entry-count-past-data.tif", "1|Pen|||3|0|0|0|0|0|0,0,0"},
                    Case{"io/exif/header-too-short.tif", kNothing}, Case{"io/exif/header-not-42.tif", kNothing},
                    Case{"io/exif/ifd0-beyond-data.tif", kNothing}, Case{"io/exif/no-header.bin", kNothing},
                    Case{"io/exif/jpeg-without-start-of-image.jpg", kNothing},
                    Case{"io/exif/jpeg-scan-before-exif.jpg", kNothing},
                    Case{"io/exif/jpeg-segment-length-one.jpg", kNothing},
                    Case{"io/exif/jpeg-cut-after-marker.jpg", kNothing},
                    // The fuzzing seeds (tests/data/exif-seeds) in the forms the reader meets.
                    Case{"exif-seeds/heif-style-block.bin", kSeed}, Case{"exif-seeds/jpeg-head.jpg", kSeed},
                    Case{"exif-seeds/tiff-big-endian.bin", kSeed}));

// Cutting a block anywhere gives, for every field, either its default or the
// value the whole block holds: never a value read from outside the data.
TEST(ExifReader, EveryTruncationYieldsDefaultsOrTrueValues)
{
    ImageFileInfo nothing;
    exif_reader::ParseExif(nullptr, 0, nothing);
    EXPECT_EQ(DescribeExif(nothing), kNothing);
    for (const char* file : {"io/exif/camera-little-endian.tif", "io/exif/camera-big-endian.tif"}) {
        const Bytes full = DataBytes(file);
        const ImageFileInfo whole = Parse(full, false);
        for (std::size_t n = 0; n <= full.size(); ++n) {
            const ImageFileInfo info = Parse(Bytes(full.begin(), full.begin() + n), false);
            SCOPED_TRACE(n);
            EXPECT_TRUE(info.camera_make == whole.camera_make || info.camera_make.empty());
            EXPECT_TRUE(info.camera_model == whole.camera_model || info.camera_model.empty());
            EXPECT_TRUE(info.date_time == whole.date_time || info.date_time == "2024:05:06 07:08:09" ||
                        info.date_time.empty());
            EXPECT_TRUE(info.orientation == whole.orientation || info.orientation == 1);
            EXPECT_TRUE(info.exposure_time == whole.exposure_time || info.exposure_time == 0.0);
            EXPECT_TRUE(info.f_number == whole.f_number || info.f_number == 0.0);
            EXPECT_TRUE(info.iso == whole.iso || info.iso == 0);
            EXPECT_TRUE(info.gps_alt == whole.gps_alt || info.gps_alt == 0.0);
            EXPECT_TRUE(std::isfinite(info.gps_lat) && std::isfinite(info.gps_lon));
        }
    }
}

TEST(JpegExifScan, ReportsTheBlockBoundsAfterTheIdentifier)
{
    const Bytes jpeg = DataBytes("io/exif/camera-after-xmp.jpg");
    std::size_t begin = 0, end = 0;
    ASSERT_TRUE(exif_reader::FindJpegExifBlock(jpeg.data(), jpeg.size(), begin, end));
    EXPECT_EQ(Bytes(jpeg.begin() + begin, jpeg.begin() + end), DataBytes("io/exif/camera-big-endian.tif"));
}

// Every hostile block, read both as a JPEG and as a bare TIFF block as the fuzz
// target does: reading each to the end under AddressSanitizer is the test.
TEST(ExifCorpus, HostileInputsAreReadSafelyEitherWay)
{
    for (const auto& entry : fs::directory_iterator(fs::path(TIVRA_TEST_DATA_DIR) / "io/exif")) {
        SCOPED_TRACE(entry.path().string());
        const Bytes bytes = ReadBytes(entry.path().string());
        Parse(bytes, false);
        Parse(bytes, true);
    }
}

}  // namespace
