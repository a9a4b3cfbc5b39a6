#include "host/NmeaLog.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace {

constexpr double kDeg = M_PI / 180.0;

std::vector<std::string> SplitFields(const std::string& body) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    while (true) {
        const auto comma = body.find(',', start);
        fields.push_back(body.substr(start, comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// A strict decimal number: the whole field, nothing else.
std::optional<double> Number(const std::string& field) {
    if (field.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (end != field.c_str() + field.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

struct FieldError {};

double Require(const std::optional<double>& value) {
    if (!value) {
        throw FieldError{};
    }
    return *value;
}

// "4916.45" with "N" -> radians. degreeDigits is 2 for latitudes, 3 for longitudes.
std::optional<double> Angle(const std::string& value, const std::string& hemisphere,
                            int degreeDigits, char positive, char negative) {
    if (value.empty() && hemisphere.empty()) {
        return std::nullopt;
    }
    const auto number = Number(value);
    const auto dot = value.find('.');
    const std::size_t integerDigits = dot == std::string::npos ? value.size() : dot;
    if (!number || *number < 0 || integerDigits < static_cast<std::size_t>(degreeDigits) + 2 ||
        hemisphere.size() != 1) {
        throw FieldError{};
    }
    const double degrees = std::floor(*number / 100.0);
    const double minutes = *number - degrees * 100.0;
    const double limit = degreeDigits == 2 ? 90.0 : 180.0;
    if (minutes >= 60.0 || degrees + minutes / 60.0 > limit) {
        throw FieldError{};
    }
    const double sign = hemisphere[0] == positive ? 1.0 : hemisphere[0] == negative ? -1.0 : 0.0;
    if (sign == 0.0) {
        throw FieldError{};
    }
    return sign * (degrees + minutes / 60.0) * kDeg;
}

// "hhmmss.ss" -> seconds of the day.
std::optional<double> TimeOfDay(const std::string& field) {
    if (field.empty()) {
        return std::nullopt;
    }
    const auto number = Number(field);
    if (!number || field.size() < 6) {
        throw FieldError{};
    }
    const double hours = std::floor(*number / 10000.0);
    const double minutes = std::floor((*number - hours * 10000.0) / 100.0);
    const double seconds = *number - hours * 10000.0 - minutes * 100.0;
    if (hours >= 24 || minutes >= 60 || seconds >= 61) {
        throw FieldError{};
    }
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

// Midnight UTC of a calendar date, in seconds since 1970.
double DaySeconds(int year, int month, int day) {
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31) {
        throw FieldError{};
    }
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    return static_cast<double>(timegm(&date));
}

std::optional<double> Heading(const std::string& field) {
    const auto value = Number(field);
    if (!field.empty() && (!value || *value < 0.0 || *value > 360.0)) {
        throw FieldError{};
    }
    if (!value) {
        return std::nullopt;
    }
    return std::fmod(*value, 360.0) * kDeg;
}

// DBT and DBS: depth in feet, metres and fathoms; the first unit present wins,
// metres preferred.
std::optional<double> DepthInUnits(const std::vector<std::string>& f) {
    if (f.size() < 7) {
        throw FieldError{};
    }
    if (auto metres = Number(f[3])) {
        return *metres;
    }
    if (auto feet = Number(f[1])) {
        return *feet * 0.3048;
    }
    if (auto fathoms = Number(f[5])) {
        return *fathoms * 1.8288;
    }
    if (!f[1].empty() || !f[3].empty() || !f[5].empty()) {
        throw FieldError{};
    }
    return std::nullopt;
}

void ParseFields(const std::string& type, const std::vector<std::string>& f, NmeaFix& fix) {
    auto need = [&](std::size_t count) {
        if (f.size() < count) {
            throw FieldError{};
        }
    };
    if (type == "GGA") {
        need(7);
        fix.time = TimeOfDay(f[1]);
        // Quality 0 is no fix: the position fields are not to be trusted.
        if (f[6] != "0" && !f[6].empty()) {
            fix.latitude = Angle(f[2], f[3], 2, 'N', 'S');
            fix.longitude = Angle(f[4], f[5], 3, 'E', 'W');
        }
    } else if (type == "RMC") {
        need(10);
        const auto timeOfDay = TimeOfDay(f[1]);
        if (f[2] == "A") {
            fix.latitude = Angle(f[3], f[4], 2, 'N', 'S');
            fix.longitude = Angle(f[5], f[6], 3, 'E', 'W');
            fix.speedKnots = Number(f[7]);
            fix.course = Heading(f[8]);
        } else if (f[2] != "V") {
            throw FieldError{};
        }
        if (timeOfDay && f[9].size() == 6) {
            const int date = std::atoi(f[9].c_str());
            const int year = date % 100;
            fix.time = DaySeconds(year < 70 ? 2000 + year : 1900 + year, (date / 100) % 100,
                                  date / 10000) +
                       *timeOfDay;
            fix.timeHasDate = true;
        } else if (!f[9].empty()) {
            throw FieldError{};
        } else {
            fix.time = timeOfDay;
        }
    } else if (type == "GLL") {
        need(5);
        const bool valid = f.size() < 7 || f[6] == "A";
        if (valid) {
            fix.latitude = Angle(f[1], f[2], 2, 'N', 'S');
            fix.longitude = Angle(f[3], f[4], 3, 'E', 'W');
        }
        if (f.size() > 5) {
            fix.time = TimeOfDay(f[5]);
        }
    } else if (type == "HDT") {
        need(2);
        fix.heading = Heading(f[1]);
    } else if (type == "HDG") {
        need(2);
        // Magnetic heading, corrected by deviation and variation when given.
        auto magnetic = Number(f[1]);
        if (!magnetic) {
            throw FieldError{};
        }
        double heading = *magnetic;
        for (std::size_t i = 2; i + 1 < f.size() && i <= 4; i += 2) {
            if (auto correction = Number(f[i])) {
                heading += f[i + 1] == "W" ? -*correction : *correction;
            }
        }
        heading = std::fmod(std::fmod(heading, 360.0) + 360.0, 360.0);
        fix.heading = heading * kDeg;
    } else if (type == "VTG") {
        need(2);
        fix.course = Heading(f[1]);
        if (f.size() > 5) {
            fix.speedKnots = Number(f[5]);
        }
    } else if (type == "DBT" || type == "DBS") {
        fix.depthMetres = DepthInUnits(f);
    } else if (type == "DPT") {
        need(2);
        const auto depth = Number(f[1]);
        if (!depth) {
            if (!f[1].empty()) {
                throw FieldError{};
            }
            return;
        }
        // A positive offset is the transducer's depth below the surface.
        const auto offset = f.size() > 2 ? Number(f[2]) : std::nullopt;
        fix.depthMetres = *depth + (offset && *offset > 0.0 ? *offset : 0.0);
    } else if (type == "MTW") {
        need(3);
        fix.temperatureCelsius = Require(Number(f[1]));
        if (f[2] != "C") {
            throw FieldError{};
        }
    } else if (type == "ZDA") {
        need(5);
        const auto timeOfDay = TimeOfDay(f[1]);
        if (timeOfDay) {
            fix.time = DaySeconds(std::atoi(f[4].c_str()), std::atoi(f[3].c_str()),
                                  std::atoi(f[2].c_str())) +
                       *timeOfDay;
            fix.timeHasDate = true;
        }
    }
}

bool IsUsed(const std::string& type) {
    static const char* const kUsedTypes[] = {"GGA", "RMC", "GLL", "HDT", "HDG", "VTG",
                                             "DBT", "DPT", "DBS", "MTW", "ZDA"};
    for (const char* used : kUsedTypes) {
        if (type == used) {
            return true;
        }
    }
    return false;
}

}  // namespace

NmeaLine ParseNmeaLine(const std::string& raw) {
    NmeaLine result;
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    if (line.empty()) {
        return result;
    }
    if (line[0] != '$' && line[0] != '!') {
        // Loggers put time stamps or NMEA 4 tag blocks (\s:...*hh\) before
        // the sentence: skip to where it starts.
        const auto start = line.find_first_of("$!");
        if (start == std::string::npos) {
            result.kind = NmeaLineKind::kMalformed;
            return result;
        }
        line.erase(0, start);
    }
    std::string body = line.substr(1);
    const auto star = body.find('*');
    if (star != std::string::npos) {
        const std::string given = body.substr(star + 1);
        body.resize(star);
        unsigned sum = 0;
        for (unsigned char ch : body) {
            sum ^= ch;
        }
        char* end = nullptr;
        const unsigned long expected = std::strtoul(given.c_str(), &end, 16);
        if (given.size() != 2 || *end != '\0' ||
            !std::isxdigit(static_cast<unsigned char>(given[0]))) {
            result.kind = NmeaLineKind::kMalformed;
            return result;
        }
        if (expected != sum) {
            result.kind = NmeaLineKind::kChecksumFailed;
            return result;
        }
    }
    const std::vector<std::string> fields = SplitFields(body);
    const std::string& address = fields[0];
    if (address.size() < 5 || address[0] == 'P') {
        // Proprietary sentences and short addresses carry nothing we read.
        result.kind = address.empty() ? NmeaLineKind::kMalformed : NmeaLineKind::kSkipped;
        return result;
    }
    result.sentence = address.substr(address.size() - 3);
    if (!IsUsed(result.sentence)) {
        return result;
    }
    try {
        ParseFields(result.sentence, fields, result.fix);
        result.kind = NmeaLineKind::kUsed;
    } catch (const FieldError&) {
        result.kind = NmeaLineKind::kMalformed;
        result.fix = NmeaFix();
    }
    return result;
}

bool NmeaLog::Load(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the NMEA log " + path;
        return false;
    }
    Read(in);
    if (in.bad()) {
        error = "error while reading the NMEA log " + path;
        return false;
    }
    return true;
}

void NmeaLog::Read(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        ++stats_.lines;
        const NmeaLine parsed = ParseNmeaLine(line);
        switch (parsed.kind) {
            case NmeaLineKind::kUsed:
                ++stats_.used;
                Apply(parsed.fix);
                break;
            case NmeaLineKind::kSkipped:
                ++stats_.skipped;
                break;
            case NmeaLineKind::kMalformed:
                ++stats_.malformed;
                break;
            case NmeaLineKind::kChecksumFailed:
                ++stats_.checksumFailed;
                break;
        }
    }
    CloseInstant();
}

void NmeaLog::Apply(const NmeaFix& fix) {
    if (fix.time) {
        double time = *fix.time;
        if (fix.timeHasDate) {
            dayStart_ = std::floor(time / 86400.0) * 86400.0;
            lastDayTime_ = time - *dayStart_;
        } else {
            // A time of day: on the last date seen, rolling over at midnight.
            if (!dayStart_) {
                dayStart_ = 0.0;
            }
            if (lastDayTime_ >= 0.0 && time < lastDayTime_ - 43200.0) {
                *dayStart_ += 86400.0;
            }
            lastDayTime_ = time;
            time += *dayStart_;
        }
        // Time stamps that go backwards belong to an instant already taken.
        if (!instant_ || time > *instant_) {
            CloseInstant();
            instant_ = time;
            current_.time = time;
        }
    }
    if (fix.latitude && fix.longitude) {
        current_.latitude = *fix.latitude;
        current_.longitude = *fix.longitude;
        current_.hasPosition = true;
    }
    if (fix.heading)
        current_.heading = fix.heading;
    if (fix.course)
        current_.course = fix.course;
    if (fix.speedKnots)
        current_.speedKnots = fix.speedKnots;
    if (fix.depthMetres)
        current_.depthMetres = fix.depthMetres;
    if (fix.temperatureCelsius)
        current_.temperatureCelsius = fix.temperatureCelsius;
}

void NmeaLog::CloseInstant() {
    if (instant_ && current_.hasPosition) {
        states_.push_back(current_);
    }
}
