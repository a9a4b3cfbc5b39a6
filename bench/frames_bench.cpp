// The views' main frames, steady (only the ship advanced and sweeps arrived
// since the last frame) and full (after an invalidation), each against a
// frame copy made from memory in the same run (x_frame_copy).
#include <benchmark/benchmark.h>

#include "bench/FrameCopy.h"
#include "bench/FrameScenes.h"

namespace {

// Times only the drawing of each frame, on this thread's processor clock.
template <class Frames>
void TimeFrames(benchmark::State& state, Frames& frames, bool full) {
    benchframe::TimeAgainstFrameCopy(
        state,
        [&] {
            frames.Advance();
            if (full) {
                frames.Invalidate();
            }
        },
        [&] { frames.Draw(); });
}

void ProfileFrame(benchmark::State& state, bool full) {
    frames::ProfileFrames profile;
    TimeFrames(state, profile, full);
    state.counters["points"] = profile.Points();
}
BENCHMARK_CAPTURE(ProfileFrame, Steady, false)
    ->Name("BM_ProfileFrameSteady")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProfileFrame, Full, true)
    ->Name("BM_ProfileFrameFull")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void EchoPaneFrame(benchmark::State& state, bool varying, bool full) {
    frames::EchoPaneFrames pane(varying);
    TimeFrames(state, pane, full);
    state.counters["rows_uploaded"] = pane.RowsUploaded();
}
BENCHMARK_CAPTURE(EchoPaneFrame, UniformSteady, false, false)
    ->Name("BM_EchoPaneSteady")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EchoPaneFrame, UniformFull, false, true)
    ->Name("BM_EchoPaneFull")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EchoPaneFrame, VaryingSteady, true, false)
    ->Name("BM_EchoPaneVaryingWindowsSteady")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EchoPaneFrame, VaryingFull, true, true)
    ->Name("BM_EchoPaneVaryingWindowsFull")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void PixelViewFrame(benchmark::State& state, short frequency, short zoom, bool full) {
    frames::PixelFrames pixel(frequency, zoom);
    if (!pixel.Opened()) {
        state.SkipWithError("the pixel view did not open");
        return;
    }
    TimeFrames(state, pixel, full);
}
BENCHMARK_CAPTURE(PixelViewFrame, Steady, 5, 1, false)
    ->Name("BM_PixelViewFrameSteady")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PixelViewFrame, Full, 5, 1, true)
    ->Name("BM_PixelViewFrameFull")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PixelViewFrame, BottomZoomSteady, 1, 2, false)
    ->Name("BM_PixelViewFrameBottomZoomSteady")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PixelViewFrame, BottomZoomFull, 1, 2, true)
    ->Name("BM_PixelViewFrameBottomZoomFull")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
