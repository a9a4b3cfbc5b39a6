// The pixel view's frame at 1920 x 1080, two panes side by side, one host
// cycle (three sweeps a channel) between frames: as it runs, reusing what the
// panes kept of the last frame, and with the panes drawn in full every frame.
// Each reports its ratio to a frame copied from memory in the same run.
#include <benchmark/benchmark.h>

#include "bench/FrameCopy.h"
#include "echo/PlotrexDisplayETR.h"
#include "tests/layout/view/PixelHost.h"

namespace {

using benchframe::FrameCopyFromMemoryMs;
using benchframe::ThreadSeconds;

void PixelFrames(benchmark::State& state, short frequency, short zoom, bool full) {
    viewtest::PixelHost pixel(RECT{0, 0, 1920, 1080}, frequency, zoom);
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
        if (full) {
            for (int channel = 0; channel < 2; ++channel) {
                if (auto* pane = dynamic_cast<PlotrexDisplayETR*>(
                        pixel.View()->GetEchogramDisplay(channel))) {
                    pane->RedrawInFull();
                }
            }
        }
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

// Dual frequency: both panes with one window for all their sweeps.
void BM_PixelViewSteadyDual(benchmark::State& state) {
    PixelFrames(state, 5, 1, false);
}
void BM_PixelViewFullDual(benchmark::State& state) {
    PixelFrames(state, 5, 1, true);
}
// HF with the bottom zoom: the second pane's window follows each sweep's bottom.
void BM_PixelViewSteadyBottomZoom(benchmark::State& state) {
    PixelFrames(state, 1, 2, false);
}
void BM_PixelViewFullBottomZoom(benchmark::State& state) {
    PixelFrames(state, 1, 2, true);
}
BENCHMARK(BM_PixelViewSteadyDual)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixelViewFullDual)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixelViewSteadyBottomZoom)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixelViewFullBottomZoom)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
