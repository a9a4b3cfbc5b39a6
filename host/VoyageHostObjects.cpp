#include "host/VoyageHostObjects.h"

#include <cmath>

#include "hostfamily/Undefined.h"

double VoyageDataSource::GetTime() {
    return voyage_.Ship().time;
}

void VoyageDataSource::GetPosition(PosType* position) {
    const ShipState& ship = voyage_.Ship();
    *position = PosType(ship.latitude, ship.longitude);
}

double VoyageDataSource::GetHeading() {
    return voyage_.Ship().headingRadians;
}

double VoyageDataSource::GetSpeed() {
    return voyage_.Ship().speedKnots;
}

float VoyageDataSource::GetLatestSample(const int& kind, int positive) {
    const ShipState& ship = voyage_.Ship();
    switch (kind) {
        case kDataKindDepth: {
            const double depth = voyage_.Sea().DepthAt(ship.latitude, ship.longitude);
            return static_cast<float>(positive ? depth : -depth);
        }
        case kDataKindTemperature:
            return static_cast<float>(voyage_.Sea().TemperatureAt(ship.latitude, ship.longitude));
        default:
            return kUndefinedFloat;
    }
}

void RecordingNotificationSink::Notify(const std::int32_t*, const LayerKeyIndexed*) {
    ++count_;
}

bool SeaFloorDepthSource::QueryDepths(std::vector<DepthQueryPoint>& points, double, double, double,
                                      double, const int& kind) {
    if (kind != kDataKindDepth) {
        return false;
    }
    for (DepthQueryPoint& point : points) {
        point.depth = sea_.DepthAt(point.first, point.second);
    }
    return true;
}

float VoyageVesselSource::GetCorrection() {
    // A semi-diurnal tide of 1.2 m amplitude.
    return static_cast<float>(1.2 * std::sin(voyage_.Ship().time / (12.42 * 3600.0) * 2.0 * M_PI));
}
