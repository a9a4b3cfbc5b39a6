#include "host/replay/SonarFeed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kEarthRadiusMetres = 6371000.0;
// Frames of two channels may come a little out of order; further back, or
// further ahead than a recorder pauses between frames, the time is damaged.
constexpr double kJitterSeconds = 2.0;
constexpr double kLongestGapSeconds = 60.0;
// Frames that must agree before a leap in the time is believed.
constexpr int kLeapFrames = 8;

std::string HoursMinutesSeconds(double seconds) {
    const long whole = std::lround(std::max(seconds, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

}  // namespace

// What the state reader knows at a place: the recording's reader and what
// the feed has made of the frames read.
struct SonarFeed::StatePlace final : LogFeed::ReaderPlace {
    SonarLog::Place log;
    Latest latest;
    std::optional<NmeaState> lastState;
    std::optional<double> keelMetres;
    Span depths;
    Span temperatures;
    std::optional<double> firstFrameTime;
    double lastFrameTime = 0.0;
    double distanceMetres = 0.0;
    std::optional<std::pair<double, double>> lastPosition;
};

// The sweep reader's place, and what it has handed on by then.
struct SonarFeed::SweepPlace final : LogFeed::ReaderPlace {
    SonarLog::Place log;
    Latest latest;
    std::optional<SonarFrame> pending;
    double pendingTime = 0.0;
    std::optional<std::uint8_t> bandCode[2];
    std::int64_t given[2] = {0, 0};
    std::int64_t withoutSamples = 0;
    std::int64_t emptyWindow = 0;
    std::int64_t impossibleWindow = 0;
    std::array<int, 16> levelStarts{};  // the gain the levels were made with
};

void SonarFeed::Span::Widen(double value) {
    low = count == 0 ? value : std::min(low, value);
    high = count == 0 ? value : std::max(high, value);
    ++count;
}

SonarFeed::SonarFeed(OpenOnly, std::string path, EchoGain gain, double cycleSeconds)
    : LogFeed(cycleSeconds), path_(std::move(path)), reducer_(gain) {}

ErrorOr<std::unique_ptr<SonarFeed>> SonarFeed::Open(const std::string& path, EchoGain gain,
                                                    double cycleSeconds) {
    auto feed = std::make_unique<SonarFeed>(OpenOnly{}, path, gain, cycleSeconds);
    if (ErrorOr<void> opened = feed->states_.Open(path); !opened) {
        return opened.GetError();
    }
    if (ErrorOr<void> opened = feed->sweeps_.Open(path); !opened) {
        return opened.GetError();
    }
    feed->ReadAhead();
    if (feed->HasStates()) {
        return feed;
    }
    if (feed->states_.ReadFailed()) {
        return Error::Refused("error while reading the sonar recording " + path);
    }
    const SonarStats& stats = feed->states_.Stats();
    return Error::Refused("no position in the sonar recording " + path +
                          " (frames read: " + std::to_string(stats.FramesRead()) +
                          ", damaged: " + std::to_string(stats.Damaged()) + ")");
}

double SonarFeed::Clock::Next(double recorded) {
    if (!started) {
        started = true;
        lastRecorded = recorded;
        time = recorded;
        return time;
    }
    const double step = recorded - lastRecorded;
    if (step >= 0.0 && step <= kLongestGapSeconds) {
        lastRecorded = recorded;
        time = std::max(time, recorded + offset);
        leap.reset();
        return time;
    }
    if (step < 0.0 && step >= -kJitterSeconds) {
        return time;
    }
    // Out of line: held at the last time until the frames show whether the
    // recording really went on from there.
    if (leap && recorded >= *leap && recorded - *leap <= kLongestGapSeconds) {
        if (++leapFrames >= kLeapFrames) {
            offset = time - recorded;
            lastRecorded = recorded;
            leap.reset();
            return time;
        }
    } else {
        ++jumps;
        leapFrames = 1;
    }
    leap = recorded;
    return time;
}

bool SonarFeed::ReadState(NmeaState& state) {
    SonarFrame frame;
    while (states_.Next(frame)) {
        const double time = stateLatest_.clock.Next(frame.timeSeconds);
        if (!firstFrameTime_) {
            firstFrameTime_ = time;
        }
        lastFrameTime_ = time;
        Note(frame);
        if (!frame.HasPosition()) {
            continue;
        }
        lastState_ = StateAt(frame, time);
        state = *lastState_;
        return true;
    }
    // Frames after the last position are played with the ship where it was
    // last seen, a cycle at a time, to the recording's last frame.
    if (!lastState_ || lastState_->time >= lastFrameTime_) {
        return false;
    }
    lastState_->time = std::min(lastState_->time + CycleSeconds(), lastFrameTime_);
    state = *lastState_;
    return true;
}

void SonarFeed::Note(const SonarFrame& frame) {
    Latest& latest = stateLatest_;
    if (frame.heading) {
        latest.heading = frame.heading;
    }
    if (frame.course) {
        latest.course = frame.course;
    }
    // The speed through the water stands in for a receiver without one.
    if (frame.speedKnots) {
        latest.speedKnots = frame.speedKnots;
    } else if (frame.waterSpeedKnots) {
        latest.speedKnots = frame.waterSpeedKnots;
    }
    if (frame.depthMetres) {
        latest.depthMetres = frame.depthMetres;
        depths_.Widen(*frame.depthMetres);
    }
    if (frame.temperatureCelsius) {
        latest.temperatureCelsius = frame.temperatureCelsius;
        temperatures_.Widen(*frame.temperatureCelsius);
    }
    if (frame.keelMetres && *frame.keelMetres > 0.0 && !keelMetres_) {
        keelMetres_ = frame.keelMetres;
    }
}

NmeaState SonarFeed::StateAt(const SonarFrame& frame, double time) {
    const Latest& latest = stateLatest_;
    if (lastPosition_) {
        const double dLat = *frame.latitude - lastPosition_->first;
        const double dLon = (*frame.longitude - lastPosition_->second) * std::cos(*frame.latitude);
        distanceMetres_ += std::sqrt(dLat * dLat + dLon * dLon) * kEarthRadiusMetres;
    }
    lastPosition_ = std::make_pair(*frame.latitude, *frame.longitude);
    NmeaState now;
    now.time = time;
    now.latitude = *frame.latitude;
    now.longitude = *frame.longitude;
    now.hasPosition = true;
    now.heading = latest.heading;
    now.course = latest.course;
    now.speedKnots = latest.speedKnots;
    now.depthMetres = latest.depthMetres;
    now.temperatureCelsius = latest.temperatureCelsius;
    return now;
}

bool SonarFeed::LowFrequency(const SonarFrame& frame) {
    const int own = frame.channel == kSonarPrimary ? 0 : 1;
    bandCode_[own] = frame.frequencyCode;
    const SonarBand band = BandOfFrequency(frame.frequencyCode);
    const std::optional<std::uint8_t>& other = bandCode_[1 - own];
    // The frequency decides when it tells the two channels apart (or the
    // other is not heard); otherwise the primary is HF.
    if (band != SonarBand::kUnknown && (!other || BandOfFrequency(*other) != band)) {
        return band == SonarBand::kLow;
    }
    return frame.channel == kSonarSecondary;
}

bool SonarFeed::NextSweep(double shipSeconds, ZXNorvaneRecordedSweep& sweep) {
    const std::optional<double> first = FirstTime();
    if (!first) {
        return false;
    }
    while (true) {
        if (!pending_) {
            SonarFrame frame;
            if (!sweeps_.Next(frame)) {
                return false;
            }
            pendingTime_ = sweepLatest_.clock.Next(frame.timeSeconds);
            // Down-scan and side-scan images are not soundings of the sounder.
            if (frame.channel != kSonarPrimary && frame.channel != kSonarSecondary) {
                continue;
            }
            pending_ = frame;
        }
        const double time = pendingTime_ - *first;
        if (time > shipSeconds) {
            return false;
        }
        const SonarFrame frame = *pending_;
        pending_.reset();
        if (!sweeps_.ReadSamples(samples_) && samples_.empty()) {
            ++withoutSamples_;
            continue;
        }
        reducer_.Reduce(samples_.data(), samples_.size(), levels_);
        if (levels_.empty()) {
            ++withoutSamples_;
            continue;
        }
        if (!(frame.lowerMetres > std::max(frame.upperMetres, 0.0))) {
            ++emptyWindow_;
            continue;
        }
        if (frame.upperMetres < -kZXNorvaneDeepestWindowMetres ||
            frame.lowerMetres > kZXNorvaneDeepestWindowMetres) {
            ++impossibleWindow_;
            continue;
        }
        const bool low = LowFrequency(frame);
        sweep = ZXNorvaneRecordedSweep{};
        sweep.shipTimeSeconds = time;
        sweep.lowFrequency = low ? 1 : 0;
        sweep.topMetres = frame.upperMetres;
        sweep.bottomMetres = frame.lowerMetres;
        sweep.depthMetres = frame.depthMetres.value_or(0.0);
        sweep.levels = levels_.data();
        sweep.count = static_cast<std::uint32_t>(levels_.size());
        ++given_[low ? 1 : 0];
        return true;
    }
}

double SonarFeed::DraughtMetres() const {
    return keelMetres_ ? *keelMetres_ : ShipFeed::DraughtMetres();
}

std::string SonarFeed::Describe() const {
    return std::string(states_.Header().format == SonarFormat::kSl3 ? "SL3" : "SL2") +
           " sonar recording " + path_;
}

std::string SonarFeed::Summary() const {
    const SonarStats& s = states_.Stats();
    auto n = [](std::int64_t value) { return static_cast<long long>(value); };
    char line[512];
    std::string text;
    std::snprintf(
        line, sizeof line,
        "Sonar frames: %lld read: %lld primary, %lld secondary, %lld down-scan, "
        "%lld side-scan (left %lld, right %lld, composite %lld)\n",
        n(s.FramesRead()), n(s.frames[kSonarPrimary]), n(s.frames[kSonarSecondary]),
        n(s.frames[kSonarDownScan]),
        n(s.frames[kSonarSideLeft] + s.frames[kSonarSideRight] + s.frames[kSonarSideComposite]),
        n(s.frames[kSonarSideLeft]), n(s.frames[kSonarSideRight]),
        n(s.frames[kSonarSideComposite]));
    text += line;
    std::snprintf(line, sizeof line,
                  "Sonar frames skipped: %lld down-scan and side-scan, %lld of an unknown "
                  "channel, %lld of size 0, %lld smaller than their header, %lld reaching past "
                  "the end of the file, %lld truncated, %lld out of place, %lld whose size "
                  "missed the next frame, %lld with fewer samples than announced (%lld bytes "
                  "passed over); %lld time jumps set aside\n",
                  n(s.frames[kSonarDownScan] + s.frames[kSonarSideLeft] +
                    s.frames[kSonarSideRight] + s.frames[kSonarSideComposite]),
                  n(s.unknownChannel), n(s.zeroSize), n(s.undersized), n(s.beyondFile),
                  n(s.truncated), n(s.misplaced), n(s.wrongSize), n(s.shortSamples),
                  n(s.bytesSkipped), n(TimeJumps()));
    text += line;
    std::snprintf(line, sizeof line,
                  "Sonar sweeps to the sounder: %lld HF, %lld LF; not handed over: %lld without "
                  "echo samples, %lld whose window holds no depth, %lld whose window reaches "
                  "beyond any sea (%.0f m)\n",
                  n(given_[0]), n(given_[1]), n(withoutSamples_), n(emptyWindow_),
                  n(impossibleWindow_), kZXNorvaneDeepestWindowMetres);
    text += line;
    if (firstFrameTime_) {
        std::snprintf(line, sizeof line, "Sonar time span: %s (%.1f s to %.1f s)\n",
                      HoursMinutesSeconds(lastFrameTime_ - *firstFrameTime_).c_str(),
                      *firstFrameTime_, lastFrameTime_);
        text += line;
    }
    std::snprintf(line, sizeof line, "Sonar distance run: %.2f NM\n", distanceMetres_ / 1852.0);
    text += line;
    if (depths_.count > 0) {
        std::snprintf(line, sizeof line, "Sonar depths: %.1f to %.1f m\n", depths_.low,
                      depths_.high);
        text += line;
    }
    if (temperatures_.count > 0) {
        std::snprintf(line, sizeof line,
                      "Sonar water temperatures: %.1f to %.1f \xC2\xB0"
                      "C\n",
                      temperatures_.low, temperatures_.high);
        text += line;
    }
    if (ReadFailed()) {
        text += "Sonar recording: reading stopped by an error before the end\n";
    }
    return text;
}

std::shared_ptr<const LogFeed::ReaderPlace> SonarFeed::ReaderHere() const {
    auto place = std::make_shared<StatePlace>();
    place->log = states_.Here();
    place->latest = stateLatest_;
    place->lastState = lastState_;
    place->keelMetres = keelMetres_;
    place->depths = depths_;
    place->temperatures = temperatures_;
    place->firstFrameTime = firstFrameTime_;
    place->lastFrameTime = lastFrameTime_;
    place->distanceMetres = distanceMetres_;
    place->lastPosition = lastPosition_;
    return place;
}

bool SonarFeed::ResumeReader(const ReaderPlace& place) {
    const auto* ours = dynamic_cast<const StatePlace*>(&place);
    if (ours == nullptr) {
        return false;
    }
    states_.Resume(ours->log);
    stateLatest_ = ours->latest;
    lastState_ = ours->lastState;
    keelMetres_ = ours->keelMetres;
    depths_ = ours->depths;
    temperatures_ = ours->temperatures;
    firstFrameTime_ = ours->firstFrameTime;
    lastFrameTime_ = ours->lastFrameTime;
    distanceMetres_ = ours->distanceMetres;
    lastPosition_ = ours->lastPosition;
    return true;
}

std::shared_ptr<const LogFeed::ReaderPlace> SonarFeed::SideHere() const {
    auto place = std::make_shared<SweepPlace>();
    place->log = sweeps_.Here();
    place->latest = sweepLatest_;
    place->pending = pending_;
    place->pendingTime = pendingTime_;
    std::copy(std::begin(bandCode_), std::end(bandCode_), std::begin(place->bandCode));
    std::copy(std::begin(given_), std::end(given_), std::begin(place->given));
    place->withoutSamples = withoutSamples_;
    place->emptyWindow = emptyWindow_;
    place->impossibleWindow = impossibleWindow_;
    place->levelStarts = reducer_.LevelStarts();
    return place;
}

bool SonarFeed::AcceptsSide(const ReaderPlace& place) const {
    const auto* ours = dynamic_cast<const SweepPlace*>(&place);
    return ours != nullptr && ours->levelStarts == reducer_.LevelStarts();
}

void SonarFeed::ResumeSide(const ReaderPlace& place) {
    const auto& ours = dynamic_cast<const SweepPlace&>(place);
    sweeps_.Resume(ours.log);
    sweepLatest_ = ours.latest;
    pending_ = ours.pending;
    pendingTime_ = ours.pendingTime;
    std::copy(std::begin(ours.bandCode), std::end(ours.bandCode), std::begin(bandCode_));
    std::copy(std::begin(ours.given), std::end(ours.given), std::begin(given_));
    withoutSamples_ = ours.withoutSamples;
    emptyWindow_ = ours.emptyWindow;
    impossibleWindow_ = ours.impossibleWindow;
}
