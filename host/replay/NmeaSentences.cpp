#include "host/replay/NmeaSentences.h"

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace nmea;

namespace {

constexpr double kDeg = M_PI / 180.0;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerFathom = 1.8288;
constexpr double kFastestKnots = 1000.0;

// Time 1, latitude 2-3, longitude 4-5; a fix quality (6) of 0 or none means
// the position is not to be trusted.
void ReadGga(const Fields& f, NmeaFix& fix, Verdict& v) {
    fix.secondsOfDay = TimeOfDay(f[1], v);
    if (f[6] != "0" && !f[6].empty()) {
        fix.latitude = Latitude(f[2], f[3], v);
        fix.longitude = Longitude(f[4], f[5], v);
    }
}

// "ddmmyy"; two-digit years from 70 are of the last century.
void ReadRmcDate(std::string_view date, NmeaFix& fix, Verdict& v) {
    if (date.size() == 6 && AllDigits(date)) {
        const long year = Digits(date.substr(4, 2));
        fix.day = Date(year < 70 ? 2000 + year : 1900 + year, Digits(date.substr(2, 2)),
                       Digits(date.substr(0, 2)), v);
    } else if (!date.empty()) {
        v.Malformed();
    }
}

// Time 1, date 9; with status A (2): latitude 3-4, longitude 5-6, speed 7,
// course 8.
void ReadRmc(const Fields& f, NmeaFix& fix, Verdict& v) {
    fix.secondsOfDay = TimeOfDay(f[1], v);
    if (f[2] == "A") {
        fix.latitude = Latitude(f[3], f[4], v);
        fix.longitude = Longitude(f[5], f[6], v);
        fix.speedKnots = Bounded(f[7], 0.0, kFastestKnots, v);
        fix.course = Direction(f[8], v);
    } else if (f[2] != "V") {
        v.Malformed();
    }
    ReadRmcDate(f[9], fix, v);
}

// Latitude 1-2, longitude 3-4 with status A (6), time 5. Before status
// fields existed, every GLL was a fix.
void ReadGll(const Fields& f, NmeaFix& fix, Verdict& v) {
    if (f.Size() < 7 || f[6] == "A") {
        fix.latitude = Latitude(f[1], f[2], v);
        fix.longitude = Longitude(f[3], f[4], v);
    } else if (f[6] != "V") {
        v.Malformed();
    }
    fix.secondsOfDay = TimeOfDay(f[5], v);
}

// True heading 1.
void ReadHdt(const Fields& f, NmeaFix& fix, Verdict& v) {
    fix.heading = Direction(f[1], v);
}

// Magnetic heading 1, corrected by deviation 2-3 and variation 4-5 when given.
void ReadHdg(const Fields& f, NmeaFix& fix, Verdict& v) {
    const auto magnetic = Bounded(f[1], 0.0, 360.0, v);
    double heading = magnetic ? *magnetic : 0.0;
    for (std::size_t i = 2; i <= 4; i += 2) {
        const auto correction = Bounded(f[i], 0.0, 180.0, v);
        if (!correction) {
            continue;
        }
        if (f[i + 1] == "W") {
            heading -= *correction;
        } else if (f[i + 1] == "E") {
            heading += *correction;
        } else {
            v.Malformed();
        }
    }
    if (magnetic) {
        fix.heading = std::fmod(std::fmod(heading, 360.0) + 360.0, 360.0) * kDeg;
    }
}

// Course 1, knots 5; old talkers write course, magnetic course, knots, km/h
// without unit letters, knots then in 3.
void ReadVtg(const Fields& f, NmeaFix& fix, Verdict& v) {
    fix.course = Direction(f[1], v);
    fix.speedKnots = Bounded(f[2] == "T" || f.Size() > 5 ? f[5] : f[3], 0.0, kFastestKnots, v);
}

// Feet 1, metres 3, fathoms 5: metres when given, else the first unit present.
void ReadDepthBelow(const Fields& f, NmeaFix& fix, Verdict& v) {
    const auto feet = Depth(f[1], kMetresPerFoot, v);
    const auto metres = Depth(f[3], 1.0, v);
    const auto fathoms = Depth(f[5], kMetresPerFathom, v);
    fix.depthMetres = metres ? metres : feet ? feet : fathoms;
}

// Depth 1 and offset 2: a positive offset is the transducer's depth below
// the surface; a negative one is to the keel, which the host allows for
// itself.
void ReadDpt(const Fields& f, NmeaFix& fix, Verdict& v) {
    const auto depth = Depth(f[1], 1.0, v);
    const auto offset = Bounded(f[2], -kDeepestMetres, kDeepestMetres, v);
    if (depth) {
        fix.depthMetres = *depth + (offset && *offset > 0.0 ? *offset : 0.0);
    }
}

// Water temperature 1 in degrees Celsius (2).
void ReadMtw(const Fields& f, NmeaFix& fix, Verdict& v) {
    fix.temperatureCelsius = Bounded(f[1], kColdestCelsius, kWarmestCelsius, v);
    if (!f[2].empty() && f[2] != "C") {
        v.Malformed();
    }
}

// Time 1, day 2, month 3, year 4; receivers without a date yet leave the
// date fields empty.
void ReadZda(const Fields& f, NmeaFix& fix, Verdict& v) {
    fix.secondsOfDay = TimeOfDay(f[1], v);
    const std::string_view day = f[2];
    const std::string_view month = f[3];
    const std::string_view year = f[4];
    if (day.empty() && month.empty() && year.empty()) {
        return;
    }
    if (day.empty() || day.size() > 2 || !AllDigits(day) || month.empty() || month.size() > 2 ||
        !AllDigits(month) || year.size() != 4 || !AllDigits(year)) {
        v.Malformed();
        return;
    }
    fix.day = Date(Digits(year), Digits(month), Digits(day), v);
}

constexpr NmeaSentence kSentences[] = {
    // Position receivers.
    {"GGA", 7, true, ReadGga},
    {"RMC", 10, true, ReadRmc},
    {"GLL", 5, true, ReadGll},
    {"VTG", 2, true, ReadVtg},
    {"ZDA", 5, true, ReadZda},
    // Compasses, sounders and thermometers.
    {"HDT", 2, false, ReadHdt},
    {"HDG", 2, false, ReadHdg},
    {"DBT", 2, false, ReadDepthBelow},
    {"DBS", 2, false, ReadDepthBelow},
    {"DPT", 2, false, ReadDpt},
    {"MTW", 2, false, ReadMtw},
};

}  // namespace

const NmeaSentence* FindNmeaSentence(std::string_view type) {
    const auto found = std::find_if(std::begin(kSentences), std::end(kSentences),
                                    [type](const NmeaSentence& s) { return s.type == type; });
    return found == std::end(kSentences) ? nullptr : found;
}
