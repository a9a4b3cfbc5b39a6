#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "echo/EtrSweepRecorder.h"
#include "platform/HeadlessDesktop.h"
#include "platform/TickCount.h"
#include "tests/support/FakeSounder.h"

// The sounder's thread stamps each sweep with the desktop's clock while the
// user-interface thread moves that clock on with its timers: every stamp is a
// time the clock really showed, never one going backwards.
TEST(SweepClockThreadTest, SweepsAreStampedWhileTheInterfaceMovesTheClock) {
    FakeSounder sounder;
    constexpr DWORD kStart = 5000;
    HeadlessDesktop desktop({RECT{0, 0, 800, 600}}, kStart);
    GetSweepRecorder().DiscardPending();
    int fired = 0;
    static int* firedCount = nullptr;
    firedCount = &fired;
    ASSERT_NE(desktop.SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++*firedCount; }),
              0U);

    constexpr DWORD kSteps = 3000;
    std::atomic<bool> done{false};
    std::atomic<bool> ordered{true};
    std::thread sounderThread([&] {
        std::uint8_t samples[64] = {};
        ZXRawSweep raw{};
        raw.samples = samples;
        raw.sampleCount = sizeof samples;
        raw.sampleStep = 1U << 21;
        std::uint32_t previous = 0;
        while (!done.load()) {
            GetSweepRecorder().OnSweep(&raw);
            const std::uint32_t stamp = GetSweepRecorder().GetLastSweepTime();
            const std::uint32_t now = GetTickCount();
            if (stamp < previous || stamp < kStart || stamp > kStart + kSteps || now < stamp) {
                ordered = false;
            }
            previous = stamp;
            std::this_thread::yield();
        }
    });
    for (DWORD step = 0; step < kSteps; ++step) {
        desktop.Idle(1);
        if (step % 256 == 0) {
            GetSweepRecorder().DiscardPending();
        }
    }
    done = true;
    sounderThread.join();
    GetSweepRecorder().DiscardPending();

    EXPECT_TRUE(ordered.load());
    EXPECT_EQ(fired, static_cast<int>(kSteps / 10));
    EXPECT_EQ(GetTickCount(), kStart + kSteps);
}
