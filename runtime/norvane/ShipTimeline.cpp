#include "runtime/norvane/ShipTimeline.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

// A longer gap in the ship's time is a sounder that was off: it starts again
// at the new time instead of making up every ping.
constexpr double kLongestCatchUpSeconds = 600.0;
constexpr std::size_t kMostEnvironments = 100000;
constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;
// Wall-clock seconds a steady clock's ticks hold with room to spare.
constexpr double kLongestWallSeconds = 1e9;
// The echoes are drawn from cells along the way and through time: a clock or
// a run beyond these (tens of thousands of years, a thousand knots) would
// overflow their numbers, and a floor deeper than any sea take forever.
constexpr double kLatestSeconds = 1e12;
constexpr double kFastestKnots = 1000.0;
constexpr double kFarthestMetres = 1e15;

ZXNorvaneEnvironment DefaultEnvironment(double time) {
    return {time, 60.0, 0.5, 4.0};
}

}  // namespace

bool ShipTimeline::UsableTime(double time) {
    return std::isfinite(time) && std::fabs(time) <= kLatestSeconds;
}

std::optional<ZXNorvaneEnvironment> ShipTimeline::Clean(const ZXNorvaneEnvironment& given) {
    if (!UsableTime(given.shipTimeSeconds)) {
        return std::nullopt;
    }
    ZXNorvaneEnvironment environment = given;
    if (!std::isfinite(environment.depthMetres) || !(environment.depthMetres > 0.0)) {
        environment.depthMetres = 0.0;
    }
    environment.depthMetres = std::min(environment.depthMetres, kZXNorvaneDeepestWindowMetres);
    environment.hardness =
        std::isfinite(environment.hardness) ? std::clamp(environment.hardness, 0.0, 1.0) : 0.5;
    environment.speedKnots = std::isfinite(environment.speedKnots)
                                 ? std::clamp(environment.speedKnots, -kFastestKnots, kFastestKnots)
                                 : 0.0;
    return environment;
}

void ShipTimeline::Reset(bool shipClock) {
    environments_.clear();
    hostClock_ = shipClock;
    timeline_ = false;
    hostTime_ = 0.0;
    wallOrigin_ = std::chrono::steady_clock::now();
    nextPing_ = 0.0;
    lastPing_ = 0.0;
    pinged_ = false;
    pingCount_ = 0;
    distance_ = 0.0;
}

void ShipTimeline::SetEnvironment(const ZXNorvaneEnvironment& environment) {
    if (!timeline_ || environment.shipTimeSeconds < hostTime_) {
        environments_.clear();
    }
    SetTime(environment.shipTimeSeconds);
    Add(environment);
}

void ShipTimeline::Forecast(const ZXNorvaneEnvironment& environment) {
    Add(environment);
}

void ShipTimeline::Add(const ZXNorvaneEnvironment& environment) {
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

void ShipTimeline::SetTime(double time) {
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

double ShipTimeline::Now() const {
    if (hostClock_) {
        return timeline_ ? hostTime_ : -std::numeric_limits<double>::infinity();
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - wallOrigin_).count();
}

std::chrono::steady_clock::time_point ShipTimeline::NextPingOnWallClock() const {
    return wallOrigin_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(nextPing_));
}

ZXNorvaneEnvironment ShipTimeline::At(double time) {
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

PingScene ShipTimeline::TakePing(double interval) {
    const double time = nextPing_;
    const ZXNorvaneEnvironment environment = At(time);
    if (pinged_) {
        distance_ +=
            std::max(environment.speedKnots, 0.0) * kMetresPerSecondPerKnot * (time - lastPing_);
    }
    PingScene scene;
    scene.ping = pingCount_;
    scene.time = time;
    scene.distance = distance_;
    scene.depth = environment.depthMetres;
    scene.hardness = environment.hardness;
    scene.speedKnots = environment.speedKnots;
    lastPing_ = time;
    pinged_ = true;
    ++pingCount_;
    nextPing_ = time + interval;
    return scene;
}

void ShipTimeline::Save(StateWriter& writer) const {
    writer.U32(static_cast<uint32_t>(environments_.size()));
    for (const ZXNorvaneEnvironment& environment : environments_) {
        writer.F64(environment.shipTimeSeconds);
        writer.F64(environment.depthMetres);
        writer.F64(environment.hardness);
        writer.F64(environment.speedKnots);
    }
    writer.Bool(hostClock_);
    writer.Bool(timeline_);
    writer.F64(hostTime_);
    writer.F64(hostClock_ ? 0.0 : Now());
    writer.F64(nextPing_);
    writer.F64(lastPing_);
    writer.Bool(pinged_);
    writer.U64(pingCount_);
    writer.F64(distance_);
}

bool ShipTimeline::Load(StateReader& reader) {
    uint32_t count = 0;
    if (!reader.Count(count, kMostEnvironments, 4 * 8)) {
        return false;
    }
    environments_.clear();
    for (uint32_t i = 0; i < count; ++i) {
        ZXNorvaneEnvironment environment{};
        if (!reader.F64(environment.shipTimeSeconds) || !reader.F64(environment.depthMetres) ||
            !reader.F64(environment.hardness) || !reader.F64(environment.speedKnots)) {
            return false;
        }
        // As Clean leaves them, in the order Add keeps.
        const std::optional<ZXNorvaneEnvironment> clean = Clean(environment);
        if (!clean || clean->depthMetres != environment.depthMetres ||
            clean->hardness != environment.hardness ||
            clean->speedKnots != environment.speedKnots ||
            (!environments_.empty() &&
             environments_.back().shipTimeSeconds >= environment.shipTimeSeconds)) {
            return false;
        }
        environments_.push_back(environment);
    }
    double wallSeconds = 0.0;
    if (!reader.Bool(hostClock_) || !reader.Bool(timeline_) || !reader.F64(hostTime_) ||
        !reader.F64(wallSeconds) || !reader.F64(nextPing_) || !reader.F64(lastPing_) ||
        !reader.Bool(pinged_) || !reader.U64(pingCount_) || !reader.F64(distance_) ||
        !UsableTime(hostTime_) || !UsableTime(nextPing_) || !UsableTime(lastPing_) ||
        distance_ < 0.0 || distance_ > kFarthestMetres ||
        (hostClock_ && timeline_ && hostTime_ - nextPing_ > kLongestCatchUpSeconds)) {
        return false;
    }
    if (std::fabs(wallSeconds) > kLongestWallSeconds ||
        (!hostClock_ && std::fabs(nextPing_) > kLongestWallSeconds)) {
        return false;
    }
    wallOrigin_ = std::chrono::steady_clock::now() -
                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                      std::chrono::duration<double>(wallSeconds));
    return true;
}

}  // namespace norvane
