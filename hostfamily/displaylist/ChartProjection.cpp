#include "hostfamily/displaylist/ChartProjection.h"

#include <cmath>

namespace {

constexpr double kQuarterTurn = 3.14159265358979323846 / 4.0;
// Mercator has no pole: rectangles stop short of it.
constexpr double kLatitudeLimit = 1.5;

}  // namespace

double ChartProjection::MercatorY(double latitude) {
    return std::log(std::tan(kQuarterTurn + latitude / 2.0));
}

ChartProjection::ChartProjection(const ValidGeoRect& chart, double scale)
    : rect_(chart), scale_(scale) {
    valid_ = chart.IsValid() && std::isfinite(scale) && scale > 0.0 &&
             std::isfinite(chart.South()) && std::isfinite(chart.North()) &&
             std::isfinite(chart.West()) && std::isfinite(chart.East()) &&
             chart.South() > -kLatitudeLimit && chart.North() < kLatitudeLimit;
    if (!valid_) {
        return;
    }
    const double middle = (chart.South() + chart.North()) / 2.0;
    pixelsPerRadian_ = std::cos(middle) * kMetresPerRadian / (scale * kScreenPixelMetres);
    northY_ = MercatorY(chart.North());
}

double ChartProjection::ScaleToFit(const ValidGeoRect& chart, double pixels) {
    if (!chart.IsValid() || chart.East() <= chart.West() || !(pixels > 0.0)) {
        return 0.0;
    }
    const double middle = (chart.South() + chart.North()) / 2.0;
    const double pixelsPerRadian = pixels / (chart.East() - chart.West());
    return std::cos(middle) * kMetresPerRadian / (pixelsPerRadian * kScreenPixelMetres);
}

double ChartProjection::Width() const {
    return (rect_.East() - rect_.West()) * pixelsPerRadian_;
}

double ChartProjection::Height() const {
    return (northY_ - MercatorY(rect_.South())) * pixelsPerRadian_;
}

ChartPoint ChartProjection::ToPixel(const PosType& position) const {
    return ToPixel(position.First(), position.Second());
}

ChartPoint ChartProjection::ToPixel(double latitude, double longitude) const {
    return ChartPoint{(longitude - rect_.West()) * pixelsPerRadian_,
                      (northY_ - MercatorY(latitude)) * pixelsPerRadian_};
}

PosType ChartProjection::ToPosition(const ChartPoint& pixel) const {
    return PosType(LatitudeAt(pixel.y), LongitudeAt(pixel.x));
}

double ChartProjection::LatitudeAt(double y) const {
    const double mercator = northY_ - y / pixelsPerRadian_;
    return 2.0 * std::atan(std::exp(mercator)) - 2.0 * kQuarterTurn;
}

double ChartProjection::LongitudeAt(double x) const {
    return rect_.West() + x / pixelsPerRadian_;
}
