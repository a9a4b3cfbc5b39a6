// The layout commands and their states, as the view's command messages hand
// them over, and the commands passed on to the graphs.
#include <gtest/gtest.h>

#include <vector>

#include "graphdata/PlotrexDataProfileHistoric.h"
#include "module/CommandDispatch.h"
#include "module/CommandVocabulary.h"
#include "tests/layout/organizer/FixedGraph.h"
#include "tests/layout/organizer/OrganizerScene.h"

namespace {

// A scene whose data covers 2e-3 radians: 1000 pixels at level 10, 250 at
// level 12, 125 at level 13.
class OrganizerCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        wide.extent = Extent{0.0, 2e-3, -50.0, -5.0};
        scene.graphs.Add(&wide);
        ASSERT_TRUE(scene.Open());
    }
    LRESULT Run(const char* command, const char* argument = nullptr) {
        return CommandDispatch::Execute(scene.organizer, command, argument);
    }
    // (checked, enabled), or (false, false) when nobody knew the command.
    std::pair<bool, bool> State(const char* command, const char* argument = nullptr) {
        CommandState state;
        state.argument = argument;
        const LRESULT known = CommandDispatch::State(scene.organizer, command, &state);
        return known ? std::pair{state.checked, state.enabled} : std::pair{false, false};
    }
    short Level() { return scene.organizer.GetLevel(); }
    double Slope() { return scene.organizer.GetSlope(); }

    // The graphs outlive the scene, whose organizer hands their displays back.
    FixedGraph wide{"WIDE"};
    FixedGraph sounder{"SOUNDER"};
    FixedGraph late{"LATE"};
    PlotrexDataProfileHistoric historic{nullptr, kGraphHistoric, kUnitDist};
    OrganizerScene scene;
};

}  // namespace

TEST_F(OrganizerCommands, ZoomStopsAtBothEndsOfTheLadder) {
    wide.extent.maxX = 1.0;  // room for every level
    EXPECT_EQ(Run("PLOTREX_SCALE_VALUE", "3"), 1);
    EXPECT_EQ(Level(), 3);
    EXPECT_EQ(State("PLOTREX_SCALE_PLUS"), std::pair(false, false));
    EXPECT_EQ(State("PLOTREX_SCALE_MOINS"), std::pair(false, true));
    EXPECT_EQ(Run("PLOTREX_SCALE_PLUS"), 1);
    EXPECT_EQ(Level(), 3);

    EXPECT_EQ(Run("PLOTREX_SCALE_VALUE", "15"), 1);
    EXPECT_EQ(Level(), 15);
    EXPECT_EQ(State("PLOTREX_SCALE_MOINS"), std::pair(false, false));
    EXPECT_EQ(State("PLOTREX_SCALE_PLUS"), std::pair(false, true));
    EXPECT_EQ(Run("PLOTREX_SCALE_MOINS"), 1);
    EXPECT_EQ(Level(), 15);
    EXPECT_EQ(Run("PLOTREX_SCALE_PLUS"), 1);
    EXPECT_EQ(Level(), 14);
    EXPECT_EQ(State("PLOTREX_SCALE_VALUE", "14"), std::pair(true, true));
}

TEST_F(OrganizerCommands, HighLevelsNeedDataOverHalfTheWindow) {
    // Half the window is 200 pixels.
    for (const char* level : {"3", "7", "10", "11", "12"}) {
        EXPECT_TRUE(State("PLOTREX_SCALE_VALUE", level).second) << level;
    }
    for (const char* level : {"13", "14", "15"}) {
        EXPECT_FALSE(State("PLOTREX_SCALE_VALUE", level).second) << level;
    }
    // Shorter data: 1e-3 radians are 125 pixels at level 12.
    wide.extent.maxX = 1e-3;
    EXPECT_FALSE(State("PLOTREX_SCALE_VALUE", "12").second);
    EXPECT_TRUE(State("PLOTREX_SCALE_VALUE", "10").second);
    // A level that is not allowed does not hold.
    Run("PLOTREX_SCALE_VALUE", "12");
    EXPECT_EQ(Level(), 11);
    // Hidden, the data does not count: levels up to 10 only.
    Run("PLOTREX_SHOW_HIDE", "WIDE");
    EXPECT_FALSE(State("PLOTREX_SCALE_VALUE", "11").second);
    EXPECT_EQ(Level(), 11);
    scene.organizer.Draw();
    EXPECT_EQ(Level(), 10);
}

TEST_F(OrganizerCommands, SlopeStepsAndLimits) {
    EXPECT_DOUBLE_EQ(Slope(), 4.0);
    EXPECT_EQ(State("PLOTREX_SLOPE_VALUE", "4"), std::pair(true, true));
    EXPECT_EQ(State("PLOTREX_SLOPE_VALUE", "8"), std::pair(false, true));
    EXPECT_EQ(Run("PLOTREX_SLOPE_VALUE", "512"), 1);
    EXPECT_EQ(State("PLOTREX_SLOPE_PLUS"), std::pair(false, true));
    EXPECT_EQ(Run("PLOTREX_SLOPE_PLUS"), 1);
    EXPECT_DOUBLE_EQ(Slope(), 1024.0);
    EXPECT_EQ(State("PLOTREX_SLOPE_PLUS"), std::pair(false, false));
    EXPECT_EQ(Run("PLOTREX_SLOPE_PLUS"), 1);
    EXPECT_DOUBLE_EQ(Slope(), 1024.0);
    EXPECT_EQ(Run("PLOTREX_SLOPE_MOINS"), 1);
    EXPECT_DOUBLE_EQ(Slope(), 512.0);
    // Not a number: atoi's 0, refused.
    EXPECT_EQ(Run("PLOTREX_SLOPE_VALUE", "steep"), 1);
    EXPECT_DOUBLE_EQ(Slope(), 512.0);
    EXPECT_EQ(Run("PLOTREX_SCALE_VALUE", "deep"), 1);
    EXPECT_EQ(Level(), 3);
    // Numbers beyond 16 bits are clamped, not wrapped (65539 would wrap to 3,
    // -65530 to 6).
    wide.extent.maxX = 1.0;
    EXPECT_EQ(Run("PLOTREX_SCALE_VALUE", "65539"), 1);
    EXPECT_EQ(Level(), 15);
    EXPECT_EQ(Run("PLOTREX_SCALE_VALUE", "-65530"), 1);
    EXPECT_EQ(Level(), 3);
    // The offered values are all accepted.
    for (const char* value : CommandVocabulary::ParameterTexts("PLOTREX_SLOPE_VALUE")) {
        Run("PLOTREX_SLOPE_VALUE", value);
        EXPECT_EQ(State("PLOTREX_SLOPE_VALUE", value).first, true) << value;
    }
}

TEST_F(OrganizerCommands, ShowHideTogglesAndAnswersForTheGraphsHere) {
    EXPECT_EQ(State("PLOTREX_SHOW_HIDE", kGraphDepth), std::pair(true, true));
    EXPECT_EQ(Run("PLOTREX_SHOW_HIDE", kGraphDepth), 1);
    EXPECT_EQ(State("PLOTREX_SHOW_HIDE", kGraphDepth), std::pair(false, true));
    EXPECT_EQ(Run("PLOTREX_SHOW_HIDE", kGraphDepth), 1);
    EXPECT_EQ(State("PLOTREX_SHOW_HIDE", kGraphDepth), std::pair(true, true));
    // Not in this view: recognised, but neither enabled nor checked.
    CommandState state;
    state.argument = kGraphEtr;
    EXPECT_EQ(CommandDispatch::State(scene.organizer, "PLOTREX_SHOW_HIDE", &state), 1);
    EXPECT_FALSE(state.checked);
    EXPECT_FALSE(state.enabled);
    EXPECT_EQ(Run("PLOTREX_SHOW_HIDE", kGraphEtr), 1);
    EXPECT_EQ(Run("PLOTREX_SHOW_HIDE"), 1);
    // Centring commands are always there.
    for (const char* command :
         {"PLOTREX_CENTER_ON", "PLOTREX_CENTER_ON_PROFILE", "PLOTREX_FIT_TO_WINDOW"}) {
        EXPECT_EQ(State(command), std::pair(false, true)) << command;
    }
}

TEST_F(OrganizerCommands, ShowingAGraphCentresOnTheShip) {
    scene.Sail(300);
    scene.organizer.Update();
    Run("PLOTREX_SHOW_HIDE", kGraphTemp);
    scene.organizer.Scroll(-2000, 0);
    Run("PLOTREX_SHOW_HIDE", kGraphTemp);
    EXPECT_NEAR(scene.X().ToPixel(scene.tracker.GetDistance()), 200.0, 1e-6);
}

TEST_F(OrganizerCommands, CenterOnTheShipFitsTheSlope) {
    scene.Sail(300);
    scene.organizer.Update();
    scene.organizer.Scroll(-2000, 0);
    EXPECT_EQ(Run("PLOTREX_CENTER_ON"), 1);
    EXPECT_NEAR(scene.X().ToPixel(scene.tracker.GetDistance()), 200.0, 1e-6);
    // The depths seen (5 to 50 metres, from the wide graph) fill at most the height.
    const double height = scene.Y().ToPixel(-50.0) - scene.Y().ToPixel(-5.0);
    EXPECT_LE(height, 300.0);
    EXPECT_GT(height * 2.0, 300.0);
}

TEST_F(OrganizerCommands, OtherCommandsGoToTheGraphsInTurn) {
    scene.organizer.Shutdown();
    scene.graphs.Add(&sounder);
    scene.graphs.Add(&late);
    ASSERT_TRUE(scene.Open());
    sounder.answer = 7;
    late.answer = 9;
    scene.organizer.Draw();
    ASSERT_FALSE(scene.organizer.IsModified());
    EXPECT_EQ(Run("PLOTREX_ETR_RANGE_PLUS", "x"), 7);
    EXPECT_TRUE(scene.organizer.IsModified());
    EXPECT_EQ(late.asked.size(), 0u);
    EXPECT_EQ(State("PLOTREX_ETR_DISPLAY"), std::pair(true, true));

    // A failing graph ends the walk and counts as nothing done.
    sounder.throws = true;
    scene.organizer.Draw();
    EXPECT_EQ(scene.organizer.ExecuteCommand("PLOTREX_ETR_RANGE_PLUS", "x"), 0);
    EXPECT_FALSE(scene.organizer.IsModified());
    CommandState state;
    EXPECT_EQ(scene.organizer.GetCommandState("PLOTREX_ETR_DISPLAY", &state), 0);
    EXPECT_EQ(late.asked.size(), 0u);
    // Nobody knows it: nothing.
    sounder.throws = false;
    sounder.answer = 0;
    late.answer = 0;
    EXPECT_EQ(Run("NO_SUCH_COMMAND"), 0);
    EXPECT_EQ(State("NO_SUCH_COMMAND"), std::pair(false, false));
    EXPECT_EQ(scene.organizer.GetCommandState("PLOTREX_SCALE_PLUS", nullptr), 0);
    EXPECT_EQ(scene.organizer.ExecuteCommand(nullptr, nullptr), 0);
}

TEST_F(OrganizerCommands, CenterOnAPlaceOfTheHistoricProfile) {
    scene.organizer.Shutdown();
    std::vector<float> survey;
    for (int i = 0; i < 200; ++i) {
        survey.insert(survey.end(), {float(i * kLeg), 0.001f, float(20.0 + i * 0.1)});
    }
    historic.SetProfile(survey, 0.001, 0.0);
    scene.graphs.Add(&historic);
    ASSERT_TRUE(scene.Open());
    // Steep enough for the depths seen to be taller than the window.
    scene.organizer.SetSlope(64.0);
    const ProfilePoint& target = historic.GetSeries()->At(120);
    char argument[64];
    std::snprintf(argument, sizeof argument, "%.9f %.9f", target.position.First(),
                  target.position.Second());
    EXPECT_EQ(Run("PLOTREX_CENTER_ON_PROFILE", argument), 1);
    EXPECT_NEAR(scene.X().ToPixel(target.distance), 200.0, 1e-3);
    EXPECT_NEAR(scene.Y().ToPixel(target.value), 150.0, 1e-3);
    // A text that is not two numbers moves nothing.
    const double origin = scene.X().origin;
    EXPECT_EQ(Run("PLOTREX_CENTER_ON_PROFILE", "north"), 1);
    EXPECT_EQ(scene.X().origin, origin);
}
