// The library's exported entry points: the API object the module asks for,
// and the simulator's own controls.
#include <cstring>
#include <limits>
#include <vector>

#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"
#include "runtime/norvane/NorvaneModeEncoder.h"
#include "runtime/norvane/NorvaneSounder.h"

#define NORVANE_EXPORT __attribute__((visibility("default")))

namespace {

class NorvaneApi final : public ZXNorvaneAPI {
  public:
    ZXSounder* GetSounder() override { return &sounder_; }
    ZXModeEncoder* GetModeEncoder() override { return &encoder_; }
    norvane::NorvaneSounder& Sounder() { return sounder_; }

  private:
    norvane::NorvaneSounder sounder_;
    norvane::NorvaneModeEncoder encoder_;
};

// Made at first use, taken down (its thread joined) when the library unloads.
NorvaneApi& Api() {
    static NorvaneApi api;
    return api;
}

}  // namespace

extern "C" {

NORVANE_EXPORT ZXNorvaneAPI* GetZXNorvaneAPI() {
    return &Api();
}

NORVANE_EXPORT int32_t ZXNorvaneSetEnvironment(const ZXNorvaneEnvironment* environment) {
    return environment == nullptr ? 0 : Api().Sounder().SetEnvironment(*environment);
}

NORVANE_EXPORT int32_t ZXNorvaneForecastEnvironment(const ZXNorvaneEnvironment* environment) {
    return environment == nullptr ? 0 : Api().Sounder().ForecastEnvironment(*environment);
}

NORVANE_EXPORT int32_t ZXNorvaneSetShipTime(double shipTimeSeconds) {
    return Api().Sounder().SetShipTime(shipTimeSeconds);
}

NORVANE_EXPORT int32_t ZXNorvaneReset(const ZXNorvaneOptions* options) {
    const ZXNorvaneOptions defaults{1, 1, 0.0, 0};
    Api().Sounder().Reset(options == nullptr ? defaults : *options);
    return 1;
}

NORVANE_EXPORT int32_t ZXNorvanePing() {
    return Api().Sounder().PingNow();
}

NORVANE_EXPORT int32_t ZXNorvaneCatchUp() {
    return Api().Sounder().CatchUp();
}

NORVANE_EXPORT int32_t ZXNorvaneWaitIdle(uint32_t timeoutMilliseconds) {
    return Api().Sounder().WaitIdle(timeoutMilliseconds) ? 1 : 0;
}

NORVANE_EXPORT int32_t ZXNorvaneSetThreaded(int32_t on) {
    Api().Sounder().SetThreaded(on != 0);
    return 1;
}

NORVANE_EXPORT int32_t ZXNorvaneGetStatistics(ZXNorvaneStatistics* statistics) {
    if (statistics == nullptr) {
        return 0;
    }
    *statistics = Api().Sounder().Statistics();
    return 1;
}

NORVANE_EXPORT int32_t ZXNorvanePlayback(int32_t on) {
    return Api().Sounder().SetPlayback(on != 0);
}

NORVANE_EXPORT int32_t ZXNorvanePlaySweep(const ZXNorvaneRecordedSweep* sweep) {
    return sweep == nullptr ? 0 : Api().Sounder().PlaySweep(*sweep);
}

NORVANE_EXPORT int32_t ZXNorvaneSaveState(uint8_t* buffer, uint32_t capacity) {
    const std::vector<uint8_t> state = Api().Sounder().SaveState();
    if (state.size() > static_cast<std::size_t>(std::numeric_limits<int32_t>::max())) {
        return 0;
    }
    if (buffer != nullptr && state.size() <= capacity) {
        std::memcpy(buffer, state.data(), state.size());
    }
    return static_cast<int32_t>(state.size());
}

NORVANE_EXPORT int32_t ZXNorvaneRestoreState(const uint8_t* buffer, uint32_t size) {
    return Api().Sounder().RestoreState(buffer, size) ? 1 : 0;
}
}
