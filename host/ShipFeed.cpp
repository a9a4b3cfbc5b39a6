#include "host/ShipFeed.h"

#include <cmath>

namespace {

// About 500 m of latitude, in radians.
constexpr double kCell = 500.0 / 6371000.0;

}  // namespace

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

void SoundingIndex::Add(double latitude, double longitude, double depth) {
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * std::cos(latitude) / kCell));
    cells_[Key(row, column)].push_back({latitude, longitude, depth});
    ++count_;
}

std::optional<double> SoundingIndex::DepthAt(double latitude, double longitude) const {
    const double scale = std::cos(latitude);
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * scale / kCell));
    std::optional<double> best;
    double bestDistance = kCell * kCell;
    for (long long r = row - 1; r <= row + 1; ++r) {
        for (long long c = column - 1; c <= column + 1; ++c) {
            auto it = cells_.find(Key(r, c));
            if (it == cells_.end()) {
                continue;
            }
            for (const Sounding& s : it->second) {
                const double dLat = s.latitude - latitude;
                const double dLon = (s.longitude - longitude) * scale;
                const double distance = dLat * dLat + dLon * dLon;
                if (distance <= bestDistance) {
                    bestDistance = distance;
                    best = s.depth;
                }
            }
        }
    }
    return best;
}

NmeaFeed::NmeaFeed(NmeaLog log, std::string path) : log_(std::move(log)), path_(std::move(path)) {
    for (const NmeaState& state : log_.States()) {
        if (state.depthMetres) {
            soundings_.Add(state.latitude, state.longitude, *state.depthMetres);
        }
    }
}

bool NmeaFeed::Next(ShipSnapshot& snapshot) {
    const auto& states = log_.States();
    if (next_ >= states.size()) {
        return false;
    }
    const NmeaState& state = states[next_++];
    snapshot.time = state.time - states.front().time;
    snapshot.position = PosType(state.latitude, state.longitude);
    // Without a heading sensor the course over ground stands in for it.
    snapshot.heading = state.heading ? *state.heading : state.course ? *state.course : kUndefined;
    snapshot.speedKnots = state.speedKnots ? *state.speedKnots : kUndefined;
    snapshot.depthMetres = state.depthMetres ? *state.depthMetres : kUndefined;
    snapshot.temperatureCelsius = state.temperatureCelsius ? *state.temperatureCelsius : kUndefined;
    return true;
}

double NmeaFeed::Progress() const {
    const auto& states = log_.States();
    return states.empty() ? 1.0 : static_cast<double>(next_) / static_cast<double>(states.size());
}

double NmeaFeed::DurationSeconds() const {
    const auto& states = log_.States();
    return states.size() < 2 ? 0.0 : states.back().time - states.front().time;
}

std::string NmeaFeed::Describe() const {
    return "NMEA log " + path_;
}
