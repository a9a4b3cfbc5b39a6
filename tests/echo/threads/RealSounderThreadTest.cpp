#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDataETR.h"
#include "tests/support/RealSounder.h"

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

// The library's own thread pings at 1 kHz of ship time for three seconds
// while the interface thread gives the time, polls and reads the last sweeps:
// the module counts exactly what the library says it delivered.
TEST(RealSounderThreadTest, LibraryThreadAt1kHzLosesAndRepeatsNothing) {
    RealSounder sounder;
    ASSERT_TRUE(sounder.Ready());
    const ZXNorvaneOptions options{3, 1, 0.001, 1};
    ASSERT_EQ(sounder.reset(&options), 1);
    sounder.Environment(0.0, 35.0);
    GetSweepRecorder().DiscardPending();
    DistanceTracker tracker;
    PlotrexDataETR echogram(&tracker, "PLOTREX_DATA_ETR", "DIST");
    ASSERT_TRUE(echogram.Initialize(nullptr));
    // Dual frequency: both channels cross.
    ASSERT_EQ(echogram.ExecuteCommand("PLOTREX_ETR_DISPLAY", "PLOTREX_ETR_DUALFREQ_PARAM"), 1);

    constexpr double kSeconds = 3.0;
    const auto start = Clock::now();
    std::int64_t polled = 0;
    std::uint32_t lastNumber[2] = {0, 0};
    bool ordered = true;
    for (double shipTime = 0.0; shipTime < kSeconds;) {
        shipTime = std::min(kSeconds, std::chrono::duration<double>(Clock::now() - start).count());
        sounder.Environment(shipTime, 35.0);
        polled += echogram.PollSweeps();
        for (int channel = 0; channel < 2; ++channel) {
            const ZxEtrEchoContainer& store = echogram.GetStore(channel);
            if (!store.empty()) {
                const auto newest = static_cast<std::uint32_t>(store.back().number);
                ordered = ordered && newest + 1 == store.GetNextNumber();
                ordered = ordered && newest >= lastNumber[channel];
                lastNumber[channel] = newest;
            }
        }
        ZxEtrEcho last = ZxEtrEcho::Empty();
        GetLastSweep(0, &last);
        GetLastSweepTime();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(sounder.waitIdle(10000), 1);
    polled += echogram.PollSweeps();
    const ZXNorvaneStatistics figures = sounder.Statistics();
    echogram.Terminate();

    const std::uint64_t delivered = figures.sweeps[0] + figures.sweeps[1];
    EXPECT_GE(figures.pings, 2900U);  // the ship's three seconds at 1 kHz
    EXPECT_EQ(polled, static_cast<std::int64_t>(delivered));
    EXPECT_EQ(echogram.GetStore(0).GetNextNumber(), figures.sweeps[0]);
    EXPECT_EQ(echogram.GetStore(1).GetNextNumber(), figures.sweeps[1]);
    EXPECT_GT(figures.sweeps[1], 0U);
    EXPECT_TRUE(ordered);
    EXPECT_EQ(GetSweepRecorder().GetRefusedCount(), 0U);
}
