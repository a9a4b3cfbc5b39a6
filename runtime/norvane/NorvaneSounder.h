#pragma once
// The simulated two-channel sounder as the library offers it: its settings
// and commands, and the thread that pings on the ship's clock (or, for
// tests, the caller's thread), or plays a recording instead, and hands every
// sweep to the registered callbacks. Changes of mode, range and properties
// take effect on the next ping.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"
#include "runtime/norvane/AutoRange.h"
#include "runtime/norvane/PingSimulator.h"
#include "runtime/norvane/RecordedPlayback.h"
#include "runtime/norvane/ShipTimeline.h"
#include "runtime/norvane/SounderSettings.h"
#include "runtime/norvane/SweepListeners.h"
#include "runtime/norvane/SweepPlan.h"

namespace norvane {

class NorvaneSounder final : public ZXSounder {
  public:
    NorvaneSounder();
    ~NorvaneSounder();
    NorvaneSounder(const NorvaneSounder&) = delete;
    NorvaneSounder& operator=(const NorvaneSounder&) = delete;

    int32_t RegisterSweepCallback(ZXSweepCallback callback) override;
    int32_t RegisterEventCallback(ZXEventCallback callback) override;
    int32_t UnregisterSweepCallback(ZXSweepCallback callback) override;
    int32_t UnregisterEventCallback(ZXEventCallback callback) override;
    int32_t GetModes(int16_t* frequencyMode, int16_t* zoomMode) override;
    int32_t GetRange(int32_t channel, int32_t* range, int32_t* shift) override;
    int32_t GetShift(int32_t channel, int32_t* shift) override;
    int32_t GetRangeTable(int16_t* locked, int32_t ranges[8]) override;
    int16_t GetDepthUnit(int16_t* unit, int32_t* reserved) override;
    int32_t GetReferenceDepth(int32_t* reserved, int32_t* depth, int32_t* valid) override;
    int32_t SetMode(int32_t encodedMode) override;
    int32_t SetRange(int32_t encoded, int32_t channel, int32_t range, int32_t shift) override;
    OGRFeature* GetProperties(int32_t set, int32_t reserved) override;
    int32_t SetProperties(OGRFeature* feature, int32_t set, int32_t reserved) override;

    int32_t SetEnvironment(const ZXNorvaneEnvironment& environment);
    int32_t ForecastEnvironment(const ZXNorvaneEnvironment& environment);
    int32_t SetShipTime(double time);
    void Reset(const ZXNorvaneOptions& options);
    int32_t PingNow();
    int32_t CatchUp();
    bool WaitIdle(uint32_t timeoutMilliseconds);
    void SetThreaded(bool on);
    ZXNorvaneStatistics Statistics();
    int32_t SetPlayback(bool on);
    int32_t PlaySweep(const ZXNorvaneRecordedSweep& sweep);
    // Everything that decides the pings, sweeps, events and statistics from
    // now on, between two pings; the listeners and the threaded switch are
    // not part of it.
    std::vector<uint8_t> SaveState();
    // False, with nothing changed, for a blob that is not a whole, sound one.
    bool RestoreState(const uint8_t* data, std::size_t size);

  private:
    // What one ping was made with: the callbacks' queries answer from it.
    struct PingRecord {
        const NorvaneSounder* sounder;
        SounderSettings settings;
        ReferenceDepth reference;
    };

    void Run();
    // Whether a ping or a recorded sweep falls due by the clock.
    bool DueLocked() const;
    // One ping, or the next recorded sweep while playing.
    bool Step(bool onlyWhenDue, int32_t* sweeps);
    // One ping at its due time; false with nothing done when it is not due
    // yet (and due was asked for). Adds the sweeps delivered to *sweeps.
    bool Ping(bool onlyWhenDue, int32_t* sweeps);
    // The front recorded sweep at its due time; false when there is none due.
    bool Play(bool onlyWhenDue, int32_t* sweeps);
    // Hands the sweeps over, as made under record, and ends the ping.
    void Deliver(const PingRecord& record, const std::vector<OutgoingSweep>& sweeps,
                 int32_t* delivered);
    double IntervalLocked() const;
    void RaiseEvent(int16_t code);
    const PingRecord* CurrentPing() const;

    // Serialises pings (and resets) against each other.
    std::recursive_mutex pingMutex_;
    SweepListeners listeners_;
    PingSimulator simulator_;  // under pingMutex_

    // Everything below is guarded by mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    SounderSettings settings_;
    ZXNorvaneOptions options_{};
    ShipTimeline timeline_;
    bool pinging_ = false;
    AutoRange autoRange_;
    ReferenceDepth reference_;
    ZXNorvaneStatistics statistics_{};
    bool stopping_ = false;
    RecordedPlayback playback_;

    std::thread thread_;
};

}  // namespace norvane
