#pragma once
// The sweeps of one sounder channel, numbered as they arrive and placed along
// the track when the ship has moved. User-interface thread only.
#include <cstdint>
#include <deque>

#include "echo/QuillMemoryCircularBuffer.h"
#include "echo/ZxEtrEcho.h"
#include "graphdata/Extent.h"

class ZxEtrEchoContainer : public QuillMemoryCircularBuffer<ZxEtrEcho> {
  public:
    static constexpr std::uint32_t kCapacity = 1024;
    static constexpr std::int16_t kMaxPending = 1024;

    ZxEtrEchoContainer() : QuillMemoryCircularBuffer<ZxEtrEcho>(kCapacity) {}
    ~ZxEtrEchoContainer() override = default;

    // Numbers the sweep (written back into the caller's record), marks it not
    // placed and stores a copy.
    void AddSweep(ZxEtrEcho& sweep);
    // Spreads the sweeps that arrived since the last call evenly over the
    // distance run since then, the newest at distance; true when one was placed.
    bool PlaceSweeps(double distance);
    // X from the oldest placed sweep to the last placement, Y from the deepest
    // bottom of the sweeps held to the surface; undefined when empty.
    Extent GetExtent() const;

    std::uint32_t GetNextNumber() const { return nextNumber_; }
    double GetLastDistance() const { return lastDistance_; }
    double GetDeepestBottom() const { return deepestBottom_; }
    std::int16_t GetPendingCount() const { return pendingCount_; }
    // An empty store numbers on from where another one was, and places its
    // first sweeps from the other's last placement.
    void Resume(std::uint32_t nextNumber, double lastDistance) {
        nextNumber_ = nextNumber;
        lastDistance_ = lastDistance;
    }

  private:
    std::uint32_t nextNumber_ = 0;
    double lastDistance_ = 0.0;
    double deepestBottom_ = 0.0;
    // Sweeps held that are deeper than every newer one, oldest first: the
    // first is the deepest held, and when it drops out the next one is.
    struct DeepCandidate {
        std::int32_t number;
        double bottom;
    };
    std::deque<DeepCandidate> deepest_;
    std::int16_t pendingCount_ = 0;
};
