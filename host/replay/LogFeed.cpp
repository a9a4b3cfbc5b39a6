#include "host/replay/LogFeed.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEarthRadiusMetres = 6371000.0;
// States read ahead of the ship: the depths within reach of the forecast (500
// m ahead, answered from 500 m around), and a bound for a ship that stays put.
constexpr double kLookAheadMetres = 2000.0;
constexpr std::size_t kMostAhead = 20000;

}  // namespace

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
        ahead_.push_back({state, trackMetres_, ReadOffset(), TroublesRead()});
    }
}

bool LogFeed::Due(const Ahead& next) const {
    // A stamp's tenths added up may fall a hair short of the cycle.
    constexpr double kSlack = 1e-6;
    return !firstTime_ || ahead_.empty() || next.state.time >= lastTime_ + cycleSeconds_ - kSlack;
}

bool LogFeed::Next(ShipSnapshot& snapshot) {
    Ahead next;
    do {
        ReadAhead();
        if (ahead_.empty()) {
            progress_ = 1.0;
            return false;
        }
        next = std::move(ahead_.front());
        ahead_.pop_front();
        // The one after it read, to know whether it is the last.
        ReadAhead();
    } while (!Due(next));
    const NmeaState& state = next.state;
    if (!firstTime_) {
        firstTime_ = state.time;
    }
    lastTime_ = state.time;
    troublesSailed_ = next.troubles;
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
