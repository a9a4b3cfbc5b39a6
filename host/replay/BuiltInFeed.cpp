#include "host/replay/BuiltInFeed.h"

#include <algorithm>

BuiltInFeed::BuiltInFeed(double cycleSeconds)
    : voyage_(Voyage::BuiltIn()), cycleSeconds_(cycleSeconds) {}

bool BuiltInFeed::Next(ShipSnapshot& snapshot) {
    if (finished_) {
        return false;
    }
    if (started_) {
        finished_ = !voyage_.Advance(cycleSeconds_);
    }
    started_ = true;
    const ShipState& ship = voyage_.Ship();
    snapshot.time = ship.time;
    snapshot.position = PosType(ship.latitude, ship.longitude);
    snapshot.heading = ship.headingRadians;
    snapshot.speedKnots = ship.speedKnots;
    snapshot.depthMetres = voyage_.Sea().DepthAt(ship.latitude, ship.longitude);
    snapshot.temperatureCelsius = voyage_.Sea().TemperatureAt(ship.latitude, ship.longitude);
    snapshot.towing = ship.towing;
    return true;
}

double BuiltInFeed::Progress() const {
    return std::min(1.0, voyage_.Ship().time / voyage_.TotalSeconds());
}

std::string BuiltInFeed::Describe() const {
    return "built-in trawler voyage";
}

std::optional<double> BuiltInFeed::DepthAt(double latitude, double longitude) const {
    return voyage_.Sea().DepthAt(latitude, longitude);
}
