// The host's sea floor from a raster: one forecast's query of 50 points, and
// a grid of depths the size of a frame, for shading a chart. Compare with
// the frame copies of this program, measured in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "host/app/HostObjectsImpl.h"
#include "host/geodata/BathymetryRaster.h"
#include "tests/support/TestRaster.h"

namespace {

constexpr double kDeg = M_PI / 180.0;

// A 1000 x 1000 grid of 20 m cells in UTM zone 30 N around 47.5° N 3° W.
class Floor {
  public:
    Floor()
        : path_((std::filesystem::temp_directory_path() /
                 ("plotrex-bench-floor-" + std::to_string(getpid()) + ".tif"))
                    .string()) {
        TestRaster raster;
        raster.width = 1000;
        raster.height = 1000;
        raster.geoTransform = {490000.0, 20.0, 0.0, 5270000.0, 0.0, -20.0};
        raster.epsg = 32630;
        for (int row = 0; row < raster.height; ++row) {
            for (int column = 0; column < raster.width; ++column) {
                raster.values.push_back(-(60.0 + 0.1 * column + 30.0 * std::sin(row / 50.0)));
            }
        }
        if (!WriteTestRaster(path_, raster)) {
            return;
        }
        if (auto opened = BathymetryRaster::Open(path_, RasterValues::Auto)) {
            raster_ = opened.Release();
        }
    }
    ~Floor() { std::filesystem::remove(path_); }
    const BathymetryRaster* Raster() const { return raster_.get(); }

  private:
    std::string path_;
    std::unique_ptr<BathymetryRaster> raster_;
};

const Floor& SharedFloor() {
    static const Floor floor;
    return floor;
}

void BM_RasterForecastQuery(benchmark::State& state) {
    const BathymetryRaster* raster = SharedFloor().Raster();
    if (raster == nullptr) {
        state.SkipWithError("no raster");
        return;
    }
    ModelDepthSource source(raster, raster->DeepestDepth());
    std::vector<DepthQueryPoint> points(50);
    for (auto _ : state) {
        for (int i = 0; i < 50; ++i) {
            // 500 m north-east from the raster's middle.
            points[i] = {(47.6 + i * 0.0000648) * kDeg, (-3.0 + i * 0.0000958) * kDeg, 0.0};
        }
        benchmark::DoNotOptimize(source.QueryDepths(points, 0, 0, 0, 0, kDataKindDepth));
    }
}
BENCHMARK(BM_RasterForecastQuery)->Unit(benchmark::kMicrosecond);

void BM_RasterGridOfAFrame(benchmark::State& state) {
    const BathymetryRaster* raster = SharedFloor().Raster();
    if (raster == nullptr) {
        state.SkipWithError("no raster");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(raster->SampleGrid(raster->Bounds(), 1280, 720));
    }
}
BENCHMARK(BM_RasterGridOfAFrame)->Unit(benchmark::kMillisecond);

}  // namespace
