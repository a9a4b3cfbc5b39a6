// One frame of the profile view at 1920 x 1080 with full depth and
// temperature profiles, the scales, the legend and the set-square under the
// pointer, drawn and presented into the window; beside it, the copy of one
// frame of that size, the yardstick of what a frame may cost.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "drawing/DXDesktopDeviceManager.h"
#include "drawing/StyleTable.h"
#include "graphdata/DistanceTracker.h"
#include "graphdata/PlotrexDataContainer.h"
#include "graphdata/PlotrexDataProfile.h"
#include "layout/PlotrexOrganizer.h"
#include "platform/CWnd.h"
#include "platform/HeadlessDesktop.h"
#include "tests/support/FakeHostObjects.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kLeg = 1e-6;  // radians of arc per host cycle

// The module's profile view, open on a full screen, after a long voyage.
struct FullScreenView {
    FullScreenView() {
        window.Create(nullptr, "view", WS_POPUP | WS_VISIBLE, RECT{0, 0, kWidth, kHeight}, nullptr,
                      0);
        manager.Init();
        tracker.Initialize(&source);
        styles.FillDefaults();
        graphs.Add(&depth);
        graphs.Add(&temperature);
        organizer.Init(&window, &manager, graphs, &tracker, &styles, kLeg / 2.0, 7, kGraphDepth);
        for (int leg = 0; leg < 1200; ++leg) {
            source.position = PosType(0.0, leg * kLeg);
            source.samples[kDataKindDepth] = 30.0f + static_cast<float>(leg % 37) * 0.5f;
            source.samples[kDataKindTemperature] = 11.0f + static_cast<float>(leg % 23) * 0.1f;
            if (tracker.AdvanceDistance()) {
                depth.Update();
                temperature.Update();
            }
        }
        organizer.SetSlope(64.0);
        organizer.SetHoverPoint(POINT{kWidth / 2, kHeight / 3});
        organizer.Draw();
    }
    ~FullScreenView() { organizer.Shutdown(); }

    HeadlessDesktop desktop;
    CWnd window;
    DXDesktopDeviceManager manager;
    FakeDataSource source;
    DistanceTracker tracker;
    PlotrexDataProfile depth{&tracker, kGraphDepth, kUnitDist};
    PlotrexDataProfile temperature{&tracker, kGraphTemp, kUnitTemp};
    PlotrexDataContainer graphs;
    StyleTable styles;
    PlotrexOrganizer organizer;
};

void BM_OrganizerFrame(benchmark::State& state) {
    FullScreenView view;
    for (auto _ : state) {
        view.organizer.Draw();
        benchmark::DoNotOptimize(view.organizer.Present());
    }
    state.counters["points"] = view.depth.GetSeries()->GetCount();
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
