// The profile view with the echogram under the profile, as the module opens
// it, in day and night colours.
#include <gtest/gtest.h>

#include "module/CommandNames.h"
#include "tests/layout/view/ViewHost.h"
#include "tests/support/ImageCompare.h"

using namespace viewtest;

TEST(EchogramView, DayAndNight) {
    ViewHost host(true, RECT{100, 50, 740, 450}, true);
    host.Sail(200);
    ASSERT_TRUE(host.Open(2.0));
    host.Sail(60);
    host.Execute("PLOTREX_CENTER_ON");
    host.desktop.MoveMouse(POINT{5, 5});
    const auto frame = [&host] {
        ::InvalidateRect(host.View(), nullptr, TRUE);
        host.desktop.AdvanceClock(100);
        const PixelImage shot = host.desktop.CaptureWindow(host.View());
        return ImageFromPixels(shot.pixels.data(), shot.width, shot.height, shot.width * 4, true);
    };
    EXPECT_TRUE(MatchesGolden(frame(), "view/echogram-day.png", kTextTolerance));
    host.data.SetDayNightMode(2);
    EXPECT_TRUE(MatchesGolden(frame(), "view/echogram-night.png", kTextTolerance));
}
