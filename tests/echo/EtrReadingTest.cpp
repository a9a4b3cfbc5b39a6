// The commands that change how the echogram is read, as the echogram data
// takes them, and the picture they leave.
#include <gtest/gtest.h>

#include <tuple>

#include "drawing/StyleTable.h"
#include "echo/EtrReadingCommands.h"
#include "module/CommandNames.h"
#include "module/GraphKeys.h"
#include "tests/echo/EchogramScene.h"

namespace {

class EtrReadingTest : public testing::Test {
  protected:
    EtrReadingTest() { etr.SetStyleTable(&styles); }

    // (recognised, enabled, checked) of a state query.
    std::tuple<int, bool, bool> State(const char* command, const char* argument = nullptr) {
        CommandState state;
        state.argument = argument;
        state.enabled = state.checked = true;  // the answer must overwrite both
        const int known = etr.GetCommandState(command, &state);
        return {known, state.enabled, state.checked};
    }
    int Execute(const char* command, const char* argument = nullptr) {
        return etr.ExecuteCommand(command, argument);
    }

    FakeSounder sounder;
    DistanceTracker tracker;
    PlotrexDataETR etr{&tracker, "PLOTREX_DATA_ETR", "DIST"};
    StyleTable styles;
};

}  // namespace

TEST_F(EtrReadingTest, ColourScalesByParameterOrInTurn) {
    EXPECT_EQ(State(kCommandEtrColours, kCommandEtrStandardParam), std::make_tuple(1, true, true));
    ASSERT_EQ(Execute(kCommandEtrColours, kCommandEtrGreyParam), 1);
    EXPECT_EQ(styles.GetEchoLook().scale, EchoScale::kGrey);
    EXPECT_EQ(State(kCommandEtrColours, kCommandEtrGreyParam), std::make_tuple(1, true, true));
    EXPECT_EQ(State(kCommandEtrColours, kCommandEtrViridisParam), std::make_tuple(1, true, false));
    // Without a parameter: the next, round to the first.
    ASSERT_EQ(Execute(kCommandEtrColours), 1);
    EXPECT_EQ(styles.GetEchoLook().scale, EchoScale::kInvertedGrey);
    ASSERT_EQ(Execute(kCommandEtrColours, ""), 1);
    EXPECT_EQ(styles.GetEchoLook().scale, EchoScale::kStandard);
    // A parameter of no scale is refused and changes nothing.
    EXPECT_EQ(Execute(kCommandEtrColours, "PLOTREX_ETR_RAINBOW_PARAM"), 0);
    EXPECT_EQ(Execute(kCommandEtrColours, kCommandEtrHfParam), 0);
    EXPECT_EQ(styles.GetEchoLook().scale, EchoScale::kStandard);
    EXPECT_EQ(State(kCommandEtrColours, "viridis"), std::make_tuple(1, false, false));
}

TEST_F(EtrReadingTest, GainAndThresholdStepWithinTheirLimits) {
    EXPECT_EQ(State(kCommandEtrGainPlus), std::make_tuple(1, true, false));
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Execute(kCommandEtrGainPlus), 1);
    }
    EXPECT_EQ(styles.GetEchoLook().gain, 15);
    // At the limit: reported disabled, a step changes nothing.
    EXPECT_EQ(State(kCommandEtrGainPlus), std::make_tuple(1, false, true));
    EXPECT_EQ(State(kCommandEtrGainMoins), std::make_tuple(1, true, true));
    for (int i = 0; i < 40; ++i) {
        Execute(kCommandEtrGainMoins);
    }
    EXPECT_EQ(styles.GetEchoLook().gain, -15);
    EXPECT_EQ(State(kCommandEtrGainMoins), std::make_tuple(1, false, true));

    EXPECT_EQ(State(kCommandEtrThresholdMoins), std::make_tuple(1, false, false));
    Execute(kCommandEtrThresholdMoins);
    EXPECT_EQ(styles.GetEchoLook().threshold, 0);
    for (int i = 0; i < 20; ++i) {
        Execute(kCommandEtrThresholdPlus);
    }
    EXPECT_EQ(styles.GetEchoLook().threshold, 15);
    EXPECT_EQ(State(kCommandEtrThresholdPlus), std::make_tuple(1, false, true));
    // Commands of the sounder are still the sounder's.
    EXPECT_EQ(std::get<0>(State(kCommandEtrDisplay, kCommandEtrDualFreqParam)), 1);
}

TEST_F(EtrReadingTest, TheColourBarIsShownAndHidden) {
    EXPECT_EQ(State(kCommandShowHide, kGraphColourBar), std::make_tuple(1, true, false));
    EXPECT_EQ(Execute(kCommandShowHide, kGraphColourBar), 1);
    EXPECT_TRUE(styles.IsColourBarShown());
    EXPECT_EQ(Execute(kCommandShowHide, kGraphColourBar), 1);
    EXPECT_FALSE(styles.IsColourBarShown());
    // Other graphs are the views' to show.
    EXPECT_EQ(Execute(kCommandShowHide, kGraphEtr), 0);
    EXPECT_EQ(std::get<0>(State(kCommandShowHide, kGraphEtr)), 0);
}

TEST(EtrReadingWithoutStyles, EveryReadingCommandIsRefused) {
    FakeSounder sounder;
    DistanceTracker tracker;
    PlotrexDataETR etr{&tracker, "PLOTREX_DATA_ETR", "DIST"};
    for (const char* command :
         {kCommandEtrColours, kCommandEtrGainPlus, kCommandEtrThresholdMoins}) {
        EXPECT_EQ(etr.ExecuteCommand(command, nullptr), 0) << command;
    }
    EXPECT_EQ(etr.ExecuteCommand(kCommandShowHide, kGraphColourBar), 0);
}

TEST_F(EtrReadingTest, LevelStrengthsLabelTheColourBar) {
    // The simulated sounder's levels are their own numbers.
    EXPECT_EQ(etr.GetReading().LevelLabel(7), "7");
    const char* starts = "0 37 47 58 69 81 94 107 121 136 152 169 187 206 226 246";
    ASSERT_EQ(Execute(kCommandEtrLevelStrengths, starts), 1);
    EXPECT_EQ(etr.GetReading().LevelLabel(0), "0-36");
    EXPECT_EQ(etr.GetReading().LevelLabel(1), "37-46");
    EXPECT_EQ(etr.GetReading().LevelLabel(15), "246-255");
    // Under gain 2 the top level takes the two below it, the first two shown
    // levels stand for nothing; threshold 5 makes 0-57 water.
    Execute(kCommandEtrGainPlus);
    Execute(kCommandEtrGainPlus);
    for (int i = 0; i < 5; ++i) {
        Execute(kCommandEtrThresholdPlus);
    }
    EXPECT_EQ(etr.GetReading().LevelLabel(15), "206-255");
    EXPECT_EQ(etr.GetReading().LevelLabel(1), "");
    EXPECT_EQ(etr.GetReading().LevelLabel(0), "0-57");
    EXPECT_EQ(etr.GetReading().LevelLabel(5), "58-68");
    // A level no strength reaches starts where the next does: no range.
    ASSERT_EQ(
        Execute(kCommandEtrLevelStrengths, "0 10 20 20 30 40 50 60 70 80 90 100 110 120 130 140"),
        1);
    EXPECT_EQ(etr.GetReading().LevelLabel(0), "0-19");  // levels 1 (10-19) under the threshold
    // Refused, each leaving the last table.
    for (const char* bad : {"", "0 1 2", "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16",
                            "5 10 20 30 40 50 60 70 80 90 100 110 120 130 140 150",
                            "0 10 5 30 40 50 60 70 80 90 100 110 120 130 140 150",
                            "0 10 20 30 40 50 60 70 80 90 100 110 120 130 140 256",
                            "0 10 20 30 40 50 60 70 80 90 100 110 120 130 140 15x",
                            "0 10 20 30 40 50 60 70 80 90 100 110 120 130 140 150 extra"}) {
        EXPECT_EQ(Execute(kCommandEtrLevelStrengths, bad), 0) << bad;
    }
    EXPECT_EQ(Execute(kCommandEtrLevelStrengths, nullptr), 0);
    // Still under gain 2: the levels 13 to 15 of the last good table.
    EXPECT_EQ(etr.GetReading().LevelLabel(15), "120-255");
}

// A new look colours the stored sweeps again: the picture is the one a
// display that uploads everything afresh draws.
TEST(EtrReadingPicture, ANewLookRecoloursWhatIsStored) {
    EchogramScene scene;
    scene.data.SetStyleTable(&scene.styles);
    for (int n = 0; n < 200; ++n) {
        scene.Add(0, EchogramScene::Sweep(0.0, -160.0, 160, [n](std::uint32_t s) {
                      return static_cast<std::uint8_t>((s / 10 + n / 20) % 16);
                  }));
    }
    scene.data.GetStore(0).PlaceSweeps(200.0);
    const Image before = scene.Frame();
    ASSERT_EQ(scene.data.ExecuteCommand(kCommandEtrColours, kCommandEtrViridisParam), 1);
    ASSERT_EQ(scene.data.ExecuteCommand(kCommandEtrGainPlus, nullptr), 1);
    ASSERT_EQ(scene.data.ExecuteCommand(kCommandEtrThresholdPlus, nullptr), 1);
    const Image after = scene.Frame();
    EXPECT_NE(after.pixels, before.pixels);
    EXPECT_TRUE(
        CompareImages(after, scene.FreshFrame(), kExactComparison).Passed(kExactComparison));
}
