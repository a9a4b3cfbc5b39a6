#include "layout/LinearPixelProjection.h"

#include <cmath>

bool LinearPixelProjection::InWindow(double pixel, int extent) {
    return pixel >= -kPixelTolerance && pixel <= extent + kPixelTolerance;
}

double LinearPixelProjection::WholePixels(double pixels) {
    return std::trunc(pixels + std::copysign(kPixelTolerance, pixels));
}

double LinearPixelProjection::ToPixel(double value, bool relative) const {
    const double length = relative ? value : value - origin;
    return Sign() * length / UnitsPerPixel();
}

double LinearPixelProjection::ToWorld(double pixel, bool relative) const {
    const double length = Sign() * UnitsPerPixel() * pixel;
    return relative ? length : length + origin;
}

void LinearPixelProjection::Scroll(double pixels) {
    origin += Sign() * UnitsPerPixel() * pixels;
}

void LinearPixelProjection::SetOriginAt(double value, double pixel) {
    origin = value - Sign() * UnitsPerPixel() * pixel;
}

bool LinearPixelProjection::FitTwoPoints(double pixelA, double pixelB, double valueB,
                                         double valueA) {
    // A zero or infinite scale would make every later conversion divide by
    // zero, and the NaNs would reach integer pixel casts.
    if (!std::isfinite(pixelA) || !std::isfinite(pixelB) || !std::isfinite(valueA) ||
        !std::isfinite(valueB) || pixelA == pixelB || valueA == valueB) {
        return false;
    }
    multiplier = 1.0;
    scale = (valueB - valueA) / (pixelA - pixelB);
    origin = valueA + scale * pixelA;
    return true;
}

bool LinearPixelProjection::CenterIfOutside(double value, int extent) {
    if (InWindow(ToPixel(value), extent)) {
        return false;
    }
    SetOriginAt(value, extent * 0.5);
    return true;
}

bool LinearPixelProjection::FollowValue(double previous, double current, int extent) {
    // Both edges count as in view: the organizer puts the deepest value on
    // the bottom edge, and a value followed there must go on being followed.
    if (InWindow(ToPixel(previous), extent) && !InWindow(ToPixel(current), extent)) {
        CenterIfOutside(current, extent);
    }
    return false;
}

void LinearPixelProjection::Reset() {
    scale = kUnset;
    origin = kUnset;
    multiplier = kUnset;
}
