#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "echo/ETROGRLayer.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDataETR.h"
#include "module/LayerKey.h"
#include "tests/support/FakeSounder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kMark = 0xC0FFEE;

std::uint32_t SequenceOf(const ZxEtrEcho& sweep) {
    std::uint32_t sequence = 0;
    std::memcpy(&sequence, sweep.samples, sizeof sequence);
    return sequence;
}

// Sweeps of this test carry a mark beside their sequence number; the last
// sweep of an earlier test does not.
bool IsMarked(const ZxEtrEcho& sweep) {
    std::uint32_t mark = 0;
    std::memcpy(&mark, sweep.samples + sizeof mark, sizeof mark);
    return sweep.sampleCount >= 2 * sizeof mark && mark == kMark;
}

// Records the sequence number of every sweep it is handed, then files it.
class CountingEchogram : public PlotrexDataETR {
  public:
    explicit CountingEchogram(DistanceTracker* tracker)
        : PlotrexDataETR(tracker, "PLOTREX_DATA_ETR", "DIST") {}
    void DeliverSweeps(std::vector<ZxEtrEcho>& sweeps, double x) override {
        for (const ZxEtrEcho& sweep : sweeps) {
            received.push_back(SequenceOf(sweep));
        }
        PlotrexDataETR::DeliverSweeps(sweeps, x);
    }
    std::vector<std::uint32_t> received;
};

}  // namespace

// The sounder's thread pings at 1 kHz while the user-interface thread polls
// and reads the last sweep: every sweep arrives once, in order.
TEST(SweepHandOffThreadTest, EverySweepCrossesOnceWhileTheInterfacePolls) {
    FakeSounder sounder;
    sounder.frequency = 5;
    DistanceTracker tracker;
    CountingEchogram echogram(&tracker);
    GetSweepRecorder().DiscardPending();
    ASSERT_TRUE(echogram.Initialize(nullptr));
    ZXSweepCallback callback = sounder.sweepCallback;
    ASSERT_NE(callback, nullptr);

    constexpr std::uint32_t kSweeps = 3000;  // three seconds at 1 kHz
    std::atomic<bool> done{false};
    std::thread pinger([&] {
        std::uint8_t samples[512] = {};
        std::memcpy(samples + sizeof kMark, &kMark, sizeof kMark);
        ZXRawSweep raw{};
        raw.samples = samples;
        raw.sampleCount = sizeof samples;
        raw.sampleStep = 1U << 21;
        auto next = Clock::now();
        for (std::uint32_t sequence = 0; sequence < kSweeps; ++sequence) {
            std::memcpy(samples, &sequence, sizeof sequence);
            raw.channel = static_cast<std::uint16_t>(sequence & 1U);
            callback(&raw);
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
        }
        done = true;
    });

    std::uint32_t lastSeen[2] = {0, 0};
    bool monotonic = true;
    std::int64_t polled = 0;
    while (!done) {
        polled += echogram.PollSweeps();
        for (std::int16_t channel = 0; channel < 2; ++channel) {
            ZxEtrEcho last = ZxEtrEcho::Empty();
            if (GetLastSweep(channel, &last) && IsMarked(last)) {
                const std::uint32_t sequence = SequenceOf(last);
                monotonic = monotonic && sequence >= lastSeen[channel];
                lastSeen[channel] = sequence;
                monotonic = monotonic && (sequence & 1U) == static_cast<std::uint32_t>(channel);
            }
        }
        GetDepthWindow(1);
        GetLastSweepTime();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pinger.join();
    polled += echogram.PollSweeps();
    echogram.Terminate();

    EXPECT_TRUE(monotonic);
    EXPECT_EQ(polled, kSweeps);
    ASSERT_EQ(echogram.received.size(), kSweeps);
    for (std::uint32_t i = 0; i < kSweeps; ++i) {
        ASSERT_EQ(echogram.received[i], i) << "sweep lost, repeated or out of order";
    }
    EXPECT_EQ(echogram.GetStore(0).GetNextNumber() + echogram.GetStore(1).GetNextNumber(), kSweeps);
}

namespace {

// A host that reads the property layer again whenever it is told to.
struct RereadingSink : HostNotificationSink {
    void Notify(const std::int32_t*, const LayerKeyIndexed*) override {
        OgrFeaturePtr(echogram->GetPropertyLayer()->GetFeature(0));
        notified.fetch_add(1, std::memory_order_release);
    }
    PlotrexDataETR* echogram = nullptr;
    std::atomic<int> notified{0};
};

}  // namespace

// A sounder event raised while the interface thread is between reading and
// clearing the flag still reaches the host.
TEST(SweepHandOffThreadTest, EverySettingsChangeReachesTheHost) {
    FakeSounder sounder;
    DistanceTracker tracker;
    PlotrexDataETR echogram(&tracker, "PLOTREX_DATA_ETR", "DIST");
    RereadingSink sink;
    sink.echogram = &echogram;
    ASSERT_TRUE(echogram.Initialize(&sink));
    echogram.UpdateLayers();  // the first read of a new layer
    ASSERT_EQ(sink.notified.load(), 1);
    ZXEventCallback raise = sounder.eventCallback;

    constexpr int kEvents = 300;
    std::atomic<int> lost{0};
    std::atomic<bool> done{false};
    std::thread sounderThread([&] {
        for (int i = 0; i < kEvents && lost == 0; ++i) {
            raise(1);
            const auto deadline = Clock::now() + std::chrono::seconds(2);
            while (sink.notified.load(std::memory_order_acquire) < i + 2) {
                if (Clock::now() > deadline) {
                    ++lost;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(20));
            }
        }
        done = true;
    });
    while (!done) {
        echogram.UpdateLayers();
        std::this_thread::yield();
    }
    sounderThread.join();
    echogram.Terminate();
    EXPECT_EQ(lost.load(), 0);
    EXPECT_EQ(sink.notified.load(), kEvents + 1);
}
