#include "host/replay/NmeaLog.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr double kDeg = M_PI / 180.0;

// Deeper than the deepest trench, colder than sea water can be, warmer than
// any sea: an instrument that says so is wrong.
constexpr double kDeepestMetres = 11000.0;
constexpr double kColdestCelsius = -5.0;
constexpr double kWarmestCelsius = 45.0;

// Another receiver takes over when the followed one has given no fix for this
// long (by the other's own stamps), or for this many of the other's fixes
// when they carry no time.
constexpr double kSilentSeconds = 10.0;
constexpr int kSilentFixes = 50;
// Receivers remembered; a log naming more is damaged or very unusual.
constexpr std::size_t kMostReceivers = 16;
constexpr std::size_t kLongestSource = 32;

// What is wrong with a sentence so far; damage outweighs impossible values.
class Verdict {
  public:
    void Malformed() { kind_ = NmeaLineKind::kMalformed; }
    void OutOfRange() {
        if (kind_ == NmeaLineKind::kUsed) {
            kind_ = NmeaLineKind::kOutOfRange;
        }
    }
    bool Ok() const { return kind_ == NmeaLineKind::kUsed; }
    NmeaLineKind Kind() const { return kind_; }

  private:
    NmeaLineKind kind_ = NmeaLineKind::kUsed;
};

// The comma-separated fields of a sentence; fields past the end read empty.
class Fields {
  public:
    explicit Fields(std::string_view body) {
        std::size_t start = 0;
        while (count_ < fields_.size()) {
            const auto comma = body.find(',', start);
            fields_[count_++] = body.substr(start, comma - start);
            if (comma == std::string_view::npos) {
                return;
            }
            start = comma + 1;
        }
    }
    std::size_t Size() const { return count_; }
    std::string_view operator[](std::size_t i) const {
        return i < count_ ? fields_[i] : std::string_view();
    }

  private:
    std::array<std::string_view, 24> fields_;
    std::size_t count_ = 0;
};

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

// A decimal number as NMEA writes them: an optional sign, digits and at most
// one point. A hexadecimal number is a value, but not one an instrument means.
std::optional<double> Decimal(std::string_view field, Verdict& verdict) {
    if (field.empty()) {
        return std::nullopt;
    }
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = field[0] == '+' || field[0] == '-' ? 1 : 0;
    const bool negative = field[0] == '-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (std::size_t k = i; k < field.size(); ++k) {
        const char ch = field[k];
        if (IsDigit(ch)) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(ch - '0');
            ++digits;
            decimals += point ? 1 : 0;
            if (digits > 15) {
                break;
            }
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            const std::string_view rest = field.substr(i);
            if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
                verdict.OutOfRange();
            } else {
                verdict.Malformed();
            }
            return std::nullopt;
        }
    }
    if (digits == 0) {
        verdict.Malformed();
        return std::nullopt;
    }
    if (digits <= 15) {
        // Both exact, so the quotient is the correctly rounded value.
        const double value = static_cast<double>(mantissa) / kPowers[decimals];
        return negative ? -value : value;
    }
    // Rare long numbers: check the rest of the pattern, then let the library round.
    const std::string text(field);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const bool pattern = std::count(text.begin(), text.end(), '.') <= 1 &&
                         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                                     [](char ch) { return IsDigit(ch) || ch == '.'; });
    if (!pattern || end != text.c_str() + text.size()) {
        verdict.Malformed();
        return std::nullopt;
    }
    if (!std::isfinite(value)) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return value;
}

// "4916.45" with "N" -> radians. degreeDigits is 2 for latitudes, 3 for longitudes.
std::optional<double> Angle(std::string_view value, std::string_view hemisphere, int degreeDigits,
                            char positive, char negative, Verdict& verdict) {
    if (value.empty()) {
        return std::nullopt;
    }
    const auto number = Decimal(value, verdict);
    if (!number) {
        return std::nullopt;
    }
    const auto dot = value.find('.');
    const std::size_t integerDigits = dot == std::string_view::npos ? value.size() : dot;
    if (integerDigits < static_cast<std::size_t>(degreeDigits) + 2 || !IsDigit(value[0]) ||
        hemisphere.size() != 1 || (hemisphere[0] != positive && hemisphere[0] != negative)) {
        verdict.Malformed();
        return std::nullopt;
    }
    const double degrees = std::floor(*number / 100.0);
    const double minutes = *number - degrees * 100.0;
    const double limit = degreeDigits == 2 ? 90.0 : 180.0;
    if (minutes >= 60.0 || degrees + minutes / 60.0 > limit) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return (hemisphere[0] == positive ? 1.0 : -1.0) * (degrees + minutes / 60.0) * kDeg;
}

// "hhmmss.ss" -> seconds of the day.
std::optional<double> TimeOfDay(std::string_view field, Verdict& verdict) {
    if (field.empty()) {
        return std::nullopt;
    }
    if (field.size() < 6 || !AllDigits(field.substr(0, 6)) ||
        (field.size() > 6 && field[6] != '.')) {
        verdict.Malformed();
        return std::nullopt;
    }
    const auto seconds = Decimal(field.substr(4), verdict);
    if (!seconds) {
        return std::nullopt;
    }
    const int hours = (field[0] - '0') * 10 + (field[1] - '0');
    const int minutes = (field[2] - '0') * 10 + (field[3] - '0');
    // Second 60 is a leap second.
    if (hours >= 24 || minutes >= 60 || *seconds >= 61.0) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return hours * 3600.0 + minutes * 60.0 + *seconds;
}

bool LeapYear(long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days from 1970-01-01 to a date of the Gregorian calendar.
long DaysSinceEpoch(long year, long month, long day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::optional<long> Date(long year, long month, long day, Verdict& verdict) {
    static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1980 || month < 1 || month > 12 || day < 1 ||
        day > kMonthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0)) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return DaysSinceEpoch(year, month, day);
}

long Digits(std::string_view text) {
    long value = 0;
    for (char ch : text) {
        value = value * 10 + (ch - '0');
    }
    return value;
}

std::optional<double> Bounded(std::string_view field, double low, double high, Verdict& verdict) {
    const auto value = Decimal(field, verdict);
    if (value && (*value < low || *value > high)) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return value;
}

std::optional<double> Direction(std::string_view field, Verdict& verdict) {
    const auto value = Bounded(field, 0.0, 360.0, verdict);
    if (!value) {
        return std::nullopt;
    }
    return std::fmod(*value, 360.0) * kDeg;
}

std::optional<double> Depth(std::string_view field, double metresPerUnit, Verdict& verdict) {
    const auto value = Decimal(field, verdict);
    if (!value) {
        return std::nullopt;
    }
    const double metres = *value * metresPerUnit;
    if (metres < 0.0 || metres > kDeepestMetres) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return metres;
}

void ParseFields(std::string_view type, const Fields& f, NmeaFix& fix, Verdict& v) {
    auto need = [&](std::size_t count) {
        if (f.Size() < count) {
            v.Malformed();
            return false;
        }
        return true;
    };
    if (type == "GGA") {
        if (!need(7)) {
            return;
        }
        fix.secondsOfDay = TimeOfDay(f[1], v);
        // Quality 0 is no fix: the position fields are not to be trusted.
        if (f[6] != "0" && !f[6].empty()) {
            fix.latitude = Angle(f[2], f[3], 2, 'N', 'S', v);
            fix.longitude = Angle(f[4], f[5], 3, 'E', 'W', v);
        }
    } else if (type == "RMC") {
        if (!need(10)) {
            return;
        }
        fix.secondsOfDay = TimeOfDay(f[1], v);
        if (f[2] == "A") {
            fix.latitude = Angle(f[3], f[4], 2, 'N', 'S', v);
            fix.longitude = Angle(f[5], f[6], 3, 'E', 'W', v);
            fix.speedKnots = Bounded(f[7], 0.0, 1000.0, v);
            fix.course = Direction(f[8], v);
        } else if (f[2] != "V") {
            v.Malformed();
        }
        const std::string_view date = f[9];
        if (date.size() == 6 && AllDigits(date)) {
            const long year = Digits(date.substr(4, 2));
            fix.day = Date(year < 70 ? 2000 + year : 1900 + year, Digits(date.substr(2, 2)),
                           Digits(date.substr(0, 2)), v);
        } else if (!date.empty()) {
            v.Malformed();
        }
    } else if (type == "GLL") {
        if (!need(5)) {
            return;
        }
        // Before status fields existed, every GLL was a fix.
        if (f.Size() < 7 || f[6] == "A") {
            fix.latitude = Angle(f[1], f[2], 2, 'N', 'S', v);
            fix.longitude = Angle(f[3], f[4], 3, 'E', 'W', v);
        } else if (f[6] != "V") {
            v.Malformed();
        }
        fix.secondsOfDay = TimeOfDay(f[5], v);
    } else if (type == "HDT") {
        if (need(2)) {
            fix.heading = Direction(f[1], v);
        }
    } else if (type == "HDG") {
        if (!need(2)) {
            return;
        }
        // Magnetic heading, corrected by deviation and variation when given.
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
    } else if (type == "VTG") {
        if (!need(2)) {
            return;
        }
        fix.course = Direction(f[1], v);
        // Old talkers write course, magnetic course, knots, km/h without unit letters.
        fix.speedKnots = Bounded(f[2] == "T" || f.Size() > 5 ? f[5] : f[3], 0.0, 1000.0, v);
    } else if (type == "DBT" || type == "DBS") {
        if (!need(2)) {
            return;
        }
        // Feet, metres and fathoms; the first unit present wins, metres preferred.
        const auto feet = Depth(f[1], 0.3048, v);
        const auto metres = Depth(f[3], 1.0, v);
        const auto fathoms = Depth(f[5], 1.8288, v);
        fix.depthMetres = metres ? metres : feet ? feet : fathoms;
    } else if (type == "DPT") {
        if (!need(2)) {
            return;
        }
        const auto depth = Depth(f[1], 1.0, v);
        // A positive offset is the transducer's depth below the surface; a
        // negative one is to the keel, which the host allows for itself.
        const auto offset = Bounded(f[2], -kDeepestMetres, kDeepestMetres, v);
        if (depth) {
            fix.depthMetres = *depth + (offset && *offset > 0.0 ? *offset : 0.0);
        }
    } else if (type == "MTW") {
        if (!need(2)) {
            return;
        }
        fix.temperatureCelsius = Bounded(f[1], kColdestCelsius, kWarmestCelsius, v);
        if (!f[2].empty() && f[2] != "C") {
            v.Malformed();
        }
    } else if (type == "ZDA") {
        if (!need(5)) {
            return;
        }
        fix.secondsOfDay = TimeOfDay(f[1], v);
        // Receivers without a date yet leave the date fields empty.
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
}

bool IsRead(std::string_view type) {
    static constexpr std::string_view kRead[] = {"GGA", "RMC", "GLL", "HDT", "HDG", "VTG",
                                                 "DBT", "DPT", "DBS", "MTW", "ZDA"};
    return std::find(std::begin(kRead), std::end(kRead), type) != std::end(kRead);
}

// Sentences of a position receiver: of another receiver, they are not ours.
bool IsReceiverSentence(std::string_view type) {
    return type == "GGA" || type == "RMC" || type == "GLL" || type == "VTG" || type == "ZDA";
}

int HexDigit(char ch) {
    if (IsDigit(ch)) {
        return ch - '0';
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    return -1;
}

// The source field ("s:GP0001") of a tag block in a logger's prefix.
std::string_view TagSource(std::string_view prefix) {
    const auto open = prefix.find('\\');
    if (open == std::string_view::npos) {
        return {};
    }
    std::string_view block = prefix.substr(open + 1);
    block = block.substr(0, block.find_first_of("*\\"));
    while (!block.empty()) {
        const auto comma = block.find(',');
        const std::string_view field = block.substr(0, comma);
        if (field.size() > 2 && field[0] == 's' && field[1] == ':') {
            const std::string_view source = field.substr(2, kLongestSource);
            // It names the receiver in the summary: printable or not at all.
            const bool printable = std::all_of(source.begin(), source.end(),
                                               [](char ch) { return ch > ' ' && ch < 0x7f; });
            return printable ? source : std::string_view();
        }
        if (comma == std::string_view::npos) {
            break;
        }
        block.remove_prefix(comma + 1);
    }
    return {};
}

bool IsSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
}

}  // namespace

bool NmeaFix::Empty() const {
    return !secondsOfDay && !day && !latitude && !longitude && !heading && !course && !speedKnots &&
           !depthMetres && !temperatureCelsius;
}

NmeaLine ParseNmeaLine(std::string_view line) {
    NmeaLine result;
    while (!line.empty() && IsSpace(line.back())) {
        line.remove_suffix(1);
    }
    while (!line.empty() && IsSpace(line.front())) {
        line.remove_prefix(1);
    }
    if (line.empty() || line[0] == '#') {
        return result;
    }
    // Loggers put time stamps or NMEA 4 tag blocks (\s:...*hh\) before the
    // sentence.
    const auto start = line.find_first_of("$!");
    if (start == std::string_view::npos) {
        result.kind = NmeaLineKind::kMalformed;
        return result;
    }
    const std::string_view tagSource = TagSource(line.substr(0, start));
    std::string_view body = line.substr(start + 1);
    const auto star = body.find('*');
    if (star != std::string_view::npos) {
        const std::string_view given = body.substr(star + 1);
        body = body.substr(0, star);
        if (given.size() != 2 || HexDigit(given[0]) < 0 || HexDigit(given[1]) < 0) {
            result.kind = NmeaLineKind::kMalformed;
            return result;
        }
        unsigned sum = 0;
        for (unsigned char ch : body) {
            sum ^= ch;
        }
        if (static_cast<unsigned>(HexDigit(given[0]) * 16 + HexDigit(given[1])) != sum) {
            result.kind = NmeaLineKind::kChecksumFailed;
            return result;
        }
    }
    const Fields fields(body);
    const std::string_view address = fields[0];
    if (address.empty() || !std::all_of(address.begin(), address.end(), [](char ch) {
            return (ch >= 'A' && ch <= 'Z') || IsDigit(ch);
        })) {
        result.kind = NmeaLineKind::kMalformed;
        return result;
    }
    if (address.size() < 5 || address[0] == 'P' || line[start] == '!') {
        // Proprietary, encapsulated (AIS) and short addresses carry nothing we read.
        return result;
    }
    const std::string_view type = address.substr(address.size() - 3);
    if (!IsRead(type)) {
        return result;
    }
    result.sentence = type;
    result.source = tagSource.empty() ? address.substr(0, address.size() - 3) : tagSource;
    Verdict verdict;
    ParseFields(type, fields, result.fix, verdict);
    result.kind = verdict.Kind();
    if (!verdict.Ok()) {
        result.fix = NmeaFix();
    } else if (result.fix.Empty()) {
        result.kind = NmeaLineKind::kNoData;
    }
    return result;
}

bool NmeaLog::Open(const std::string& path, std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = "the NMEA log " + path + " is a folder";
        return false;
    }
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file) {
        error = "cannot read the NMEA log " + path;
        return false;
    }
    const auto size = std::filesystem::file_size(path, ec);
    Attach(*file);
    file_ = std::move(file);
    size_ = ec ? 0 : size;
    return true;
}

void NmeaLog::Attach(std::istream& in) {
    reader_ = std::make_unique<NmeaLineReader>(in, kLongestLine);
}

bool NmeaLog::Next(NmeaState& state) {
    while (!ready_ && !finished_) {
        std::string_view text;
        const auto result = reader_ ? reader_->Next(text) : NmeaLineReader::Result::kEnd;
        if (result == NmeaLineReader::Result::kEnd) {
            finished_ = true;
            CloseInstant();
            break;
        }
        ++stats_.lines;
        if (result == NmeaLineReader::Result::kTooLong) {
            ++stats_.tooLong;
            continue;
        }
        const NmeaLine line = ParseNmeaLine(text);
        if (line.kind == NmeaLineKind::kUsed) {
            Apply(line);
        } else {
            Count(line);
        }
    }
    if (!ready_) {
        return false;
    }
    state = *ready_;
    ready_.reset();
    return true;
}

void NmeaLog::Count(const NmeaLine& line) {
    switch (line.kind) {
        case NmeaLineKind::kUsed:
            ++stats_.used;
            break;
        case NmeaLineKind::kSkipped:
            ++stats_.skipped;
            break;
        case NmeaLineKind::kNoData:
            ++stats_.noData;
            break;
        case NmeaLineKind::kMalformed:
            ++stats_.malformed;
            break;
        case NmeaLineKind::kChecksumFailed:
            ++stats_.checksumFailed;
            break;
        case NmeaLineKind::kOutOfRange:
            ++stats_.outOfRange;
            break;
    }
}

bool NmeaLog::FromFollowedReceiver(const NmeaLine& line) {
    if (!IsReceiverSentence(line.sentence) || line.source == source_) {
        if (line.fix.HasPosition() && line.source == source_) {
            candidate_.clear();
        }
        return true;
    }
    const bool known =
        std::find(receivers_.begin(), receivers_.end(), line.source) != receivers_.end();
    if (!line.fix.HasPosition()) {
        // Time or speed from a receiver we do not follow would be mixed with ours.
        return source_.empty() || !known;
    }
    if (!known && receivers_.size() < kMostReceivers) {
        receivers_.push_back(line.source);
    }
    if (source_.empty()) {
        source_ = line.source;
        return true;
    }
    // The followed receiver is silent as long as this one gives fixes alone.
    if (candidate_ != line.source) {
        candidate_ = line.source;
        candidateFixes_ = 0;
        candidateSince_ = line.fix.secondsOfDay;
    }
    ++candidateFixes_;
    double silent = 0.0;
    if (candidateSince_ && line.fix.secondsOfDay) {
        silent = std::fmod(*line.fix.secondsOfDay - *candidateSince_ + 86400.0, 86400.0);
        if (silent > 43200.0) {
            silent = 0.0;  // a stamp behind the first one tells nothing of silence
        }
    } else if (!candidateSince_) {
        candidateSince_ = line.fix.secondsOfDay;
    }
    if (silent < kSilentSeconds && candidateFixes_ < kSilentFixes) {
        return false;
    }
    source_ = line.source;
    candidate_.clear();
    return true;
}

void NmeaLog::Apply(const NmeaLine& line) {
    if (!FromFollowedReceiver(line)) {
        ++stats_.skipped;
        ++stats_.otherReceivers;
        return;
    }
    const NmeaFix& fix = line.fix;
    if (fix.secondsOfDay) {
        const auto step = clock_.Offer(*fix.secondsOfDay, fix.day);
        if (step == NmeaClock::Step::kJump) {
            ++stats_.timeJumps;
            return;
        }
        if (step == NmeaClock::Step::kForward) {
            CloseInstant();
            instantOpen_ = true;
            current_.time = clock_.Now();
        }
    }
    ++stats_.used;
    if (fix.HasPosition()) {
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
    if (instantOpen_ && current_.hasPosition) {
        ready_ = current_;
    }
    instantOpen_ = false;
}
