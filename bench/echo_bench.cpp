// The sweep hand-off from the sounder's thread and the per-cycle drain, and
// the yardstick of the frames: a frame copy made from memory.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "bench/FrameCopy.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/PlotrexDataETR.h"
#include "graphdata/DistanceTracker.h"
#include "tests/support/FakeSounder.h"

namespace {

using Clock = std::chrono::steady_clock;

using benchframe::kFramePixels;
using benchframe::kFrames;

void BM_EchoFrameCopyFromMemory(benchmark::State& state) {
    std::vector<std::vector<std::uint32_t>> frames(kFrames,
                                                   std::vector<std::uint32_t>(kFramePixels, 7U));
    std::vector<std::uint32_t> to(kFramePixels);
    int next = 0;
    for (auto _ : state) {
        std::memcpy(to.data(), frames[static_cast<std::size_t>(next)].data(),
                    kFramePixels * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        next = (next + 1) % kFrames;
    }
}
BENCHMARK(BM_EchoFrameCopyFromMemory)->Unit(benchmark::kMillisecond);

struct RawSweep {
    std::vector<std::uint8_t> samples = std::vector<std::uint8_t>(1024, 5);
    ZXRawSweep raw{};
    RawSweep() {
        raw.samples = samples.data();
        raw.sampleCount = 1024;
        raw.sampleStep = 1U << 19;
        raw.startDepth = 50;
    }
};

// OnSweep as the sounder's thread calls it, while another thread drains the
// queue as the host cycle would, only far more often. Each call is timed on
// its own: the percentiles are what a late ping would feel.
void BM_OnSweepHandOff(benchmark::State& state) {
    FakeSounder sounder;
    sounder.frequency = 2;
    sounder.zoom = 1;
    sounder.referenceDepth = 420;
    sounder.referenceValid = 1;
    EtrSweepRecorder& recorder = GetSweepRecorder();
    recorder.DiscardPending();
    std::atomic<bool> stop{false};
    std::thread drainer([&] {
        std::vector<ZxEtrEcho> drained;
        while (!stop.load(std::memory_order_relaxed)) {
            drained.clear();
            recorder.DrainSweeps(drained);
            benchmark::DoNotOptimize(drained.data());
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    RawSweep sweep;
    std::vector<double> micros;
    micros.reserve(1 << 20);
    for (auto _ : state) {
        sweep.raw.channel = static_cast<std::uint16_t>(micros.size() & 1U);
        const auto start = Clock::now();
        OnSweep(&sweep.raw);
        const auto end = Clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    stop = true;
    drainer.join();
    recorder.DiscardPending();
    std::sort(micros.begin(), micros.end());
    auto at = [&](double fraction) {
        return micros[std::min(
            micros.size() - 1,
            static_cast<std::size_t>(fraction * static_cast<double>(micros.size())))];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
    state.counters["p999_us"] = at(0.999);
    state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_OnSweepHandOff)->Unit(benchmark::kMicrosecond);

// One host cycle's PollSweeps with 50 sweeps queued (a busy sounder over a
// slow cycle), filed into the stores.
void BM_PollSweeps50(benchmark::State& state) {
    FakeSounder sounder;
    sounder.frequency = 5;
    DistanceTracker tracker;
    PlotrexDataETR echogram(&tracker, "PLOTREX_DATA_ETR", "DIST");
    echogram.Initialize(nullptr);
    GetSweepRecorder().DiscardPending();
    RawSweep sweep;
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            sweep.raw.channel = static_cast<std::uint16_t>(i & 1);
            OnSweep(&sweep.raw);
        }
        const auto start = Clock::now();
        const std::int32_t polled = echogram.PollSweeps();
        const auto end = Clock::now();
        benchmark::DoNotOptimize(polled);
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    echogram.Terminate();
}
BENCHMARK(BM_PollSweeps50)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
