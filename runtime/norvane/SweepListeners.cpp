#include "runtime/norvane/SweepListeners.h"

#include <algorithm>

namespace norvane {

namespace {

template <class Callback>
int32_t Add(std::vector<Callback>& callbacks, Callback callback) {
    if (std::find(callbacks.begin(), callbacks.end(), callback) == callbacks.end()) {
        callbacks.push_back(callback);
    }
    return 1;
}

template <class Callback>
int32_t Remove(std::vector<Callback>& callbacks, Callback callback) {
    const auto found = std::find(callbacks.begin(), callbacks.end(), callback);
    if (found == callbacks.end()) {
        return 0;
    }
    callbacks.erase(found);
    return 1;
}

template <class Callback>
bool Registered(const std::vector<Callback>& callbacks, Callback callback) {
    return std::find(callbacks.begin(), callbacks.end(), callback) != callbacks.end();
}

}  // namespace

int32_t SweepListeners::AddSweep(ZXSweepCallback callback) {
    if (callback == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    Add(sweepCallbacks_, callback);
    hasSweepListeners_.store(true);
    return 1;
}

int32_t SweepListeners::AddEvent(ZXEventCallback callback) {
    if (callback == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    return Add(eventCallbacks_, callback);
}

int32_t SweepListeners::RemoveSweep(ZXSweepCallback callback) {
    // Waits for a sweep being handed over: afterwards the callback is gone.
    std::lock_guard lock(mutex_);
    if (Remove(sweepCallbacks_, callback) == 0) {
        return 0;
    }
    hasSweepListeners_.store(!sweepCallbacks_.empty());
    return 1;
}

int32_t SweepListeners::RemoveEvent(ZXEventCallback callback) {
    std::lock_guard lock(mutex_);
    return Remove(eventCallbacks_, callback);
}

std::array<bool, 2> SweepListeners::HandOver(const std::vector<OutgoingSweep>& sweeps) {
    std::array<bool, 2> delivered{false, false};
    for (const OutgoingSweep& out : sweeps) {
        std::lock_guard lock(mutex_);
        const std::vector<ZXSweepCallback> listeners = sweepCallbacks_;
        for (ZXSweepCallback callback : listeners) {
            // One that went away during an earlier call is not called.
            if (!Registered(sweepCallbacks_, callback)) {
                continue;
            }
            // Every listener gets its own record: a reader may rewrite it.
            std::vector<uint8_t> copy = out.samples;
            ZXRawSweep handed = out.sweep;
            handed.samples = copy.data();
            callback(&handed);
            delivered[out.sweep.channel] = true;
        }
    }
    return delivered;
}

void SweepListeners::Raise(int16_t code) {
    std::lock_guard lock(mutex_);
    const std::vector<ZXEventCallback> listeners = eventCallbacks_;
    for (ZXEventCallback callback : listeners) {
        if (Registered(eventCallbacks_, callback)) {
            callback(code);
        }
    }
}

}  // namespace norvane
