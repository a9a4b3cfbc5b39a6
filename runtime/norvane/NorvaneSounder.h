#pragma once
// The simulated two-channel sounder. It pings on a thread of its own on the
// ship's clock (or, for tests, on the caller's thread), hands every sweep to
// the registered callbacks, detects the bottom and answers the module's
// queries. Changes of mode, range and properties take effect on the next ping.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "hostfamily/ZXNorvaneApi.h"
#include "hostfamily/ZXNorvaneControl.h"
#include "runtime/norvane/BottomDetector.h"
#include "runtime/norvane/EchoModel.h"
#include "runtime/norvane/SounderSettings.h"

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
    ZXNorvaneStatistics Statistics();
    int32_t SetPlayback(bool on);
    int32_t PlaySweep(const ZXNorvaneRecordedSweep& sweep);

  private:
    struct Reference {
        int32_t tenths = 0;
        bool valid = false;
    };
    // What one ping was made with: the callbacks' queries answer from it.
    struct PingRecord {
        const NorvaneSounder* sounder;
        SounderSettings settings;
        Reference reference;
    };

    // A recorded sweep waiting for its time.
    struct Recorded {
        double time = 0.0;
        bool lowFrequency = false;
        double top = 0.0;
        double bottom = 0.0;
        double depth = 0.0;
        std::vector<uint8_t> levels;
    };
    // One channel's sweep as it goes out, with its samples.
    struct Outgoing {
        ZXRawSweep sweep;
        std::vector<uint8_t> samples;
    };

    void Run();
    // Whether a ping or a recorded sweep falls due by the clock.
    bool DueLocked() const;
    // One ping, or the next recorded sweep while playing.
    bool Step(bool onlyWhenDue, int32_t* sweeps);
    // The front recorded sweep at its due time; false when there is none due.
    bool Play(bool onlyWhenDue, int32_t* sweeps);
    // Hands the sweeps to every registered callback, as made under record.
    void HandOver(const PingRecord& record, std::vector<Outgoing>& outgoing);
    static bool Clean(const ZXNorvaneEnvironment& given, ZXNorvaneEnvironment& environment);
    void AddEnvironmentLocked(const ZXNorvaneEnvironment& environment);
    void SetShipTimeLocked(double time);
    // One ping at its due time; false with nothing done when it is not due
    // yet (and due was asked for). Adds the sweeps delivered to *sweeps.
    bool Ping(bool onlyWhenDue, int32_t* sweeps);
    double ClockLocked() const;
    ZXNorvaneEnvironment EnvironmentAtLocked(double time);
    double IntervalLocked() const;
    void RaiseEvent(int16_t code);
    void DeliverSweep(const ZXRawSweep& sweep);
    std::optional<int> AutoRangeLocked(const std::optional<double>& depthMetres);
    const PingRecord* CurrentPing() const;

    // Serialises pings (and resets) against each other.
    std::recursive_mutex pingMutex_;
    // Held while a callback runs, so that unregistering waits for it.
    std::recursive_mutex callbackMutex_;
    std::vector<ZXSweepCallback> sweepCallbacks_;
    std::vector<ZXEventCallback> eventCallbacks_;
    std::atomic<bool> hasSweepListeners_{false};

    // Everything below is guarded by mutex_.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    SounderSettings settings_;
    ZXNorvaneOptions options_{};
    std::deque<ZXNorvaneEnvironment> environments_;
    bool hostClock_ = false;
    bool timeline_ = false;  // a ship time was given
    double hostTime_ = 0.0;
    std::chrono::steady_clock::time_point wallOrigin_;
    double nextPing_ = 0.0;
    double lastPing_ = 0.0;
    bool pinged_ = false;
    bool pinging_ = false;
    uint64_t pingCount_ = 0;
    double distance_ = 0.0;
    BottomDetector detector_;
    BottomDetector lowDetector_;  // LF's own in dual frequency
    Reference reference_;
    int lostPings_ = 0;
    ZXNorvaneStatistics statistics_{};
    bool stopping_ = false;
    bool playback_ = false;
    std::deque<Recorded> recorded_;

    std::thread thread_;
};

}  // namespace norvane
