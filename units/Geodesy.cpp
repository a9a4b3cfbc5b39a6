#include "units/Geodesy.h"

#include <algorithm>
#include <cmath>

#include "hostfamily/Undefined.h"

namespace {

// Moves lon2 by one turn toward lon1 when the two are more than half a turn
// apart, so that the difference takes the short way round.
double WrappedLongitudeDifference(double lon1, double lon2) {
    double delta = lon2 - lon1;
    if (std::fabs(delta) > kPi) {
        lon2 += lon2 < lon1 ? kTwoPi : -kTwoPi;
        delta = lon2 - lon1;
    }
    return delta;
}

void RhumbLine(double lat1, double lon1, double lat2, double lon2, double* course,
               double* distance) {
    if (lat1 == lat2 && lon1 == lon2) {
        *course = 0.0;
        *distance = 0.0;
        return;
    }
    const double dLon = WrappedLongitudeDifference(lon1, lon2);
    double c;
    if (dLon != 0.0) {
        const double dPsi = std::log(((1.0 + std::sin(lat2)) * std::cos(lat1)) /
                                     ((1.0 + std::sin(lat1)) * std::cos(lat2)));
        c = std::atan2(dLon, dPsi);
        if (c < 0.0) {
            c += kTwoPi;
        }
    } else {
        c = lat2 <= lat1 ? kPi : 0.0;
    }
    *course = c;
    const double cosCourse = std::cos(c);
    *distance = std::fabs(cosCourse) >= 0.01 ? std::fabs((lat2 - lat1) / cosCourse)
                                             : std::fabs(std::cos(lat1) * dLon);
}

double AwayFromPole(double lat) {
    if (lat == kHalfPi) {
        return lat - 1e-8;
    }
    if (lat == -kHalfPi) {
        return lat + 1e-8;
    }
    return lat;
}

void GreatCircle(double lat1, double lon1, double lat2, double lon2, double* course,
                 double* distance) {
    if (lat1 == lat2 && lon1 == lon2) {
        *course = 0.0;
        *distance = 0.0;
        return;
    }
    const double dLon = WrappedLongitudeDifference(lon1, lon2);
    lat1 = AwayFromPole(lat1);
    lat2 = AwayFromPole(lat2);
    constexpr double kShortLimit = 0.08726646502812703;  // 5 degrees of longitude
    if (std::fabs(dLon) <= kShortLimit) {
        double c = std::atan(
            dLon / std::log(std::tan(lat2 / 2.0 + kPi / 4.0) / std::tan(lat1 / 2.0 + kPi / 4.0)));
        if (lat1 > lat2) {
            c += kPi;
        } else if (dLon < 0.0) {
            c += kTwoPi;
        }
        *course = c;
        *distance = lat1 == lat2 ? std::fabs(std::cos(lat1) * dLon)
                                 : std::fabs((lat2 - lat1) / std::cos(c));
        return;
    }
    // Rounding can push the cosines a hair outside [-1, 1]; asin would then
    // give NaN for what is a plain 0 or 90 degrees.
    const double cosCentral = std::clamp(
        std::sin(lat1) * std::sin(lat2) + std::cos(lat1) * std::cos(lat2) * std::cos(dLon), -1.0,
        1.0);
    const double central = kHalfPi - std::asin(cosCentral);
    const double k = std::clamp((std::sin(lat2) - std::cos(central) * std::sin(lat1)) /
                                    (std::cos(lat1) * std::sin(central)),
                                -1.0, 1.0);
    const double fromNorth = kHalfPi - std::asin(k);
    *course = dLon >= 0.0 ? fromNorth : kTwoPi - fromNorth;
    *distance = std::fabs(central);
}

}  // namespace

bool ComputeCourseDistance(double lat1, double lon1, double lat2, double lon2, double* course,
                           double* distance, int method) {
    *course = kUndefined;
    *distance = kUndefined;
    if (IsUndefined(lat1) || IsUndefined(lon1) || IsUndefined(lat2) || IsUndefined(lon2)) {
        return false;
    }
    switch (method) {
        case kGreatCircle:
            GreatCircle(lat1, lon1, lat2, lon2, course, distance);
            return true;
        case kRhumbLine:
            RhumbLine(lat1, lon1, lat2, lon2, course, distance);
            return true;
        default:
            return false;
    }
}

bool Destination(double lat, double lon, double course, double distance, double* lat2,
                 double* lon2) {
    *lat2 = kUndefined;
    *lon2 = kUndefined;
    if (IsUndefined(lat) || IsUndefined(lon) || IsUndefined(course) || IsUndefined(distance)) {
        return false;
    }
    if (course < 0.0 || course > kTwoPi || distance < 0.0 || distance > kPi) {
        return false;
    }
    const double endLat = lat + distance * std::cos(course);
    double endLon = lon + distance * std::sin(course) / std::cos((endLat + lat) / 2.0);
    if (endLon > kPi) {
        endLon -= kTwoPi;
    } else if (endLon < -kPi) {
        endLon += kTwoPi;
    }
    *lat2 = endLat;
    *lon2 = endLon;
    return true;
}

double NormalizeAngle(double a) {
    if (IsUndefined(a)) {
        return a;
    }
    double turns = std::trunc(a / kTwoPi);
    if (a < 0.0) {
        turns -= 1.0;
    }
    double result = a - kTwoPi * turns;
    // A whole negative number of turns lands on 2pi itself, outside the range.
    if (result >= kTwoPi) {
        result -= kTwoPi;
    }
    return result;
}

namespace {

// The signed turn from x to y the short way, in (-pi, pi].
double Turn(double x, double y) {
    double d = y - x;
    if (d > kPi) {
        d -= kTwoPi;
    } else if (d <= -kPi) {
        d += kTwoPi;
    }
    return d;
}

bool InRange(double v) {
    return v >= 0.0 && v < kTwoPi;
}

}  // namespace

bool AngleInSector(double v, double a, double b) {
    if (!InRange(v) || !InRange(a) || !InRange(b)) {
        return false;
    }
    if (a == b) {
        return v == a;
    }
    const double whole = Turn(a, b);
    const double first = Turn(a, v);
    const double second = Turn(v, b);
    if (whole > 0.0) {
        return first >= 0.0 && second >= 0.0;
    }
    return first <= 0.0 && second <= 0.0;
}
