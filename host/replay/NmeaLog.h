#pragma once
// Replay of an NMEA 0183 log: the sentences a navigation host reads for its
// own ship (position, heading, depth, water temperature, time), with the
// checksum verified and every line it cannot use accounted for.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/files/LineReader.h"
#include "host/replay/NmeaClock.h"
#include "host/replay/NmeaLine.h"
#include "platform/Error.h"

// Every line read falls in exactly one count besides lines; time jumps
// count the stamps out of line, whose sentences are used all the same.
struct NmeaStats {
    std::int64_t lines = 0;
    std::int64_t used = 0;
    std::int64_t skipped = 0;         // including the sentences of other receivers
    std::int64_t otherReceivers = 0;  // of the skipped ones
    std::int64_t noData = 0;
    std::int64_t malformed = 0;
    std::int64_t checksumFailed = 0;
    std::int64_t tooLong = 0;
    std::int64_t outOfRange = 0;
    std::int64_t timeJumps = 0;
};

// The own ship's state as the log tells it at one instant.
struct NmeaState {
    double time = 0.0;  // seconds of replay since the first time stamp
    double latitude = 0.0;
    double longitude = 0.0;
    bool hasPosition = false;
    std::optional<double> heading;
    std::optional<double> course;
    std::optional<double> speedKnots;
    std::optional<double> depthMetres;
    std::optional<double> temperatureCelsius;
};

// Reads a log as a stream of the ship's states, one per instant of the log
// that has a position, in the order of the log: every fix is sailed. Only
// the current line and instant are held, whatever the length of the log.
class NmeaLog {
    struct Receivers;

  public:
    // Where the reading stands between two states, to read on from there
    // again: the offset in the file and what the reader knows by then.
    struct Place {
        std::uint64_t offset = 0;
        bool afterCarriageReturn = false;
        NmeaStats stats;
        NmeaClock clock;
        NmeaState current;
        bool instantOpen = false;
        bool untimedPosition = false;
        bool finished = false;
        std::string source;
        std::shared_ptr<const Receivers> receivers;
        std::string candidate;
        int candidateFixes = 0;
        std::optional<double> candidateSince;
    };

    // NMEA sentences are at most 82 characters; loggers may put a time stamp
    // and a tag block before them.
    static constexpr std::size_t kLongestLine = 256;

    NmeaLog() = default;
    NmeaLog(const NmeaLog&) = delete;
    NmeaLog& operator=(const NmeaLog&) = delete;

    // Refused when the file cannot be read.
    ErrorOr<void> Open(const std::string& path);
    // Reads from a stream the caller keeps alive.
    void Attach(std::istream& in);

    // The next state; false at the end of the log.
    bool Next(NmeaState& state);

    const NmeaStats& Stats() const { return stats_; }
    // Bytes read so far, and the size of the file (0 for a stream).
    std::uint64_t Offset() const { return reader_ ? reader_->Offset() : 0; }
    std::uint64_t Size() const { return size_; }
    // Reading stopped on an error before the end of the log.
    bool ReadFailed() const { return reader_ && reader_->Failed(); }
    // The receiver the positions come from, by the talkers it used ("GP",
    // "GN/GP") or its logger's source; empty before the first fix.
    const std::string& PositionSource() const { return receivers_->sourceName; }

    // The place after the state Next gave last.
    Place Here() const;
    // Reads on from a place of this log; false when the stream cannot be
    // put back there.
    bool Resume(const Place& place);

  private:
    void Count(const NmeaLine& line);
    // False when the line belongs to another receiver than the one followed.
    bool FromFollowedReceiver(const NmeaLine& line);
    // Adds a talker to the name of the receiver followed.
    void NameTalker(const std::string& talker);
    void Apply(const NmeaLine& line);
    // The instant under way made a state, and a new one started at the
    // clock's time.
    void OpenInstant();
    void CloseInstant();

    // Receivers (the satellite talkers of one as one): the talkers of the one
    // followed, and the others seen with a fix. Shared by the places kept,
    // copied when they change, which is seldom.
    struct Receivers {
        std::vector<std::string> sourceTalkers;
        std::string sourceName;
        std::vector<std::string> others;
    };
    Receivers& EditReceivers();

    std::unique_ptr<std::ifstream> file_;
    std::istream* in_ = nullptr;
    std::unique_ptr<LineReader> reader_;
    std::uint64_t size_ = 0;
    NmeaStats stats_;
    NmeaClock clock_;
    NmeaState current_;
    bool instantOpen_ = false;      // an instant is being gathered
    bool untimedPosition_ = false;  // its position came from a fix without a time
    std::optional<NmeaState> ready_;
    bool finished_ = false;

    // The receiver followed, and the one that would take over if the
    // followed one stayed silent.
    std::string source_;
    std::shared_ptr<Receivers> receivers_ = std::make_shared<Receivers>();
    std::string candidate_;
    int candidateFixes_ = 0;
    std::optional<double>
        candidateSince_;  // its first time of day while the followed one is silent
};
