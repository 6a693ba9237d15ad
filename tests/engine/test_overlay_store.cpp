// The caller-owned overlay lists and badge settings both ROI panels share.
#include "tivra/engine/OverlayStore.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const std::string kFont = FrameLayers::kDefaultFontPath;

TEST(OverlayStore, BadgeHidingKeepsLabelsAndOnlyNewLabelsOrFontAskForANewFit)
{
    OverlayStore store;
    store.UpdateBadge(true, 1, kFont, "OK", "NG", "RE");
    EXPECT_EQ(store.Badge().fontHeight, -1);
    store.Badge().fontHeight = 30;  // as fitted by the panel's next paint

    store.UpdateBadge(false, 2, "/elsewhere.ttf", "a", "b", "c");
    EXPECT_FALSE(store.Badge().show);
    EXPECT_EQ(store.Badge().state, 1);
    EXPECT_EQ(store.Badge().failText, wxString("NG"));
    EXPECT_EQ(store.Badge().fontPath, wxString(kFont));
    EXPECT_EQ(store.Badge().fontHeight, 30);

    store.UpdateBadge(true, 0, kFont, "OK", "NG", "RE");
    EXPECT_TRUE(store.Badge().show);
    EXPECT_EQ(store.Badge().state, 0);
    EXPECT_EQ(store.Badge().fontHeight, 30);

    store.UpdateBadge(true, 0, kFont, "OK", "NG", "Recycle");
    EXPECT_EQ(store.Badge().fontHeight, -1);
    store.Badge().fontHeight = 30;
    store.UpdateBadge(true, 0, "/other.ttf", "OK", "NG", "Recycle");
    EXPECT_EQ(store.Badge().fontHeight, -1);

    store.UpdateBadge(true, 2);
    EXPECT_EQ(store.Badge().state, 2);
    EXPECT_EQ(store.Badge().recycleText, wxString("Recycle"));
}

TEST(OverlayStore, CallerTextsPairWithTheirFontsEvenAfterTheListGrows)
{
    OverlayStore store;
    EXPECT_TRUE(store.ExtTextsWithFonts(kFont).empty());

    cvText first;
    first.fontPath = "/no/such/font.ttf";
    std::vector<cvText*> texts{&first, nullptr};
    store.SetExtText(&texts, kFont);
    auto pairs = store.ExtTextsWithFonts(kFont);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].first, &first);
    EXPECT_EQ(pairs[1].first, nullptr);
    EXPECT_NE(pairs[0].second, nullptr) << "a missing font falls back to the default";
    EXPECT_NE(pairs[1].second, nullptr);

    cvText added;
    texts.push_back(&added);
    pairs = store.ExtTextsWithFonts(kFont);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[2].first, &added);
    EXPECT_NE(pairs[2].second, nullptr);

    store.SetExtText(nullptr, kFont);
    EXPECT_TRUE(store.ExtTextsWithFonts(kFont).empty());
}

}  // namespace
