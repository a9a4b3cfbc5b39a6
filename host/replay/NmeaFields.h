#pragma once
// The fields of an NMEA sentence and the readers of their values: each reader
// gives nothing for an empty field, and notes in the sentence's verdict a
// field it cannot read or a value no instrument can mean.
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "host/geodata/SeaLimits.h"
#include "host/replay/NmeaLine.h"

namespace nmea {

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

// The comma-separated fields of a sentence, the address first; fields past
// the end read empty.
class Fields {
  public:
    explicit Fields(std::string_view body);
    std::size_t Size() const { return count_; }
    std::string_view operator[](std::size_t i) const {
        return i < count_ ? fields_[i] : std::string_view();
    }

  private:
    std::array<std::string_view, 24> fields_;
    std::size_t count_ = 0;
};

// Deeper than the deepest trench, colder than sea water can be, warmer than
// any sea: an instrument that says so is wrong.
inline constexpr double kDeepestMetres = kDeepestSeaMetres;
inline constexpr double kColdestCelsius = -5.0;
inline constexpr double kWarmestCelsius = 45.0;

bool IsDigit(char ch);
bool AllDigits(std::string_view text);
// The value of a field of digits only.
long Digits(std::string_view text);

// A decimal number as NMEA writes them: an optional sign, digits and at most
// one point.
std::optional<double> Decimal(std::string_view field, Verdict& verdict);
// A number within [low, high].
std::optional<double> Bounded(std::string_view field, double low, double high, Verdict& verdict);
// Degrees from true north, 0 to 360, as radians.
std::optional<double> Direction(std::string_view field, Verdict& verdict);
// A depth in a unit of metresPerUnit metres, as metres.
std::optional<double> Depth(std::string_view field, double metresPerUnit, Verdict& verdict);
// "4916.45" with "N" as radians.
std::optional<double> Latitude(std::string_view value, std::string_view hemisphere,
                               Verdict& verdict);
std::optional<double> Longitude(std::string_view value, std::string_view hemisphere,
                                Verdict& verdict);
// "hhmmss.ss" as seconds of the day.
std::optional<double> TimeOfDay(std::string_view field, Verdict& verdict);
// A day of the Gregorian calendar as days since 1970-01-01.
std::optional<long> Date(long year, long month, long day, Verdict& verdict);

}  // namespace nmea
