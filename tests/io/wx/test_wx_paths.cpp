#include "tivra/io/wx/WxPaths.h"

#include <gtest/gtest.h>

#include "IoTestSupport.h"

using namespace iotest;

TEST(WxPaths, HeifAndJxlReachTheSameFileAsUtf8Paths)
{
    ScratchDir dir;
    const cv::Mat image = NoisePicture(24, 16, CV_8UC3);
    const wxString heif = wxString::FromUTF8((dir / "plain.heic").c_str());
    const wxString jxl = wxString::FromUTF8((dir / "plain.jxl").c_str());
    ASSERT_TRUE(heif_utils::cvmat_to_heif(image, heif, 100));
    ASSERT_TRUE(jxl_utils::cvmat_to_jxl(image, jxl, 100));
    testing::internal::CaptureStderr();
    EXPECT_EQ(MaxDifference(heif_utils::heif_to_cvmat(dir / "plain.heic"), image), 0);
    EXPECT_EQ(MaxDifference(heif_utils::heif_to_cvmat(heif), image), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(MaxDifference(jxl_utils::jxl_to_cvmat(jxl), image), 0);
    EXPECT_EQ(tivra::io::NarrowPath(jxl), dir / "plain.jxl");
}
