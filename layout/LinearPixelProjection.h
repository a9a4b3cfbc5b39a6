#pragma once
// Affine map between one data coordinate and one pixel coordinate of a view.
// A value type: the organizer and the views assign its fields directly.

class LinearPixelProjection {
  public:
    // Marker of a field that was never given a value.
    static constexpr double kUnset = -66666.0;
    // A pixel computed from data carries rounding errors (a value placed on
    // the right edge may come back as 1280.0000000000005): a pixel this close
    // to an edge is on it.
    static constexpr double kPixelTolerance = 1e-3;

    // pixel in [0, extent], give or take the tolerance.
    static bool InWindow(double pixel, int extent);
    // Whole pixels of a length, truncated toward zero once rounding errors
    // are taken off: a length of 199.9999999997 pixels counts as 200.
    static double WholePixels(double pixels);

    explicit LinearPixelProjection(bool inverted = false) : inverted(inverted) {}

    // relative: value is a length in data units, not a position.
    double ToPixel(double value, bool relative = false) const;
    // relative: pixel is a length in pixels, not a position.
    double ToWorld(double pixel, bool relative = false) const;

    // The value that was at pixel `pixels` comes to pixel 0.
    void Scroll(double pixels);
    // Moves the origin so that ToWorld(pixel) gives value.
    void SetOriginAt(double value, double pixel);
    // Pixel A shows valueA and pixel B shows valueB, with multiplier 1. Meant
    // for inverted axes. False, and nothing changes, when the two pixels or
    // the two values coincide or one is not finite: no usable map exists.
    bool FitTwoPoints(double pixelA, double pixelB, double valueB, double valueA);
    // True when value lay outside pixels [0, extent] and was centred.
    bool CenterIfOutside(double value, int extent);
    // Recentres on current only when previous was in view in [0, extent] and
    // current has left it. Always false.
    bool FollowValue(double previous, double current, int extent);
    // Back to the unset marker; inverted is kept.
    void Reset();

    bool inverted = false;
    double scale = kUnset;
    double origin = kUnset;
    double multiplier = kUnset;

  private:
    double Sign() const { return inverted ? -1.0 : 1.0; }
    double UnitsPerPixel() const { return scale * multiplier; }
};
