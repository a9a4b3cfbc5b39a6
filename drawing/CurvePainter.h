#pragma once
// Turns the part of a profile series that a view shows into pixel points,
// with gaps and decimation, and draws it as a line or as a fill down to the
// bottom of the area. Lives on the caller's stack for one drawing.
#include <vector>

#include "platform/WinTypes.h"

class DeviceGraphics;
class LinearPixelProjection;
class ProfileSeries;

// Pixel points of a curve as x0, y0, x1, y1...
struct Curve {
    std::vector<double> xy;
    int Count() const { return static_cast<int>(xy.size() / 2); }
    double X(int i) const { return xy[2 * static_cast<std::size_t>(i)]; }
    double Y(int i) const { return xy[2 * static_cast<std::size_t>(i) + 1]; }
};

class CurvePainter {
  public:
    static constexpr int kLine = 0;
    static constexpr int kFill = 1;
    // The most samples one curve takes, however many the window covers.
    static constexpr int kMaxSamples = 500;

    // Neither is owned; graphics may be null when only curves are built.
    CurvePainter(const ProfileSeries* series, DeviceGraphics* graphics)
        : series_(series), graphics_(graphics) {}

    // The curve of the samples in the distance window [from, to] (shifted by
    // -distanceOffset), with the samples just beyond its ends. With more
    // than maxSamples steps, every 2^k-th sample is taken, counted from the
    // series' first point so that scrolling keeps the same samples. A gap
    // drops to the area's bottom and comes back at the same abscissa. Empty
    // when fewer than 2 samples lie in the range.
    Curve BuildCurve(double from, double to, RECT area, const LinearPixelProjection& x,
                     const LinearPixelProjection& y, double distanceOffset, float valueOffset,
                     int maxSamples) const;

    // Line mode: width 2, opaque whatever the opacity. Fill mode: down to
    // the area's bottom with the colour and opacity. Other modes draw nothing.
    void Paint(RECT area, double from, double to, const LinearPixelProjection& x,
               const LinearPixelProjection& y, int mode, COLORREF colour, BYTE opacity,
               double distanceOffset, float valueOffset) const;

  private:
    const ProfileSeries* series_;
    DeviceGraphics* graphics_;
};
