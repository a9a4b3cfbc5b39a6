#pragma once
// A replayed log of the ship's states, read as it is sailed. The states of
// the next couple of kilometres are read ahead, so that the depths ahead of
// the ship are known as a chart would know them. The host cycles on the
// ship's time, as a navigation host cycles on its clock: one snapshot a
// cycle, the latest state of the log by then (each state carries everything
// the log said before it), and the log's last state.
#include <cstdint>
#include <deque>
#include <optional>

#include "host/replay/NmeaLog.h"
#include "host/replay/ShipFeed.h"
#include "host/replay/SoundingIndex.h"

// What went wrong in a log up to a place in it.
struct LogTroubles {
    std::int64_t timeJumps = 0;
    std::int64_t damaged = 0;  // lines or frames set aside as damaged
};

class LogFeed : public ShipFeed {
  public:
    static constexpr double kDefaultCycleSeconds = 1.0;

    explicit LogFeed(double cycleSeconds) : cycleSeconds_(cycleSeconds) {}
    bool Next(ShipSnapshot& snapshot) override;
    double Progress() const override;
    double DurationSeconds() const override;
    const DepthModel& Depths() const override { return soundings_; }
    // What went wrong in the log up to the state of the last snapshot given,
    // however far ahead the log has been read.
    const LogTroubles& TroublesSailed() const { return troublesSailed_; }

  protected:
    // The log's next state; false at its end.
    virtual bool ReadState(NmeaState& state) = 0;
    // Bytes of the log read so far, and its size (0 when unknown).
    virtual std::uint64_t ReadOffset() const = 0;
    virtual std::uint64_t LogSize() const = 0;
    // What went wrong in the log read so far.
    virtual LogTroubles TroublesRead() const = 0;

    void ReadAhead();
    bool HasStates() const { return !ahead_.empty(); }
    // The log's time of the first snapshot given: snapshot times count from it.
    std::optional<double> FirstTime() const { return firstTime_; }
    double CycleSeconds() const { return cycleSeconds_; }

  private:
    struct Ahead {
        NmeaState state;
        double trackMetres = 0.0;  // along the track from the first state
        std::uint64_t offset = 0;  // bytes of the log read up to it
        LogTroubles troubles;      // read up to it
    };

    // Whether the next state is due as a cycle of its own.
    bool Due(const Ahead& next) const;

    double cycleSeconds_;
    SoundingIndex soundings_;
    std::deque<Ahead> ahead_;
    double trackMetres_ = 0.0;
    bool logEnded_ = false;
    std::optional<double> firstTime_;
    double lastTime_ = 0.0;
    double progress_ = 0.0;
    LogTroubles troublesSailed_;
};
