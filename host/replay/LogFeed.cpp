#include "host/replay/LogFeed.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "host/replay/FileSample.h"

namespace {

constexpr double kEarthRadiusMetres = 6371000.0;
// States read ahead of the ship: the depths within reach of the forecast (500
// m ahead, answered from 500 m around), and a bound for a ship that stays put.
constexpr double kLookAheadMetres = 2000.0;
constexpr std::size_t kMostAhead = 20000;
// States read between two copies of the reader's place: a mark reads at
// most this many again.
constexpr int kStatesPerPlace = 32;

}  // namespace

// A log feed's mark: its place, the file's bytes there, and the second
// reader's place, if any.
class LogFeed::LogMark final : public FeedMark {
  public:
    LogMark(const std::type_info& kind, Place place, FileSample sample,
            std::shared_ptr<const ReaderPlace> side)
        : kind_(kind),
          place_(std::move(place)),
          sample_(std::move(sample)),
          side_(std::move(side)) {}
    const std::type_info& kind_;
    Place place_;
    FileSample sample_;
    std::shared_ptr<const ReaderPlace> side_;
};

void LogFeed::ReadAhead() {
    if (!taken_.reader.place) {
        // Nothing read yet: the place before the first state.
        trail_ = {ReaderHere(), 0, soundings_.Count()};
        taken_.reader = trail_;
        taken_.offset = ReadOffset();
    }
    while (!logEnded_ &&
           (ahead_.empty() || (ahead_.size() < kMostAhead &&
                               trackMetres_ - ahead_.front().trackMetres < kLookAheadMetres))) {
        if (!trail_.place || trail_.statesAfter >= kStatesPerPlace) {
            trail_ = {ReaderHere(), 0, soundings_.Count()};
        }
        NmeaState state;
        if (!ReadState(state)) {
            logEnded_ = true;
            break;
        }
        const NmeaState* previous = !ahead_.empty() ? &ahead_.back().state
                                    : resumedAfter_ ? &*resumedAfter_
                                                    : nullptr;
        if (previous != nullptr) {
            const NmeaState& last = *previous;
            const double dLat = state.latitude - last.latitude;
            const double dLon = (state.longitude - last.longitude) * std::cos(state.latitude);
            trackMetres_ += std::sqrt(dLat * dLat + dLon * dLon) * kEarthRadiusMetres;
        }
        if (state.depthMetres) {
            soundings_.Add(state.latitude, state.longitude, *state.depthMetres);
        }
        resumedAfter_.reset();
        ++trail_.statesAfter;
        ahead_.push_back(
            {state, trackMetres_, ReadOffset(), TroublesRead(), soundings_.Count(), trail_});
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
        taken_ = {next.reader, next.offset, next.state, next.trackMetres, next.soundings};
        soundings_.NeededFrom(next.soundings);
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

LogFeed::Place LogFeed::Here() const {
    Place place{taken_.reader, taken_.offset, taken_.state, taken_.trackMetres, soundings_,
                firstTime_,    lastTime_,     progress_,    troublesSailed_,    cycleSeconds_};
    place.soundings.CutBack(taken_.soundings);
    return place;
}

bool LogFeed::Resume(const Place& place) {
    if (!place.reader.place || place.cycleSeconds != cycleSeconds_ ||
        !ResumeReader(*place.reader.place)) {
        return false;
    }
    // From the reader's place on to the state taken last, its soundings
    // counted again.
    soundings_ = place.soundings;
    soundings_.CutBack(place.reader.soundings);
    // The feed that made the mark may sail on elsewhere in the same soundings.
    soundings_.Detach();
    for (int i = 0; i < place.reader.statesAfter; ++i) {
        NmeaState state;
        if (!ReadState(state)) {
            break;
        }
        if (state.depthMetres) {
            soundings_.Add(state.latitude, state.longitude, *state.depthMetres);
        }
    }
    trail_ = {};
    taken_ = {place.reader, place.offset, place.taken, place.trackMetres, place.soundings.Count()};
    ahead_.clear();
    trackMetres_ = place.trackMetres;
    resumedAfter_ = place.taken;
    logEnded_ = false;
    firstTime_ = place.firstTime;
    lastTime_ = place.lastTime;
    progress_ = place.progress;
    troublesSailed_ = place.troublesSailed;
    // As far ahead as the feed had read when it stood there.
    ReadAhead();
    return true;
}

std::unique_ptr<FeedMark> LogFeed::Mark() const {
    Place place = Here();
    // The soundings as the mark's reader place and its state saw them stay.
    place.soundings.Pin(place.reader.soundings);
    place.soundings.Pin(place.soundings.Count());
    FileSample sample = FileSample::Take(FilePath(), place.offset);
    if (sample.size == 0) {
        return nullptr;
    }
    return std::make_unique<LogMark>(typeid(*this), std::move(place), std::move(sample),
                                     SideHere());
}

bool LogFeed::Restore(const FeedMark& mark) {
    const auto* ours = dynamic_cast<const LogMark*>(&mark);
    if (ours == nullptr || ours->kind_ != typeid(*this) || ours->sample_.size != LogSize() ||
        (ours->side_ && !AcceptsSide(*ours->side_)) ||
        FileSample::Take(FilePath(), ours->place_.offset) != ours->sample_ ||
        !Resume(ours->place_)) {
        return false;
    }
    if (ours->side_) {
        ResumeSide(*ours->side_);
    }
    return true;
}
