#pragma once
// The yardstick of the drawing benchmarks: one 1920 x 1080 frame copied from
// memory, not from cache, timed on this thread's processor clock (two cores
// shared by several programs make wall-clock times of a few milliseconds swing).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

namespace benchframe {

inline constexpr std::size_t kFramePixels = 1920 * 1080;
// Eight frames of 8 MB: more together than the last-level cache.
inline constexpr int kFrames = 8;

inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The median of copies rotating among the frames, in milliseconds.
inline double FrameCopyFromMemoryMs() {
    std::vector<std::vector<std::uint32_t>> frames(kFrames,
                                                   std::vector<std::uint32_t>(kFramePixels, 7U));
    std::vector<std::uint32_t> to(kFramePixels);
    std::vector<double> ms;
    for (int i = 0; i < 3 * kFrames; ++i) {
        const double start = ThreadSeconds();
        std::memcpy(to.data(), frames[static_cast<std::size_t>(i % kFrames)].data(),
                    kFramePixels * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        ms.push_back(1000.0 * (ThreadSeconds() - start));
    }
    std::nth_element(ms.begin(), ms.begin() + ms.size() / 2, ms.end());
    return ms[ms.size() / 2];
}

// Times draw() at each iteration on this thread's processor clock, with
// prepare() before it untimed, and reports the mean against a frame copy.
template <class Prepare, class Draw>
void TimeAgainstFrameCopy(benchmark::State& state, Prepare prepare, Draw draw) {
    double drawn = 0.0;
    for (auto _ : state) {
        prepare();
        const double start = ThreadSeconds();
        draw();
        const double seconds = ThreadSeconds() - start;
        drawn += seconds;
        state.SetIterationTime(seconds);
    }
    const double frameMs = 1000.0 * drawn / static_cast<double>(state.iterations());
    state.counters["frame_copy_ms"] = FrameCopyFromMemoryMs();
    state.counters["x_frame_copy"] = frameMs / state.counters["frame_copy_ms"];
}

}  // namespace benchframe
