#include "module/CommandVocabulary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "module/CommandNames.h"

namespace {

// The view's 25 commands and the two a chart host sends.
TEST(CommandVocabulary, HoldsThirtyEightDistinctNames) {
    const auto names = CommandVocabulary::Names();
    EXPECT_EQ(names.size(), 38u);
    const std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size());
    for (const char* name : names) {
        EXPECT_EQ(std::string(name).rfind("PLOTREX_", 0), 0u) << name;
        EXPECT_TRUE(CommandVocabulary::Contains(name)) << name;
    }
}

TEST(CommandVocabulary, NamesCompareExactly) {
    // A copy, not the same pointer: names are compared as text.
    const std::string copy = kCommandEtrHfLfParam;
    EXPECT_TRUE(CommandVocabulary::Contains(copy.c_str()));
    EXPECT_TRUE(CommandVocabulary::Contains("PLOTREX_CENTER_ON"));
    EXPECT_TRUE(CommandVocabulary::Contains("PLOTREX_CENTER_ON_PROFILE"));
    EXPECT_FALSE(CommandVocabulary::Contains("plotrex_center_on"));
    EXPECT_FALSE(CommandVocabulary::Contains("PLOTREX_CENTER"));
    EXPECT_FALSE(CommandVocabulary::Contains("PLOTREX_SHOW_HIDE "));
    EXPECT_FALSE(CommandVocabulary::Contains("PLOTREX_DATA_DEPTH"));
    EXPECT_FALSE(CommandVocabulary::Contains(""));
    EXPECT_FALSE(CommandVocabulary::Contains(nullptr));
}

TEST(CommandVocabulary, SlopeValuesArePowersOfTwoUpTo256) {
    const auto texts = CommandVocabulary::ParameterTexts("PLOTREX_SLOPE_VALUE");
    ASSERT_EQ(texts.size(), 9u);
    int expected = 1;
    for (const char* text : texts) {
        EXPECT_EQ(text, std::to_string(expected));
        expected *= 2;
    }
}

TEST(CommandVocabulary, ScaleValuesAreTheLevelsThreeToFifteen) {
    const auto texts = CommandVocabulary::ParameterTexts("PLOTREX_SCALE_VALUE");
    ASSERT_EQ(texts.size(), 13u);
    int expected = 3;
    for (const char* text : texts) {
        EXPECT_EQ(text, std::to_string(expected++));
    }
}

TEST(CommandVocabulary, OtherCommandsOfferNoTexts) {
    EXPECT_TRUE(CommandVocabulary::ParameterTexts(kCommandSlopePlus).empty());
    EXPECT_TRUE(CommandVocabulary::ParameterTexts(kCommandShowHide).empty());
    EXPECT_TRUE(CommandVocabulary::ParameterTexts("UNKNOWN").empty());
    EXPECT_TRUE(CommandVocabulary::ParameterTexts(nullptr).empty());
}

}  // namespace
