#pragma once
// The simulated sounder library as the module itself loads it (its own
// loader, from ../NORVANE/ beside the tests), with the library's control entry
// points for tests.
#include "echo/SounderLibrary.h"
#include "tests/support/NorvaneLibrary.h"

struct RealSounder : NorvaneLibrary {
    RealSounder() {
        SetSounderLibrary(nullptr);
        moduleApi = GetSounderLibrary();
    }

    // The module found the same library the test drives.
    bool Ready() const {
        return Loaded() && moduleApi == api && ping != nullptr && waitIdle != nullptr &&
               getStatistics != nullptr;
    }
    ZXSounder* Sounder() const { return moduleApi->GetSounder(); }

    ZXNorvaneAPI* moduleApi = nullptr;
};
