#pragma once
// Where the host's own-ship data comes from: the built-in voyage or a
// replayed NMEA log, one snapshot per host cycle.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/geodata/DepthModel.h"
#include "host/geodata/Voyage.h"
#include "host/replay/NmeaLog.h"
#include "hostfamily/PosType.h"
#include "hostfamily/Undefined.h"

// What the host knows of its ship at one cycle; undefined markers where it
// knows nothing (yet).
struct ShipSnapshot {
    double time = 0.0;  // seconds since the feed started
    PosType position = NoPos;
    double heading = kUndefined;  // radians from north
    double speedKnots = kUndefined;
    double depthMetres = kUndefined;
    double temperatureCelsius = kUndefined;
    bool towing = false;  // the ship has its net out
};

class ShipFeed {
  public:
    virtual ~ShipFeed() = default;
    // The next cycle's snapshot; false when the feed is over.
    virtual bool Next(ShipSnapshot& snapshot) = 0;
    // How far through the feed, 0..1.
    virtual double Progress() const = 0;
    // Ship seconds from the first snapshot to the last.
    virtual double DurationSeconds() const = 0;
    virtual const DepthModel& Depths() const = 0;
    virtual std::string Describe() const = 0;
    virtual double DraughtMetres() const { return 4.5; }
    // A profile surveyed earlier along part of the track, if the feed has one.
    virtual std::vector<HistoricPoint> EarlierSurvey() const { return {}; }
};

// The built-in trawler voyage, one snapshot every cycleSeconds of ship time (the whole
// voyage then fits in the profiles' 1100 points).
class BuiltInFeed final : public ShipFeed, private DepthModel {
  public:
    explicit BuiltInFeed(double cycleSeconds = 15.0);
    bool Next(ShipSnapshot& snapshot) override;
    double Progress() const override;
    double DurationSeconds() const override { return voyage_.TotalSeconds(); }
    const DepthModel& Depths() const override { return *this; }
    std::string Describe() const override;
    double DraughtMetres() const override { return voyage_.DraughtMetres(); }
    std::vector<HistoricPoint> EarlierSurvey() const override { return Voyage::EarlierSurvey(); }

  private:
    std::optional<double> DepthAt(double latitude, double longitude) const override;

    Voyage voyage_;
    double cycleSeconds_;
    bool started_ = false;
    bool finished_ = false;
};

// Soundings of a log on a grid of cells, answering with the nearest one
// within about half a kilometre. A spot of about 50 m keeps only its latest
// sounding, so the index grows with the ground covered, not with time.
class SoundingIndex final : public DepthModel {
  public:
    void Add(double latitude, double longitude, double depth);
    std::optional<double> DepthAt(double latitude, double longitude) const override;
    std::size_t Size() const { return count_; }

  private:
    struct Sounding {
        double latitude;
        double longitude;
        double depth;
        long long spot;
    };
    static long long Key(long long row, long long column) { return row * 1000003LL + column; }
    std::unordered_map<long long, std::vector<Sounding>> cells_;
    std::size_t count_ = 0;
};

// A replayed log of the ship's states, read as it is sailed. The states of
// the next couple of kilometres are read ahead, so that the depths ahead of
// the ship are known as a chart would know them.
class LogFeed : public ShipFeed {
  public:
    bool Next(ShipSnapshot& snapshot) override;
    double Progress() const override;
    double DurationSeconds() const override;
    const DepthModel& Depths() const override { return soundings_; }

  protected:
    // The log's next state; false at its end.
    virtual bool ReadState(NmeaState& state) = 0;
    // Bytes of the log read so far, and its size (0 when unknown).
    virtual std::uint64_t ReadOffset() const = 0;
    virtual std::uint64_t LogSize() const = 0;

    void ReadAhead();
    bool HasStates() const { return !ahead_.empty(); }
    // The log's time of the first snapshot given: snapshot times count from it.
    std::optional<double> FirstTime() const { return firstTime_; }

  private:
    struct Ahead {
        NmeaState state;
        double trackMetres;    // along the track from the first state
        std::uint64_t offset;  // bytes of the log read up to it
    };

    SoundingIndex soundings_;
    std::deque<Ahead> ahead_;
    double trackMetres_ = 0.0;
    bool logEnded_ = false;
    std::optional<double> firstTime_;
    double lastTime_ = 0.0;
    double progress_ = 0.0;
};

// A replayed NMEA 0183 log.
class NmeaFeed final : public LogFeed {
    struct OpenOnly {
        explicit OpenOnly() = default;
    };

  public:
    NmeaFeed(OpenOnly, std::string path) : path_(std::move(path)) {}
    // Opens the log and reads up to its first fix: null, with a reason, when
    // the file cannot be read or holds no position.
    static std::unique_ptr<NmeaFeed> Open(const std::string& path, std::string& error);

    std::string Describe() const override;
    const NmeaLog& Log() const { return log_; }

  private:
    bool ReadState(NmeaState& state) override { return log_.Next(state); }
    std::uint64_t ReadOffset() const override { return log_.Offset(); }
    std::uint64_t LogSize() const override { return log_.Size(); }

    NmeaLog log_;
    std::string path_;
};
