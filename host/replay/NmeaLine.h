#pragma once
// One line of an NMEA 0183 log: the sentence it carries, checked against its
// checksum, and what it says of the own ship.
#include <optional>
#include <string>
#include <string_view>

// What one usable sentence says. Unset fields were not in the sentence.
struct NmeaFix {
    std::optional<double> secondsOfDay;  // UTC
    std::optional<long> day;             // days since 1970-01-01, when the sentence gives a date
    std::optional<double> latitude;      // radians
    std::optional<double> longitude;     // radians
    std::optional<double> heading;       // radians from true north
    std::optional<double> course;        // course over ground, radians from true north
    std::optional<double> speedKnots;
    std::optional<double> depthMetres;
    std::optional<double> temperatureCelsius;

    bool HasPosition() const { return latitude && longitude; }
    bool Empty() const;
};

enum class NmeaLineKind {
    kUsed,            // a sentence of interest, parsed
    kSkipped,         // a sentence we do not read, a comment or a blank line
    kNoData,          // a sentence of interest with nothing in it (the instrument had no value)
    kMalformed,       // damaged: not a sentence, or fields that cannot be read
    kChecksumFailed,  // the checksum does not match
    kOutOfRange,      // a value no instrument can mean (a depth of -3 m, the 31st of February)
};

struct NmeaLine {
    NmeaLineKind kind = NmeaLineKind::kSkipped;
    std::string sentence;  // "GGA", "RMC"... when known
    std::string source;    // the logger's source in a tag block, else the talker ("GP", "II")
    NmeaFix fix;
};

// Parses one line, with or without its line ending.
NmeaLine ParseNmeaLine(std::string_view line);
