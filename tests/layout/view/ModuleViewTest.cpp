// The module data object's view: created in the host's window, opened with
// the saved layout, driven by the command messages, closed with its layout
// saved; the day/night mode, label size and anchor queries that go with it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "drawing/PlotrexDisplay.h"
#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "module/ModuleDisplay.h"
#include "tests/layout/view/ViewHost.h"
#include "units/UnitConversion.h"

using namespace viewtest;

namespace {

class ModuleViewTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(host.managerReady); }
    std::string Saved(const char* key) {
        return host.profile.App().GetProfileString(kDisplaySection, key, "absent");
    }

    ViewHost host;
};

}  // namespace

TEST_F(ModuleViewTest, TheViewFillsTheMainWindowAndTheHostFindsIt) {
    EXPECT_EQ(host.data.GetViewWindow(), nullptr);
    host.data.CreateViewForMode();
    const HWND view = host.data.GetViewWindow();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(::GetParent(view), host.mainWindow.m_hWnd);
    EXPECT_TRUE(::IsWindowVisible(view));
    RECT client{};
    ::GetClientRect(view, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_TRUE(CWnd::FromHandle(view)->IsKindOf(RUNTIME_CLASS(PlotrexView)));
    EXPECT_NE(host.data.GetViewOrganizer(), nullptr);

    host.data.CloseView();
    EXPECT_FALSE(::IsWindow(view));
    EXPECT_EQ(host.data.GetViewWindow(), nullptr);
    EXPECT_EQ(host.data.GetViewOrganizer(), nullptr);
}

TEST(ModuleViewWithoutMainWindow, TheViewIsATopLevelWindowOfTheDesktop) {
    ViewHost host(false);
    host.data.CreateViewForMode();
    ASSERT_NE(host.View(), nullptr);
    EXPECT_EQ(::GetParent(host.View()), nullptr);
    ASSERT_TRUE(host.data.OpenView(&host.manager, Radians(10.0), 7));
}

TEST(ModuleViewWithoutDesktop, NoWindowMeansNoView) {
    TestProfile profile;
    FakeDataSource source;
    ModuleDataPlotrex data;
    data.Initialize(&source, nullptr, nullptr, nullptr, 0);
    data.CreateViewForMode();
    EXPECT_FALSE(data.HasView());
    EXPECT_FALSE(data.OpenView(nullptr, 1e-6, 7));
    data.Terminate();
}

TEST_F(ModuleViewTest, ADeviceThatCannotBeHadIsAFailedOpening) {
    std::unique_ptr<ModuleDisplay> chart(host.data.CreateDisplay());
    DXDesktopDeviceManager notInitialised;
    host.data.CreateViewForMode();
    EXPECT_FALSE(host.data.OpenView(&notInitialised, Radians(10.0), 7));
    EXPECT_FALSE(chart->IsVisible());
    // Closing it keeps the saved layout: there was none to save.
    host.data.CloseView();
    EXPECT_EQ(Saved("ORGANIZER_LEVEL"), "absent");
    EXPECT_FALSE(host.data.HasView());
}

TEST_F(ModuleViewTest, OpeningShowsTheDisplaysAndTheShipsTrack) {
    std::unique_ptr<ModuleDisplay> chart(host.data.CreateDisplay());
    host.Sail(200);
    ASSERT_TRUE(host.Open());
    EXPECT_TRUE(chart->IsVisible());
    PlotrexOrganizer& organizer = host.Organizer();
    // Mode 0: the depth is the main graph, the ship is followed.
    EXPECT_EQ(organizer.GetMainType(), kGraphDepth);
    EXPECT_EQ(organizer.GetTracker(), host.data.GetDistanceTracker(0));
    // Temperature, depth, forecast, historic profile, vessel and trawl.
    EXPECT_EQ(organizer.GetDisplays().size(), 6U);
    EXPECT_EQ(organizer.GetLevel(), 7);
    EXPECT_DOUBLE_EQ(organizer.GetSlope(), 4.0);
    EXPECT_GT(host.Presents(), 0);
    // The ship's end of the track is on screen.
    const double ship = host.PixelOf(host.Distance());
    EXPECT_GE(ship, 0.0);
    EXPECT_LE(ship, 800.0);

    // A second opening changes nothing.
    EXPECT_TRUE(host.data.OpenView(&host.manager, Radians(10.0), 7));
    EXPECT_EQ(organizer.GetDisplays().size(), 6U);

    host.data.CloseView();
    EXPECT_FALSE(chart->IsVisible());
    // The displays went back to their graphs.
    EXPECT_TRUE(host.data.GetGraphs().GetData(kGraphDepth)->GetDisplays().empty());
}

TEST_F(ModuleViewTest, TheLayoutSurvivesClosingAndOpeningThroughTheProfile) {
    host.Sail(300);
    ASSERT_TRUE(host.Open());
    ASSERT_EQ(host.Execute("PLOTREX_SCALE_VALUE", "6"), 1);
    ASSERT_EQ(host.Execute("PLOTREX_SLOPE_VALUE", "16"), 1);
    host.data.CloseView();
    EXPECT_EQ(Saved("ORGANIZER_LEVEL"), "6");
    EXPECT_EQ(std::stod(Saved("ORGANIZER_SLOPE")), 16.0);
    EXPECT_NE(Saved("ORGANIZER_FIRSTPOS_X"), "absent");
    EXPECT_NE(Saved("ORGANIZER_FIRSTPOS_Y"), "absent");

    // As the next run of the host would find it.
    host.profile.Reload();
    host.profile.App().m_pMainWnd = &host.mainWindow;
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(host.Organizer().GetLevel(), 6);
    EXPECT_DOUBLE_EQ(host.Organizer().GetSlope(), 16.0);
}

TEST_F(ModuleViewTest, AViewThatNeverOpenedLeavesTheSavedLayoutAlone) {
    host.profile.App().WriteProfileString(kDisplaySection, "ORGANIZER_LEVEL", "9");
    host.data.CreateViewForMode();
    host.data.CloseView();
    EXPECT_EQ(Saved("ORGANIZER_LEVEL"), "9");
    EXPECT_EQ(Saved("ORGANIZER_SLOPE"), "absent");
}

TEST_F(ModuleViewTest, TerminateSavesTheLayoutAndDestroysTheWindow) {
    host.Sail(50);
    ASSERT_TRUE(host.Open());
    const HWND view = host.View();
    host.Execute("PLOTREX_SCALE_VALUE", "5");
    host.data.Terminate();
    EXPECT_FALSE(::IsWindow(view));
    EXPECT_EQ(Saved("ORGANIZER_LEVEL"), "5");
}

TEST_F(ModuleViewTest, CreatingAgainReplacesTheViewAndKeepsItsLayout) {
    host.Sail(50);
    ASSERT_TRUE(host.Open());
    const HWND first = host.View();
    host.Execute("PLOTREX_SCALE_VALUE", "8");
    host.data.CreateViewForMode();
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(Saved("ORGANIZER_LEVEL"), "8");
    ASSERT_TRUE(host.data.OpenView(&host.manager, Radians(10.0), 7));
    EXPECT_EQ(host.Organizer().GetLevel(), 8);
}

TEST_F(ModuleViewTest, CommandMessagesReachTheOrganizer) {
    host.Sail(300);
    ASSERT_TRUE(host.Open());
    PlotrexOrganizer& organizer = host.Organizer();

    CommandState state;
    state.argument = kGraphDepth;
    EXPECT_EQ(host.State("PLOTREX_SHOW_HIDE", &state), 1);
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(state.checked);
    EXPECT_EQ(host.Execute("PLOTREX_SHOW_HIDE", kGraphDepth), 1);
    EXPECT_FALSE(organizer.FindDisplayByName(kGraphDepth)->IsVisible());
    EXPECT_EQ(host.State("PLOTREX_SHOW_HIDE", &state), 1);
    EXPECT_FALSE(state.checked);
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(host.Execute("PLOTREX_SHOW_HIDE", kGraphDepth), 1);
    EXPECT_TRUE(organizer.FindDisplayByName(kGraphDepth)->IsVisible());

    // Zooming out draws more distance in the same height: the slope doubles.
    EXPECT_EQ(host.Execute("PLOTREX_SCALE_MOINS"), 1);
    EXPECT_EQ(organizer.GetLevel(), 8);
    EXPECT_DOUBLE_EQ(organizer.GetSlope(), 8.0);
    EXPECT_EQ(host.Execute("PLOTREX_SLOPE_PLUS"), 1);
    EXPECT_DOUBLE_EQ(organizer.GetSlope(), 16.0);
    // A command changes the layout; the next tick of the timer shows it.
    const int presents = host.Presents();
    host.Execute("PLOTREX_SCALE_PLUS");
    host.desktop.AdvanceClock(100);
    EXPECT_EQ(host.Presents(), presents + 1);

    // Unknown commands change nothing and report nothing.
    const double origin = organizer.GetHorizontalProjection().origin;
    const double slope = organizer.GetSlope();
    EXPECT_EQ(host.Execute("PLOTREX_NO_SUCH_COMMAND", "3"), 0);
    EXPECT_EQ(host.Execute(""), 0);
    EXPECT_EQ(organizer.GetLevel(), 7);
    EXPECT_EQ(organizer.GetSlope(), slope);
    EXPECT_EQ(organizer.GetHorizontalProjection().origin, origin);
    state.checked = state.enabled = true;
    EXPECT_EQ(host.State("PLOTREX_NO_SUCH_COMMAND", &state), 0);
    EXPECT_FALSE(state.checked);
    EXPECT_FALSE(state.enabled);
    EXPECT_EQ(host.State("PLOTREX_SCALE_PLUS", nullptr), 0);
    // A graph the view does not hold is known but neither shown nor available.
    state.argument = kGraphEtr;
    EXPECT_EQ(host.State("PLOTREX_SHOW_HIDE", &state), 1);
    EXPECT_FALSE(state.enabled);
    EXPECT_FALSE(state.checked);
}

TEST_F(ModuleViewTest, LabelSizeRedrawsAtOnceOnlyWhenTheMultiplierChanges) {
    host.Sail(100);
    ASSERT_TRUE(host.Open());
    int presents = host.Presents();
    for (auto [level, multiplier, redraw] :
         {std::tuple{1, 1, false}, std::tuple{2, 2, true}, std::tuple{3, 2, false},
          std::tuple{4, 3, true}, std::tuple{7, 3, false}, std::tuple{0, 1, true}}) {
        host.data.SetLabelSize(static_cast<short>(level));
        EXPECT_EQ(gLabelFontSizeMultiplier, multiplier) << level;
        EXPECT_EQ(host.Presents(), presents + (redraw ? 1 : 0)) << level;
        presents = host.Presents();
    }
}

TEST_F(ModuleViewTest, TheNightCursorsFollowTheDayNightMode) {
    host.Sail(10);
    ASSERT_TRUE(host.Open());
    const POINT middle = host.Screen(POINT{400, 240});
    host.data.SetDayNightMode(2);
    host.desktop.MoveMouse(middle);
    EXPECT_EQ(host.desktop.CurrentCursorId(), kCursorsCentre.night);
    EXPECT_EQ(gDayNightMode, 2);
    host.data.SetDayNightMode(0);
    host.desktop.MoveMouse(POINT{middle.x + 1, middle.y});
    EXPECT_EQ(host.desktop.CurrentCursorId(), kCursorsCentre.day);
}

TEST_F(ModuleViewTest, TheAnchorGivesTheDepthAndPositionUnderIt) {
    host.Sail(300);
    ASSERT_TRUE(host.Open());
    double a = 0, b = 0, immersion = 0, depth = 0;
    // No mouse point yet: nothing under the anchor.
    EXPECT_FALSE(host.data.GetAnchorDepthAndImmersion(&a, &b, &immersion, &depth));
    EXPECT_EQ(depth, kUndefined);
    EXPECT_EQ(immersion, kUndefined);

    const POINT pointer{420, 100};
    host.desktop.MoveMouse(host.Screen(pointer));
    ASSERT_TRUE(host.data.GetAnchorDepthAndImmersion(&a, &b, &immersion, &depth));
    const double run = host.Organizer().GetHorizontalProjection().ToWorld(pointer.x);
    EXPECT_NEAR(depth, Voyage::Depth(Metres(run)), 1.0);
    EXPECT_NEAR(a, host.voyage.startLatitude + run, 1e-6);
    EXPECT_NEAR(b, host.voyage.longitude, 1e-6);
    // The immersion is the depth of the pointer itself, positive below the surface.
    const double pointed = host.Organizer().GetYProjection()->ToWorld(pointer.y);
    EXPECT_DOUBLE_EQ(immersion, -pointed);

    double lat = 0, lon = 0;
    ASSERT_TRUE(host.data.GetAnchorPosition(&lat, &lon));
    EXPECT_EQ(lat, a);
    EXPECT_EQ(lon, b);

    // Without the depth shown there is no depth under the anchor.
    host.Execute("PLOTREX_SHOW_HIDE", kGraphDepth);
    EXPECT_FALSE(host.data.GetAnchorDepthAndImmersion(&a, &b, &immersion, &depth));
    EXPECT_EQ(depth, kUndefined);
}

TEST_F(ModuleViewTest, TheTrawlReachesItsGraphAndTheProfileViewRedraws) {
    PlotrexData* trawl = host.data.GetGraphs().GetData(kGraphDReckChalut);
    ASSERT_NE(trawl, nullptr);
    host.Sail(100);
    // Without a view the graph takes the parameters all the same.
    host.data.SetTrawlValue(TrawlParameters{300.0, 60.0, 0.7, 1});
    EXPECT_NEAR(Convert(host.Distance() - trawl->GetExtent().minX, kUnitRadianOfArc, kUnitMetre),
                std::sqrt(210.0 * 210.0 - 3600), 1e-6);
    ASSERT_TRUE(host.Open());
    ASSERT_EQ(trawl->GetDisplays().size(), 1U);
    PlotrexDisplay* net = trawl->GetDisplays().front();
    EXPECT_TRUE(net->IsVisible());
    int presents = host.Presents();
    for (const bool shot : {false, true}) {
        host.data.SetTrawlValue(TrawlParameters{300.0, 60.0, 0.7, shot});
        host.desktop.PumpMessages();
        EXPECT_EQ(net->IsVisible(), shot);
        EXPECT_EQ(host.Presents(), presents + 1) << shot;
        presents = host.Presents();
    }
}

TEST_F(ModuleViewTest, TheHistoricModeShowsTheProfileAloneInAProfileView) {
    host.Sail(50);
    const std::vector<double> pass{-0.0698, 0.8290, 20.0, -0.0698, 0.8291, 24.0};
    host.data.SetHistoricProfile(pass, 0.8290, -0.0698);
    host.data.SetMode(2);
    EXPECT_EQ(host.data.GetCurrentProfile(), host.data.GetGraphs().GetData(kGraphHistoric));
    ASSERT_TRUE(host.Open());
    auto* historic =
        dynamic_cast<PlotrexDataProfileHistoric*>(host.data.GetGraphs().GetData(kGraphHistoric));
    ASSERT_NE(historic, nullptr);
    EXPECT_EQ(historic->GetMode(), 2);
    PlotrexOrganizer& organizer = host.Organizer();
    EXPECT_EQ(organizer.GetMainType(), kGraphHistoric);
    EXPECT_EQ(organizer.GetTracker(), nullptr);  // the ship is not followed
    ASSERT_EQ(organizer.GetDisplays().size(), 1U);
    EXPECT_TRUE(organizer.GetDisplays().front()->IsVisible());
    // Back in the profile view the profile is laid under the own track again.
    host.data.CloseView();
    host.data.SetMode(0);
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(host.Organizer().GetDisplays().size(), 6U);
    EXPECT_EQ(historic->GetMode(), 0);
}

// The host centres the view on a place of the earlier survey: where the
// survey is drawn, laid under the track or alone.
TEST_F(ModuleViewTest, CentringOnAPlaceOfTheSurveyFindsItWhereItIsDrawn) {
    // Surveyed north along the voyage's meridian, from 100 m to 9.9 km of the
    // voyage's run; the place is at 5 km.
    std::vector<double> survey;
    for (double run = 100.0; run <= 9900.0; run += 100.0) {
        survey.insert(survey.end(),
                      {host.voyage.longitude, host.voyage.startLatitude + Radians(run), 40.0});
    }
    const double place = host.voyage.startLatitude + Radians(5000.0);
    char argument[64];
    std::snprintf(argument, sizeof argument, "%.9f %.9f", place, host.voyage.longitude);
    host.data.SetHistoricProfile(survey, place, host.voyage.longitude);
    host.Sail(360);  // 9 km north, on the survey
    for (const int mode : {0, 2}) {
        SCOPED_TRACE(mode);
        host.data.SetMode(mode);
        ASSERT_TRUE(host.Open());
        ASSERT_EQ(host.Execute("PLOTREX_CENTER_ON_PROFILE", argument), 1);
        // Laid under the track the place is where the ship passed it; alone,
        // 4.9 km from the survey's start.
        EXPECT_NEAR(host.PixelOf(Radians(mode == 0 ? 5000.0 : 4900.0)),
                    host.ViewClient().right / 2.0, 1.0);
        host.data.CloseView();
    }
}

namespace {

// A survey run north along the voyage's meridian from 100 m to 3.1 km of its
// run, 20 m deep at the start and 80 m at the end: shorter than the window at
// the first level.
std::vector<double> ShortSurvey(const Voyage& voyage) {
    std::vector<double> survey;
    for (double run = 100.0; run <= 3100.0; run += 100.0) {
        survey.insert(survey.end(), {voyage.longitude, voyage.startLatitude + Radians(run),
                                     20.0 + 60.0 * (run - 100.0) / 3000.0});
    }
    return survey;
}

class HistoricViewTest : public ModuleViewTest {
  protected:
    void SetUp() override {
        ModuleViewTest::SetUp();
        host.data.SetMode(2);
    }
    void Paint() {
        ::InvalidateRect(host.View(), nullptr, TRUE);
        host.desktop.AdvanceClock(100);
    }
    std::string SavedHistoric(const char* key) {
        return host.profile.App().GetProfileString(kHistoricDisplaySection, key, "absent");
    }
    // The survey lies whole in the window, across at least half its width
    // and in its middle.
    double SurveyEnd() { return host.data.GetGraphs().GetData(kGraphHistoric)->GetExtent().maxX; }
    void ExpectWholeSurveyInTheMiddle() {
        const double start = host.PixelOf(0.0);
        const double end = host.PixelOf(SurveyEnd());
        EXPECT_GE(start, 0.0);
        EXPECT_LE(end, 800.0);
        EXPECT_GE(end - start, 400.0);
        EXPECT_NEAR(start, 800.0 - end, 1.0);
        const LinearPixelProjection& y = *host.Organizer().GetYProjection();
        // The profile keeps 20 pixels above and below its depths.
        EXPECT_GE(y.ToPixel(-20.0), 20.0 - 1e-6);
        EXPECT_LE(y.ToPixel(-80.0), 460.0 + 1e-6);
        // Stretched as far as the height allows: twice as much would not fit.
        EXPECT_GT(y.ToPixel(-80.0) - y.ToPixel(-20.0), 220.0);
    }
};

}  // namespace

// The historic view has no ship to follow: a first opening shows the whole
// survey; the layout the user leaves in it is its own and is kept.
TEST_F(HistoricViewTest, OpensOnTheWholeSurveyAndKeepsTheLayoutLeftInIt) {
    // The profile view's layout, in ship distances, is none of its business.
    host.profile.App().WriteProfileString(kDisplaySection, "ORGANIZER_LEVEL", "9");
    host.profile.App().WriteProfileString(kDisplaySection, "ORGANIZER_FIRSTPOS_X", "0.01");
    host.data.SetHistoricProfile(ShortSurvey(host.voyage), host.voyage.startLatitude,
                                 host.voyage.longitude);
    ASSERT_TRUE(host.Open());
    Paint();
    EXPECT_EQ(host.Organizer().GetLevel(), 6);
    ExpectWholeSurveyInTheMiddle();

    // Pushed aside, the survey stays whole in the window; a fit brings it back
    // to the middle.
    host.Organizer().Scroll(-150, 0);
    Paint();
    EXPECT_NEAR(host.PixelOf(SurveyEnd()), 800.0, 1e-6);
    ASSERT_EQ(host.Execute("PLOTREX_FIT_TO_WINDOW"), 1);
    Paint();
    ExpectWholeSurveyInTheMiddle();

    ASSERT_EQ(host.Execute("PLOTREX_SCALE_VALUE", "5"), 1);
    host.data.CloseView();
    EXPECT_EQ(SavedHistoric("ORGANIZER_LEVEL"), "5");
    EXPECT_EQ(Saved("ORGANIZER_LEVEL"), "9");
    host.profile.Reload();
    host.profile.App().m_pMainWnd = &host.mainWindow;
    ASSERT_TRUE(host.Open());
    Paint();
    EXPECT_EQ(host.Organizer().GetLevel(), 5);
}

TEST_F(HistoricViewTest, ASurveyHandedOverLaterIsFittedWhenItComes) {
    // Opened and closed before any survey came: no layout of the user's.
    ASSERT_TRUE(host.Open());
    Paint();
    host.data.CloseView();
    EXPECT_EQ(SavedHistoric("ORGANIZER_LEVEL"), "absent");
    EXPECT_EQ(SavedHistoric("PLOTREX_DATA_PROFILE_HISTORIC_visible"), "1");

    ASSERT_TRUE(host.Open());
    Paint();
    host.data.SetHistoricProfile(ShortSurvey(host.voyage), host.voyage.startLatitude,
                                 host.voyage.longitude);
    host.desktop.AdvanceClock(100);
    ExpectWholeSurveyInTheMiddle();
}

TEST_F(HistoricViewTest, ALevelChosenBeforeTheSurveyComesStands) {
    ASSERT_TRUE(host.Open());
    Paint();
    ASSERT_EQ(host.Execute("PLOTREX_SCALE_VALUE", "4"), 1);
    host.data.SetHistoricProfile(ShortSurvey(host.voyage), host.voyage.startLatitude,
                                 host.voyage.longitude);
    host.desktop.AdvanceClock(100);
    EXPECT_EQ(host.Organizer().GetLevel(), 4);
    host.data.CloseView();
    EXPECT_EQ(SavedHistoric("ORGANIZER_LEVEL"), "4");
}
