// One frame of the profile view at 1920 x 1080 with every graph it holds,
// drawn and presented into the window; beside it, the copy of one frame of
// that size, the yardstick of what a frame may cost.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "graphdata/PlotrexDataDReckChalut.h"
#include "graphdata/PlotrexDataMobile.h"
#include "graphdata/PlotrexDataPrevision.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "tests/layout/organizer/OrganizerScene.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The depths ahead as a chart gives them, for the forecast.
class SeabedChart : public HostDepthSource {
  public:
    bool IsAvailable() override { return true; }
    double GetMaximumDepth() override { return kUndefined; }
    bool QueryDepths(std::vector<DepthQueryPoint>& points, double, double, double, double,
                     const int&) override {
        for (DepthQueryPoint& point : points) {
            point.depth = Seabed(static_cast<int>(point.second / kLeg));
        }
        return true;
    }
};

// The same view with every graph the profile view holds: the forecast ahead,
// an earlier survey of the whole track laid under it, the vessel and the net.
struct FullScreenViewAllGraphs {
    FullScreenViewAllGraphs() {
        scene.source.heading = M_PI / 2;  // east, with the survey
        prevision.Init(&chart, &vessel);
        mobile.Init(&vessel);
        for (PlotrexData* graph :
             std::initializer_list<PlotrexData*>{&prevision, &historic, &mobile, &trawl}) {
            scene.graphs.Add(graph);
        }
        std::vector<float> survey;
        for (int leg = 0; leg < 1500; ++leg) {
            survey.insert(survey.end(), {float(leg * kLeg), 0.0f, float(Seabed(leg) + 2.0)});
        }
        historic.SetProfile(survey, 0.0, 600 * kLeg);
        historic.SetMode(0);
        trawl.SetParameters(TrawlParameters{300.0, 25.0, 0.7, 1});
        scene.Open(kGraphDepth, kReferenceLevel - 1);
        scene.organizer.ExecuteCommand("PLOTREX_SHOW_HIDE", kGraphPrevision);
        for (int leg = 0; leg < 1200; ++leg) {
            scene.Cycle(30.0 + (leg % 37) * 0.5, 11.0 + (leg % 23) * 0.1);
            for (PlotrexData* graph :
                 std::initializer_list<PlotrexData*>{&prevision, &historic, &mobile, &trawl}) {
                graph->Update();
            }
        }
        scene.organizer.SetSlope(64.0);
        scene.organizer.SetHoverPoint(POINT{kWidth / 2, kHeight / 3});
        scene.organizer.Draw();
    }

    OrganizerScene scene{kWidth, kHeight};
    SeabedChart chart;
    FakeVesselSource vessel{4.5, 0.8f};
    PlotrexDataPrevision prevision{&scene.tracker, kGraphPrevision, kUnitDist};
    PlotrexDataProfileHistoric historic{&scene.tracker, kGraphHistoric, kUnitDist};
    PlotrexDataMobile mobile{&scene.tracker, kGraphMobile, kUnitDist};
    PlotrexDataDReckChalut trawl{&scene.tracker, kGraphDReckChalut, kUnitDist};
};

void BM_OrganizerFrameAllGraphs(benchmark::State& state) {
    FullScreenViewAllGraphs view;
    for (auto _ : state) {
        view.scene.organizer.Draw();
        benchmark::DoNotOptimize(view.scene.organizer.Present());
    }
    state.counters["forecast"] = view.prevision.GetSeries()->GetCount();
    state.counters["shown"] = view.historic.IsShown();
}
BENCHMARK(BM_OrganizerFrameAllGraphs)->Unit(benchmark::kMillisecond);

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
