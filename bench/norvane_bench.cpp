// The sounder library's cost per ping (two channels of 1000 samples, made,
// quantised and handed over), against a frame copy made from memory in the
// same run.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/FrameCopy.h"
#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"

namespace {

void OnSweep(ZXRawSweep* sweep) {
    benchmark::DoNotOptimize(sweep->samples[sweep->sampleCount - 1]);
}

void BM_NorvaneDualFrequencyPing(benchmark::State& state) {
    char self[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    path = path.substr(0, path.find_last_of('/') + 1) + "../NORVANE/ZXNorvane.so";
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        state.SkipWithError("no sounder library");
        return;
    }
    auto api = reinterpret_cast<GetZXNorvaneAPIFunction>(dlsym(library, "GetZXNorvaneAPI"))();
    auto reset = reinterpret_cast<ZXNorvaneResetFunction>(dlsym(library, "ZXNorvaneReset"));
    auto setEnvironment = reinterpret_cast<ZXNorvaneSetEnvironmentFunction>(
        dlsym(library, "ZXNorvaneSetEnvironment"));
    auto ping = reinterpret_cast<ZXNorvanePingFunction>(dlsym(library, "ZXNorvanePing"));
    const ZXNorvaneOptions options{1, 0, 0.0, 1};
    reset(&options);
    ZXSounder* sounder = api->GetSounder();
    sounder->SetMode(api->GetModeEncoder()->Encode(5, 1));
    sounder->SetRange(api->GetModeEncoder()->Encode(), 0, 200, 0);
    sounder->SetRange(api->GetModeEncoder()->Encode(), 1, 200, 0);
    sounder->RegisterSweepCallback(OnSweep);
    const ZXNorvaneEnvironment environment{0.0, 120.0, 0.5, 8.0};
    setEnvironment(&environment);
    const double start = benchframe::ThreadSeconds();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ping());
    }
    const double pingMs =
        1000.0 * (benchframe::ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["frame_copy_ms"] = benchframe::FrameCopyFromMemoryMs();
    state.counters["x_frame_copy"] = pingMs / state.counters["frame_copy_ms"];
    sounder->UnregisterSweepCallback(OnSweep);
    dlclose(library);
}
BENCHMARK(BM_NorvaneDualFrequencyPing)->Unit(benchmark::kMicrosecond);

}  // namespace
