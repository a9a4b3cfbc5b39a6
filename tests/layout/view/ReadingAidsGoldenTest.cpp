// Whole frames with the echogram's reading aids: each colour scale in each
// light with its colour bar, a gain and threshold set, the colour bar beside
// the profile view's echogram, and the shallow-water warning ahead.
#include <gtest/gtest.h>

#include <string>

#include "module/CommandNames.h"
#include "module/GraphKeys.h"
#include "tests/layout/view/PixelHost.h"
#include "tests/support/ImageCompare.h"

using namespace viewtest;

namespace {

constexpr CompareOptions kFrame = kTextTolerance;
constexpr RECT kLandscape{100, 50, 740, 450};

bool Checked(ViewHost& host, const char* command, const char* argument) {
    CommandState state;
    state.argument = argument;
    return host.State(command, &state) != 0 && state.checked;
}

}  // namespace

// Dual frequency, the colour bar right of each pane's echoes: one frame per
// scale and light, the sweeps coloured again at each change.
TEST(ReadingAidsGolden, EachScaleInEachLight) {
    PixelHost pixel(kLandscape, 5, 1);
    pixel.Sail(240);
    ASSERT_TRUE(pixel.Open());
    ASSERT_EQ(pixel.host.Execute(kCommandShowHide, kGraphColourBar), 1);
    const char* const lights[] = {"day", "dusk", "night"};
    for (const EchoColourScaleName& scale : kEchoColourScales) {
        ASSERT_EQ(pixel.host.Execute(kCommandEtrColours, scale.parameter), 1);
        EXPECT_TRUE(Checked(pixel.host, kCommandEtrColours, scale.parameter));
        for (short light = 0; light < 3; ++light) {
            pixel.host.data.SetDayNightMode(light);
            const std::string name =
                std::string("reading/") + scale.name + "-" + lights[light] + ".png";
            EXPECT_TRUE(MatchesGolden(pixel.Frame(), name, kFrame)) << name;
        }
    }
}

// Gain up three levels and the threshold at 6: weak echoes stronger, the
// weakest hidden, both in the captions.
TEST(ReadingAidsGolden, GainAndThreshold) {
    PixelHost pixel(kLandscape, 1, 1);
    pixel.Sail(240);
    ASSERT_TRUE(pixel.Open());
    pixel.host.Execute(kCommandShowHide, kGraphColourBar);
    for (int i = 0; i < 3; ++i) {
        pixel.host.Execute(kCommandEtrGainPlus);
    }
    for (int i = 0; i < 6; ++i) {
        pixel.host.Execute(kCommandEtrThresholdPlus);
    }
    EXPECT_TRUE(Checked(pixel.host, kCommandEtrGainPlus, nullptr));
    EXPECT_TRUE(MatchesGolden(pixel.Frame(), "reading/gain-threshold.png", kFrame));
}

// The profile view: the colour bar beside the newest sweeps, labelled with
// the strengths of a recording, and the warning of shallow water ahead.
TEST(ReadingAidsGolden, ProfileViewColourBarAndShallowWater) {
    PixelHost pixel(kLandscape, 5, 1);
    pixel.host.data.SetMode(0);
    pixel.Sail(200);
    ASSERT_TRUE(pixel.host.Open());
    pixel.Sail(40);
    pixel.host.Execute("PLOTREX_CENTER_ON");
    if (!Checked(pixel.host, kCommandShowHide, kGraphPrevision)) {
        pixel.host.Execute(kCommandShowHide, kGraphPrevision);
    }
    pixel.host.Execute(kCommandShowHide, kGraphColourBar);
    ASSERT_EQ(pixel.host.Execute(kCommandEtrLevelStrengths,
                                 "0 37 47 58 69 81 94 107 121 136 152 169 187 206 226 246"),
              1);
    // Refused: nothing changes.
    EXPECT_EQ(pixel.host.Execute(kCommandShallowWarning, "240 deep"), 0);
    EXPECT_FALSE(Checked(pixel.host, kCommandShallowWarning, nullptr));
    ASSERT_EQ(pixel.host.Execute(kCommandShallowWarning, "240 3.5"), 1);
    EXPECT_TRUE(Checked(pixel.host, kCommandShallowWarning, nullptr));
    EXPECT_TRUE(MatchesGolden(pixel.Frame(), "reading/profile-bar-shallow.png", kFrame));
    // Cleared, the banner goes.
    ASSERT_EQ(pixel.host.Execute(kCommandShallowWarning, ""), 1);
    EXPECT_FALSE(Checked(pixel.host, kCommandShallowWarning, nullptr));
}
