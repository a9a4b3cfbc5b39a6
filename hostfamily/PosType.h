#pragma once
// A geographic position of the host's type library: first and second
// coordinate (latitude, longitude in radians for this module) in single
// precision, with a distinguished no-position value.
#include <string>

#include "hostfamily/Undefined.h"

class PosType {
  public:
    // The no-position value.
    constexpr PosType() : first_(kUndefinedFloat), second_(kUndefinedFloat) {}
    constexpr PosType(double first, double second)
        : first_(static_cast<float>(first)), second_(static_cast<float>(second)) {}

    constexpr double First() const { return first_; }
    constexpr double Second() const { return second_; }
    constexpr bool IsNoPos() const {
        return first_ == kUndefinedFloat && second_ == kUndefinedFloat;
    }

    friend constexpr bool operator==(const PosType& a, const PosType& b) {
        return a.first_ == b.first_ && a.second_ == b.second_;
    }

  private:
    float first_;
    float second_;
};

// The no-position value: both coordinates at the undefined marker.
inline constexpr PosType NoPos{};

// "47°12.345'N 002°30.000'W" for a position in radians; "no position" for NoPos.
std::string FormatPosition(const PosType& position);
