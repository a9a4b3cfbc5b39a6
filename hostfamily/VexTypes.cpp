#include <cmath>
#include <cstdio>

#include "hostfamily/PosType.h"

namespace {

std::string FormatAngle(double radians, int degreeDigits, char positive, char negative) {
    const double degrees = std::fabs(radians) * 180.0 / M_PI;
    int whole = static_cast<int>(degrees);
    double minutes = (degrees - whole) * 60.0;
    if (minutes >= 59.9995) {
        minutes = 0.0;
        ++whole;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%0*d\xC2\xB0%06.3f'%c", degreeDigits, whole, minutes,
                  radians < 0.0 ? negative : positive);
    return text;
}

}  // namespace

std::string FormatPosition(const PosType& position) {
    if (position.IsNoPos()) {
        return "no position";
    }
    return FormatAngle(position.First(), 2, 'N', 'S') + " " +
           FormatAngle(position.Second(), 3, 'E', 'W');
}
