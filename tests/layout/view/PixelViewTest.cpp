// The pixel view as the module makes it in display mode 1: its areas for the
// sounder's panes and the window's shape, its commands, and its life between
// the module's open and close.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "drawing/PlotrexDisplay.h"
#include "module/CommandState.h"
#include "tests/layout/view/PixelHost.h"

using namespace viewtest;

namespace {

bool SameRect(RECT a, RECT b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(RECT r) {
    std::ostringstream text;
    text << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
    return text.str();
}

RECT HostRect(int width, int height) {
    return RECT{100, 50, 100 + width, 50 + height};
}

}  // namespace

TEST(PixelView, AreasFollowTheSoundersPanesAndTheWindowsShape) {
    constexpr RECT kNone{0, 0, 0, 0};
    const struct Case {
        const char* name;
        short frequency, zoom;
        int width, height;
        RECT first, second;
        bool sideBySide;
    } cases[] = {
        {"HF alone fills the window", 1, 1, 800, 480, {0, 0, 800, 480}, kNone, true},
        {"LF alone, portrait", 3, 1, 300, 500, {0, 0, 300, 500}, kNone, true},
        {"dual frequency, landscape: the second on the left half",
         5,
         1,
         800,
         480,
         {400, 0, 800, 480},
         {0, 0, 400, 480},
         true},
        {"odd width: the halves lose the odd pixel",
         2,
         1,
         801,
         480,
         {400, 0, 800, 480},
         {0, 0, 400, 480},
         true},
        {"square: stacked, the first on top",
         5,
         1,
         480,
         480,
         {0, 0, 480, 240},
         {0, 240, 480, 480},
         false},
        {"LF marker zoom, portrait", 4, 3, 400, 601, {0, 0, 400, 300}, {0, 300, 400, 600}, false},
        {"HF with bottom zoom", 1, 2, 640, 400, {320, 0, 640, 400}, {0, 0, 320, 400}, true},
    };
    for (const Case& c : cases) {
        PixelHost pixel(HostRect(c.width, c.height), c.frequency, c.zoom);
        ASSERT_TRUE(pixel.Open()) << c.name;
        PlotrexViewPixel* view = pixel.View();
        ASSERT_NE(view, nullptr) << c.name;
        pixel.Frame();
        EXPECT_TRUE(SameRect(view->GetFirstArea(), c.first))
            << c.name << ": " << Text(view->GetFirstArea());
        EXPECT_TRUE(SameRect(view->GetSecondArea(), c.second))
            << c.name << ": " << Text(view->GetSecondArea());
        EXPECT_EQ(view->HasSecondArea(), !SameRect(c.second, kNone)) << c.name;
        if (view->HasSecondArea()) {
            EXPECT_EQ(view->IsSideBySide(), c.sideBySide) << c.name;
        }
    }
}

TEST(PixelView, TheAreasChangeWithTheSoundersModeAndSurviveTinyWindows) {
    PixelHost pixel(HostRect(640, 400), 1, 1);
    pixel.Sail(5);
    ASSERT_TRUE(pixel.Open());
    PlotrexViewPixel& view = *pixel.View();
    pixel.Frame();
    EXPECT_FALSE(view.HasSecondArea());
    // The sounder switched to dual frequency (on its own panel, say): the
    // next paint shows two panes.
    pixel.sounder.frequency = 5;
    pixel.Frame();
    EXPECT_TRUE(view.HasSecondArea());
    EXPECT_TRUE(SameRect(view.GetSecondArea(), RECT{0, 0, 320, 400}));
    // Below the smallest surface, and down to nothing: drawn without harm.
    for (const SIZE size : {SIZE{20, 10}, SIZE{1, 1}, SIZE{0, 0}}) {
        ::MoveWindow(pixel.host.View(), 0, 0, size.cx, size.cy, TRUE);
        pixel.Frame();
        const RECT first = view.GetFirstArea();
        EXPECT_LE(first.right, size.cx);
        EXPECT_LE(first.bottom, size.cy);
    }
}

TEST(PixelView, ShowHideTogglesBothAScopesAndTheTemperature) {
    PixelHost pixel(HostRect(640, 400), 5, 1);
    ASSERT_TRUE(pixel.Open());
    PlotrexViewPixel& view = *pixel.View();
    ViewHost& host = pixel.host;
    auto shown = [&](const char* graph) {
        CommandState state;
        state.argument = graph;
        EXPECT_EQ(host.State("PLOTREX_SHOW_HIDE", &state), 1) << graph;
        return std::make_pair(bool(state.enabled), bool(state.checked));
    };
    EXPECT_EQ(shown("PLOTREX_DATA_ASCOPE"), std::make_pair(true, true));
    EXPECT_EQ(shown("PLOTREX_DATA_TEMP"), std::make_pair(true, true));
    // The graphs this view does not show or hide.
    EXPECT_EQ(shown("PLOTREX_DATA_DEPTH"), std::make_pair(false, false));
    EXPECT_EQ(shown("PLOTREX_DATA_ETR"), std::make_pair(false, false));

    const struct Step {
        const char* graph;
        LRESULT result;
        bool aScopes;
        bool temperature;
    } steps[] = {
        {"PLOTREX_DATA_ASCOPE", 1, false, true}, {"PLOTREX_DATA_TEMP", 1, false, false},
        {"PLOTREX_DATA_ASCOPE", 1, true, false}, {"PLOTREX_DATA_DEPTH", 0, true, false},
        {"PLOTREX_DATA_TEMP", 1, true, true},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(host.Execute("PLOTREX_SHOW_HIDE", step.graph), step.result) << step.graph;
        EXPECT_EQ(view.GetAScopeDisplay(0)->IsVisible(), step.aScopes) << step.graph;
        EXPECT_EQ(view.GetAScopeDisplay(1)->IsVisible(), step.aScopes) << step.graph;
        EXPECT_EQ(view.GetTemperatureDisplay()->IsVisible(), step.temperature) << step.graph;
    }
    // A state message without a record answers nothing.
    EXPECT_EQ(host.State("PLOTREX_SHOW_HIDE", nullptr), 0);
    EXPECT_EQ(host.State("PLOTREX_ETR_DISPLAY", nullptr), 0);
}

TEST(PixelView, SounderCommandsReachTheEchogramsGraph) {
    PixelHost pixel(HostRect(640, 400), 1, 1);
    ASSERT_TRUE(pixel.Open());
    ViewHost& host = pixel.host;
    EXPECT_NE(host.Execute("PLOTREX_ETR_DISPLAY", "PLOTREX_ETR_DUALFREQ_PARAM"), 0);
    ASSERT_EQ(pixel.sounder.modeCalls.size(), 1U);
    EXPECT_EQ(FakeSounder::Decode(pixel.sounder.modeCalls[0]), std::make_pair(5, 1));
    CommandState state;
    state.argument = "PLOTREX_ETR_SINGLEFREQ_PARAM";
    EXPECT_NE(host.State("PLOTREX_ETR_DISPLAY", &state), 0);
    EXPECT_TRUE(state.enabled);
    EXPECT_TRUE(state.checked);
    // Layout commands belong to the profile view.
    EXPECT_EQ(host.Execute("PLOTREX_SCALE_PLUS"), 0);
}

TEST(PixelView, TheModuleOpensClosesAndRemembersThePixelView) {
    PixelHost pixel(HostRect(640, 400), 5, 1);
    ModuleDataPlotrex& data = pixel.host.data;
    EXPECT_EQ(data.GetMode(), 1);
    ASSERT_TRUE(pixel.Open());
    ASSERT_NE(pixel.View(), nullptr);
    EXPECT_EQ(data.GetViewOrganizer(), nullptr);
    double out[4] = {0.0, 0.0, 0.0, 0.0};
    EXPECT_FALSE(data.GetAnchorDepthAndImmersion(&out[0], &out[1], &out[2], &out[3]));
    for (const double value : out) {
        EXPECT_EQ(value, kUndefined);
    }
    EXPECT_FALSE(data.GetAnchorPosition(&out[0], &out[1]));
    data.SetDayNightMode(2);
    pixel.Frame();
    data.SetDayNightMode(0);

    // Hidden A-scopes stay hidden through a close and an open.
    pixel.host.Execute("PLOTREX_SHOW_HIDE", "PLOTREX_DATA_ASCOPE");
    data.CloseView();
    EXPECT_EQ(data.GetPixelView(), nullptr);
    EXPECT_EQ(pixel.host.View(), nullptr);
    ASSERT_TRUE(pixel.Open());
    EXPECT_FALSE(pixel.View()->GetAScopeDisplay(0)->IsVisible());
    EXPECT_FALSE(pixel.View()->GetAScopeDisplay(1)->IsVisible());
    EXPECT_TRUE(pixel.View()->GetTemperatureDisplay()->IsVisible());

    // The other kind of view after a change of mode.
    data.CloseView();
    data.SetMode(0);
    ASSERT_TRUE(pixel.Open());
    EXPECT_EQ(data.GetPixelView(), nullptr);
    EXPECT_NE(data.GetViewOrganizer(), nullptr);
}

TEST(PixelView, WithoutTheEchogramModeOneFallsBackOnTheProfileView) {
    ViewHost host;
    host.data.SetMode(1);
    EXPECT_EQ(host.data.GetMode(), 0);
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(host.data.GetPixelView(), nullptr);
    EXPECT_NE(host.data.GetViewOrganizer(), nullptr);
}
