// Timers on the virtual clock.
#include <gtest/gtest.h>

#include "platform/TickCount.h"
#include "tests/platform/RecordingWindow.h"

namespace {

std::vector<UINT_PTR> TimerIds(const RecordingWindow& window) {
    std::vector<UINT_PTR> ids;
    for (const Recorded& m : window.messages) {
        if (m.message == WM_TIMER) {
            ids.push_back(m.wParam);
        }
    }
    return ids;
}

}  // namespace

TEST(Timers, FireAtTheirPeriodUntilKilled) {
    HeadlessDesktop desktop;
    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{0, 0, 10, 10}));
    EXPECT_NE(window.SetTimer(0, 100), 0u);
    desktop.AdvanceClock(99);
    EXPECT_EQ(window.Count(WM_TIMER), 0);
    desktop.AdvanceClock(1);
    EXPECT_EQ(window.Count(WM_TIMER), 1);
    desktop.AdvanceClock(450);
    EXPECT_EQ(window.Count(WM_TIMER), 5);
    EXPECT_EQ(TimerIds(window), (std::vector<UINT_PTR>(5, 0)));
    EXPECT_TRUE(window.KillTimer(0));
    EXPECT_FALSE(window.KillTimer(0));
    desktop.AdvanceClock(1000);
    EXPECT_EQ(window.Count(WM_TIMER), 5);
}

TEST(Timers, DueTogetherFireInOrderSet) {
    HeadlessDesktop desktop;
    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{0, 0, 10, 10}));
    window.SetTimer(2, 1000);
    window.SetTimer(0, 100);
    window.SetTimer(1, 100);
    desktop.AdvanceClock(1000);
    const std::vector<UINT_PTR> ids = TimerIds(window);
    ASSERT_EQ(ids.size(), 21u);
    EXPECT_EQ(ids[0], 0u);
    EXPECT_EQ(ids[1], 1u);
    // At 1000 ms the long timer was set first.
    EXPECT_EQ(ids[18], 2u);
    EXPECT_EQ(ids[19], 0u);
    EXPECT_EQ(ids[20], 1u);
}

TEST(Timers, SettingAgainRestartsAndTinyPeriodsAreRaised) {
    HeadlessDesktop desktop;
    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{0, 0, 10, 10}));
    window.SetTimer(7, 100);
    desktop.AdvanceClock(60);
    window.SetTimer(7, 100);
    desktop.AdvanceClock(60);
    EXPECT_EQ(window.Count(WM_TIMER), 0);
    desktop.AdvanceClock(40);
    EXPECT_EQ(window.Count(WM_TIMER), 1);
    window.SetTimer(8, 0);
    desktop.AdvanceClock(USER_TIMER_MINIMUM);
    EXPECT_EQ(window.Count(WM_TIMER), 2);
}

TEST(Timers, DieWithTheirWindow) {
    HeadlessDesktop desktop;
    auto window = std::make_unique<RecordingWindow>();
    ASSERT_TRUE(window->Make(nullptr, RECT{0, 0, 10, 10}));
    window->SetTimer(1, 50);
    const HWND handle = window->m_hWnd;
    window.reset();
    EXPECT_FALSE(::KillTimer(handle, 1));
    EXPECT_EQ(::SetTimer(handle, 1, 50, nullptr), 0u);
    desktop.AdvanceClock(500);
}

TEST(Timers, TickCountFollowsTheVirtualClockAndWraps) {
    {
        HeadlessDesktop desktop({}, 0xFFFFFF00u);
        EXPECT_EQ(GetTickCount(), 0xFFFFFF00u);
        desktop.AdvanceClock(0x200);
        EXPECT_EQ(GetTickCount(), 0x100u);
        EXPECT_EQ(desktop.Elapsed(), 0x200u);
    }
    // Back to the system clock, and no current desktop.
    EXPECT_EQ(GetCurrentDesktop(), nullptr);
    const DWORD before = GetTickCount();
    EXPECT_LE(GetTickCount() - before, 1000u);
}

TEST(Timers, NestedDesktopGivesClockBack) {
    HeadlessDesktop outer({}, 5000);
    {
        HeadlessDesktop inner({}, 10);
        EXPECT_EQ(GetTickCount(), 10u);
    }
    EXPECT_EQ(GetCurrentDesktop(), &outer);
    EXPECT_EQ(GetTickCount(), 5000u);
}

TEST(Timers, ProcedureTimersWithoutWindow) {
    HeadlessDesktop desktop;
    static int calls = 0;
    calls = 0;
    const UINT_PTR id = ::SetTimer(
        nullptr, 0, 20, [](HWND, UINT message, UINT_PTR, DWORD) { calls += message == WM_TIMER; });
    EXPECT_NE(id, 0u);
    desktop.AdvanceClock(100);
    EXPECT_EQ(calls, 5);
    EXPECT_TRUE(::KillTimer(nullptr, id));
    // Without window and procedure nobody could be told.
    EXPECT_EQ(::SetTimer(nullptr, 0, 20, nullptr), 0u);
}
