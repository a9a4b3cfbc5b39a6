#pragma once
// Where the host's own-ship data comes from, one snapshot per host cycle: the
// built-in voyage, or a replayed NMEA log or sonar recording.
#include <memory>
#include <string>
#include <vector>

#include "host/geodata/DepthModel.h"
#include "host/geodata/HistoricPoint.h"
#include "host/replay/FeedMark.h"
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
    // The feed's place after the last snapshot given, small enough to keep
    // many; null when the feed cannot mark.
    virtual std::unique_ptr<FeedMark> Mark() const { return nullptr; }
    // Puts the feed back at a mark of this feed or of another one opened on
    // the same file, back or forward: every call after it answers as the
    // marked feed did after the mark. False, with nothing changed, for a
    // mark of another kind of feed or of another file.
    virtual bool Restore(const FeedMark& /*mark*/) { return false; }
};
