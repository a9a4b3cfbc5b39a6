#include "layout/FormatSlope.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "layout/LinearPixelProjection.h"

namespace {

// Truncated toward zero, held in a long (an axis never set gives absurd ratios).
long WholePart(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(LONG_MAX)) {
        return LONG_MAX;
    }
    if (value <= static_cast<double>(LONG_MIN)) {
        return LONG_MIN;
    }
    return static_cast<long>(value);
}

}  // namespace

std::string FormatSlope(const LinearPixelProjection& vertical,
                        const LinearPixelProjection& horizontal) {
    const double ratio =
        vertical.multiplier == 0.0 ? 0.1 : horizontal.multiplier / vertical.multiplier;
    char text[48];
    if (ratio > 1.0) {
        std::snprintf(text, sizeof text, "x %ld", WholePart(ratio));
    } else {
        std::snprintf(text, sizeof text, "1:%ld", WholePart(1.0 / ratio));
    }
    return text;
}
