#include <gtest/gtest.h>

#include <algorithm>

#include "drawing/EchoLook.h"
#include "drawing/StyleTable.h"

namespace {

int Brightness(const EchoColour& c) {
    return std::max({c.r, c.g, c.b});
}

constexpr EchoScale kScales[] = {EchoScale::kStandard, EchoScale::kViridis, EchoScale::kGrey,
                                 EchoScale::kInvertedGrey};

}  // namespace

TEST(EchoLook, ShownLevelAtTheEdgesOfGainAndThreshold) {
    const struct {
        int level, gain, threshold, shown;
    } cases[] = {
        {0, 0, 0, 0},    {15, 0, 0, 15},  {7, 0, 0, 7},     // neutral: as sent
        {0, 15, 0, 0},                                      // water has nothing to amplify
        {1, 14, 0, 15},  {1, 15, 0, 15},  {15, 15, 0, 15},  // gain drives every echo to 15
        {15, -15, 0, 0}, {15, -14, 0, 1}, {1, -1, 0, 0},    // ... or down to water
        {14, 3, 0, 15},  {3, -2, 0, 1},                     // clamped, or shifted
        {14, 0, 15, 0},  {15, 0, 15, 15},                   // threshold 15: the top level only
        {1, 0, 1, 1},    {5, 0, 6, 0},    {6, 0, 6, 6},     // below it: water
        {3, 3, 6, 6},    {2, 3, 6, 0},                      // after the gain
        {16, 5, 3, 16},  {-1, 5, 3, -1},                    // not a level: left alone
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShownEchoLevel(c.level, c.gain, c.threshold), c.shown)
            << c.level << " gain " << c.gain << " threshold " << c.threshold;
    }
    // Every echo under the largest gain is the top level, under the smallest water.
    for (int level = 1; level <= 15; ++level) {
        EXPECT_EQ(ShownEchoLevel(level, kEchoGainMost, 0), 15);
        EXPECT_EQ(ShownEchoLevel(level, -kEchoGainMost, 0), 0);
    }
}

TEST(EchoLook, ScalesInEachLight) {
    // Viridis from its first colour (#440154) to its last (#fde725).
    EXPECT_EQ(EchoScaleColour(EchoScale::kViridis, 1, 0), (EchoColour{255, 0x44, 0x01, 0x54}));
    EXPECT_EQ(EchoScaleColour(EchoScale::kViridis, 15, 0), (EchoColour{255, 0xfd, 0xe7, 0x25}));
    // The module's own scale, with its halving and quartering.
    EXPECT_EQ(EchoScaleColour(EchoScale::kStandard, 12, 0), (EchoColour{255, 255, 0, 0}));
    EXPECT_EQ(EchoScaleColour(EchoScale::kStandard, 13, 2), (EchoColour{255, 32, 16, 16}));
    for (const EchoScale scale : kScales) {
        for (int light = 0; light < 3; ++light) {
            // Water shows what lies behind it; levels beyond the scale are black.
            EXPECT_EQ(EchoScaleColour(scale, 0, light).a, 0);
            EXPECT_EQ(EchoScaleColour(scale, 16, light), (EchoColour{255, 0, 0, 0}));
        }
        for (int level = 1; level <= 15; ++level) {
            const EchoColour day = EchoScaleColour(scale, level, 0);
            const EchoColour night = EchoScaleColour(scale, level, 2);
            EXPECT_EQ(day.a, 255);
            // No level lights the bridge at night: at most 40 % of full brightness.
            EXPECT_LE(Brightness(night), 102) << level;
            EXPECT_LE(Brightness(EchoScaleColour(scale, level, 1)), Brightness(day));
            EXPECT_LE(Brightness(night), Brightness(EchoScaleColour(scale, level, 1)));
        }
    }
    // Grey brightens with the echo, inverted grey darkens to black.
    for (int level = 2; level <= 15; ++level) {
        EXPECT_GT(Brightness(EchoScaleColour(EchoScale::kGrey, level, 0)),
                  Brightness(EchoScaleColour(EchoScale::kGrey, level - 1, 0)));
        EXPECT_LT(Brightness(EchoScaleColour(EchoScale::kInvertedGrey, level, 0)),
                  Brightness(EchoScaleColour(EchoScale::kInvertedGrey, level - 1, 0)));
    }
    EXPECT_EQ(EchoScaleColour(EchoScale::kInvertedGrey, 15, 0), (EchoColour{255, 0, 0, 0}));
    EXPECT_EQ(EchoScaleColour(EchoScale::kGrey, 15, 0), (EchoColour{255, 255, 255, 255}));
}

// The style table draws a sounder's level as the look shows it; the colour
// bar's colours are the scale's own.
TEST(EchoLook, StyleTableColoursThroughTheLook) {
    StyleTable styles;
    styles.SetLightMode(1);
    styles.SetEchoLook(EchoLook{EchoScale::kViridis, 3, 6});
    EXPECT_EQ(styles.EchoLevelColour(2), styles.EchoShownColour(0));
    EXPECT_EQ(styles.EchoLevelColour(3), EchoScaleColour(EchoScale::kViridis, 6, 1));
    EXPECT_EQ(styles.EchoShownColour(3), EchoScaleColour(EchoScale::kViridis, 3, 1));
    EXPECT_FALSE(styles.GetEchoLook().IsNeutral());
    EXPECT_FALSE(styles.IsColourBarShown());
}
