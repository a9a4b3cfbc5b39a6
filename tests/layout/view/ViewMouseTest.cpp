// The profile view driven as a user drives it: dragging, the wheel, holding
// the button near an edge, leaving the window, resizing, and the cursors.
#include <gtest/gtest.h>

#include "tests/layout/view/ViewHost.h"
#include "tests/support/ImageCompare.h"

using namespace viewtest;

namespace {

// A voyage long enough to scroll both ways without reaching its ends, with the
// view in the middle of it.
class ViewMouseTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host.managerReady);
        host.Sail(1000);
        ASSERT_TRUE(host.Open());
        const RECT client = host.ViewClient();
        width = client.right;
        height = client.bottom;
        host.Organizer().CenterOn(host.Distance() / 2.0, -50.0);
        host.desktop.AdvanceClock(100);  // the timer shows the change
        // The pointer starts off every window.
        host.desktop.MoveMouse(POINT{10, 10});
    }

    POINT Client(int x, int y) const { return host.Screen(POINT{x, y}); }
    // Pixel of the track's middle: moves with the graphs.
    double Mark() { return host.PixelOf(host.Distance() / 2.0); }
    Image Capture() {
        const PixelImage shot = host.desktop.CaptureWindow(host.View());
        return ImageFromPixels(shot.pixels.data(), shot.width, shot.height, shot.width * 4, true);
    }

    ViewHost host;
    int width = 0;
    int height = 0;
};

}  // namespace

TEST_F(ViewMouseTest, TheGraphsFollowTheHandWhileTheButtonIsHeld) {
    host.desktop.MoveMouse(Client(400, 240));
    const double before = Mark();
    host.desktop.PressButton(MouseButton::Left, Client(400, 240));
    host.desktop.MoveMouse(Client(405, 240));
    EXPECT_NEAR(Mark() - before, 5.0, 1e-6);  // the origin went 5 pixels back
    host.desktop.MoveMouse(Client(402, 240));
    EXPECT_NEAR(Mark() - before, 2.0, 1e-6);
    host.desktop.ReleaseButton(MouseButton::Left, Client(402, 240));
    // Without the button the mouse only points.
    host.desktop.MoveMouse(Client(450, 240));
    host.desktop.AdvanceClock(500);
    EXPECT_NEAR(Mark() - before, 2.0, 1e-6);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(ViewMouseTest, ADragEndsWhenTheCaptureIsLost) {
    host.desktop.PressButton(MouseButton::Left, Client(400, 240));
    host.desktop.MoveMouse(Client(410, 240));
    const double before = Mark();
    ::ReleaseCapture();  // taken away, the release will not come here
    host.desktop.MoveMouse(Client(430, 240));
    host.desktop.MoveMouse(Client(440, 240));
    EXPECT_NEAR(Mark(), before, 1e-6);
}

TEST_F(ViewMouseTest, TheWheelZoomsAndAtTheLastLevelStillRedraws) {
    // Ten metres to the pixel at level 15, so that the voyage allows every level.
    host.data.CloseView();
    ASSERT_TRUE(host.Open(10.0, 15));
    ASSERT_EQ(host.Execute("PLOTREX_SCALE_VALUE", "14"), 1);
    ASSERT_EQ(host.Organizer().GetLevel(), 14);

    host.desktop.TurnWheel(Client(400, 240), -WHEEL_DELTA);  // toward the user
    EXPECT_EQ(host.Organizer().GetLevel(), 15);
    const int presents = host.Presents();
    host.desktop.TurnWheel(Client(400, 240), -WHEEL_DELTA);
    EXPECT_EQ(host.Organizer().GetLevel(), 15);
    EXPECT_EQ(host.Presents(), presents + 1);

    host.desktop.TurnWheel(Client(400, 240), WHEEL_DELTA);  // away: zoom in
    EXPECT_EQ(host.Organizer().GetLevel(), 14);
    // A double notch is still one step.
    host.desktop.TurnWheel(Client(400, 240), 2 * WHEEL_DELTA);
    EXPECT_EQ(host.Organizer().GetLevel(), 13);
}

TEST_F(ViewMouseTest, HoldingTheButtonNearAnEdgeScrollsUntilRelease) {
    const POINT nearRight = Client(width - 10, height / 2);
    host.desktop.MoveMouse(nearRight);
    host.desktop.PressButton(MouseButton::Left, nearRight);
    const double start = Mark();
    for (int tick = 1; tick <= 3; ++tick) {
        host.desktop.AdvanceClock(100);
        // (790 - 400) / 10 is 39 pixels: held to 32, away from the right edge.
        EXPECT_NEAR(Mark(), start - 32.0 * tick, 1e-6) << tick;
    }
    // Closer to the middle it goes slower; the move itself is a step.
    host.desktop.MoveMouse(Client(width / 2 + 150, height / 2));
    EXPECT_NEAR(Mark(), start - 96.0 - 15.0, 1e-6);
    host.desktop.AdvanceClock(100);
    EXPECT_NEAR(Mark(), start - 96.0 - 30.0, 1e-6);

    host.desktop.ReleaseButton(MouseButton::Left, Client(width / 2 + 150, height / 2));
    const double released = Mark();
    host.desktop.AdvanceClock(1000);
    EXPECT_NEAR(Mark(), released, 1e-6);
}

TEST_F(ViewMouseTest, EdgeScrollingStopsWhenTheCaptureIsLost) {
    const POINT nearLeft = Client(10, height / 2);
    host.desktop.PressButton(MouseButton::Left, nearLeft);
    host.desktop.AdvanceClock(100);
    const double scrolled = Mark();
    ::ReleaseCapture();
    host.desktop.AdvanceClock(500);
    EXPECT_NEAR(Mark(), scrolled, 1e-6);
}

TEST_F(ViewMouseTest, LeavingTheWindowTakesTheHoverMarksAwayWithinASecond) {
    const Image without = Capture();
    host.desktop.MoveMouse(Client(300, 200));
    host.desktop.AdvanceClock(100);
    EXPECT_EQ(host.Organizer().GetHoverPoint().x, 300);
    ASSERT_FALSE(CompareImages(Capture(), without, {}).Passed({}));  // set-square and markers

    host.desktop.MoveMouse(POINT{5, 5});  // off every window
    host.desktop.AdvanceClock(1000);
    EXPECT_TRUE(IsNoPoint(host.Organizer().GetHoverPoint()));
    EXPECT_TRUE(CompareImages(Capture(), without, {}).Passed({}));
}

TEST_F(ViewMouseTest, ARightClickFixesTheAnchorWithoutRedrawing) {
    host.desktop.MoveMouse(Client(300, 200));
    host.desktop.AdvanceClock(200);
    const int presents = host.Presents();
    host.desktop.PressButton(MouseButton::Right, Client(300, 200));
    host.desktop.ReleaseButton(MouseButton::Right, Client(300, 200));
    EXPECT_EQ(host.Organizer().GetFixedPoint().x, 300);
    EXPECT_EQ(host.Organizer().GetFixedPoint().y, 200);
    EXPECT_EQ(host.Presents(), presents);
    // Pointing elsewhere gives the anchor back to the mouse.
    host.desktop.MoveMouse(Client(320, 200));
    EXPECT_TRUE(IsNoPoint(host.Organizer().GetFixedPoint()));
}

TEST_F(ViewMouseTest, ATinyWindowStillGetsA32By32Surface) {
    ::MoveWindow(host.View(), 0, 0, 10, 10, TRUE);
    SIZE size = host.Organizer().GetDeviceSize();
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 32);
    ::MoveWindow(host.View(), 0, 0, 300, 20, TRUE);
    size = host.Organizer().GetDeviceSize();
    EXPECT_EQ(size.cx, 300);
    EXPECT_EQ(size.cy, 32);
}

TEST_F(ViewMouseTest, RepaintsOnlyWhenSomethingChanged) {
    host.desktop.AdvanceClock(300);
    const int presents = host.Presents();
    host.desktop.AdvanceClock(1000);
    EXPECT_EQ(host.Presents(), presents);
    // The ship moves: the next tick of the timer draws it.
    host.Sail(1);
    host.desktop.AdvanceClock(100);
    EXPECT_EQ(host.Presents(), presents + 1);
}

namespace {

struct ZoneProbe {
    POINT client;  // in an 800 x 480 view
    CursorPair expected;
};

// Near the edges the zone of the point decides; away from them, the cross.
constexpr ZoneProbe kProbes[] = {
    {{400, 5}, kCursorsTop},           {{300, 5}, kCursorsTop},      {{200, 5}, kCursorsTopLeft},
    {{790, 5}, kCursorsTopRight},      {{795, 240}, kCursorsRight},  {{795, 100}, kCursorsTopRight},
    {{790, 475}, kCursorsBottomRight}, {{400, 475}, kCursorsBottom}, {{5, 475}, kCursorsBottomLeft},
    {{5, 240}, kCursorsLeft},          {{5, 5}, kCursorsTopLeft},    {{400, 100}, kCursorsCentre},
    {{100, 100}, kCursorsCentre},      {{32, 240}, kCursorsCentre},  {{31, 240}, kCursorsLeft},
};

}  // namespace

TEST_F(ViewMouseTest, CursorsOfTheZonesByDayAndByNight) {
    ASSERT_EQ(width, 800);
    ASSERT_EQ(height, 480);
    for (short mode : {0, 1, 2}) {
        host.data.SetDayNightMode(mode);
        for (const ZoneProbe& probe : kProbes) {
            host.desktop.MoveMouse(POINT{10, 10});
            host.desktop.MoveMouse(Client(probe.client.x, probe.client.y));
            const int expected = mode == 2 ? probe.expected.night : probe.expected.day;
            EXPECT_EQ(host.desktop.CurrentCursorId(), expected)
                << probe.client.x << "," << probe.client.y << " mode " << mode;
            // The picture comes with the cursor.
            EXPECT_NE(host.desktop.GetCursorImage(::GetCursor()), nullptr);
        }
    }
}

TEST_F(ViewMouseTest, EdgeScrollingShowsTheArrowOfTheEdgeEvenBeyondIt) {
    host.desktop.PressButton(MouseButton::Left, Client(width - 5, height / 2));
    EXPECT_EQ(host.desktop.CurrentCursorId(), kCursorsRight.day);
    host.desktop.MoveMouse(Client(width + 40, height / 2));  // past the edge, still held
    host.desktop.AdvanceClock(100);
    EXPECT_EQ(host.desktop.CurrentCursorId(), kCursorsRight.day);
    host.desktop.ReleaseButton(MouseButton::Left, Client(width + 40, height / 2));
}
