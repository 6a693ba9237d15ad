#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "TiffBuilder.h"
#include "tivra/io/ExifReader.h"

using namespace tiff_test;

namespace {

ImageFileInfo Parse(const Bytes& bytes)
{
    ImageFileInfo info;
    exif_reader::ParseExif(bytes.data(), bytes.size(), info);
    return info;
}

ImageFileInfo ParseJpeg(const Bytes& bytes)
{
    ImageFileInfo info;
    exif_reader::ParseJpegExif(bytes.data(), bytes.size(), info);
    return info;
}

// A camera-like block: Eiffel Tower position, 1/250 s at f/2.8, ISO 400.
TiffBuilder CameraBlock(bool bigEndian)
{
    TiffBuilder b(bigEndian);
    b.Ascii(kIfd0, 271, "Canon");
    b.Ascii(kIfd0, 272, "EOS R5");
    b.Short(kIfd0, 274, 6);
    b.Ascii(kIfd0, 306, "2024:05:06 07:08:09");
    b.Rationals(kExifIfd, 33434, {{1, 250}});
    b.Rationals(kExifIfd, 33437, {{28, 10}});
    b.Rationals(kExifIfd, 37386, {{105, 2}});
    b.Short(kExifIfd, 34855, 400);
    b.Ascii(kExifIfd, 36867, "2024:05:06 07:00:00");
    b.Ascii(kGpsIfd, 1, "N");
    b.Rationals(kGpsIfd, 2, {{48, 1}, {51, 1}, {296, 10}});
    b.Ascii(kGpsIfd, 3, "E");
    b.Rationals(kGpsIfd, 4, {{2, 1}, {17, 1}, {402, 10}});
    b.Raw(kGpsIfd, 5, 1, 1, {1});  // below sea level: not applied
    b.Rationals(kGpsIfd, 6, {{1234, 10}});
    return b;
}

void ExpectCameraValues(const ImageFileInfo& info)
{
    EXPECT_TRUE(info.has_exif);
    EXPECT_EQ(info.camera_make, "Canon");
    EXPECT_EQ(info.camera_model, "EOS R5");
    EXPECT_EQ(info.orientation, 6);
    EXPECT_EQ(info.date_time, "2024:05:06 07:00:00");  // DateTimeOriginal wins
    EXPECT_DOUBLE_EQ(info.exposure_time, 0.004);
    EXPECT_DOUBLE_EQ(info.f_number, 2.8);
    EXPECT_DOUBLE_EQ(info.focal_length, 52.5);
    EXPECT_EQ(info.iso, 400);
    EXPECT_TRUE(info.has_gps);
    EXPECT_NEAR(info.gps_lat, 48.858222, 1e-6);
    EXPECT_NEAR(info.gps_lon, 2.294500, 1e-6);
    EXPECT_DOUBLE_EQ(info.gps_alt, 123.4);
}

}  // namespace

class ExifByteOrder : public testing::TestWithParam<bool>
{
};

TEST_P(ExifByteOrder, ReadsCameraExposureAndGpsFields)
{
    ExpectCameraValues(Parse(CameraBlock(GetParam()).Build()));
}

TEST_P(ExifByteOrder, FindsBlockInsideJpegAfterOtherSegments)
{
    const Bytes jfif = Segment(0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    const Bytes xmp = Segment(0xE1, {'h', 't', 't', 'p', ':', '/', '/', 'n', 's', 0});
    ExpectCameraValues(ParseJpeg(JpegWithExif(CameraBlock(GetParam()).Build(), jfif)));
    ExpectCameraValues(ParseJpeg(JpegWithExif(CameraBlock(GetParam()).Build(), xmp)));
}

INSTANTIATE_TEST_SUITE_P(LittleAndBigEndian, ExifByteOrder, testing::Values(false, true));

// Text loses trailing NULs and spaces only; DateTime stays when the original is empty.
TEST(ExifReader, TextFields)
{
    TiffBuilder b(true);
    b.Ascii(kIfd0, 271, std::string("Nikon Corp  \0 \0", 15));
    b.Ascii(kIfd0, 272, "AB");  // three bytes with the NUL: stored inline
    b.Ascii(kIfd0, 306, "2020:01:01 00:00:00");
    b.Ascii(kExifIfd, 36867, "     ");
    const ImageFileInfo info = Parse(b.Build());
    EXPECT_EQ(info.camera_make, "Nikon Corp");
    EXPECT_EQ(info.camera_model, "AB");
    EXPECT_EQ(info.date_time, "2020:01:01 00:00:00");
}

TEST(ExifReader, ValuesOfUnexpectedTypesAreIgnoredAndZeroDenominatorsAreZero)
{
    TiffBuilder b(false);
    b.Long(kIfd0, 274, 8);              // orientation as LONG
    b.Long(kExifIfd, 34855, 800);       // ISO as LONG
    b.Short(kExifIfd, 33434, 5);        // exposure as SHORT
    b.Rationals(kExifIfd, 33437, {{28, 0}});  // f-number with a zero denominator
    b.Rationals(kExifIfd, 37386, {{70, 2}});
    const ImageFileInfo info = Parse(b.Build());
    EXPECT_TRUE(info.has_exif);
    EXPECT_EQ(info.orientation, 1);
    EXPECT_EQ(info.iso, 0);
    EXPECT_EQ(info.exposure_time, 0.0);
    EXPECT_EQ(info.f_number, 0.0);
    EXPECT_DOUBLE_EQ(info.focal_length, 35.0);
}

// South and west are negative; a position needs both coordinates.
TEST(ExifReader, SouthAndWestAreNegativeAndGpsNeedsBothCoordinates)
{
    TiffBuilder b(true);
    b.Ascii(kGpsIfd, 1, "S");
    b.Rationals(kGpsIfd, 2, {{33, 1}, {52, 1}, {0, 1}});
    b.Rationals(kGpsIfd, 6, {{50, 1}});
    const ImageFileInfo latitudeOnly = Parse(b.Build());
    EXPECT_TRUE(latitudeOnly.has_exif);
    EXPECT_FALSE(latitudeOnly.has_gps);
    EXPECT_EQ(std::make_tuple(latitudeOnly.gps_lat, latitudeOnly.gps_lon, latitudeOnly.gps_alt),
              std::make_tuple(0.0, 0.0, 0.0));
    b.Ascii(kGpsIfd, 3, "W");
    b.Rationals(kGpsIfd, 4, {{70, 1}, {30, 1}, {36, 1}});
    const ImageFileInfo info = Parse(b.Build());
    ASSERT_TRUE(info.has_gps);
    EXPECT_NEAR(info.gps_lat, -(33 + 52 / 60.0), 1e-9);
    EXPECT_NEAR(info.gps_lon, -(70.5 + 36 / 3600.0), 1e-9);
}

TEST(ExifReader, HeaderIsFoundBehindLeadingBytes)
{
    // HEIF stores a 4-byte offset field before the TIFF header; a stray "MM"
    // that is not followed by 42 must not stop the search.
    Bytes block{0, 0, 0, 6, 'M', 'M', 0, 7};
    TiffBuilder::Append(block, CameraBlock(false).Build());
    ExpectCameraValues(Parse(block));
}

TEST(ExifReader, RejectsBlocksWithoutUsableHeader)
{
    EXPECT_FALSE(Parse({'I', 'I', 42, 0, 8, 0, 0, 0}).has_exif);           // too short
    EXPECT_FALSE(Parse({'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0}).has_exif);     // not 42
    EXPECT_FALSE(Parse({'I', 'I', 42, 0, 200, 0, 0, 0, 0, 0}).has_exif);   // IFD0 beyond the data
    EXPECT_FALSE(Parse(Bytes(64, 'x')).has_exif);
    ImageFileInfo info;
    exif_reader::ParseExif(nullptr, 0, info);
    EXPECT_FALSE(info.has_exif);
}

TEST(ExifReader, OutOfDataValuesGiveNeutralResults)
{
    TiffBuilder b(false);
    b.Raw(kIfd0, 271, 2, 1000, b.U32(0xFFFFFFF0));   // text far outside
    b.Raw(kIfd0, 274, 3, 3, b.U32(0x7FFFFFFF));      // orientation behind an offset outside
    b.Raw(kExifIfd, 33434, 5, 1, b.U32(0xFFFFFFFC)); // rational at the very end of the offset range
    b.Raw(kExifIfd, 34855, 3, 4, b.U32(0xFFFFFFFF)); // ISO outside
    const ImageFileInfo info = Parse(b.Build());
    EXPECT_TRUE(info.has_exif);
    EXPECT_EQ(info.camera_make, "");
    EXPECT_EQ(info.orientation, 0);
    EXPECT_EQ(info.exposure_time, 0.0);
    EXPECT_EQ(info.iso, 0);
}

TEST(ExifReader, EntryCountLargerThanTheDataStopsAtTheLastWholeEntry)
{
    TiffBuilder b(false);
    b.Short(kIfd0, 274, 3);
    b.Ascii(kIfd0, 271, "Pen");
    Bytes block = b.Build();
    block[8] = 0xFF;  // IFD0 claims 255 entries
    block[9] = 0x00;
    const ImageFileInfo info = Parse(block);
    EXPECT_EQ(info.orientation, 3);
    EXPECT_EQ(info.camera_make, "Pen");
}

// Cutting a block anywhere gives, for every field, either its default or the
// value the whole block holds: never a value read from outside the data.
TEST(ExifReader, EveryTruncationYieldsDefaultsOrTrueValues)
{
    for (bool bigEndian : {false, true}) {
        const Bytes full = CameraBlock(bigEndian).Build();
        const ImageFileInfo whole = Parse(full);
        const ImageFileInfo none;
        for (std::size_t n = 0; n <= full.size(); ++n) {
            const Bytes cut(full.begin(), full.begin() + n);
            const ImageFileInfo info = Parse(cut);
            SCOPED_TRACE(n);
            EXPECT_TRUE(info.camera_make == whole.camera_make || info.camera_make == none.camera_make);
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

TEST(JpegExifScan, StopsAtMissingStartOfImageOrStartOfScan)
{
    const Bytes tiff = CameraBlock(false).Build();
    Bytes notJpeg = JpegWithExif(tiff);
    notJpeg[1] = 0xD9;
    EXPECT_FALSE(ParseJpeg(notJpeg).has_exif);

    const Bytes scanFirst = JpegWithExif(tiff, Segment(0xDA, {0, 0, 0}));
    EXPECT_FALSE(ParseJpeg(scanFirst).has_exif);

    Bytes badLength = JpegWithExif(tiff, {0xFF, 0xE0, 0x00, 0x01});
    EXPECT_FALSE(ParseJpeg(badLength).has_exif);

    EXPECT_FALSE(ParseJpeg({0xFF, 0xD8, 0xFF}).has_exif);
    EXPECT_TRUE(ParseJpeg(JpegWithExif(tiff)).has_exif);
}

TEST(JpegExifScan, ReportsTheBlockBoundsAfterTheIdentifier)
{
    const Bytes tiff = CameraBlock(true).Build();
    const Bytes jpeg = JpegWithExif(tiff, Segment(0xE0, Bytes(20, 0)));
    std::size_t begin = 0, end = 0;
    ASSERT_TRUE(exif_reader::FindJpegExifBlock(jpeg.data(), jpeg.size(), begin, end));
    EXPECT_EQ(Bytes(jpeg.begin() + begin, jpeg.begin() + end), tiff);
}

TEST(JpegExifScan, SegmentLongerThanTheFileIsReadUpToItsEnd)
{
    Bytes jpeg = JpegWithExif(CameraBlock(false).Build());
    jpeg.resize(jpeg.size() - 2);  // no end of image
    jpeg[4] = 0xFF;                // APP1 claims far more than the file holds
    ExpectCameraValues(ParseJpeg(jpeg));
}
