#include "runtime/norvane/NorvaneSounder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "runtime/norvane/NorvaneModeEncoder.h"
#include "runtime/norvane/PropertyRecord.h"

namespace norvane {

namespace {

constexpr double kSoundSpeed = 1500.0;
// Time the sounder needs between receiving one ping and sending the next,
// and the fastest it pings in shallow water.
constexpr double kProcessingSeconds = 0.03;
constexpr double kShortestInterval = 0.05;
// A longer gap in the ship's time is a sounder that was off: it starts again
// at the new time instead of making up every ping.
constexpr double kLongestCatchUpSeconds = 600.0;
constexpr std::size_t kMostEnvironments = 100000;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
constexpr double kFractionOne = 2097152.0;  // 2^21
constexpr uint32_t kMostSamples = 1024;
// Recorded sweeps waiting for their time: far more than a host hands ahead.
constexpr std::size_t kMostRecorded = 100000;

thread_local const void* tCurrentPing = nullptr;

ZXNorvaneEnvironment DefaultEnvironment(double time) {
    return {time, 60.0, 0.5, 4.0};
}

ZXNorvaneOptions DefaultOptions() {
    return {1, 1, 0.0, 0};
}

// One channel of one ping as it goes out.
struct ChannelPlan {
    uint16_t channel = 0;
    int set = 0;
    SweepWindow window;
    uint32_t startTenths = 0;
    uint32_t spanTenths = 0;
    uint32_t stepFixed = 0;
    bool blank = false;  // no bottom to place the window on: nothing heard
};

ChannelPlan MakePlan(uint16_t channel, bool lowFrequency, int unit, double topTenths,
                     uint32_t spanTenths) {
    ChannelPlan plan;
    plan.channel = channel;
    plan.set = lowFrequency ? 1 : 0;
    plan.spanTenths = std::max<uint32_t>(spanTenths, 1);
    plan.startTenths = static_cast<uint32_t>(std::max(0.0, std::round(topTenths)));
    const double metresPerTenth = 0.1 * MetresPerUnit(unit);
    const uint32_t count = SamplesPerSweep(unit);
    plan.stepFixed = static_cast<uint32_t>(std::lround(plan.spanTenths * kFractionOne / count));
    plan.window.lowFrequency = lowFrequency;
    plan.window.count = count;
    plan.window.topMetres = topTenths * metresPerTenth;
    plan.window.stepMetres = plan.stepFixed / kFractionOne * metresPerTenth;
    return plan;
}

ChannelPlan MainPlan(const SounderSettings& settings) {
    const bool low = settings.frequencyMode == 3 || settings.frequencyMode == 4;
    return MakePlan(0, low, settings.unit, settings.shift[0] * 10.0,
                    static_cast<uint32_t>(settings.range[0]) * 10);
}

// The second channel: LF over its own range in dual frequency, else a zoom
// window on the main frequency; none for a single pane.
std::optional<ChannelPlan> SecondPlan(const SounderSettings& settings,
                                      std::optional<double> bottom) {
    const int16_t frequency = settings.frequencyMode;
    const int16_t zoom = settings.zoomMode;
    if ((frequency == 1 || frequency == 3) && zoom == 1) {
        return std::nullopt;
    }
    const int unit = settings.unit;
    const double metres = MetresPerUnit(unit);
    if (frequency == 5 && zoom == 1) {
        return MakePlan(1, true, unit, settings.shift[1] * 10.0,
                        static_cast<uint32_t>(settings.range[1]) * 10);
    }
    const bool low = frequency >= 3;
    const double spanMetres = std::min(settings.zoomSpanMetres, settings.range[1] * metres);
    const uint32_t spanTenths =
        static_cast<uint32_t>(std::max(1L, std::lround(spanMetres / metres * 10.0)));
    const double span = spanTenths * 0.1 * metres;
    // Windows the reader places itself (bottom lock, discrimination) follow
    // the depth as reported; the others start on a whole unit.
    const auto wholeUnits = [&](double topMetres) {
        return std::max(0.0, std::floor(topMetres / metres)) * 10.0;
    };
    if (zoom == 3) {
        return MakePlan(1, low, unit, wholeUnits(settings.markerDepthMetres - span / 2.0),
                        spanTenths);
    }
    if (!bottom) {
        ChannelPlan plan = MakePlan(1, low, unit, 0.0, spanTenths);
        plan.blank = true;
        return plan;
    }
    const double d = *bottom;
    if (zoom == 2) {
        return MakePlan(1, low, unit, wholeUnits(d - 0.75 * span), spanTenths);
    }
    const double top = zoom == 1 ? d - span : d - span / 2.0;
    return MakePlan(1, low, unit, top / metres * 10.0, spanTenths);
}

ZXRawSweep RawSweep(const ChannelPlan& plan) {
    ZXRawSweep sweep{};
    sweep.channel = plan.channel;
    sweep.sampleCount = plan.window.count;
    sweep.sampleStep = plan.stepFixed;
    sweep.startDepth = plan.startTenths;
    sweep.furtherDepth = plan.startTenths + plan.spanTenths;
    return sweep;
}

// A recorded sweep as the sounder's record: the window in tenths of the unit,
// and the step such that a reader, who measures the window as a tenth of the
// count in the unit truncated to whole metres times the step, finds its span.
ZXRawSweep RecordedRawSweep(uint16_t channel, int unit, double top, double bottom, uint32_t count) {
    const double metres = MetresPerUnit(unit);
    ZXRawSweep sweep{};
    sweep.channel = channel;
    sweep.sampleCount = count;
    sweep.startDepth = static_cast<uint32_t>(std::max(0.0, std::round(top / metres * 10.0)));
    const uint32_t spanTenths = static_cast<uint32_t>(
        std::max(1.0, std::round((bottom - std::max(top, 0.0)) / metres * 10.0)));
    const double countRead = std::trunc(count * 0.1 * metres);
    const double step = countRead >= 1.0 ? spanTenths * 0.1 * metres * kFractionOne / countRead
                                         : spanTenths * kFractionOne / count;
    sweep.sampleStep = static_cast<uint32_t>(std::min(std::round(step), 4294967295.0));
    sweep.furtherDepth = sweep.startDepth + spanTenths;
    return sweep;
}

}  // namespace

NorvaneSounder::NorvaneSounder()
    : settings_(SounderSettings::Defaults()),
      options_(DefaultOptions()),
      wallOrigin_(std::chrono::steady_clock::now()) {
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
    if (callback == nullptr) {
        return 0;
    }
    std::lock_guard lock(callbackMutex_);
    if (std::find(sweepCallbacks_.begin(), sweepCallbacks_.end(), callback) ==
        sweepCallbacks_.end()) {
        sweepCallbacks_.push_back(callback);
    }
    hasSweepListeners_.store(true);
    return 1;
}

int32_t NorvaneSounder::RegisterEventCallback(ZXEventCallback callback) {
    if (callback == nullptr) {
        return 0;
    }
    std::lock_guard lock(callbackMutex_);
    if (std::find(eventCallbacks_.begin(), eventCallbacks_.end(), callback) ==
        eventCallbacks_.end()) {
        eventCallbacks_.push_back(callback);
    }
    return 1;
}

int32_t NorvaneSounder::UnregisterSweepCallback(ZXSweepCallback callback) {
    // Waits for a sweep being handed over: afterwards the callback is gone.
    std::lock_guard lock(callbackMutex_);
    const auto found = std::find(sweepCallbacks_.begin(), sweepCallbacks_.end(), callback);
    if (found == sweepCallbacks_.end()) {
        return 0;
    }
    sweepCallbacks_.erase(found);
    hasSweepListeners_.store(!sweepCallbacks_.empty());
    return 1;
}

int32_t NorvaneSounder::UnregisterEventCallback(ZXEventCallback callback) {
    std::lock_guard lock(callbackMutex_);
    const auto found = std::find(eventCallbacks_.begin(), eventCallbacks_.end(), callback);
    if (found == eventCallbacks_.end()) {
        return 0;
    }
    eventCallbacks_.erase(found);
    return 1;
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
    Reference reference;
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

bool NorvaneSounder::Clean(const ZXNorvaneEnvironment& given, ZXNorvaneEnvironment& environment) {
    if (!std::isfinite(given.shipTimeSeconds)) {
        return false;
    }
    environment = given;
    if (!std::isfinite(environment.depthMetres) || !(environment.depthMetres > 0.0)) {
        environment.depthMetres = 0.0;
    }
    environment.hardness =
        std::isfinite(environment.hardness) ? std::clamp(environment.hardness, 0.0, 1.0) : 0.5;
    if (!std::isfinite(environment.speedKnots)) {
        environment.speedKnots = 0.0;
    }
    return true;
}

void NorvaneSounder::AddEnvironmentLocked(const ZXNorvaneEnvironment& environment) {
    while (!environments_.empty() &&
           environments_.back().shipTimeSeconds >= environment.shipTimeSeconds) {
        environments_.pop_back();
    }
    environments_.push_back(environment);
    while (environments_.size() >= 2 && (environments_[1].shipTimeSeconds <= nextPing_ ||
                                         environments_.size() > kMostEnvironments)) {
        environments_.pop_front();
    }
}

void NorvaneSounder::SetShipTimeLocked(double time) {
    if (!timeline_ || time < hostTime_) {
        // The host's clock takes over, or a new timeline begins.
        hostClock_ = true;
        timeline_ = true;
        nextPing_ = time;
        pinged_ = false;
    } else if (time - nextPing_ > kLongestCatchUpSeconds) {
        nextPing_ = time;
    }
    hostTime_ = time;
}

int32_t NorvaneSounder::SetEnvironment(const ZXNorvaneEnvironment& given) {
    ZXNorvaneEnvironment environment;
    if (!Clean(given, environment)) {
        return 0;
    }
    {
        std::lock_guard lock(mutex_);
        if (!timeline_ || environment.shipTimeSeconds < hostTime_) {
            environments_.clear();
        }
        SetShipTimeLocked(environment.shipTimeSeconds);
        AddEnvironmentLocked(environment);
    }
    wake_.notify_all();
    return 1;
}

int32_t NorvaneSounder::ForecastEnvironment(const ZXNorvaneEnvironment& given) {
    ZXNorvaneEnvironment environment;
    if (!Clean(given, environment)) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    AddEnvironmentLocked(environment);
    return 1;
}

int32_t NorvaneSounder::SetShipTime(double time) {
    if (!std::isfinite(time)) {
        return 0;
    }
    {
        std::lock_guard lock(mutex_);
        SetShipTimeLocked(time);
    }
    wake_.notify_all();
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
        }
        environments_.clear();
        hostClock_ = options_.shipClock != 0;
        timeline_ = false;
        hostTime_ = 0.0;
        wallOrigin_ = std::chrono::steady_clock::now();
        nextPing_ = 0.0;
        lastPing_ = 0.0;
        pinged_ = false;
        pingCount_ = 0;
        distance_ = 0.0;
        detector_.Reset();
        lowDetector_.Reset();
        reference_ = {};
        lostPings_ = 0;
        statistics_ = {};
        playback_ = false;
        recorded_.clear();
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

ZXNorvaneStatistics NorvaneSounder::Statistics() {
    std::lock_guard lock(mutex_);
    return statistics_;
}

double NorvaneSounder::ClockLocked() const {
    if (hostClock_) {
        return timeline_ ? hostTime_ : -std::numeric_limits<double>::infinity();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wallOrigin_).count();
}

ZXNorvaneEnvironment NorvaneSounder::EnvironmentAtLocked(double time) {
    if (environments_.empty()) {
        return DefaultEnvironment(time);
    }
    while (environments_.size() >= 2 && environments_[1].shipTimeSeconds <= time) {
        environments_.pop_front();
    }
    ZXNorvaneEnvironment at = environments_.front();
    if (environments_.size() >= 2 && time > at.shipTimeSeconds) {
        const ZXNorvaneEnvironment& next = environments_[1];
        const double w = (time - at.shipTimeSeconds) / (next.shipTimeSeconds - at.shipTimeSeconds);
        if (at.depthMetres > 0.0 && next.depthMetres > 0.0) {
            at.depthMetres += w * (next.depthMetres - at.depthMetres);
        } else if (w >= 0.5) {
            at.depthMetres = next.depthMetres;
        }
        at.hardness += w * (next.hardness - at.hardness);
        at.speedKnots += w * (next.speedKnots - at.speedKnots);
    }
    at.shipTimeSeconds = time;
    return at;
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

std::optional<int> NorvaneSounder::AutoRangeLocked(const std::optional<double>& depthMetres) {
    if (!settings_.autoRange || settings_.shift[0] != 0) {
        return std::nullopt;
    }
    const auto& table = RangeTable(settings_.unit);
    const double metres = MetresPerUnit(settings_.unit);
    int index = 0;
    while (index < kRangeCount - 1 && table[index] < settings_.range[0]) {
        ++index;
    }
    int target = index;
    if (depthMetres) {
        lostPings_ = 0;
        const double d = *depthMetres;
        if (d > 0.9 * table[index] * metres || (index > 0 && d < 0.6 * table[index - 1] * metres)) {
            target = 0;
            while (target < kRangeCount - 1 && table[target] * metres * 0.75 < d) {
                ++target;
            }
        }
    } else if (++lostPings_ >= 3) {
        // Search deeper for a floor that went out of sight.
        lostPings_ = 0;
        target = std::min(index + 1, kRangeCount - 1);
    }
    if (target == index && table[index] == settings_.range[0]) {
        return std::nullopt;
    }
    settings_.range = {table[target], table[target]};
    return target;
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
        if (!options_.threaded || hostClock_) {
            wake_.wait(lock);
        } else if (playback_) {
            // A recording on the wall clock: its next sweep is looked at often.
            wake_.wait_for(lock, std::chrono::milliseconds(20));
        } else {
            wake_.wait_until(
                lock, wallOrigin_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                        std::chrono::duration<double>(nextPing_)));
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
        const double clock = ClockLocked();
        if (onlyWhenDue && nextPing_ > clock) {
            return false;
        }
        if (!hostClock_ && onlyWhenDue) {
            if (!hasSweepListeners_.load()) {
                // Nobody listens to a sounder on the wall clock: let the
                // pings go by.
                nextPing_ = clock + IntervalLocked();
                return true;
            }
        }
        const double time = nextPing_;
        const ZXNorvaneEnvironment environment = EnvironmentAtLocked(time);
        if (pinged_) {
            distance_ += std::max(environment.speedKnots, 0.0) * kMetresPerSecondPerKnot *
                         (time - lastPing_);
        }
        scene.ping = pingCount_;
        scene.time = time;
        scene.distance = distance_;
        scene.depth = environment.depthMetres;
        scene.hardness = environment.hardness;
        scene.speedKnots = environment.speedKnots;
        record.settings = settings_;
        seed = options_.seed;
        lastPing_ = time;
        pinged_ = true;
        ++pingCount_;
        nextPing_ = time + IntervalLocked();
        pinging_ = true;
    }

    const EchoModel model(seed);
    const SounderSettings& settings = record.settings;
    const double metres = MetresPerUnit(settings.unit);
    std::vector<ChannelPlan> plans{MainPlan(settings)};
    std::vector<std::vector<uint8_t>> levels(2);
    Echo echo;
    model.Render(scene, plans[0].window, settings.sets[plans[0].set], echo);
    levels[0].resize(plans[0].window.count);
    EchoModel::Quantize(echo, plans[0].window, settings.sets[plans[0].set], levels[0].data());
    std::optional<double> bottom = detector_.Detect(echo, plans[0].window);
    std::optional<ChannelPlan> second;
    if (settings.frequencyMode == 5 && settings.zoomMode == 1) {
        // Dual frequency: LF over its own range, and its bottom when HF
        // has lost it in deep water.
        second = SecondPlan(settings, std::nullopt);
        model.Render(scene, second->window, settings.sets[second->set], echo);
        levels[1].resize(second->window.count);
        EchoModel::Quantize(echo, second->window, settings.sets[second->set], levels[1].data());
        const std::optional<double> lowBottom = lowDetector_.Detect(echo, second->window);
        if (!bottom) {
            bottom = lowBottom;
        }
    }
    if (bottom) {
        record.reference.tenths = static_cast<int32_t>(std::lround(*bottom / metres * 10.0));
        record.reference.valid = true;
        // Windows that ride on the bottom follow the depth as reported.
        bottom = record.reference.tenths * 0.1 * metres;
    }
    if (!second) {
        second = SecondPlan(settings, bottom);
        if (second) {
            levels[1].assign(second->window.count, 0);
            if (!second->blank) {
                model.Render(scene, second->window, settings.sets[second->set], echo);
                EchoModel::Quantize(echo, second->window, settings.sets[second->set],
                                    levels[1].data());
            }
        }
    }
    if (second) {
        plans.push_back(*second);
    }

    bool rangeStepped = false;
    {
        std::lock_guard lock(mutex_);
        reference_ = record.reference;
        ++statistics_.pings;
        statistics_.lastPingSeconds = scene.time;
        statistics_.referenceDepth = reference_.tenths;
        statistics_.referenceValid = reference_.valid ? 1 : 0;
        rangeStepped = AutoRangeLocked(bottom).has_value();
    }

    std::vector<Outgoing> outgoing;
    for (const ChannelPlan& plan : plans) {
        outgoing.push_back({RawSweep(plan), std::move(levels[plan.channel])});
    }
    HandOver(record, outgoing);
    {
        std::lock_guard lock(mutex_);
        pinging_ = false;
    }
    idle_.notify_all();
    if (sweeps != nullptr) {
        *sweeps += static_cast<int32_t>(plans.size());
    }
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
    std::lock_guard callbacks(callbackMutex_);
    const std::vector<ZXEventCallback> listeners = eventCallbacks_;
    for (ZXEventCallback callback : listeners) {
        if (std::find(eventCallbacks_.begin(), eventCallbacks_.end(), callback) !=
            eventCallbacks_.end()) {
            callback(code);
        }
    }
}

}  // namespace norvane

namespace norvane {

bool NorvaneSounder::DueLocked() const {
    if (playback_) {
        return !recorded_.empty() && recorded_.front().time <= ClockLocked();
    }
    return nextPing_ <= ClockLocked();
}

bool NorvaneSounder::Step(bool onlyWhenDue, int32_t* sweeps) {
    bool playing = false;
    {
        std::lock_guard lock(mutex_);
        playing = playback_;
    }
    return playing ? Play(onlyWhenDue, sweeps) : Ping(onlyWhenDue, sweeps);
}

int32_t NorvaneSounder::SetPlayback(bool on) {
    {
        std::lock_guard lock(mutex_);
        playback_ = on;
        recorded_.clear();
    }
    wake_.notify_all();
    return 1;
}

int32_t NorvaneSounder::PlaySweep(const ZXNorvaneRecordedSweep& given) {
    const bool sound = given.levels != nullptr && given.count >= 1 && given.count <= kMostSamples &&
                       std::isfinite(given.shipTimeSeconds) && std::isfinite(given.topMetres) &&
                       std::isfinite(given.bottomMetres) &&
                       given.bottomMetres > std::max(given.topMetres, 0.0);
    {
        std::lock_guard lock(mutex_);
        if (!playback_) {
            return 0;
        }
        if (!sound || recorded_.size() >= kMostRecorded) {
            ++statistics_.playRefused;
            return 0;
        }
        Recorded recorded;
        recorded.time = given.shipTimeSeconds;
        recorded.lowFrequency = given.lowFrequency != 0;
        recorded.top = given.topMetres;
        recorded.bottom = given.bottomMetres;
        recorded.depth = std::isfinite(given.depthMetres) ? given.depthMetres : 0.0;
        recorded.levels.assign(given.levels, given.levels + given.count);
        for (uint8_t& level : recorded.levels) {
            level = std::min<uint8_t>(level, 15);
        }
        recorded_.push_back(std::move(recorded));
    }
    wake_.notify_all();
    return 1;
}

bool NorvaneSounder::Play(bool onlyWhenDue, int32_t* sweeps) {
    std::lock_guard pingLock(pingMutex_);
    PingRecord record{this, {}, {}};
    Recorded recorded;
    {
        std::lock_guard lock(mutex_);
        if (!playback_ || recorded_.empty() ||
            (onlyWhenDue && recorded_.front().time > ClockLocked())) {
            return false;
        }
        recorded = std::move(recorded_.front());
        recorded_.pop_front();
        record.settings = settings_;
        // The recording's own bottom is the reference depth.
        if (recorded.depth > 0.0) {
            const double metres = MetresPerUnit(settings_.unit);
            record.reference.tenths =
                static_cast<int32_t>(std::lround(std::min(recorded.depth, 1.0e6) / metres * 10.0));
            record.reference.valid = true;
        }
        reference_ = record.reference;
        ++statistics_.played;
        statistics_.lastPingSeconds = recorded.time;
        statistics_.referenceDepth = reference_.tenths;
        statistics_.referenceValid = reference_.valid ? 1 : 0;
        pinging_ = true;
    }

    const SounderSettings& settings = record.settings;
    const int unit = settings.unit;
    const auto count = static_cast<uint32_t>(recorded.levels.size());
    std::vector<Outgoing> outgoing;
    if (settings.frequencyMode == 5) {
        // Both frequencies, each on its own channel.
        outgoing.push_back({RecordedRawSweep(recorded.lowFrequency ? 1 : 0, unit, recorded.top,
                                             recorded.bottom, count),
                            recorded.levels});
    } else if (recorded.lowFrequency ==
               (settings.frequencyMode == 3 || settings.frequencyMode == 4)) {
        // The frequency shown, and the zoom pane carved out of it.
        std::optional<double> bottom;
        if (record.reference.valid) {
            bottom = record.reference.tenths * 0.1 * MetresPerUnit(unit);
        }
        if (const std::optional<ChannelPlan> zoom = SecondPlan(settings, bottom)) {
            std::vector<uint8_t> samples(zoom->window.count, 0);
            const double step = (recorded.bottom - recorded.top) / count;
            for (uint32_t i = 0; !zoom->blank && i < zoom->window.count; ++i) {
                const double depth = zoom->window.topMetres + (i + 0.5) * zoom->window.stepMetres;
                const double at = std::floor((depth - recorded.top) / step);
                if (at >= 0.0 && at < count) {
                    samples[i] = recorded.levels[static_cast<std::size_t>(at)];
                }
            }
            outgoing.push_back({RawSweep(*zoom), std::move(samples)});
        }
        outgoing.insert(outgoing.begin(),
                        Outgoing{RecordedRawSweep(0, unit, recorded.top, recorded.bottom, count),
                                 std::move(recorded.levels)});
    }
    HandOver(record, outgoing);
    {
        std::lock_guard lock(mutex_);
        pinging_ = false;
    }
    idle_.notify_all();
    if (sweeps != nullptr) {
        *sweeps += static_cast<int32_t>(outgoing.size());
    }
    return true;
}

void NorvaneSounder::HandOver(const PingRecord& record, std::vector<Outgoing>& outgoing) {
    int32_t delivered[2] = {0, 0};
    tCurrentPing = &record;
    for (Outgoing& out : outgoing) {
        std::lock_guard callbacks(callbackMutex_);
        const std::vector<ZXSweepCallback> listeners = sweepCallbacks_;
        for (ZXSweepCallback callback : listeners) {
            // One that went away during an earlier call is not called.
            if (std::find(sweepCallbacks_.begin(), sweepCallbacks_.end(), callback) ==
                sweepCallbacks_.end()) {
                continue;
            }
            // Every listener gets its own record: a reader may rewrite it.
            std::vector<uint8_t> copy = out.samples;
            ZXRawSweep handed = out.sweep;
            handed.samples = copy.data();
            callback(&handed);
            delivered[out.sweep.channel] = 1;
        }
    }
    tCurrentPing = nullptr;
    std::lock_guard lock(mutex_);
    statistics_.sweeps[0] += delivered[0];
    statistics_.sweeps[1] += delivered[1];
}

}  // namespace norvane
