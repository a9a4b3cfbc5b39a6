// A whole frame of the pixel view at 1920 x 1080 with two echogram panes,
// their A-scope strips, the temperature curve and the decorations, against a
// frame copy made from memory in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench/FrameCopy.h"
#include "tests/layout/view/PixelHost.h"

namespace {

using benchframe::FrameCopyFromMemoryMs;
using benchframe::ThreadSeconds;

// Dual frequency in a landscape window: two panes side by side, each with
// 1024 stored sweeps of 600 samples; one host cycle (three pings a channel)
// between frames.
void BM_PixelViewFrame(benchmark::State& state) {
    viewtest::PixelHost pixel(RECT{0, 0, 1920, 1080}, 5, 1);
    pixel.Sail(350);
    if (!pixel.Open()) {
        state.SkipWithError("the pixel view did not open");
        return;
    }
    const HWND view = pixel.host.View();

    ::InvalidateRect(view, nullptr, TRUE);
    ::UpdateWindow(view);
    double drawn = 0.0;
    for (auto _ : state) {
        pixel.Sail(1);
        ::InvalidateRect(view, nullptr, TRUE);
        const double start = ThreadSeconds();
        ::UpdateWindow(view);
        const double seconds = ThreadSeconds() - start;
        drawn += seconds;
        state.SetIterationTime(seconds);
    }
    const double frameMs = 1000.0 * drawn / static_cast<double>(state.iterations());
    state.counters["frame_copy_ms"] = FrameCopyFromMemoryMs();
    state.counters["x_frame_copy"] = frameMs / state.counters["frame_copy_ms"];
}
BENCHMARK(BM_PixelViewFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
