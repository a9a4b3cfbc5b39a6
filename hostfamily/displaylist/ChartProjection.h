#pragma once
// The pixel space of a Mercator chart: a geographic rectangle (radians) seen
// at a scale, true at the rectangle's middle latitude, on a screen of 96
// pixels to the inch. Pixels run east from the west edge and south from the
// north edge.
#include "hostfamily/PosType.h"
#include "hostfamily/ValidGeoRect.h"

struct ChartPoint {
    double x = 0.0;
    double y = 0.0;
};

class ChartProjection {
  public:
    // One screen pixel, in metres.
    static constexpr double kScreenPixelMetres = 0.0254 / 96.0;
    // Metres in a radian of arc: a nautical mile is a minute of arc.
    static constexpr double kMetresPerRadian = 1852.0 * 60.0 * 180.0 / 3.14159265358979323846;

    // scale: the denominator (50 000 for 1:50 000).
    ChartProjection(const ValidGeoRect& chart, double scale);

    // The scale at which the rectangle's width takes `pixels` pixels; 0 when
    // the rectangle is not valid or has no width.
    static double ScaleToFit(const ValidGeoRect& chart, double pixels);

    // False for an invalid rectangle, a scale that is not a positive finite
    // number, or a rectangle reaching a pole.
    bool IsValid() const { return valid_; }
    const ValidGeoRect& GetRect() const { return rect_; }
    double GetScale() const { return scale_; }
    // Pixels per radian of longitude.
    double PixelsPerRadian() const { return pixelsPerRadian_; }
    // Size of the whole rectangle in pixels.
    double Width() const;
    double Height() const;

    ChartPoint ToPixel(const PosType& position) const;
    ChartPoint ToPixel(double latitude, double longitude) const;
    PosType ToPosition(const ChartPoint& pixel) const;
    double LatitudeAt(double y) const;
    double LongitudeAt(double x) const;

    // Mercator's stretched latitude.
    static double MercatorY(double latitude);

  private:
    ValidGeoRect rect_;
    double scale_;
    double pixelsPerRadian_ = 0.0;
    double northY_ = 0.0;
    bool valid_ = false;
};
