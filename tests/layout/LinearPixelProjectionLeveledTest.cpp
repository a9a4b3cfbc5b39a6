#include "layout/LinearPixelProjectionLeveled.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using Leveled = LinearPixelProjectionLeveled;

std::int16_t LevelOf(const Leveled& p, bool& exact) {
    return p.GetLevel(exact);
}

std::int16_t LevelWithMultiplier(double multiplier, bool& exact) {
    Leveled p;
    p.multiplier = multiplier;
    return LevelOf(p, exact);
}

TEST(LinearPixelProjectionLeveled, SetLevelClampsToThreeThroughFifteen) {
    Leveled p;
    for (int level = 3; level <= 15; ++level) {
        p.SetLevel(static_cast<std::int16_t>(level));
        EXPECT_EQ(p.multiplier, std::ldexp(1.0, level)) << level;
    }
    p.SetLevel(2);
    EXPECT_EQ(p.multiplier, 8.0);
    p.SetLevel(-32768);
    EXPECT_EQ(p.multiplier, 8.0);
    p.SetLevel(40);
    EXPECT_EQ(p.multiplier, 32768.0);
    p.SetLevel(32767);
    EXPECT_EQ(p.multiplier, 32768.0);
}

TEST(LinearPixelProjectionLeveled, GetLevelRoundsTheLogarithmAndTellsExactness) {
    bool exact = false;
    Leveled p;
    for (int level = 3; level <= 15; ++level) {
        p.SetLevel(static_cast<std::int16_t>(level));
        EXPECT_EQ(LevelOf(p, exact), level);
        EXPECT_TRUE(exact);
    }
    EXPECT_EQ(LevelWithMultiplier(100.0, exact), 7);  // log2 100 = 6.64
    EXPECT_FALSE(exact);
    EXPECT_EQ(LevelWithMultiplier(128.0 * (1.0 + 1e-9), exact), 7);
    EXPECT_TRUE(exact);
    EXPECT_EQ(LevelWithMultiplier(1.0, exact), 0);
    EXPECT_TRUE(exact);
    // Below one the level is negative and still exact on powers of two.
    EXPECT_EQ(LevelWithMultiplier(0.125, exact), -3);
    EXPECT_TRUE(exact);
}

TEST(LinearPixelProjectionLeveled, GetLevelRoundsHalvesAwayFromZero) {
    bool exact = true;
    const double up = std::pow(2.0, 6.5);
    const double down = std::pow(2.0, -2.5);
    ASSERT_EQ(std::log(up) / std::log(2.0), 6.5);
    ASSERT_EQ(std::log(down) / std::log(2.0), -2.5);
    EXPECT_EQ(LevelWithMultiplier(up, exact), 7);
    EXPECT_FALSE(exact);
    EXPECT_EQ(LevelWithMultiplier(down, exact), -3);
    EXPECT_FALSE(exact);
    EXPECT_EQ(LevelWithMultiplier(std::pow(2.0, -2.4), exact), -2);
}

TEST(LinearPixelProjectionLeveled, MultiplierWithoutLevelGivesNoLabel) {
    Leveled unset;
    bool exact = true;
    EXPECT_EQ(LevelOf(unset, exact), 0);
    EXPECT_FALSE(exact);
    EXPECT_STREQ(unset.GetScaleLabel(), "-");
    exact = true;
    EXPECT_EQ(LevelWithMultiplier(0.0, exact), 0);
    EXPECT_FALSE(exact);
}

TEST(LinearPixelProjectionLeveled, InitScaleMeansUnitsPerPixelAtLevelFive) {
    Leveled p;
    p.origin = 0.0;
    ASSERT_TRUE(p.InitScale(40.0));
    bool exact = false;
    EXPECT_EQ(LevelOf(p, exact), 3);
    for (int level = 3; level <= 15; ++level) {
        p.SetLevel(static_cast<std::int16_t>(level));
        EXPECT_DOUBLE_EQ(p.ToWorld(1.0, true), 40.0 * std::pow(2.0, level - 5)) << level;
    }
}

TEST(LinearPixelProjectionLeveled, InitScaleRefusesAScaleThatCannotConvert) {
    Leveled p;
    p.SetLevel(9);
    p.scale = 2.0;
    for (const double bad : {0.0, std::nan(""), HUGE_VAL}) {
        EXPECT_FALSE(p.InitScale(bad));
        EXPECT_EQ(p.scale, 2.0);
        EXPECT_EQ(p.multiplier, 512.0);
    }
}

TEST(LinearPixelProjectionLeveled, ZoomAboutAPixelKeepsTheValueUnderIt) {
    Leveled p;
    p.InitScale(3.0);
    p.origin = 1234.5;
    for (const double pixel : {0.0, 321.0, 799.0}) {
        for (int level = 3; level <= 15; level += 4) {
            const double value = p.ToWorld(pixel);
            p.SetLevel(static_cast<std::int16_t>(level));
            p.SetOriginAt(value, pixel);
            EXPECT_NEAR(p.ToPixel(value), pixel, 1e-6);
        }
    }
}

TEST(LinearPixelProjectionLeveled, ValidLevelsAreThreeToFifteen) {
    EXPECT_FALSE(Leveled::IsValidLevel(2));
    EXPECT_TRUE(Leveled::IsValidLevel(3));
    EXPECT_TRUE(Leveled::IsValidLevel(15));
    EXPECT_FALSE(Leveled::IsValidLevel(16));
    EXPECT_FALSE(Leveled::IsValidLevel(-32768));
}

TEST(LinearPixelProjectionLeveled, ScaleLadderLabels) {
    EXPECT_STREQ(Leveled::ScaleLabel(3), "100");
    EXPECT_STREQ(Leveled::ScaleLabel(7), "2 500");
    EXPECT_STREQ(Leveled::ScaleLabel(15), "1 000 000");
    EXPECT_STREQ(Leveled::ScaleLabel(22), "250 000 000");
    EXPECT_STREQ(Leveled::ScaleLabel(2), "-");
    EXPECT_STREQ(Leveled::ScaleLabel(23), "-");
    EXPECT_STREQ(Leveled::ScaleLabel(-32768), "-");

    // The ladder runs 1, 2.5, 5 times a power of ten, blanks between thousands.
    auto number = [](int level) {
        std::string digits;
        for (const char c : std::string(Leveled::ScaleLabel(level))) {
            if (c != ' ') {
                digits += c;
            }
        }
        return std::stod(digits);
    };
    for (int level = 3; level <= 19; ++level) {
        EXPECT_EQ(number(level + 3), 10.0 * number(level)) << level;
        const std::string label = Leveled::ScaleLabel(level);
        for (std::size_t blank = label.size(); blank > 3; blank -= 4) {
            EXPECT_EQ(label[blank - 4], ' ') << label;
        }
    }
}

TEST(LinearPixelProjectionLeveled, GetScaleLabelNamesTheCurrentLevel) {
    Leveled p;
    p.SetLevel(7);
    EXPECT_STREQ(p.GetScaleLabel(), "2 500");
    p.multiplier = 100.0;  // not a level: the nearest one is named
    EXPECT_STREQ(p.GetScaleLabel(), "2 500");
}

TEST(LinearPixelProjectionLeveled, CopiesAreNeverInverted) {
    Leveled source;
    source.inverted = true;
    source.scale = 0.5;
    source.origin = -7.0;
    source.SetLevel(11);

    const Leveled copy(source);
    EXPECT_FALSE(copy.inverted);
    EXPECT_EQ(copy.scale, 0.5);
    EXPECT_EQ(copy.origin, -7.0);
    EXPECT_EQ(copy.multiplier, 2048.0);

    Leveled assigned;
    assigned.inverted = true;
    assigned = source;
    EXPECT_FALSE(assigned.inverted);
    EXPECT_EQ(assigned.scale, 0.5);
    EXPECT_EQ(assigned.origin, -7.0);
    EXPECT_EQ(assigned.multiplier, 2048.0);
}

}  // namespace
