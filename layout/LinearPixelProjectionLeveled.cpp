#include "layout/LinearPixelProjectionLeveled.h"

#include <array>
#include <cmath>

namespace {

// Chart scales 1:N, one per level from 3, thousands separated by a blank.
// Levels above kMaxLevel are never set but keep their labels.
constexpr int kLadderFirstLevel = 3;
constexpr std::array<const char*, 20> kScaleLadder = {
    "100",        "250",        "500",        "1 000",       "2 500",
    "5 000",      "10 000",     "25 000",     "50 000",      "100 000",
    "250 000",    "500 000",    "1 000 000",  "2 500 000",   "5 000 000",
    "10 000 000", "25 000 000", "50 000 000", "100 000 000", "250 000 000",
};

// 2^exponent by repeated squaring: exact for every level.
double PowerOfTwo(int exponent) {
    double result = 1.0;
    double square = 2.0;
    for (; exponent > 0; exponent >>= 1) {
        if (exponent & 1) {
            result *= square;
        }
        square *= square;
    }
    return result;
}

}  // namespace

LinearPixelProjectionLeveled::LinearPixelProjectionLeveled(
    const LinearPixelProjectionLeveled& other)
    : LinearPixelProjection(false) {
    scale = other.scale;
    origin = other.origin;
    multiplier = other.multiplier;
}

LinearPixelProjectionLeveled& LinearPixelProjectionLeveled::operator=(
    const LinearPixelProjectionLeveled& other) {
    inverted = false;
    scale = other.scale;
    origin = other.origin;
    multiplier = other.multiplier;
    return *this;
}

void LinearPixelProjectionLeveled::SetLevel(std::int16_t level) {
    const std::int16_t clamped = level < kMinLevel   ? kMinLevel
                                 : level > kMaxLevel ? kMaxLevel
                                                     : level;
    multiplier = PowerOfTwo(clamped);
}

std::int16_t LinearPixelProjectionLeveled::GetLevel(bool& exact) const {
    const double l = std::log(multiplier) / std::log(2.0);
    // An unset, zero or negative multiplier has no level; a finite l lies
    // within +-1075 and always fits 16 bits.
    if (!std::isfinite(l)) {
        exact = false;
        return 0;
    }
    const double level = std::trunc(l >= 0.0 ? l + 0.5 : l - 0.5);
    exact = std::fabs(level - l) <= 1e-6 * std::fabs(l);
    return static_cast<std::int16_t>(level);
}

bool LinearPixelProjectionLeveled::InitScale(double value) {
    if (value == 0.0 || !std::isfinite(value)) {
        return false;
    }
    scale = value / 32.0;
    multiplier = 8.0;
    return true;
}

bool LinearPixelProjectionLeveled::IsValidLevel(int level) {
    return level >= 3 && level < 16;
}

const char* LinearPixelProjectionLeveled::ScaleLabel(int level) {
    const int index = level - kLadderFirstLevel;
    if (index < 0 || index >= static_cast<int>(kScaleLadder.size())) {
        return "-";
    }
    return kScaleLadder[static_cast<std::size_t>(index)];
}

const char* LinearPixelProjectionLeveled::GetScaleLabel() const {
    bool exact = false;
    return ScaleLabel(GetLevel(exact));
}
