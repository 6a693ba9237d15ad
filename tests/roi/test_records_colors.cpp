#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIRecords.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

// The reference list was written once from matplotlib's CSS4 table (see
// scripts/make-css-color-fixture.py); every keyword of the table is on it, with its value.
TEST(ColourTables, MatchTheCssLevel3Keywords)
{
    std::map<std::string, cv::Scalar> reference;
    std::ifstream in(TIVRA_TEST_DATA_DIR "/css3_color_keywords.txt");
    std::string name;
    for (std::string line; std::getline(in, line);) {
        int r = 0, g = 0, b = 0;
        if (!line.empty() && line[0] != '#' && std::istringstream(line) >> name >> r >> g >> b)
            reference[name] = cv::Scalar(b, g, r, 0.0);
    }
    ASSERT_EQ(reference.size(), 147u) << "fixture missing or damaged";
    size_t keywords = 0;
#define CHECK_CV(name, rgb)                                                                            \
    ++keywords;                                                                                        \
    EXPECT_EQ(reference.count(#name) ? reference.at(#name) : cv::Scalar::all(-1), cv_Color_Defines::name) << #name;
    TIVRA_CSS_COLOR_KEYWORDS(CHECK_CV)
#undef CHECK_CV
    EXPECT_EQ(keywords, 147u);
    EXPECT_EQ(cv_Color_Defines::darkyellow, cv::Scalar(0, 210, 210, 0));  // not a CSS keyword
}
