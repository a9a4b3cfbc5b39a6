#include "host/app/HostObjectsImpl.h"

#include <cmath>

double FeedDataSource::GetHeading() {
    // The module adds the heading to angles: an unknown heading is north.
    return IsUndefined(now_.heading) ? 0.0 : now_.heading;
}

float FeedDataSource::GetLatestSample(const int& kind, int positive) {
    switch (kind) {
        case kDataKindDepth:
            if (IsUndefined(now_.depthMetres)) {
                return kUndefinedFloat;
            }
            return static_cast<float>(positive ? now_.depthMetres : -now_.depthMetres);
        case kDataKindTemperature:
            return IsUndefined(now_.temperatureCelsius)
                       ? kUndefinedFloat
                       : static_cast<float>(now_.temperatureCelsius);
        default:
            return kUndefinedFloat;
    }
}

void CountingNotificationSink::Notify(const std::int32_t*, const LayerKeyIndexed*) {
    ++count_;
}

bool ModelDepthSource::QueryDepths(std::vector<DepthQueryPoint>& points, double, double, double,
                                   double, const int& kind) {
    ++queries_;
    if (model_ == nullptr || kind != kDataKindDepth) {
        return false;
    }
    bool any = false;
    for (DepthQueryPoint& point : points) {
        const auto depth = model_->DepthAt(point.first, point.second);
        point.depth = depth ? *depth : kUndefined;
        any = any || depth.has_value();
    }
    answered_ += any;
    if (any) {
        lastAnswer_ = points;
    }
    return any;
}

float FeedVesselSource::GetCorrection() {
    return static_cast<float>(1.2 * std::sin(now_.time / (12.42 * 3600.0) * 2.0 * M_PI));
}
