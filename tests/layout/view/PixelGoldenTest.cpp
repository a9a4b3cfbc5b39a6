// Whole frames with the echo-sounder: the profile view with the A-scope
// beside the ship, and the pixel view in the sounder's display modes, after
// a voyage of pings made up over the test bottom.
#include <gtest/gtest.h>

#include "tests/layout/view/PixelHost.h"
#include "tests/support/ImageCompare.h"

using namespace viewtest;

namespace {

constexpr CompareOptions kFrame = kTextTolerance;
constexpr RECT kLandscape{100, 50, 740, 450};
constexpr RECT kPortrait{100, 50, 500, 530};

// The pixel view after the voyage, in the sounder's (frequency, zoom) mode.
Image PixelFrame(RECT rect, short frequency, short zoom, DWORD silence = 0) {
    PixelHost pixel(rect, frequency, zoom);
    pixel.Sail(240);
    EXPECT_TRUE(pixel.Open());
    pixel.host.desktop.AdvanceClock(silence);
    return pixel.Frame();
}

}  // namespace

TEST(PixelGolden, ProfileViewWithTheAScopeBesideTheShip) {
    PixelHost pixel(kLandscape, 5, 1);
    pixel.host.data.SetMode(0);
    pixel.Sail(200);
    ASSERT_TRUE(pixel.host.Open());
    pixel.Sail(40);
    pixel.host.Execute("PLOTREX_CENTER_ON");
    EXPECT_TRUE(MatchesGolden(pixel.Frame(), "pixel/profile-ascope.png", kFrame));
}

TEST(PixelGolden, OnePane) {
    EXPECT_TRUE(MatchesGolden(PixelFrame(kLandscape, 1, 1), "pixel/one-pane.png", kFrame));
}

TEST(PixelGolden, DualFrequencySideBySide) {
    EXPECT_TRUE(MatchesGolden(PixelFrame(kLandscape, 5, 1), "pixel/dual-side-by-side.png", kFrame));
}

TEST(PixelGolden, DualFrequencyStacked) {
    EXPECT_TRUE(MatchesGolden(PixelFrame(kPortrait, 5, 1), "pixel/dual-stacked.png", kFrame));
}

TEST(PixelGolden, BottomLockZoomPane) {
    EXPECT_TRUE(MatchesGolden(PixelFrame(kLandscape, 2, 1), "pixel/bottom-lock.png", kFrame));
}

TEST(PixelGolden, NoSweepAfterTenSecondsOfSilence) {
    EXPECT_TRUE(MatchesGolden(PixelFrame(kLandscape, 1, 1, 10001), "pixel/no-sweep.png", kFrame));
}

// The largest labels, stacked: each depth scale thinned, and the legend's
// mode and temperature over depths that give way to them.
TEST(PixelGolden, DualFrequencyStackedLargestLabels) {
    PixelHost pixel(kPortrait, 5, 1);
    pixel.host.data.SetLabelSize(3);
    pixel.Sail(240);
    ASSERT_TRUE(pixel.Open());
    EXPECT_TRUE(MatchesGolden(pixel.Frame(), "pixel/dual-stacked-labels-3.png", kFrame));
}
