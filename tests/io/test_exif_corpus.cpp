// Replays the fuzzing corpus: the seed files (valid EXIF data in the forms the
// reader meets) and every input that once crashed the reader.
#include <gtest/gtest.h>

#include "IoTestSupport.h"
#include "tivra/io/ExifReader.h"

using namespace iotest;

namespace {

// As the fuzz target does: the bytes as an EXIF block, then as a JPEG head.
ImageFileInfo ParseAsFuzzerDoes(const std::vector<std::uint8_t>& bytes)
{
    ImageFileInfo block;
    exif_reader::ParseExif(bytes.data(), bytes.size(), block);
    ImageFileInfo jpeg;
    exif_reader::ParseJpegExif(bytes.data(), bytes.size(), jpeg);
    return block.has_exif ? block : jpeg;
}

}  // namespace

TEST(ExifCorpus, SeedsParseToTheirRecordedValues)
{
    int seeds = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(TIVRA_TEST_DATA_DIR) / "exif-seeds")) {
        SCOPED_TRACE(entry.path().string());
        const ImageFileInfo info = ParseAsFuzzerDoes(ReadBytes(entry.path().string()));
        EXPECT_TRUE(info.has_exif);
        EXPECT_EQ(info.camera_make, "Seed");
        EXPECT_EQ(info.date_time, "2020:01:01 00:00:01");
        EXPECT_TRUE(info.has_gps);
        EXPECT_NEAR(info.gps_lat, -(1 + 2 / 60.0 + 3 / 3600.0), 1e-9);
        ++seeds;
    }
    EXPECT_GE(seeds, 3);
}

// Inputs that once crashed the reader under AddressSanitizer (saved there by
// scripts/run-fuzz.sh): reading each of them to the end is the test.
TEST(ExifCorpus, InputsThatOnceCrashedAreReadSafely)
{
    const fs::path folder = fs::path(TIVRA_TEST_DATA_DIR) / "exif-regressions";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        SCOPED_TRACE(entry.path().string());
        ParseAsFuzzerDoes(ReadBytes(entry.path().string()));
    }
}
