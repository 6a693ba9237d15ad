#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIRecords.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

struct Rgb {
    int r, g, b;
};

// Reference list written once from matplotlib's CSS4 table (see
// scripts/make-css-color-fixture.py).
std::map<std::string, Rgb> LoadReferenceColours()
{
    std::map<std::string, Rgb> table;
    std::ifstream in(TIVRA_TEST_DATA_DIR "/css3_color_keywords.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name;
        Rgb rgb{};
        fields >> name >> rgb.r >> rgb.g >> rgb.b;
        table[name] = rgb;
    }
    return table;
}

std::map<std::string, const cv::Scalar*> CvTable()
{
    std::map<std::string, const cv::Scalar*> table;
#define ADD_CV(name, rgb) table[#name] = &cv_Color_Defines::name;
    TIVRA_CSS_COLOR_KEYWORDS(ADD_CV)
#undef ADD_CV
    return table;
}

} // namespace

TEST(ColourTables, MatchTheCssLevel3Keywords)
{
    const std::map<std::string, Rgb> reference = LoadReferenceColours();
    ASSERT_EQ(reference.size(), 147u) << "fixture missing or damaged";
    const auto cvTable = CvTable();
    ASSERT_EQ(cvTable.size(), 147u);
    for (const auto& [name, rgb] : reference) {
        SCOPED_TRACE(name);
        ASSERT_EQ(cvTable.count(name), 1u);
        EXPECT_EQ(*cvTable.at(name), cv::Scalar(rgb.b, rgb.g, rgb.r, 0.0));
    }
    EXPECT_EQ(cv_Color_Defines::darkyellow, cv::Scalar(0, 210, 210, 0));  // not a CSS keyword
}
