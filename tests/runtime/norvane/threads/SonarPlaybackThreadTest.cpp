// A recording played by the sounder: sweeps handed over on the host's thread,
// delivered on the library's own as the ship's clock reaches them, while
// another thread drains what was delivered.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/NorvaneLibrary.h"

namespace {

std::mutex gMutex;
std::vector<uint32_t> gDelivered;  // sweep numbers, from the window's top
std::atomic<double> gClock{-1.0};  // the latest ship time given
std::atomic<int> gEarly{0};
std::atomic<int> gOnCaller{0};
std::thread::id gCaller;

void OnSweep(ZXRawSweep* sweep) {
    // Sweep k is due at k / 10 s; its window starts k tenths of a metre down.
    const uint32_t k = sweep->startDepth;
    if (k / 10.0 > gClock.load() + 1e-9) {
        ++gEarly;
    }
    if (std::this_thread::get_id() == gCaller) {
        ++gOnCaller;
    }
    std::lock_guard lock(gMutex);
    gDelivered.push_back(k);
}

// A host cycle every second of ship time: the sweeps of the next second
// handed ahead, then the clock moved. Sweep k is due at k / 10 s.
void PlayAsAHostWould(NorvaneLibrary& lib, uint32_t sweeps) {
    std::vector<uint8_t> levels(400, 3);
    uint32_t handed = 0;
    for (int second = 0; second <= static_cast<int>(sweeps / 10); ++second) {
        for (; handed < sweeps && handed / 10.0 <= second; ++handed) {
            const ZXNorvaneRecordedSweep sweep{handed / 10.0,
                                               static_cast<int32_t>(handed % 2),
                                               handed * 0.1,
                                               handed * 0.1 + 40.0,
                                               25.0,
                                               levels.data(),
                                               400};
            ASSERT_EQ(lib.playSweep(&sweep), 1);
        }
        gClock = second;
        lib.setShipTime(second);
        if (second % 50 == 0) {
            EXPECT_EQ(lib.waitIdle(60000), 1);
        }
    }
}

}  // namespace

TEST(SonarPlaybackThreadTest, RecordedSweepsArriveOnTheLibrarysThreadInOrderAndOnTime) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded() && lib.playback != nullptr && lib.playSweep != nullptr);
    const ZXNorvaneOptions options{1, 1, 0.0, 1};
    lib.reset(&options);
    ASSERT_EQ(lib.playback(1), 1);
    lib.SetMode(5, 1);
    gCaller = std::this_thread::get_id();
    lib.sounder->RegisterSweepCallback(OnSweep);

    std::atomic<bool> done{false};
    std::size_t drained = 0;
    std::thread drain([&] {
        while (!done) {
            std::vector<uint32_t> batch;
            {
                std::lock_guard lock(gMutex);
                batch.swap(gDelivered);
            }
            for (const uint32_t k : batch) {
                EXPECT_EQ(k, drained);
                ++drained;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    constexpr uint32_t kSweeps = 2000;
    PlayAsAHostWould(lib, kSweeps);
    EXPECT_EQ(lib.waitIdle(60000), 1);
    done = true;
    drain.join();
    lib.sounder->UnregisterSweepCallback(OnSweep);
    std::lock_guard lock(gMutex);
    drained += gDelivered.size();
    gDelivered.clear();

    const ZXNorvaneStatistics statistics = lib.Statistics();
    EXPECT_EQ(drained, kSweeps);
    EXPECT_EQ(statistics.played, kSweeps);
    EXPECT_EQ(statistics.pings, 0u);
    EXPECT_EQ(statistics.sweeps[0], kSweeps / 2);
    EXPECT_EQ(statistics.sweeps[1], kSweeps / 2);
    EXPECT_EQ(gEarly.load(), 0);
    EXPECT_EQ(gOnCaller.load(), 0);
    lib.playback(0);
}
