#include "host/geodata/Voyage.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDegree = M_PI / 180.0;
// One nautical mile is one minute of arc.
constexpr double kRadiansPerNauticalMile = M_PI / 10800.0;

}  // namespace

double SeaModel::DepthAt(double latitude, double longitude) const {
    // Kilometre offsets from the voyage's origin, east and north.
    const double east = (longitude - originLongitude) * std::cos(originLatitude) * 6371.0;
    const double north = (latitude - originLatitude) * 6371.0;
    // The shelf deepens to the west and south-west...
    double depth = 40.0 - 9.0 * east - 2.5 * north;
    // ...a bank rises north-east of the start...
    depth -= 45.0 * std::exp(-((east - 6.0) * (east - 6.0) + (north - 5.0) * (north - 5.0)) / 6.0);
    // ...and a trench cuts across the shelf edge.
    depth += 260.0 * std::exp(-std::pow((east + 14.0 - 0.4 * north) / 2.5, 2.0));
    // Sand waves.
    depth += 1.5 * std::sin(east * 3.1) * std::cos(north * 2.3);
    return std::max(depth, 4.0);
}

double SeaModel::TemperatureAt(double latitude, double longitude) const {
    const double east = (longitude - originLongitude) * std::cos(originLatitude) * 6371.0;
    const double north = (latitude - originLatitude) * 6371.0;
    // A thermal front running north-south a few kilometres west of the start.
    const double front = std::tanh((east + 5.0 + 0.3 * north) / 1.2);
    return 13.5 + 1.8 * front + 0.05 * north;
}

Voyage Voyage::BuiltIn() {
    Voyage v;
    v.legs_ = {
        {250.0, 9.5, 40.0},        // steaming out to the grounds
        {225.0, 8.0, 25.0},        // across the front
        {270.0, 3.5, 60.0, true},  // first tow, along the slope
        {300.0, 6.0, 10.0},        // turning
        {90.0, 3.2, 70.0, true},   // second tow, back east over the trench
        {40.0, 7.0, 20.0},         // towards the bank
        {70.0, 10.0, 35.0},        // home
    };
    v.ship_.latitude = 47.5 * kDegree;
    v.ship_.longitude = -5.2 * kDegree;
    v.sea_.originLatitude = v.ship_.latitude;
    v.sea_.originLongitude = v.ship_.longitude;
    v.ship_.headingRadians = v.legs_.front().courseDegrees * kDegree;
    v.ship_.speedKnots = v.legs_.front().speedKnots;
    return v;
}

std::vector<HistoricPoint> Voyage::EarlierSurvey() {
    // The last 70 minutes: the end of the second tow, towards the bank and home.
    constexpr double kFromSeconds = 190.0 * 60.0;
    constexpr double kEverySeconds = 30.0;
    // Within the 0.05 NM in which the module matches a track.
    constexpr double kAsideRadians = 15.0 / 6371000.0;
    Voyage pass = BuiltIn();
    std::vector<HistoricPoint> points;
    auto record = [&] {
        points.push_back({pass.ship_.latitude + kAsideRadians, pass.ship_.longitude, 0.0});
    };
    pass.Advance(kFromSeconds);
    record();
    while (pass.Advance(kEverySeconds)) {
        record();
    }
    record();
    std::reverse(points.begin(), points.end());
    for (std::size_t i = 0; i < points.size(); ++i) {
        HistoricPoint& point = points[i];
        const double error = 0.6 * std::sin(1.9 * i) + 0.3 * std::sin(0.43 * i);
        point.depth = std::max(0.5, pass.sea_.DepthAt(point.latitude, point.longitude) + error);
    }
    return points;
}

double Voyage::TotalSeconds() const {
    double total = 0.0;
    for (const VoyageLeg& leg : legs_) {
        total += leg.minutes * 60.0;
    }
    return total;
}

bool Voyage::Advance(double seconds) {
    double remaining = seconds;
    while (remaining > 0.0) {
        double legStart = 0.0;
        const VoyageLeg* leg = nullptr;
        for (const VoyageLeg& candidate : legs_) {
            if (ship_.time < legStart + candidate.minutes * 60.0) {
                leg = &candidate;
                break;
            }
            legStart += candidate.minutes * 60.0;
        }
        if (leg == nullptr) {
            return false;
        }
        const double step = std::min(remaining, legStart + leg->minutes * 60.0 - ship_.time);
        const double course = leg->courseDegrees * kDegree;
        const double arc = leg->speedKnots * step / 3600.0 * kRadiansPerNauticalMile;
        ship_.latitude += arc * std::cos(course);
        ship_.longitude += arc * std::sin(course) / std::cos(ship_.latitude);
        ship_.headingRadians = course;
        ship_.speedKnots = leg->speedKnots;
        ship_.towing = leg->towing;
        ship_.time += step;
        remaining -= step;
    }
    return ship_.time < TotalSeconds();
}
