#pragma once
// The simulated sounder library as the module loads it, with its own control
// entry points for tests: reset, environment, pings, statistics.
#include <string>

#include "echo/SounderLibrary.h"
#include "platform/DynamicLibrary.h"
#include "runtime/norvane/ZXNorvaneControl.h"

struct RealSounder {
    RealSounder() {
        SetSounderLibrary(nullptr);
        api = GetSounderLibrary();
        // Already loaded by the line above: this only finds the same handle.
        HMODULE library =
            LoadLibraryExA((SounderLibraryFolder() + "ZXNorvane.so").c_str(), nullptr, 0);
        reset = Find<ZXNorvaneResetFunction>(library, "ZXNorvaneReset");
        setEnvironment = Find<ZXNorvaneSetEnvironmentFunction>(library, "ZXNorvaneSetEnvironment");
        ping = Find<ZXNorvanePingFunction>(library, "ZXNorvanePing");
        waitIdle = Find<ZXNorvaneWaitIdleFunction>(library, "ZXNorvaneWaitIdle");
        statistics = Find<ZXNorvaneGetStatisticsFunction>(library, "ZXNorvaneGetStatistics");
    }

    bool Ready() const {
        return api != nullptr && reset && setEnvironment && ping && waitIdle && statistics;
    }
    ZXSounder* Sounder() const { return api->GetSounder(); }
    ZXNorvaneStatistics Statistics() const {
        ZXNorvaneStatistics figures{};
        statistics(&figures);
        return figures;
    }
    void Environment(double time, double depth) const {
        const ZXNorvaneEnvironment environment{time, depth, 0.6, 8.0};
        setEnvironment(&environment);
    }

    template <typename Function>
    static Function Find(HMODULE library, const char* name) {
        return library != nullptr ? reinterpret_cast<Function>(GetProcAddress(library, name))
                                  : nullptr;
    }

    ZXNorvaneAPI* api = nullptr;
    ZXNorvaneResetFunction reset = nullptr;
    ZXNorvaneSetEnvironmentFunction setEnvironment = nullptr;
    ZXNorvanePingFunction ping = nullptr;
    ZXNorvaneWaitIdleFunction waitIdle = nullptr;
    ZXNorvaneGetStatisticsFunction statistics = nullptr;
};
