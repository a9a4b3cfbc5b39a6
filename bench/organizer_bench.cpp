// One frame of the profile view at 1920 x 1080 with full depth and
// temperature profiles, the scales, the legend and the set-square under the
// pointer, drawn and presented into the window; beside it, the copy of one
// frame of that size, the yardstick of what a frame may cost.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "tests/organizer/OrganizerScene.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The module's profile view, open on a full screen, after a long voyage:
// two pixels per leg, the series at their 1100 points.
struct FullScreenView {
    FullScreenView() {
        scene.Open(kGraphDepth, kReferenceLevel - 1);
        for (int leg = 0; leg < 1200; ++leg) {
            scene.Cycle(30.0 + (leg % 37) * 0.5, 11.0 + (leg % 23) * 0.1);
        }
        scene.organizer.SetSlope(64.0);
        scene.organizer.SetHoverPoint(POINT{kWidth / 2, kHeight / 3});
        scene.organizer.Draw();
    }

    OrganizerScene scene{kWidth, kHeight};
};

void BM_OrganizerFrame(benchmark::State& state) {
    FullScreenView view;
    for (auto _ : state) {
        view.scene.organizer.Draw();
        benchmark::DoNotOptimize(view.scene.organizer.Present());
    }
    state.counters["points"] = view.scene.depth.GetSeries()->GetCount();
}
BENCHMARK(BM_OrganizerFrame)->Unit(benchmark::kMillisecond);

// The yardstick: one frame of ARGB pixels copied.
void BM_FrameCopy(benchmark::State& state) {
    std::vector<std::uint32_t> from(std::size_t(kWidth) * kHeight, 0xFF336699u);
    std::vector<std::uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMillisecond);

}  // namespace
