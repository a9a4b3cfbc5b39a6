#include "host/replay/NmeaFields.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace nmea {

namespace {

constexpr double kDeg = M_PI / 180.0;
// Up to this many digits the mantissa and the power of ten are both exact.
constexpr int kExactDigits = 15;

// A number of more digits than are exact: the rest of the pattern checked,
// then rounded by the library.
std::optional<double> LongDecimal(std::string_view field, std::size_t signLength,
                                  Verdict& verdict) {
    const std::string text(field);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    const bool pattern = std::count(text.begin(), text.end(), '.') <= 1 &&
                         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(signLength),
                                     text.end(), [](char ch) { return IsDigit(ch) || ch == '.'; });
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

// degreeDigits is 2 for latitudes, 3 for longitudes.
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

bool LeapYear(long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

long DaysSinceEpoch(long year, long month, long day) {
    year -= month <= 2 ? 1 : 0;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

Fields::Fields(std::string_view body) {
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

bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsDigit);
}

long Digits(std::string_view text) {
    long value = 0;
    for (char ch : text) {
        value = value * 10 + (ch - '0');
    }
    return value;
}

// A hexadecimal number is a value, but not one an instrument means.
std::optional<double> Decimal(std::string_view field, Verdict& verdict) {
    if (field.empty()) {
        return std::nullopt;
    }
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const std::size_t sign = field[0] == '+' || field[0] == '-' ? 1 : 0;
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (std::size_t k = sign; k < field.size() && digits <= kExactDigits; ++k) {
        const char ch = field[k];
        if (IsDigit(ch)) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(ch - '0');
            ++digits;
            decimals += point ? 1 : 0;
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            const std::string_view rest = field.substr(sign);
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
    if (digits > kExactDigits) {
        return LongDecimal(field, sign, verdict);
    }
    // Both exact, so the quotient is the correctly rounded value.
    const double value = static_cast<double>(mantissa) / kPowers[decimals];
    return field[0] == '-' ? -value : value;
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

std::optional<double> Latitude(std::string_view value, std::string_view hemisphere,
                               Verdict& verdict) {
    return Angle(value, hemisphere, 2, 'N', 'S', verdict);
}

std::optional<double> Longitude(std::string_view value, std::string_view hemisphere,
                                Verdict& verdict) {
    return Angle(value, hemisphere, 3, 'E', 'W', verdict);
}

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

std::optional<long> Date(long year, long month, long day, Verdict& verdict) {
    static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1980 || month < 1 || month > 12 || day < 1 ||
        day > kMonthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0)) {
        verdict.OutOfRange();
        return std::nullopt;
    }
    return DaysSinceEpoch(year, month, day);
}

}  // namespace nmea
