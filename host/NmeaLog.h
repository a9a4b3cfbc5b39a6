#pragma once
// Replay of an NMEA 0183 log: the sentences a navigation host reads for its
// own ship (position, heading, depth, water temperature, time), with the
// checksum verified and every line it cannot use accounted for.
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

// What one usable sentence says. Unset fields were not in the sentence.
struct NmeaFix {
    std::optional<double> time;       // seconds since 1970 (UTC), or seconds of the day
    bool timeHasDate = false;         // time includes a calendar date
    std::optional<double> latitude;   // radians
    std::optional<double> longitude;  // radians
    std::optional<double> heading;    // radians from true north
    std::optional<double> course;     // course over ground, radians from true north
    std::optional<double> speedKnots;
    std::optional<double> depthMetres;
    std::optional<double> temperatureCelsius;
};

enum class NmeaLineKind {
    kUsed,            // a sentence of interest, parsed
    kSkipped,         // a well-formed sentence we do not use, or a blank line
    kMalformed,       // not a sentence, or a used sentence with unreadable fields
    kChecksumFailed,  // the checksum does not match
};

struct NmeaLine {
    NmeaLineKind kind = NmeaLineKind::kSkipped;
    std::string sentence;  // "GGA", "RMC"... when known
    NmeaFix fix;
};

// Parses one line (with or without its line ending).
NmeaLine ParseNmeaLine(const std::string& line);

struct NmeaStats {
    std::int64_t lines = 0;
    std::int64_t used = 0;
    std::int64_t skipped = 0;
    std::int64_t malformed = 0;
    std::int64_t checksumFailed = 0;
};

// The own ship's state as the log tells it at one instant.
struct NmeaState {
    double time = 0.0;  // seconds since 1970, or since the first time of day seen
    double latitude = 0.0;
    double longitude = 0.0;
    bool hasPosition = false;
    std::optional<double> heading;
    std::optional<double> course;
    std::optional<double> speedKnots;
    std::optional<double> depthMetres;
    std::optional<double> temperatureCelsius;
};

// Reads a whole log into the ship's states at each new time stamp: one state
// per instant, in log order, taken when the time moves on.
class NmeaLog {
  public:
    // False, with a reason, when the file cannot be read.
    bool Load(const std::string& path, std::string& error);
    void Read(std::istream& in);

    const std::vector<NmeaState>& States() const { return states_; }
    const NmeaStats& Stats() const { return stats_; }

  private:
    void Apply(const NmeaFix& fix);
    void CloseInstant();

    std::vector<NmeaState> states_;
    NmeaStats stats_;
    NmeaState current_;
    std::optional<double> instant_;   // the time of the state being gathered
    std::optional<double> dayStart_;  // date of the last dated sentence, midnight
    double lastDayTime_ = -1.0;
};
