// The sounder's own thread: pings on the ship's clock handed to a callback
// while another thread drains them, and callbacks withdrawn while it pings.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/NorvaneLibrary.h"

namespace {

// A queue like the module's: the sounder's thread appends, another drains.
struct Queue {
    std::mutex mutex;
    std::deque<uint32_t> sweeps;  // sample counts
    std::atomic<uint64_t> received{0};
};
Queue gQueue;

void OnSweep(ZXRawSweep* sweep) {
    std::lock_guard lock(gQueue.mutex);
    gQueue.sweeps.push_back(sweep->sampleCount);
    ++gQueue.received;
}

std::atomic<bool> gInCallback{false};
std::atomic<bool> gWithdrawn{false};
std::atomic<int> gCallsAfterWithdrawal{0};
std::atomic<uint64_t> gSlowCalls{0};

void OnSweepSlowly(ZXRawSweep*) {
    gInCallback = true;
    if (gWithdrawn) {
        ++gCallsAfterWithdrawal;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    ++gSlowCalls;
    gInCallback = false;
}

TEST(NorvaneThreadTest, DeliversEveryPingDueOnTheShipsClockAtAThousandPerSecond) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    // The ship's clock from the start: no ping before the first ship time.
    const ZXNorvaneOptions options{9, 1, 0.001, 1};
    lib.reset(&options);
    lib.SetRange(50);
    lib.sounder->RegisterSweepCallback(OnSweep);

    std::atomic<bool> done{false};
    uint64_t drained = 0;
    std::thread drain([&] {
        while (!done) {
            std::deque<uint32_t> batch;
            {
                std::lock_guard lock(gQueue.mutex);
                batch.swap(gQueue.sweeps);
            }
            for (const uint32_t count : batch) {
                EXPECT_EQ(count, 1000u);
            }
            drained += batch.size();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::lock_guard lock(gQueue.mutex);
        drained += gQueue.sweeps.size();
        gQueue.sweeps.clear();
    });
    // Four seconds of ship time, given as a host gives it, cycle by cycle.
    for (int cycle = 0; cycle <= 80; ++cycle) {
        lib.Environment(cycle * 0.05, 30.0);
    }
    EXPECT_EQ(lib.waitIdle(120000), 1);
    done = true;
    drain.join();
    lib.sounder->UnregisterSweepCallback(OnSweep);

    const ZXNorvaneStatistics statistics = lib.Statistics();
    EXPECT_NEAR(static_cast<double>(statistics.pings), 4001.0, 1.0);
    EXPECT_EQ(statistics.sweeps[0], statistics.pings);
    EXPECT_EQ(statistics.sweeps[1], 0u);
    EXPECT_EQ(gQueue.received.load(), statistics.pings);
    EXPECT_EQ(drained, statistics.pings);
    EXPECT_NEAR(statistics.lastPingSeconds, 4.0, 0.0015);
}

TEST(NorvaneThreadTest, AfterUnregisteringACallbackItIsNeverCalledAgain) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    const ZXNorvaneOptions options{3, 1, 0.001, 1};
    lib.reset(&options);
    lib.sounder->RegisterSweepCallback(OnSweepSlowly);
    lib.Environment(0.0, 30.0);
    lib.Environment(30.0, 30.0);  // a backlog that keeps the thread busy
    while (gSlowCalls < 20) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Withdraw while a sweep may be in the callback: the call returns after it.
    EXPECT_EQ(lib.sounder->UnregisterSweepCallback(OnSweepSlowly), 1);
    gWithdrawn = true;
    EXPECT_FALSE(gInCallback);
    const uint64_t calls = gSlowCalls;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(gCallsAfterWithdrawal, 0);
    EXPECT_EQ(gSlowCalls.load(), calls);
    EXPECT_GT(lib.Statistics().pings, calls) << "the sounder went on pinging";
    // Unloading with the thread still busy joins it.
}

TEST(NorvaneThreadTest, WallClockPingsWhileSomeoneListens) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    const ZXNorvaneOptions options{1, 1, 0.0, 0};
    lib.reset(&options);
    lib.SetRange(10);  // 20 pings a second
    gQueue.received = 0;
    lib.sounder->RegisterSweepCallback(OnSweep);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (gQueue.received < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    lib.sounder->UnregisterSweepCallback(OnSweep);
    EXPECT_GE(gQueue.received.load(), 3u);
    std::lock_guard lock(gQueue.mutex);
    gQueue.sweeps.clear();
}

// Sweeps as a list of fingerprints, in the order they came.
std::mutex gPrintsMutex;
std::vector<uint64_t> gPrints;

void OnSweepPrint(ZXRawSweep* sweep) {
    uint64_t print = 1469598103934665603ULL ^ sweep->channel ^ (uint64_t{sweep->startDepth} << 16);
    for (uint32_t i = 0; i < sweep->sampleCount; ++i) {
        print = (print ^ sweep->samples[i]) * 1099511628211ULL;
    }
    std::lock_guard lock(gPrintsMutex);
    gPrints.push_back(print);
}

TEST(NorvaneThreadTest, TheShipsClockGivesTheSameEchogramAtAnySpeed) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded());
    // A minute of a voyage in 15 s cycles over a sloping floor.
    const auto cycle = [](int i) {
        return ZXNorvaneEnvironment{15.0 * i, 40.0 + 6.0 * i, 0.2 + 0.1 * i, 6.0};
    };
    const auto run = [&](int threaded, const std::function<void()>& sail) {
        const ZXNorvaneOptions options{21, threaded, 0.0, 1};
        lib.reset(&options);
        lib.SetMode(5, 1);
        {
            std::lock_guard lock(gPrintsMutex);
            gPrints.clear();
        }
        lib.sounder->RegisterSweepCallback(OnSweepPrint);
        sail();
        lib.sounder->UnregisterSweepCallback(OnSweepPrint);
        std::lock_guard lock(gPrintsMutex);
        return gPrints;
    };
    // Synchronous: every ping due at each cycle, on this thread.
    const std::vector<uint64_t> reference = run(0, [&] {
        for (int i = 0; i <= 4; ++i) {
            const ZXNorvaneEnvironment environment = cycle(i);
            lib.setEnvironment(&environment);
            lib.catchUp();
        }
    });
    ASSERT_GT(reference.size(), 500u);
    // Headless, as fast as the machine goes: the thread catches up each cycle.
    EXPECT_EQ(run(1,
                  [&] {
                      for (int i = 0; i <= 4; ++i) {
                          const ZXNorvaneEnvironment environment = cycle(i);
                          lib.setEnvironment(&environment);
                          lib.waitIdle(60000);
                      }
                  }),
              reference);
    // A window: each cycle known ahead, the clock moving in small steps.
    EXPECT_EQ(run(1,
                  [&] {
                      for (int i = 0; i <= 4; ++i) {
                          const ZXNorvaneEnvironment environment = cycle(i);
                          lib.forecast(&environment);
                      }
                      for (double t = 0.0; t <= 60.0; t += 0.37) {
                          lib.setShipTime(t);
                      }
                      lib.setShipTime(60.0);
                      lib.waitIdle(60000);
                  }),
              reference);
    // The thread for some cycles, the caller for others, as a window that
    // jumps ahead: the same pings, in the same order.
    EXPECT_EQ(run(1,
                  [&] {
                      for (int i = 0; i <= 4; ++i) {
                          const bool here = i == 1 || i == 2 || i == 4;
                          lib.setThreaded(here ? 0 : 1);
                          const ZXNorvaneEnvironment environment = cycle(i);
                          lib.setEnvironment(&environment);
                          if (here) {
                              lib.catchUp();
                          } else {
                              lib.waitIdle(60000);
                          }
                      }
                  }),
              reference);
    // A checkpoint saved while the thread works through a backlog, restored
    // into the running sounder after a reset: from there it sails the rest
    // of the voyage as before.
    std::vector<uint8_t> checkpoint;
    const std::vector<uint64_t> whole = run(1, [&] {
        for (int i = 0; i <= 4; ++i) {
            const ZXNorvaneEnvironment environment = cycle(i);
            lib.setEnvironment(&environment);
            if (i == 3) {
                checkpoint = lib.SaveState();
            }
        }
        lib.waitIdle(60000);
    });
    EXPECT_EQ(whole, reference);
    const uint64_t pings = lib.Statistics().pings;
    const std::vector<uint64_t> rest = run(1, [&] {
        ASSERT_TRUE(lib.RestoreState(checkpoint));
        const ZXNorvaneEnvironment last = cycle(4);
        lib.setEnvironment(&last);
        lib.waitIdle(60000);
    });
    EXPECT_EQ(lib.Statistics().pings, pings);
    ASSERT_FALSE(rest.empty());
    ASSERT_LE(rest.size(), reference.size());
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), reference.end() - rest.size()));
}

}  // namespace
