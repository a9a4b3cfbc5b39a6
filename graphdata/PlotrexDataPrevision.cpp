#include "graphdata/PlotrexDataPrevision.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "drawing/PlotrexDisplayPrevision.h"
#include "module/CommandNames.h"
#include "module/CommandState.h"
#include "units/Geodesy.h"
#include "units/UnitConversion.h"

namespace {

constexpr double kStep = 1.0 / (PlotrexDataPrevision::kPointCount - 1);

// lon brought back into [-pi, pi] by one turn.
double WrapLongitude(double lon) {
    if (lon > kPi) {
        return lon - kTwoPi;
    }
    if (lon < -kPi) {
        return lon + kTwoPi;
    }
    return lon;
}

}  // namespace

PlotrexDataPrevision::PlotrexDataPrevision(DistanceTracker* tracker, const char* nameKey,
                                           const char* unitKey)
    : PlotrexDataProfile(tracker, nameKey, unitKey) {}

PlotrexDisplay* PlotrexDataPrevision::CreateDisplay() {
    return new PlotrexDisplayPrevision(this);
}

std::int32_t PlotrexDataPrevision::ExecuteCommand(const char* command, const char* argument) {
    if (command == nullptr || std::strcmp(command, kCommandShallowWarning) != 0) {
        return 0;
    }
    if (argument == nullptr || *argument == '\0') {
        shallow_.reset();
        ModifyDisplays();
        return 1;
    }
    double distance = 0.0;
    double depth = 0.0;
    int used = 0;
    if (std::sscanf(argument, "%lf %lf%n", &distance, &depth, &used) != 2 ||
        argument[used] != '\0' || !std::isfinite(distance) || !std::isfinite(depth) ||
        distance < 0.0 || depth <= 0.0) {
        return 0;
    }
    shallow_ = ShallowAhead{distance, depth};
    ModifyDisplays();
    return 1;
}

std::int32_t PlotrexDataPrevision::GetCommandState(const char* command, CommandState* state) {
    if (command == nullptr || state == nullptr ||
        std::strcmp(command, kCommandShallowWarning) != 0) {
        return 0;
    }
    state->enabled = true;
    state->checked = shallow_.has_value();
    return 1;
}

bool PlotrexDataPrevision::Init(HostDepthSource* depthSource, HostVesselSource* vesselSource) {
    depthSource_ = depthSource;
    vesselSource_ = vesselSource;
    return true;
}

std::vector<DepthQueryPoint> PlotrexDataPrevision::QueryPoints(double latitude, double longitude,
                                                               double heading, double length) {
    double endLatitude = kUndefined;
    double endLongitude = kUndefined;
    if (!Destination(latitude, longitude, heading, length, &endLatitude, &endLongitude)) {
        return {};
    }
    // Across the antimeridian the end is a turn away: the line runs the short
    // way, and each point is brought back into [-pi, pi].
    if (endLongitude - longitude > kPi) {
        endLongitude -= kTwoPi;
    } else if (endLongitude - longitude < -kPi) {
        endLongitude += kTwoPi;
    }
    std::vector<DepthQueryPoint> points(kPointCount);
    for (int i = 0; i < kPointCount; ++i) {
        const double t = kStep * i;
        points[i].first = (1.0 - t) * latitude + t * endLatitude;
        points[i].second = WrapLongitude((1.0 - t) * longitude + t * endLongitude);
        points[i].depth = kUndefined;
    }
    return points;
}

PlotrexDataPrevision::Square PlotrexDataPrevision::QuerySquare(double latitude, double longitude,
                                                               double side) {
    const double half = side / 2.0;
    // Near a pole the square's width in longitude grows without bound: it
    // then spans every longitude.
    const double across = std::cos(latitude);
    const double halfWidth = across > half / kPi ? half / across : kPi;
    return Square{std::max(latitude - half, -kHalfPi), longitude - halfWidth,
                  std::min(latitude + half, kHalfPi), longitude + halfWidth};
}

bool PlotrexDataPrevision::AnyDisplayVisible() {
    const auto& displays = GetDisplays();
    return std::any_of(displays.begin(), displays.end(),
                       [](PlotrexDisplay* d) { return d != nullptr && d->IsVisible(); });
}

void PlotrexDataPrevision::Update() {
    ProfileSeries* series = GetSeries();
    series->Clear();
    const DistanceTracker* tracker = GetDistanceTracker();
    if (depthSource_ == nullptr || tracker == nullptr || !AnyDisplayVisible()) {
        return;
    }
    const PosType ship = tracker->GetPosition();
    if (ship.IsNoPos()) {
        return;
    }
    const double heading = tracker->GetHeading();
    if (!std::isfinite(heading) || IsUndefined(heading)) {
        return;
    }
    const double length = Convert(kLengthMetres, kUnitMetre, kUnitRadianOfArc);
    std::vector<DepthQueryPoint> points =
        QueryPoints(ship.First(), ship.Second(), NormalizeAngle(heading), length);
    if (points.empty()) {
        return;
    }
    const Square square = QuerySquare(ship.First(), ship.Second(),
                                      Convert(kSquareMetres, kUnitMetre, kUnitRadianOfArc));
    const int kind = kDataKindDepth;
    // An answer for other points than those asked cannot be placed.
    if (!depthSource_->QueryDepths(points, square.south, square.west, square.north, square.east,
                                   kind) ||
        points.size() != static_cast<std::size_t>(kPointCount)) {
        return;
    }
    const double start = tracker->GetDistance();
    for (int i = 0; i < kPointCount; ++i) {
        const double depth = points[i].depth;
        // No depth (0.0, the marker, not a number) leaves a gap; depths are
        // drawn below the surface like the live profile's.
        const bool known = depth != 0.0 && std::isfinite(depth) && !IsUndefined(depth);
        series->Add(ProfilePoint{PosType(points[i].first, points[i].second),
                                 known ? -depth : kUndefined, start + kStep * i * length});
    }
    ModifyDisplays();
}
