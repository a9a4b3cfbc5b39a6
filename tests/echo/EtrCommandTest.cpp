#include <gtest/gtest.h>

#include "echo/CEtrModeManager.h"
#include "echo/PlotrexDataETR.h"
#include "tests/support/FakeSounder.h"

namespace {

class EtrCommandTest : public testing::Test {
  protected:
    EtrCommandTest() : etr(&tracker, "PLOTREX_DATA_ETR", "DIST") {
        GetEtrModeManager().SetSelectedFrequency(1);
    }
    ~EtrCommandTest() override { GetEtrModeManager().SetSelectedFrequency(1); }

    // (recognised, enabled, checked) of a state query.
    std::tuple<int, bool, bool> State(const char* command, const char* argument) {
        CommandState state;
        state.argument = argument;
        state.enabled = state.checked = true;  // the answer must overwrite both
        const int known = etr.GetCommandState(command, &state);
        return {known, state.enabled, state.checked};
    }

    std::pair<int, int> LastMode() const {
        return sounder.modeCalls.empty() ? std::make_pair(-1, -1)
                                         : FakeSounder::Decode(sounder.modeCalls.back());
    }

    FakeSounder sounder;
    DistanceTracker tracker;
    PlotrexDataETR etr;
};

}  // namespace

TEST(EtrModeManagerTest, PaneKindsAndPanesFromTheSounderModes) {
    FakeSounder sounder;
    CEtrModeManager manager;
    struct Case {
        std::int16_t frequency, zoom;
        std::int32_t kind0, kind1;
        bool secondPane;
        std::int16_t lowSingle;
    };
    const std::vector<Case> cases = {
        {1, 1, 1, 1, false, 0}, {3, 1, 1, 1, false, 1},  {2, 1, 1, 4, true, 0},
        {4, 1, 1, 4, true, 1},  {5, 1, 0, 0, true, 0},   {1, 2, 1, 3, true, 0},
        {2, 3, 1, 2, true, 0},  {4, 4, 1, 5, true, 1},   {2, 5, 1, 5, true, 0},
        {5, 2, 1, 3, true, 0},  {1, 9, 99, 99, true, 0},  // unknown zoom: kind untouched
    };
    for (const Case& c : cases) {
        sounder.frequency = c.frequency;
        sounder.zoom = c.zoom;
        std::int32_t kind0 = 99;
        std::int32_t kind1 = 99;
        manager.GetPaneKind(0, &kind0);
        manager.GetPaneKind(1, &kind1);
        const std::string mode = std::to_string(c.frequency) + "/" + std::to_string(c.zoom);
        EXPECT_EQ(kind0, c.kind0) << mode;
        EXPECT_EQ(kind1, c.kind1) << mode;
        EXPECT_EQ(manager.HasSecondPane(), c.secondPane) << mode;
        EXPECT_EQ(manager.IsLowFrequencySingle(), c.lowSingle) << mode;
    }
}

TEST(EtrModeManagerTest, ActiveChannelFollowsTheSelectedFrequencyInDualMode) {
    FakeSounder sounder;
    CEtrModeManager manager;
    sounder.frequency = 2;
    EXPECT_EQ(manager.GetActiveChannel(true), 0);
    EXPECT_EQ(manager.GetActiveChannel(false), 1);
    sounder.frequency = 5;
    EXPECT_EQ(manager.GetActiveChannel(false), 0);
    manager.SetSelectedFrequency(0);
    EXPECT_EQ(manager.GetActiveChannel(true), 1);
}

TEST_F(EtrCommandTest, DisplayStatesInHfWithBottomLock) {
    sounder.frequency = 2;
    sounder.zoom = 1;
    struct Case {
        const char* parameter;
        bool enabled, checked;
    };
    for (const Case& c :
         {Case{"PLOTREX_ETR_DUALFREQ_PARAM", true, false},
          Case{"PLOTREX_ETR_SINGLEFREQ_PARAM", true, false},
          Case{"PLOTREX_ETR_MARKERZOOM_PARAM", true, false},
          Case{"PLOTREX_ETR_BOTTOMZOOM_PARAM", true, false},
          Case{"PLOTREX_ETR_BOTTOMLOCK_PARAM", true, true},
          Case{"PLOTREX_ETR_BOTTOMDISCR_PARAM", true, false},
          Case{"plotrex_etr_bottomlock_param", false, false}, Case{nullptr, false, false}}) {
        EXPECT_EQ(State("PLOTREX_ETR_DISPLAY", c.parameter),
                  std::make_tuple(1, c.enabled, c.checked))
            << (c.parameter ? c.parameter : "(null)");
    }
    // Single frequency with bottom zoom: two entries checked at once.
    sounder.frequency = 1;
    sounder.zoom = 2;
    EXPECT_EQ(State("PLOTREX_ETR_DISPLAY", "PLOTREX_ETR_SINGLEFREQ_PARAM"),
              std::make_tuple(1, true, true));
    EXPECT_EQ(State("PLOTREX_ETR_DISPLAY", "PLOTREX_ETR_BOTTOMZOOM_PARAM"),
              std::make_tuple(1, true, true));
}

TEST_F(EtrCommandTest, DisplayCommandSendsTheModesOfTheCurrentFrequency) {
    struct Case {
        std::int16_t frequency;
        std::int32_t selected;
        const char* parameter;
        std::pair<int, int> sent;
    };
    const std::vector<Case> cases = {
        {3, 1, "PLOTREX_ETR_BOTTOMDISCR_PARAM", {4, 4}},
        {1, 1, "PLOTREX_ETR_MARKERZOOM_PARAM", {2, 3}},
        {2, 1, "PLOTREX_ETR_BOTTOMZOOM_PARAM", {2, 2}},
        {4, 1, "PLOTREX_ETR_BOTTOMLOCK_PARAM", {4, 1}},
        {5, 0, "PLOTREX_ETR_SINGLEFREQ_PARAM", {3, 1}},
        {5, 1, "PLOTREX_ETR_SINGLEFREQ_PARAM", {1, 1}},
        {1, 1, "PLOTREX_ETR_DUALFREQ_PARAM", {5, 1}},
    };
    for (const Case& c : cases) {
        sounder.frequency = c.frequency;
        sounder.zoom = 2;
        GetEtrModeManager().SetSelectedFrequency(c.selected);
        EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_DISPLAY", c.parameter), 1) << c.parameter;
        EXPECT_EQ(LastMode(), c.sent) << c.frequency << " " << c.parameter;
    }
    const std::size_t sent = sounder.modeCalls.size();
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_DISPLAY", "NOTHING"), 1);
    EXPECT_EQ(sounder.modeCalls.size(), sent);
}

TEST_F(EtrCommandTest, FrequencyToggleAndStates) {
    sounder.frequency = 4;
    sounder.zoom = 2;
    GetEtrModeManager().SetSelectedFrequency(0);
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_FREQUENCY", nullptr), 1);
    EXPECT_EQ(LastMode(), std::make_pair(2, 2));
    EXPECT_EQ(GetEtrModeManager().GetSelectedFrequency(), 1);

    sounder.frequency = 1;
    etr.ExecuteCommand("PLOTREX_ETR_FREQUENCY", "ANY");
    EXPECT_EQ(LastMode(), std::make_pair(3, 2));
    EXPECT_EQ(GetEtrModeManager().GetSelectedFrequency(), 0);

    // Dual frequency: only the selection flips; the same modes are sent again.
    sounder.frequency = 5;
    sounder.zoom = 1;
    etr.ExecuteCommand("PLOTREX_ETR_FREQUENCY", nullptr);
    EXPECT_EQ(GetEtrModeManager().GetSelectedFrequency(), 1);
    EXPECT_EQ(LastMode(), std::make_pair(5, 1));
    EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HF_PARAM"),
              std::make_tuple(1, true, true));
    EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_LF_PARAM"),
              std::make_tuple(1, true, false));
    EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HFLF_PARAM"),
              std::make_tuple(1, false, false));

    struct Case {
        std::int16_t frequency;
        bool hf, lf, hflf;
    };
    for (const Case& c :
         {Case{1, true, false, true}, Case{2, true, false, true}, Case{3, false, true, true},
          Case{4, false, true, true}, Case{0, false, false, true}}) {
        sounder.frequency = c.frequency;
        EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HF_PARAM"),
                  std::make_tuple(1, true, c.hf));
        EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_LF_PARAM"),
                  std::make_tuple(1, true, c.lf));
        EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "PLOTREX_ETR_HFLF_PARAM"),
                  std::make_tuple(1, c.hflf, false));
    }
    EXPECT_EQ(State("PLOTREX_ETR_FREQUENCY", "OTHER"), std::make_tuple(1, false, false));

    // A mode the sounder does not document changes nothing.
    const std::size_t sent = sounder.modeCalls.size();
    sounder.frequency = 0;
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_FREQUENCY", nullptr), 1);
    EXPECT_EQ(sounder.modeCalls.size(), sent);
}

TEST_F(EtrCommandTest, RangeStepsThroughTheTableOnBothChannels) {
    sounder.frequency = 2;  // the zoom pane's channel 1 is the one stepped from
    struct Case {
        const char* command;
        std::int32_t range;
        std::int32_t sent;
    };
    for (const Case& c :
         {Case{"PLOTREX_ETR_RANGE_PLUS", 100, 200}, Case{"PLOTREX_ETR_RANGE_PLUS", 2000, 2000},
          Case{"PLOTREX_ETR_RANGE_MOINS", 100, 50}, Case{"PLOTREX_ETR_RANGE_MOINS", 10, 10},
          Case{"PLOTREX_ETR_RANGE_PLUS", 123, 123}}) {
        sounder.rangeCalls.clear();
        sounder.range = {7, c.range};
        sounder.shift = {1, 5};
        EXPECT_EQ(etr.ExecuteCommand(c.command, nullptr), 1);
        const std::vector<FakeSounder::RangeCall> expected = {
            {FakeSounder::kRangeCode, 0, c.sent, 5}, {FakeSounder::kRangeCode, 1, c.sent, 5}};
        EXPECT_EQ(sounder.rangeCalls, expected) << c.command << " " << c.range;
    }
}

TEST_F(EtrCommandTest, RangeAndShiftLimits) {
    sounder.frequency = 1;
    struct Case {
        std::int32_t range, shift;
        std::int16_t locked;
        bool plus, moins, shiftPlus, shiftMoins;
    };
    const std::vector<Case> cases = {
        {100, 0, 0, true, true, true, false},      {10, 50, 0, true, false, true, true},
        {2000, 2000, 0, false, true, false, true}, {123, 10, 0, false, false, true, true},
        {100, 50, 1, false, false, false, false},
    };
    for (const Case& c : cases) {
        sounder.range = {c.range, c.range};
        sounder.shift = {c.shift, c.shift};
        sounder.locked = c.locked;
        EXPECT_EQ(State("PLOTREX_ETR_RANGE_PLUS", nullptr), std::make_tuple(1, c.plus, false))
            << c.range;
        EXPECT_EQ(State("PLOTREX_ETR_RANGE_MOINS", nullptr), std::make_tuple(1, c.moins, false))
            << c.range;
        EXPECT_EQ(State("PLOTREX_ETR_SHIFT_PLUS", nullptr), std::make_tuple(1, c.shiftPlus, false))
            << c.shift;
        EXPECT_EQ(State("PLOTREX_ETR_SHIFT_MOINS", nullptr),
                  std::make_tuple(1, c.shiftMoins, false))
            << c.shift;
    }
    // Locked: reported disabled, yet the range command still goes through.
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_RANGE_PLUS", nullptr), 1);
    EXPECT_EQ(sounder.rangeCalls.size(), 2U);
    // The shift has a state but no action.
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_ETR_SHIFT_PLUS", nullptr), 0);
    EXPECT_EQ(sounder.rangeCalls.size(), 2U);
}

TEST_F(EtrCommandTest, OtherCommandsAreNotTheEchogramsAffair) {
    EXPECT_EQ(etr.ExecuteCommand("PLOTREX_SCALE_PLUS", nullptr), 0);
    EXPECT_EQ(etr.ExecuteCommand("plotrex_etr_frequency", nullptr), 0);
    EXPECT_EQ(etr.ExecuteCommand(nullptr, nullptr), 0);
    EXPECT_EQ(std::get<0>(State("PLOTREX_SHOW_HIDE", "PLOTREX_DATA_ETR")), 0);
    EXPECT_EQ(etr.GetCommandState("PLOTREX_ETR_DISPLAY", nullptr), 0);
    EXPECT_TRUE(sounder.modeCalls.empty());
}
