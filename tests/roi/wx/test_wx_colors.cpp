#include "tivra/roi/wx/WxColors.h"

#include <gtest/gtest.h>

TEST(WxColours, OpaqueTwinsOfTheCvTable)
{
#define CHECK_WX(name, rgb)                                                                                   \
    EXPECT_EQ(wx_Color_Defines::name, wxColour(static_cast<unsigned char>(cv_Color_Defines::name[2]),          \
                                               static_cast<unsigned char>(cv_Color_Defines::name[1]),          \
                                               static_cast<unsigned char>(cv_Color_Defines::name[0]), 255)) \
        << #name;
    TIVRA_CSS_COLOR_KEYWORDS(CHECK_WX)
#undef CHECK_WX
    EXPECT_EQ(wx_Color_Defines::yellow, wxColour(255, 255, 0, 255));
}
