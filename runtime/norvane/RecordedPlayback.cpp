#include "runtime/norvane/RecordedPlayback.h"

#include <algorithm>
#include <cmath>

#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

constexpr uint32_t kMostSamples = 1024;
// Recorded sweeps waiting for their time: far more than a host hands ahead.
constexpr std::size_t kMostRecorded = 100000;

bool Sound(const ZXNorvaneRecordedSweep& given) {
    return given.levels != nullptr && given.count >= 1 && given.count <= kMostSamples &&
           std::isfinite(given.shipTimeSeconds) && std::isfinite(given.topMetres) &&
           std::isfinite(given.bottomMetres) &&
           given.bottomMetres > std::max(given.topMetres, 0.0) &&
           given.topMetres >= -kZXNorvaneDeepestWindowMetres &&
           given.bottomMetres <= kZXNorvaneDeepestWindowMetres;
}

// The zoom window's samples, each the recorded sample at its depth.
std::vector<uint8_t> CarveZoom(const RecordedPlayback::Sweep& sweep, const ChannelPlan& zoom) {
    const auto count = static_cast<uint32_t>(sweep.levels.size());
    std::vector<uint8_t> samples(zoom.window.count, 0);
    const double step = (sweep.bottom - sweep.top) / count;
    for (uint32_t i = 0; !zoom.blank && i < zoom.window.count; ++i) {
        const double depth = zoom.window.topMetres + (i + 0.5) * zoom.window.stepMetres;
        const double at = std::floor((depth - sweep.top) / step);
        if (at >= 0.0 && at < count) {
            samples[i] = sweep.levels[static_cast<std::size_t>(at)];
        }
    }
    return samples;
}

}  // namespace

void RecordedPlayback::Switch(bool on) {
    playing_ = on;
    queue_.clear();
}

RecordedPlayback::Queued RecordedPlayback::Queue(const ZXNorvaneRecordedSweep& given) {
    if (!playing_) {
        return Queued::kNotPlaying;
    }
    if (!Sound(given) || queue_.size() >= kMostRecorded) {
        return Queued::kRefused;
    }
    Sweep sweep;
    sweep.time = given.shipTimeSeconds;
    sweep.lowFrequency = given.lowFrequency != 0;
    sweep.top = given.topMetres;
    sweep.bottom = given.bottomMetres;
    sweep.depth = std::isfinite(given.depthMetres) ? given.depthMetres : 0.0;
    sweep.levels.assign(given.levels, given.levels + given.count);
    for (uint8_t& level : sweep.levels) {
        level = std::min<uint8_t>(level, 15);
    }
    queue_.push_back(std::move(sweep));
    return Queued::kTaken;
}

bool RecordedPlayback::Due(double now) const {
    return !queue_.empty() && queue_.front().time <= now;
}

std::optional<RecordedPlayback::Sweep> RecordedPlayback::Take(bool onlyWhenDue, double now) {
    if (!playing_ || queue_.empty() || (onlyWhenDue && queue_.front().time > now)) {
        return std::nullopt;
    }
    Sweep sweep = std::move(queue_.front());
    queue_.pop_front();
    return sweep;
}

ReferenceDepth RecordedPlayback::ReferenceOf(const Sweep& sweep, const SounderSettings& settings) {
    ReferenceDepth reference;
    if (sweep.depth > 0.0) {
        const double metres = MetresPerUnit(settings.unit);
        reference.tenths =
            static_cast<int32_t>(std::lround(std::min(sweep.depth, 1.0e6) / metres * 10.0));
        reference.valid = true;
    }
    return reference;
}

std::vector<OutgoingSweep> RecordedPlayback::SweepsOf(Sweep sweep, const SounderSettings& settings,
                                                      const ReferenceDepth& reference) {
    const int unit = settings.unit;
    const auto count = static_cast<uint32_t>(sweep.levels.size());
    std::vector<OutgoingSweep> outgoing;
    if (settings.frequencyMode == 5) {
        // Both frequencies, each on its own channel.
        outgoing.push_back(
            {RecordedRawSweep(sweep.lowFrequency ? 1 : 0, unit, sweep.top, sweep.bottom, count),
             sweep.levels});
        return outgoing;
    }
    if (sweep.lowFrequency != (settings.frequencyMode == 3 || settings.frequencyMode == 4)) {
        return outgoing;
    }
    std::optional<double> bottom;
    if (reference.valid) {
        bottom = reference.tenths * 0.1 * MetresPerUnit(unit);
    }
    std::optional<OutgoingSweep> zoomed;
    if (const std::optional<ChannelPlan> zoom = SecondPlan(settings, bottom)) {
        zoomed = OutgoingSweep{RawSweep(*zoom), CarveZoom(sweep, *zoom)};
    }
    outgoing.push_back(
        {RecordedRawSweep(0, unit, sweep.top, sweep.bottom, count), std::move(sweep.levels)});
    if (zoomed) {
        outgoing.push_back(std::move(*zoomed));
    }
    return outgoing;
}

void RecordedPlayback::Save(StateWriter& writer) const {
    writer.Bool(playing_);
    writer.U32(static_cast<uint32_t>(queue_.size()));
    for (const Sweep& sweep : queue_) {
        writer.F64(sweep.time);
        writer.Bool(sweep.lowFrequency);
        writer.F64(sweep.top);
        writer.F64(sweep.bottom);
        writer.F64(sweep.depth);
        writer.U32(static_cast<uint32_t>(sweep.levels.size()));
        writer.Raw(sweep.levels.data(), sweep.levels.size());
    }
}

bool RecordedPlayback::Load(StateReader& reader) {
    bool on = false;
    uint32_t count = 0;
    // A sweep takes at least its five numbers, its flag, its count and a level.
    constexpr std::size_t kLeastSweepBytes = 5 * 8 + 1 + 4 + 1;
    if (!reader.Bool(on) || !reader.Count(count, kMostRecorded, kLeastSweepBytes) ||
        (!on && count > 0)) {
        return false;
    }
    Switch(on);
    std::vector<uint8_t> levels;
    for (uint32_t i = 0; i < count; ++i) {
        ZXNorvaneRecordedSweep given{};
        bool low = false;
        uint32_t samples = 0;
        if (!reader.F64(given.shipTimeSeconds) || !reader.Bool(low) ||
            !reader.F64(given.topMetres) || !reader.F64(given.bottomMetres) ||
            !reader.F64(given.depthMetres) || !reader.Count(samples, kMostSamples, 1)) {
            return false;
        }
        levels.resize(samples);
        if (!reader.Raw(levels.data(), samples) ||
            std::any_of(levels.begin(), levels.end(), [](uint8_t level) { return level > 15; })) {
            return false;
        }
        given.lowFrequency = low ? 1 : 0;
        given.levels = levels.data();
        given.count = samples;
        if (Queue(given) != Queued::kTaken) {
            return false;
        }
    }
    return true;
}

}  // namespace norvane
