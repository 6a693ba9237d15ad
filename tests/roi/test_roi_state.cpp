#include "tivra/roi/ROIState.h"

#include "ROIStateText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

// Hostile states under tests/data/roi-state/ and the words the reader's message must name them
// by. The cases tests/engine/test_advpanel_roi_keys.py sends through SetROIState (a missing
// width, version 2, kind "Blob", a string or bool number, a NaN, a negative height) are not
// repeated here; neither is the round trip of every kind that it checks.
TEST(ROIState, HostileFieldsAreNamed)
{
    std::string tooMany = "version i 1\nkind t Polygon\nclosed b 1\npoints l";
    for (size_t i = 0; i <= ROIState::kMostPolygonPoints; ++i)
        tooMany += " 1 1";
    for (auto [file, named] : {std::pair{"no-version", "missing key \"version\""},
                               {"kind-not-text", "\"kind\" must be a string, not int"},
                               {"host-type-number", "\"y\" must be a number, not dict"},
                               {"infinite-x", "\"x\" = -inf is not finite"},
                               {"huge-x", "\"x\" = 1e+300 is beyond"},
                               {"inner-beyond-outer", "\"inner_radius\" = 21 must not exceed"},
                               {"end-before-start", "\"end_angle\" = -1 must not be less"},
                               {"sweep-past-a-turn", "\"end_angle\" = 361 sweeps"},
                               {"points-not-list", "\"points\" must be a list"},
                               {"point-not-pair", "\"points[2]\" must be a pair"},
                               {"nan-coordinate", "\"points[1][1]\" = nan"},
                               {"closed-two-points", "\"closed\" polygon needs at least 3 points"},
                               {"closed-not-bool", "\"closed\" must be true or false"},
                               {"", "more than 100000"}}) {
        std::ifstream in(std::string(TIVRA_TEST_DATA_DIR "/roi-state/") + file + ".roi");
        const std::string text = *file ? std::string(std::istreambuf_iterator<char>(in), {}) : tooMany;
        ASSERT_FALSE(text.empty()) << file;
        EXPECT_THAT([&] { ROIState::Load(ParseROIStateText(text)); },
                    testing::ThrowsMessage<std::invalid_argument>(testing::HasSubstr(named)));
    }
}
