#pragma once
// The ship's clock as the sounder follows it (the host's once it gave a
// time, else the wall clock), what lies under the keel along it, when the
// next ping falls due, and how far the ship ran between pings. Its owner
// guards it with its own lock.
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>

#include "hostfamily/ZXNorvaneControl.h"
#include "runtime/norvane/EchoModel.h"

namespace norvane {

class StateReader;
class StateWriter;

class ShipTimeline {
  public:
    ShipTimeline() : wallOrigin_(std::chrono::steady_clock::now()) {}

    // A ship time the sounder takes: finite, and within some ten thousand
    // years of the clock's zero.
    static bool UsableTime(double time);
    // The environment as the sounder takes it: no bottom for a depth that is
    // not positive, depth, hardness and speed held to what a sea and a ship
    // can have; nothing for a time that is not usable.
    static std::optional<ZXNorvaneEnvironment> Clean(const ZXNorvaneEnvironment& given);

    // Back to the start; on the ship's clock, no ping comes before a time.
    void Reset(bool shipClock);
    // The environment at its time, which becomes the ship's; a time before
    // the last starts a new timeline, forgetting what was known ahead.
    void SetEnvironment(const ZXNorvaneEnvironment& environment);
    // The environment at a later time, without moving the clock.
    void Forecast(const ZXNorvaneEnvironment& environment);
    void SetTime(double time);
    // On the wall clock the time run so far is kept, not the clock's origin:
    // a restored timeline goes on from where it was saved.
    void Save(StateWriter& writer) const;
    bool Load(StateReader& reader);

    double Now() const;
    bool OnShipClock() const { return hostClock_; }
    bool PingDue() const { return nextPing_ <= Now(); }
    double NextPing() const { return nextPing_; }
    void SetNextPing(double time) { nextPing_ = time; }
    std::chrono::steady_clock::time_point NextPingOnWallClock() const;
    // The scene of the ping due, which becomes the last one; the next falls
    // due interval later.
    PingScene TakePing(double interval);

  private:
    void Add(const ZXNorvaneEnvironment& environment);
    ZXNorvaneEnvironment At(double time);

    std::deque<ZXNorvaneEnvironment> environments_;
    bool hostClock_ = false;
    bool timeline_ = false;  // a ship time was given
    double hostTime_ = 0.0;
    std::chrono::steady_clock::time_point wallOrigin_;
    double nextPing_ = 0.0;
    double lastPing_ = 0.0;
    bool pinged_ = false;
    uint64_t pingCount_ = 0;
    double distance_ = 0.0;
};

}  // namespace norvane
