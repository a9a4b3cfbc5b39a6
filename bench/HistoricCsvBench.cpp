// A historic profile's CSV as the host reads it with --historic: a survey of
// 500 000 soundings, in microseconds per line (well under one is the aim, so
// that a multibeam export of millions is read in a second or two).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/geodata/HistoricProfileCsv.h"

namespace {

constexpr long kLines = 500000;

// Soundings a few metres apart along a line off Brittany, with a header, as
// survey software writes them.
class Survey {
  public:
    Survey()
        : path_((std::filesystem::temp_directory_path() /
                 ("plotrex-bench-survey-" + std::to_string(getpid()) + ".csv"))
                    .string()) {
        std::ofstream out(path_, std::ios::binary);
        out << "latitude,longitude,depth\n";
        char line[64];
        for (long i = 0; i < kLines; ++i) {
            const double t = static_cast<double>(i) / kLines;
            std::snprintf(line, sizeof line, "%.7f,%.7f,%.2f\n", 47.5 + 0.2 * t,
                          -5.0 + 0.3 * t + 0.0002 * std::sin(i * 0.3),
                          60.0 + 20.0 * std::sin(t * 9));
            out << line;
        }
    }
    ~Survey() { std::filesystem::remove(path_); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

void BM_HistoricCsvRead(benchmark::State& state) {
    static const Survey survey;
    for (auto _ : state) {
        HistoricProfileCsv csv;
        if (!csv.AddFile(survey.Path())) {
            state.SkipWithError("unread");
            return;
        }
        benchmark::DoNotOptimize(csv.Points().data());
    }
    state.counters["us_per_line"] = benchmark::Counter(
        static_cast<double>(kLines + 1) * 1e-6,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_HistoricCsvRead)->Unit(benchmark::kMillisecond);

}  // namespace
