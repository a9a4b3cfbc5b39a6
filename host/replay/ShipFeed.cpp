#include "host/replay/ShipFeed.h"

#include <algorithm>
#include <cmath>

namespace {

// About 500 m of latitude, in radians.
constexpr double kEarthRadiusMetres = 6371000.0;
constexpr double kCell = 500.0 / kEarthRadiusMetres;
// A sounding stands for a spot of about 50 m.
constexpr double kSpot = kCell / 10.0;
// States read ahead of the ship: the depths within reach of the forecast (500
// m ahead, answered from 500 m around), and a bound for a ship that stays put.
constexpr double kLookAheadMetres = 2000.0;
constexpr std::size_t kMostAhead = 20000;

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

void SoundingIndex::Add(double latitude, double longitude, double depth) {
    const double scale = std::cos(latitude);
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * scale / kCell));
    const long long spot = Key(static_cast<long long>(std::floor(latitude / kSpot)),
                               static_cast<long long>(std::floor(longitude * scale / kSpot)));
    std::vector<Sounding>& cell = cells_[Key(row, column)];
    for (Sounding& s : cell) {
        if (s.spot == spot) {
            s = {latitude, longitude, depth, spot};
            return;
        }
    }
    cell.push_back({latitude, longitude, depth, spot});
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

std::unique_ptr<NmeaFeed> NmeaFeed::Open(const std::string& path, std::string& error) {
    auto feed = std::make_unique<NmeaFeed>(OpenOnly{}, path);
    if (!feed->log_.Open(path, error)) {
        return nullptr;
    }
    feed->ReadAhead();
    if (!feed->HasStates()) {
        const NmeaStats& stats = feed->log_.Stats();
        error = "no position fix in the NMEA log " + path +
                " (lines read: " + std::to_string(stats.lines) +
                ", malformed: " + std::to_string(stats.malformed) + ")";
        if (feed->log_.ReadFailed()) {
            error = "error while reading the NMEA log " + path;
        }
        return nullptr;
    }
    return feed;
}

void LogFeed::ReadAhead() {
    while (!logEnded_ &&
           (ahead_.empty() || (ahead_.size() < kMostAhead &&
                               trackMetres_ - ahead_.front().trackMetres < kLookAheadMetres))) {
        NmeaState state;
        if (!ReadState(state)) {
            logEnded_ = true;
            break;
        }
        if (!ahead_.empty()) {
            const NmeaState& last = ahead_.back().state;
            const double dLat = state.latitude - last.latitude;
            const double dLon = (state.longitude - last.longitude) * std::cos(state.latitude);
            trackMetres_ += std::sqrt(dLat * dLat + dLon * dLon) * kEarthRadiusMetres;
        }
        if (state.depthMetres) {
            soundings_.Add(state.latitude, state.longitude, *state.depthMetres);
        }
        ahead_.push_back({state, trackMetres_, ReadOffset()});
    }
}

bool LogFeed::Next(ShipSnapshot& snapshot) {
    ReadAhead();
    if (ahead_.empty()) {
        progress_ = 1.0;
        return false;
    }
    const Ahead next = ahead_.front();
    ahead_.pop_front();
    const NmeaState& state = next.state;
    if (!firstTime_) {
        firstTime_ = state.time;
    }
    lastTime_ = state.time;
    const std::uint64_t size = LogSize();
    progress_ = size > 0
                    ? std::min(1.0, static_cast<double>(next.offset) / static_cast<double>(size))
                    : 0.0;
    snapshot.time = state.time - *firstTime_;
    snapshot.position = PosType(state.latitude, state.longitude);
    // Without a heading sensor the course over ground stands in for it.
    snapshot.heading = state.heading ? *state.heading : state.course ? *state.course : kUndefined;
    snapshot.speedKnots = state.speedKnots ? *state.speedKnots : kUndefined;
    snapshot.depthMetres = state.depthMetres ? *state.depthMetres : kUndefined;
    snapshot.temperatureCelsius = state.temperatureCelsius ? *state.temperatureCelsius : kUndefined;
    return true;
}

double LogFeed::Progress() const {
    return progress_;
}

double LogFeed::DurationSeconds() const {
    return firstTime_ ? lastTime_ - *firstTime_ : 0.0;
}

std::string NmeaFeed::Describe() const {
    return "NMEA log " + path_;
}
