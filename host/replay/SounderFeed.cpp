#include "host/replay/SounderFeed.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "hostfamily/Undefined.h"
#include "hostfamily/ZXNorvaneApi.h"

namespace {

constexpr int16_t kDualFrequency = 5;
constexpr int16_t kNoZoom = 1;

// Long enough for the pings of one cycle on a slow machine under sanitizers.
constexpr uint32_t kSettleMilliseconds = 60000;

template <typename Function>
Function Resolve(void* handle, const char* name) {
    return reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

SounderFeed::SounderFeed(const std::string& executableFolder) {
    const std::string path = executableFolder + "../NORVANE/ZXNorvane.so";
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        return;
    }
    reset_ = Resolve<ZXNorvaneResetFunction>(handle_, "ZXNorvaneReset");
    setEnvironment_ = Resolve<ZXNorvaneSetEnvironmentFunction>(handle_, "ZXNorvaneSetEnvironment");
    forecast_ =
        Resolve<ZXNorvaneForecastEnvironmentFunction>(handle_, "ZXNorvaneForecastEnvironment");
    setShipTime_ = Resolve<ZXNorvaneSetShipTimeFunction>(handle_, "ZXNorvaneSetShipTime");
    waitIdle_ = Resolve<ZXNorvaneWaitIdleFunction>(handle_, "ZXNorvaneWaitIdle");
    catchUp_ = Resolve<ZXNorvaneCatchUpFunction>(handle_, "ZXNorvaneCatchUp");
    setThreaded_ = Resolve<ZXNorvaneSetThreadedFunction>(handle_, "ZXNorvaneSetThreaded");
    getStatistics_ = Resolve<ZXNorvaneGetStatisticsFunction>(handle_, "ZXNorvaneGetStatistics");
    playback_ = Resolve<ZXNorvanePlaybackFunction>(handle_, "ZXNorvanePlayback");
    playSweep_ = Resolve<ZXNorvanePlaySweepFunction>(handle_, "ZXNorvanePlaySweep");
    saveState_ = Resolve<ZXNorvaneSaveStateFunction>(handle_, "ZXNorvaneSaveState");
    restoreState_ = Resolve<ZXNorvaneRestoreStateFunction>(handle_, "ZXNorvaneRestoreState");
    if (reset_ == nullptr || setEnvironment_ == nullptr || forecast_ == nullptr ||
        setShipTime_ == nullptr || waitIdle_ == nullptr || getStatistics_ == nullptr) {
        // Another sounder library: the host has nothing to tell it.
        dlclose(handle_);
        handle_ = nullptr;
        return;
    }
    const ZXNorvaneOptions options{1, 1, 0.0, 1};
    reset_(&options);
    // The trawler's sounder runs both frequencies, HF over LF, as its skipper
    // left it; the user changes that through the module's commands.
    const auto getApi = Resolve<GetZXNorvaneAPIFunction>(handle_, "GetZXNorvaneAPI");
    if (ZXNorvaneAPI* api = getApi != nullptr ? getApi() : nullptr; api != nullptr) {
        api->GetSounder()->SetMode(api->GetModeEncoder()->Encode(kDualFrequency, kNoZoom));
    }
}

SounderFeed::~SounderFeed() {
    if (handle_ != nullptr) {
        dlclose(handle_);
    }
}

double SounderFeed::HardnessFor(const ShipSnapshot& snapshot, double depthMetres) {
    double patches = 0.0;
    if (!snapshot.position.IsNoPos()) {
        // Patches of a few hundred metres along the way.
        const double metres = 6371000.0;
        patches = 0.15 * std::sin(snapshot.position.First() * metres / 450.0) *
                  std::cos(snapshot.position.Second() * metres / 700.0);
    }
    return std::clamp(0.9 - depthMetres / 300.0 + patches, 0.1, 0.95);
}

ZXNorvaneEnvironment SounderFeed::EnvironmentOf(const ShipSnapshot& snapshot) {
    // A cycle without a sounding keeps the last floor: it does not vanish.
    if (snapshot.depthMetres != kUndefined && snapshot.depthMetres > 0.0) {
        lastDepth_ = snapshot.depthMetres;
    }
    const double speed = snapshot.speedKnots != kUndefined ? snapshot.speedKnots : 0.0;
    return {snapshot.time, lastDepth_, HardnessFor(snapshot, lastDepth_), speed};
}

bool SounderFeed::Play(RecordedSweeps& recording) {
    if (handle_ == nullptr || playback_ == nullptr || playSweep_ == nullptr || playback_(1) == 0) {
        return false;
    }
    recording_ = &recording;
    return true;
}

void SounderFeed::HandRecorded(double shipSeconds) {
    if (recording_ == nullptr) {
        return;
    }
    ZXNorvaneRecordedSweep sweep{};
    while (recording_->NextSweep(shipSeconds, sweep)) {
        playSweep_(&sweep);
    }
}

void SounderFeed::Sail(const ShipSnapshot& snapshot) {
    if (handle_ != nullptr) {
        HandRecorded(snapshot.time);
        const ZXNorvaneEnvironment environment = EnvironmentOf(snapshot);
        setEnvironment_(&environment);
    }
}

void SounderFeed::Forecast(const ShipSnapshot& snapshot) {
    if (handle_ != nullptr) {
        HandRecorded(snapshot.time);
        const double last = lastDepth_;
        const ZXNorvaneEnvironment environment = EnvironmentOf(snapshot);
        lastDepth_ = last;
        forecast_(&environment);
    }
}

void SounderFeed::Clock(double shipSeconds) {
    if (handle_ != nullptr) {
        setShipTime_(shipSeconds);
    }
}

void SounderFeed::PingHere(bool here) {
    // A library that cannot ping on the caller's thread keeps its own.
    if (handle_ == nullptr || catchUp_ == nullptr || setThreaded_ == nullptr || here == pingHere_) {
        return;
    }
    setThreaded_(here ? 0 : 1);
    pingHere_ = here;
}

void SounderFeed::Settle() {
    if (handle_ == nullptr) {
        return;
    }
    if (pingHere_) {
        catchUp_();
        return;
    }
    if (waitIdle_(kSettleMilliseconds) == 0) {
        settleTimedOut_ = true;
    }
}

std::optional<ZXNorvaneStatistics> SounderFeed::Statistics() const {
    ZXNorvaneStatistics statistics{};
    if (handle_ == nullptr || getStatistics_(&statistics) == 0) {
        return std::nullopt;
    }
    return statistics;
}

std::optional<std::vector<std::uint8_t>> SounderFeed::SaveState() const {
    if (handle_ == nullptr || saveState_ == nullptr) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> state;
    // A sounder pinging on its thread may need more by the second call.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int32_t needed = saveState_(state.data(), static_cast<uint32_t>(state.size()));
        if (needed <= 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(needed) <= state.size()) {
            state.resize(static_cast<std::size_t>(needed));
            return state;
        }
        state.resize(static_cast<std::size_t>(needed) + 4096);
    }
    return std::nullopt;
}

bool SounderFeed::RestoreState(const std::vector<std::uint8_t>& state) {
    return handle_ != nullptr && restoreState_ != nullptr && state.size() <= UINT32_MAX &&
           restoreState_(state.data(), static_cast<uint32_t>(state.size())) == 1;
}

std::string SounderFeed::Summary() const {
    const std::optional<ZXNorvaneStatistics> statistics = Statistics();
    if (!statistics) {
        return std::string();
    }
    char line[256];
    std::string text;
    std::snprintf(
        line, sizeof line,
        "Sounder: %llu pings, sweeps received %llu (channel 0) and %llu (channel 1), %llu events\n",
        static_cast<unsigned long long>(statistics->pings),
        static_cast<unsigned long long>(statistics->sweeps[0]),
        static_cast<unsigned long long>(statistics->sweeps[1]),
        static_cast<unsigned long long>(statistics->events));
    text += line;
    if (recording_ != nullptr) {
        std::snprintf(line, sizeof line, "  Recorded sweeps played: %llu (%llu refused)\n",
                      static_cast<unsigned long long>(statistics->played),
                      static_cast<unsigned long long>(statistics->playRefused));
        text += line;
    }
    if (statistics->referenceValid != 0) {
        std::snprintf(line, sizeof line,
                      "  Last reference depth: %.1f (tenths of the sounder's unit: %d)\n",
                      statistics->referenceDepth * 0.1, statistics->referenceDepth);
    } else {
        std::snprintf(line, sizeof line, "  Last reference depth: none (no bottom found)\n");
    }
    text += line;
    if (settleTimedOut_) {
        text += "  The sounder fell behind the ship's clock\n";
    }
    return text;
}
