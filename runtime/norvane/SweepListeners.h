#pragma once
// The callbacks registered with the sounder, from any thread. A callback
// withdrawn is never called once its withdrawal returned: withdrawing waits
// for a call in progress.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "hostfamily/ZXNorvaneApi.h"
#include "runtime/norvane/SweepPlan.h"

namespace norvane {

class SweepListeners {
  public:
    // 1 when registered (again or for the first time), 0 for null.
    int32_t AddSweep(ZXSweepCallback callback);
    int32_t AddEvent(ZXEventCallback callback);
    // 1 when it was registered.
    int32_t RemoveSweep(ZXSweepCallback callback);
    int32_t RemoveEvent(ZXEventCallback callback);

    bool AnyoneListens() const { return hasSweepListeners_.load(); }
    // Hands every sweep to every sweep callback, each with its own copy of
    // the samples; which channels reached at least one.
    std::array<bool, 2> HandOver(const std::vector<OutgoingSweep>& sweeps);
    void Raise(int16_t code);

  private:
    // Held while a callback runs; recursive for callbacks that call back.
    std::recursive_mutex mutex_;
    std::vector<ZXSweepCallback> sweepCallbacks_;
    std::vector<ZXEventCallback> eventCallbacks_;
    std::atomic<bool> hasSweepListeners_{false};
};

}  // namespace norvane
