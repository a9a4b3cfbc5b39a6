#pragma once
// A replayed log of the ship's states, read as it is sailed. The states of
// the next couple of kilometres are read ahead, so that the depths ahead of
// the ship are known as a chart would know them. The host cycles on the
// ship's time, as a navigation host cycles on its clock: one snapshot a
// cycle, the latest state of the log by then (each state carries everything
// the log said before it), and the log's last state.
#include <cstdint>
#include <deque>
#include <memory>
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
    // What a reader knows at a place between two states, to read on from
    // there again.
    class ReaderPlace {
      public:
        virtual ~ReaderPlace() = default;
    };

    explicit LogFeed(double cycleSeconds) : cycleSeconds_(cycleSeconds) {}
    bool Next(ShipSnapshot& snapshot) override;
    double Progress() const override;
    double DurationSeconds() const override;
    const DepthModel& Depths() const override { return soundings_; }
    // What went wrong in the log up to the state of the last snapshot given,
    // however far ahead the log has been read.
    const LogTroubles& TroublesSailed() const { return troublesSailed_; }
    // A mark of the place after the last snapshot given, or before the first.
    std::unique_ptr<FeedMark> Mark() const override;
    // Refused when the mark is another kind of feed's, another cycle's, or
    // the file no longer shows the same size and bytes around its place.
    bool Restore(const FeedMark& mark) override;

  protected:
    // A reader's place taken every few states, as copying it costs: the
    // place at or before a state, and the states read from there to it.
    struct ReaderTrail {
        std::shared_ptr<const ReaderPlace> place;
        int statesAfter = 0;
        std::size_t soundings = 0;  // read by the place
    };
    // Where the feed stands after the last state it took from the log
    // (sailed or passed over): the reader's place, and what the feed knew
    // by then. The soundings are a count into the ones the feed shares.
    struct Place {
        ReaderTrail reader;
        std::uint64_t offset = 0;
        std::optional<NmeaState> taken;
        double trackMetres = 0.0;
        SoundingIndex soundings;
        std::optional<double> firstTime;
        double lastTime = 0.0;
        double progress = 0.0;
        LogTroubles troublesSailed;
        double cycleSeconds = 0.0;
    };
    Place Here() const;
    // Reads on from a place of this log and reads ahead of it again; false,
    // with the feed as it was, when the reader cannot go back there.
    bool Resume(const Place& place);

    // The file read, to check that a mark still fits it.
    virtual const std::string& FilePath() const = 0;
    // A second reader of the file, read on its own (the sonar feed's sweeps):
    // its place now, and back there.
    virtual std::shared_ptr<const ReaderPlace> SideHere() const { return nullptr; }
    // Whether the second reader's place is one it can go back to.
    virtual bool AcceptsSide(const ReaderPlace& /*place*/) const { return false; }
    virtual void ResumeSide(const ReaderPlace& /*place*/) {}

    // The log's next state; false at its end.
    virtual bool ReadState(NmeaState& state) = 0;
    // Bytes of the log read so far, and its size (0 when unknown).
    virtual std::uint64_t ReadOffset() const = 0;
    virtual std::uint64_t LogSize() const = 0;
    // What went wrong in the log read so far.
    virtual LogTroubles TroublesRead() const = 0;
    virtual std::shared_ptr<const ReaderPlace> ReaderHere() const = 0;
    // False, with the reader as it was, when it cannot go back there.
    virtual bool ResumeReader(const ReaderPlace& place) = 0;

    void ReadAhead();
    bool HasStates() const { return !ahead_.empty(); }
    // The log's time of the first snapshot given: snapshot times count from it.
    std::optional<double> FirstTime() const { return firstTime_; }
    double CycleSeconds() const { return cycleSeconds_; }

  private:
    class LogMark;
    struct Ahead {
        NmeaState state;
        double trackMetres = 0.0;   // along the track from the first state
        std::uint64_t offset = 0;   // bytes of the log read up to it
        LogTroubles troubles;       // read up to it
        std::size_t soundings = 0;  // read up to it
        ReaderTrail reader;
    };
    // The last state taken from the log.
    struct Taken {
        ReaderTrail reader;
        std::uint64_t offset = 0;
        std::optional<NmeaState> state;
        double trackMetres = 0.0;
        std::size_t soundings = 0;
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
    Taken taken_;
    ReaderTrail trail_;  // the reader's latest place and the states read since
    // The state taken last when the feed was put back at a place: the track
    // to the next one read adds up to the same bits as when first read.
    std::optional<NmeaState> resumedAfter_;
};
