#include "runtime/norvane/NorvaneSounder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <optional>

#include "runtime/norvane/NorvaneModeEncoder.h"
#include "runtime/norvane/PropertyRecord.h"
#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

constexpr double kSoundSpeed = 1500.0;
// Time the sounder needs between receiving one ping and sending the next,
// and the fastest it pings in shallow water.
constexpr double kProcessingSeconds = 0.03;
constexpr double kShortestInterval = 0.05;
// Fixed intervals are held to these: a shorter one would no longer move a
// late ship clock on (and a catch-up would never end).
constexpr double kShortestFixedInterval = 0.001;
constexpr double kLongestFixedInterval = 3600.0;

thread_local const void* tCurrentPing = nullptr;

ZXNorvaneOptions DefaultOptions() {
    return {1, 1, 0.0, 0};
}

}  // namespace

NorvaneSounder::NorvaneSounder()
    : settings_(SounderSettings::Defaults()), options_(DefaultOptions()) {
    thread_ = std::thread(&NorvaneSounder::Run, this);
}

NorvaneSounder::~NorvaneSounder() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

const NorvaneSounder::PingRecord* NorvaneSounder::CurrentPing() const {
    const auto* record = static_cast<const PingRecord*>(tCurrentPing);
    return record != nullptr && record->sounder == this ? record : nullptr;
}

int32_t NorvaneSounder::RegisterSweepCallback(ZXSweepCallback callback) {
    return listeners_.AddSweep(callback);
}

int32_t NorvaneSounder::RegisterEventCallback(ZXEventCallback callback) {
    return listeners_.AddEvent(callback);
}

int32_t NorvaneSounder::UnregisterSweepCallback(ZXSweepCallback callback) {
    return listeners_.RemoveSweep(callback);
}

int32_t NorvaneSounder::UnregisterEventCallback(ZXEventCallback callback) {
    return listeners_.RemoveEvent(callback);
}

int32_t NorvaneSounder::GetModes(int16_t* frequencyMode, int16_t* zoomMode) {
    if (frequencyMode == nullptr || zoomMode == nullptr) {
        return 0;
    }
    if (const PingRecord* ping = CurrentPing()) {
        *frequencyMode = ping->settings.frequencyMode;
        *zoomMode = ping->settings.zoomMode;
        return 1;
    }
    std::lock_guard lock(mutex_);
    *frequencyMode = settings_.frequencyMode;
    *zoomMode = settings_.zoomMode;
    return 1;
}

int32_t NorvaneSounder::GetRange(int32_t channel, int32_t* range, int32_t* shift) {
    if ((channel != 0 && channel != 1) || range == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    const SounderSettings& settings = CurrentPing() ? CurrentPing()->settings : settings_;
    *range = settings.range[channel];
    if (shift != nullptr) {
        *shift = settings.shift[channel];
    }
    return 1;
}

int32_t NorvaneSounder::GetShift(int32_t channel, int32_t* shift) {
    if ((channel != 0 && channel != 1) || shift == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    const SounderSettings& settings = CurrentPing() ? CurrentPing()->settings : settings_;
    *shift = settings.shift[channel];
    return 1;
}

int32_t NorvaneSounder::GetRangeTable(int16_t* locked, int32_t ranges[8]) {
    if (locked == nullptr || ranges == nullptr) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    *locked = settings_.locked ? 1 : 0;
    std::copy_n(RangeTable(settings_.unit).begin(), kRangeCount, ranges);
    return 1;
}

int16_t NorvaneSounder::GetDepthUnit(int16_t* unit, int32_t* reserved) {
    if (unit == nullptr) {
        return -1;
    }
    if (reserved != nullptr) {
        *reserved = 0;
    }
    if (const PingRecord* ping = CurrentPing()) {
        *unit = ping->settings.unit;
        return 0;
    }
    std::lock_guard lock(mutex_);
    *unit = settings_.unit;
    return 0;
}

int32_t NorvaneSounder::GetReferenceDepth(int32_t* reserved, int32_t* depth, int32_t* valid) {
    if (depth == nullptr || valid == nullptr) {
        return 0;
    }
    if (reserved != nullptr) {
        *reserved = 0;
    }
    ReferenceDepth reference;
    if (const PingRecord* ping = CurrentPing()) {
        reference = ping->reference;
    } else {
        std::lock_guard lock(mutex_);
        reference = reference_;
    }
    *depth = reference.tenths;
    *valid = reference.valid ? 1 : 0;
    return 1;
}

int32_t NorvaneSounder::SetMode(int32_t encodedMode) {
    int16_t frequency = 0;
    int16_t zoom = 0;
    if (!NorvaneModeEncoder::DecodeMode(encodedMode, frequency, zoom)) {
        return 0;
    }
    {
        std::lock_guard lock(mutex_);
        settings_.frequencyMode = frequency;
        settings_.zoomMode = zoom;
    }
    RaiseEvent(kZXNorvaneModeChanged);
    return 1;
}

int32_t NorvaneSounder::SetRange(int32_t encoded, int32_t channel, int32_t range, int32_t shift) {
    if (!NorvaneModeEncoder::IsRangeValue(encoded) || (channel != 0 && channel != 1)) {
        return 0;
    }
    {
        std::lock_guard lock(mutex_);
        const auto& table = RangeTable(settings_.unit);
        if (settings_.locked || std::find(table.begin(), table.end(), range) == table.end() ||
            shift < 0 || shift > table.back()) {
            return 0;
        }
        settings_.range[channel] = range;
        settings_.shift[channel] = shift;
        // A range the user chose is kept.
        settings_.autoRange = false;
    }
    RaiseEvent(kZXNorvaneRangeChanged);
    return 1;
}

OGRFeature* NorvaneSounder::GetProperties(int32_t set, int32_t /*reserved*/) {
    // The current values, also from inside a callback: a record read there and
    // written back must not undo a change made meanwhile.
    SounderSettings settings;
    {
        std::lock_guard lock(mutex_);
        settings = settings_;
    }
    return PropertyRecord::ToFeature(settings, set);
}

int32_t NorvaneSounder::SetProperties(OGRFeature* feature, int32_t set, int32_t /*reserved*/) {
    if (feature == nullptr) {
        return 0;
    }
    {
        std::lock_guard lock(mutex_);
        if (!PropertyRecord::FromFeature(*feature, set, settings_)) {
            return 0;
        }
    }
    RaiseEvent(kZXNorvanePropertiesChanged);
    return 1;
}

int32_t NorvaneSounder::SetEnvironment(const ZXNorvaneEnvironment& given) {
    const std::optional<ZXNorvaneEnvironment> environment = ShipTimeline::Clean(given);
    if (!environment) {
        return 0;
    }
    bool threaded = false;
    {
        std::lock_guard lock(mutex_);
        timeline_.SetEnvironment(*environment);
        threaded = options_.threaded != 0;
    }
    // Without the thread the caller pings: waking it would be a hand-over
    // for nothing at every cycle.
    if (threaded) {
        wake_.notify_all();
    }
    return 1;
}

int32_t NorvaneSounder::ForecastEnvironment(const ZXNorvaneEnvironment& given) {
    const std::optional<ZXNorvaneEnvironment> environment = ShipTimeline::Clean(given);
    if (!environment) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    timeline_.Forecast(*environment);
    return 1;
}

int32_t NorvaneSounder::SetShipTime(double time) {
    if (!ShipTimeline::UsableTime(time)) {
        return 0;
    }
    bool threaded = false;
    {
        std::lock_guard lock(mutex_);
        timeline_.SetTime(time);
        threaded = options_.threaded != 0;
    }
    if (threaded) {
        wake_.notify_all();
    }
    return 1;
}

void NorvaneSounder::Reset(const ZXNorvaneOptions& options) {
    std::lock_guard pingLock(pingMutex_);
    {
        std::lock_guard lock(mutex_);
        settings_ = SounderSettings::Defaults();
        options_ = options;
        options_.threaded = options.threaded != 0 ? 1 : 0;
        if (!(options_.fixedIntervalSeconds > 0.0) ||
            !std::isfinite(options_.fixedIntervalSeconds)) {
            options_.fixedIntervalSeconds = 0.0;
        } else {
            options_.fixedIntervalSeconds = std::clamp(
                options_.fixedIntervalSeconds, kShortestFixedInterval, kLongestFixedInterval);
        }
        timeline_.Reset(options_.shipClock != 0);
        simulator_.Reset();
        autoRange_.Reset();
        reference_ = {};
        statistics_ = {};
        playback_.Switch(false);
    }
    wake_.notify_all();
}

int32_t NorvaneSounder::PingNow() {
    {
        std::lock_guard lock(mutex_);
        if (options_.threaded) {
            return -1;
        }
    }
    int32_t sweeps = 0;
    Step(false, &sweeps);
    return sweeps;
}

int32_t NorvaneSounder::CatchUp() {
    {
        std::lock_guard lock(mutex_);
        if (options_.threaded) {
            return -1;
        }
    }
    int32_t pings = 0;
    while (Step(true, nullptr)) {
        ++pings;
    }
    return pings;
}

bool NorvaneSounder::WaitIdle(uint32_t timeoutMilliseconds) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                          [this] { return !options_.threaded || (!pinging_ && !DueLocked()); });
}

void NorvaneSounder::SetThreaded(bool on) {
    {
        std::lock_guard lock(mutex_);
        options_.threaded = on ? 1 : 0;
    }
    // A ping the thread began before is finished under the ping lock, in its
    // turn: whoever pings next takes the ping after it.
    wake_.notify_all();
    idle_.notify_all();
}

ZXNorvaneStatistics NorvaneSounder::Statistics() {
    std::lock_guard lock(mutex_);
    return statistics_;
}

double NorvaneSounder::IntervalLocked() const {
    if (options_.fixedIntervalSeconds > 0.0) {
        return options_.fixedIntervalSeconds;
    }
    // Listen for the echo from the deepest window, then turn round.
    const double metres = MetresPerUnit(settings_.unit);
    double deepest = (settings_.shift[0] + settings_.range[0]) * metres;
    if (settings_.frequencyMode == 5) {
        deepest = std::max(deepest, (settings_.shift[1] + settings_.range[1]) * metres);
    }
    if (settings_.zoomMode == 3) {
        deepest = std::max(deepest, settings_.markerDepthMetres + settings_.zoomSpanMetres / 2.0);
    }
    return std::max(kShortestInterval, 2.0 * deepest / kSoundSpeed + kProcessingSeconds);
}

void NorvaneSounder::Run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (options_.threaded && DueLocked()) {
            lock.unlock();
            Step(true, nullptr);
            lock.lock();
            continue;
        }
        idle_.notify_all();
        if (!options_.threaded || timeline_.OnShipClock()) {
            wake_.wait(lock);
        } else if (playback_.Playing()) {
            // A recording on the wall clock: its next sweep is looked at often.
            wake_.wait_for(lock, std::chrono::milliseconds(20));
        } else {
            wake_.wait_until(lock, timeline_.NextPingOnWallClock());
        }
    }
}

bool NorvaneSounder::Ping(bool onlyWhenDue, int32_t* sweeps) {
    std::lock_guard pingLock(pingMutex_);
    PingRecord record{this, {}, {}};
    PingScene scene;
    uint32_t seed = 1;
    {
        std::lock_guard lock(mutex_);
        const double clock = timeline_.Now();
        if (onlyWhenDue && timeline_.NextPing() > clock) {
            return false;
        }
        if (!timeline_.OnShipClock() && onlyWhenDue && !listeners_.AnyoneListens()) {
            // Nobody listens to a sounder on the wall clock: let the pings go by.
            timeline_.SetNextPing(clock + IntervalLocked());
            return true;
        }
        scene = timeline_.TakePing(IntervalLocked());
        record.settings = settings_;
        seed = options_.seed;
        pinging_ = true;
    }

    PingSimulator::Ping ping = simulator_.Make(scene, record.settings, seed);
    record.reference = ping.reference;
    bool rangeStepped = false;
    {
        std::lock_guard lock(mutex_);
        reference_ = record.reference;
        ++statistics_.pings;
        statistics_.lastPingSeconds = scene.time;
        statistics_.referenceDepth = reference_.tenths;
        statistics_.referenceValid = reference_.valid ? 1 : 0;
        rangeStepped = autoRange_.Follow(settings_, ping.bottom).has_value();
    }
    Deliver(record, ping.sweeps, sweeps);
    if (rangeStepped) {
        RaiseEvent(kZXNorvaneAutoRangeChanged);
    }
    return true;
}

void NorvaneSounder::RaiseEvent(int16_t code) {
    {
        std::lock_guard lock(mutex_);
        ++statistics_.events;
    }
    listeners_.Raise(code);
}

bool NorvaneSounder::DueLocked() const {
    return playback_.Playing() ? playback_.Due(timeline_.Now()) : timeline_.PingDue();
}

bool NorvaneSounder::Step(bool onlyWhenDue, int32_t* sweeps) {
    bool playing = false;
    {
        std::lock_guard lock(mutex_);
        playing = playback_.Playing();
    }
    return playing ? Play(onlyWhenDue, sweeps) : Ping(onlyWhenDue, sweeps);
}

int32_t NorvaneSounder::SetPlayback(bool on) {
    {
        std::lock_guard lock(mutex_);
        playback_.Switch(on);
    }
    wake_.notify_all();
    return 1;
}

int32_t NorvaneSounder::PlaySweep(const ZXNorvaneRecordedSweep& given) {
    {
        std::lock_guard lock(mutex_);
        switch (playback_.Queue(given)) {
            case RecordedPlayback::Queued::kNotPlaying:
                return 0;
            case RecordedPlayback::Queued::kRefused:
                ++statistics_.playRefused;
                return 0;
            case RecordedPlayback::Queued::kTaken:
                break;
        }
    }
    wake_.notify_all();
    return 1;
}

bool NorvaneSounder::Play(bool onlyWhenDue, int32_t* sweeps) {
    std::lock_guard pingLock(pingMutex_);
    PingRecord record{this, {}, {}};
    std::optional<RecordedPlayback::Sweep> recorded;
    {
        std::lock_guard lock(mutex_);
        recorded = playback_.Take(onlyWhenDue, timeline_.Now());
        if (!recorded) {
            return false;
        }
        record.settings = settings_;
        record.reference = RecordedPlayback::ReferenceOf(*recorded, settings_);
        reference_ = record.reference;
        ++statistics_.played;
        statistics_.lastPingSeconds = recorded->time;
        statistics_.referenceDepth = reference_.tenths;
        statistics_.referenceValid = reference_.valid ? 1 : 0;
        pinging_ = true;
    }
    const std::vector<OutgoingSweep> outgoing =
        RecordedPlayback::SweepsOf(std::move(*recorded), record.settings, record.reference);
    Deliver(record, outgoing, sweeps);
    return true;
}

void NorvaneSounder::Deliver(const PingRecord& record, const std::vector<OutgoingSweep>& sweeps,
                             int32_t* delivered) {
    tCurrentPing = &record;
    const std::array<bool, 2> reached = listeners_.HandOver(sweeps);
    tCurrentPing = nullptr;
    {
        std::lock_guard lock(mutex_);
        statistics_.sweeps[0] += reached[0] ? 1 : 0;
        statistics_.sweeps[1] += reached[1] ? 1 : 0;
        pinging_ = false;
    }
    idle_.notify_all();
    if (delivered != nullptr) {
        *delivered += static_cast<int32_t>(sweeps.size());
    }
}

std::vector<uint8_t> NorvaneSounder::SaveState() {
    // Between two pings: the detectors are the ping's own while it runs.
    std::lock_guard pingLock(pingMutex_);
    std::lock_guard lock(mutex_);
    StateWriter writer;
    settings_.Save(writer);
    writer.U32(options_.seed);
    writer.F64(options_.fixedIntervalSeconds);
    writer.I32(options_.shipClock);
    timeline_.Save(writer);
    simulator_.Save(writer);
    autoRange_.Save(writer);
    writer.I32(reference_.tenths);
    writer.Bool(reference_.valid);
    writer.U64(statistics_.sweeps[0]);
    writer.U64(statistics_.sweeps[1]);
    writer.U64(statistics_.pings);
    writer.U64(statistics_.events);
    writer.I32(statistics_.referenceDepth);
    writer.I32(statistics_.referenceValid);
    writer.F64(statistics_.lastPingSeconds);
    writer.U64(statistics_.played);
    writer.U64(statistics_.playRefused);
    playback_.Save(writer);
    return writer.Finish();
}

bool NorvaneSounder::RestoreState(const uint8_t* data, std::size_t size) {
    // Read whole into fresh parts first: a blob refused half-way leaves nothing.
    StateReader reader;
    SounderSettings settings;
    ZXNorvaneOptions options{};
    ShipTimeline timeline;
    PingSimulator simulator;
    AutoRange autoRange;
    ReferenceDepth reference;
    ZXNorvaneStatistics statistics{};
    RecordedPlayback playback;
    bool valid = false;
    const bool read =
        reader.Open(data, size) && settings.Load(reader) && reader.U32(options.seed) &&
        reader.F64(options.fixedIntervalSeconds) && reader.I32(options.shipClock) &&
        timeline.Load(reader) && simulator.Load(reader) && autoRange.Load(reader) &&
        reader.I32(reference.tenths) && reader.Bool(valid) && reader.U64(statistics.sweeps[0]) &&
        reader.U64(statistics.sweeps[1]) && reader.U64(statistics.pings) &&
        reader.U64(statistics.events) && reader.I32(statistics.referenceDepth) &&
        reader.I32(statistics.referenceValid) && reader.F64(statistics.lastPingSeconds) &&
        reader.U64(statistics.played) && reader.U64(statistics.playRefused) &&
        playback.Load(reader) && reader.AtEnd();
    reference.valid = valid;
    if (!read || !PropertyRecord::WithinLimits(settings) ||
        (options.fixedIntervalSeconds != 0.0 &&
         (options.fixedIntervalSeconds < kShortestFixedInterval ||
          options.fixedIntervalSeconds > kLongestFixedInterval)) ||
        (options.shipClock != 0 && options.shipClock != 1) ||
        (statistics.referenceValid != 0 && statistics.referenceValid != 1)) {
        return false;
    }
    {
        std::lock_guard pingLock(pingMutex_);
        std::lock_guard lock(mutex_);
        options.threaded = options_.threaded;
        settings_ = settings;
        options_ = options;
        timeline_ = std::move(timeline);
        simulator_ = std::move(simulator);
        autoRange_ = autoRange;
        reference_ = reference;
        statistics_ = statistics;
        playback_ = std::move(playback);
    }
    wake_.notify_all();
    idle_.notify_all();
    return true;
}

}  // namespace norvane
