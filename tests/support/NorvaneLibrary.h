#pragma once
// The sounder library as the module loads it: dlopen from ../NORVANE/ beside
// the programs, and its entry points resolved. Closing it joins its thread.
#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"

class NorvaneLibrary {
  public:
    NorvaneLibrary() {
        const std::string path = PLOTREX_BIN_DIR "/../NORVANE/ZXNorvane.so";
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
            return;
        }
        Resolve(getApi, "GetZXNorvaneAPI");
        Resolve(setEnvironment, "ZXNorvaneSetEnvironment");
        Resolve(forecast, "ZXNorvaneForecastEnvironment");
        Resolve(setShipTime, "ZXNorvaneSetShipTime");
        Resolve(reset, "ZXNorvaneReset");
        Resolve(ping, "ZXNorvanePing");
        Resolve(catchUp, "ZXNorvaneCatchUp");
        Resolve(waitIdle, "ZXNorvaneWaitIdle");
        Resolve(setThreaded, "ZXNorvaneSetThreaded");
        Resolve(getStatistics, "ZXNorvaneGetStatistics");
        Resolve(playback, "ZXNorvanePlayback");
        Resolve(playSweep, "ZXNorvanePlaySweep");
        Resolve(saveState, "ZXNorvaneSaveState");
        Resolve(restoreState, "ZXNorvaneRestoreState");
        if (getApi != nullptr) {
            api = getApi();
            sounder = api->GetSounder();
            encoder = api->GetModeEncoder();
        }
    }
    ~NorvaneLibrary() {
        if (handle_ != nullptr) {
            dlclose(handle_);
        }
    }
    NorvaneLibrary(const NorvaneLibrary&) = delete;
    NorvaneLibrary& operator=(const NorvaneLibrary&) = delete;

    bool Loaded() const { return sounder != nullptr && reset != nullptr; }

    void Environment(double time, double depth, double hardness = 0.5, double speed = 5.0) const {
        const ZXNorvaneEnvironment environment{time, depth, hardness, speed};
        setEnvironment(&environment);
    }
    // As a host saves it: a sounder working on its thread moves on between
    // two calls, so the state may have grown (ask again) or shrunk (keep
    // what was written).
    std::vector<uint8_t> SaveState() const {
        std::vector<uint8_t> state;
        for (int attempt = 0; attempt < 8; ++attempt) {
            const int32_t size = saveState(state.data(), static_cast<uint32_t>(state.size()));
            if (size <= 0) {
                break;
            }
            if (static_cast<std::size_t>(size) <= state.size()) {
                state.resize(static_cast<std::size_t>(size));
                return state;
            }
            state.resize(static_cast<std::size_t>(size) + 1024);
        }
        ADD_FAILURE() << "the sounder did not save its state";
        return {};
    }
    bool RestoreState(const std::vector<uint8_t>& state) const {
        return restoreState(state.data(), static_cast<uint32_t>(state.size())) == 1;
    }
    ZXNorvaneStatistics Statistics() const {
        ZXNorvaneStatistics statistics{};
        getStatistics(&statistics);
        return statistics;
    }
    bool SetMode(int frequency, int zoom) const {
        return sounder->SetMode(encoder->Encode(static_cast<int16_t>(frequency),
                                                static_cast<int16_t>(zoom))) != 0;
    }
    bool SetRange(int range, int shift = 0) const {
        return sounder->SetRange(encoder->Encode(), 0, range, shift) != 0 &&
               sounder->SetRange(encoder->Encode(), 1, range, shift) != 0;
    }

    GetZXNorvaneAPIFunction getApi = nullptr;
    ZXNorvaneSetEnvironmentFunction setEnvironment = nullptr;
    ZXNorvaneForecastEnvironmentFunction forecast = nullptr;
    ZXNorvaneSetShipTimeFunction setShipTime = nullptr;
    ZXNorvaneResetFunction reset = nullptr;
    ZXNorvanePingFunction ping = nullptr;
    ZXNorvaneCatchUpFunction catchUp = nullptr;
    ZXNorvaneWaitIdleFunction waitIdle = nullptr;
    ZXNorvaneSetThreadedFunction setThreaded = nullptr;
    ZXNorvaneGetStatisticsFunction getStatistics = nullptr;
    ZXNorvanePlaybackFunction playback = nullptr;
    ZXNorvanePlaySweepFunction playSweep = nullptr;
    ZXNorvaneSaveStateFunction saveState = nullptr;
    ZXNorvaneRestoreStateFunction restoreState = nullptr;
    ZXNorvaneAPI* api = nullptr;
    ZXSounder* sounder = nullptr;
    ZXModeEncoder* encoder = nullptr;

  private:
    template <typename Function>
    void Resolve(Function& function, const char* name) {
        function = reinterpret_cast<Function>(dlsym(handle_, name));
        if (function == nullptr) {
            ADD_FAILURE() << "no entry point " << name;
        }
    }

    void* handle_ = nullptr;
};
