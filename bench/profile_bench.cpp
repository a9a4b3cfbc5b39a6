// Costs of the profile graphs: one host cycle once the series are full (each
// added point drops the oldest), and building one curve over a whole series.
#include <benchmark/benchmark.h>

#include "drawing/CurvePainter.h"
#include "graphdata/PlotrexDataProfile.h"
#include "layout/LinearPixelProjection.h"
#include "module/ModuleDataPlotrex.h"
#include "tests/support/FakeHostObjects.h"

namespace {

constexpr double kStep = 1e-4;  // radians of arc per cycle

// A module whose two profiles are at their 1100 points.
struct FullModule {
    FullModule() {
        source.samples = {{kDataKindDepth, 25.0f}, {kDataKindTemperature, 11.0f}};
        module.Initialize(&source, nullptr, nullptr, nullptr, 0);
        for (int i = 0; i < 1200; ++i) {
            Cycle();
        }
    }
    ~FullModule() { module.Terminate(); }
    void Cycle() {
        source.position = PosType(0.7, -0.05 + (legs++) * kStep);
        source.samples[kDataKindDepth] = 25.0f + static_cast<float>(legs % 17);
        module.UpdateGraphs();
    }

    FakeDataSource source;
    ModuleDataPlotrex module;
    int legs = 0;
};

void BM_HostCycleWithFullProfiles(benchmark::State& state) {
    FullModule full;
    for (auto _ : state) {
        full.Cycle();
    }
    auto* depth = static_cast<PlotrexDataProfile*>(full.module.GetGraphs().GetData(kGraphDepth));
    state.counters["points"] = depth->GetSeries()->GetCount();
}
BENCHMARK(BM_HostCycleWithFullProfiles);

void BM_SeriesAddAtCapacity(benchmark::State& state) {
    ProfileSeries series;
    series.SetCountLimit(PlotrexDataProfile::kCountLimit);
    int i = 0;
    for (; i < 1100; ++i) {
        series.Add(ProfilePoint{PosType(0.7, i * kStep), -25.0 - i % 17, i * kStep});
    }
    for (auto _ : state) {
        series.Add(ProfilePoint{PosType(0.7, i * kStep), -25.0 - i % 17, i * kStep});
        ++i;
    }
}
BENCHMARK(BM_SeriesAddAtCapacity);

void BM_BuildCurveOverWholeSeries(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ProfileSeries series;
    series.SetCountLimit(PlotrexDataProfile::kCountLimit);
    for (int i = 0; i < count; ++i) {
        // A gap every 50 samples, so that both kinds of points are built.
        const double value = i % 50 == 49 ? kUndefined : -25.0 - i % 17;
        series.Add(ProfilePoint{PosType(0.7, i * kStep), value, i * kStep});
    }
    const RECT area{0, 0, 1600, 900};
    LinearPixelProjection x;
    x.multiplier = 1.0;
    x.scale = count * kStep / area.right;
    x.origin = 0.0;
    LinearPixelProjection y(true);
    y.multiplier = 1.0;
    y.scale = 0.1;
    y.origin = 0.0;
    const CurvePainter painter(&series, nullptr);
    int points = 0;
    for (auto _ : state) {
        const Curve curve = painter.BuildCurve(x.ToWorld(0.0), x.ToWorld(area.right), area, x, y,
                                               0.0, 0.0f, CurvePainter::kMaxSamples);
        points = curve.Count();
        benchmark::DoNotOptimize(curve.xy.data());
    }
    state.counters["curve_points"] = points;
}
BENCHMARK(BM_BuildCurveOverWholeSeries)->Arg(400)->Arg(1100);

}  // namespace
