#include "host/app/Playback.h"

#include <algorithm>
#include <cmath>

#include "host/app/Format.h"
#include "host/app/TellUser.h"

namespace {

// The factor on --speed stays within these.
constexpr double kSlowest = 1.0 / 64.0;
constexpr double kFastest = 64.0;

}  // namespace

void Playback::Start() {
    ReadNext();
}

void Playback::ReadNext() {
    pending_ = parts_.sources.feed->Next(next_);
    if (pending_) {
        parts_.module.Sounder().Forecast(next_);
    }
}

void Playback::Advance(double realSeconds) {
    if (paused_) {
        return;
    }
    shipSeconds_ += realSeconds * parts_.options.speed * factor_;
    parts_.module.Sounder().Clock(shipSeconds_);
    CatchUp();
}

void Playback::CatchUp() {
    while (pending_ && next_.time <= shipSeconds_) {
        parts_.module.Now() = next_;
        parts_.cycle.Step();
        ++cycles_;
        ReadNext();
    }
}

void Playback::SailOne() {
    ModuleHost& module = parts_.module;
    module.Now() = next_;
    module.Sounder().Sail(next_);
    module.Sounder().Settle();
    parts_.cycle.Step();
    ++cycles_;
    pending_ = parts_.sources.feed->Next(next_);
}

void Playback::SeekTo(double t) {
    if (t + 1e-9 < shipSeconds_) {
        TellUser(Format("the replay cannot go back (to %.0f s, before the ship's %.0f s)", t,
                        shipSeconds_));
        return;
    }
    while (pending_ && next_.time <= t) {
        SailOne();
    }
    shipSeconds_ = std::max(shipSeconds_, t);
    parts_.module.Sounder().Clock(shipSeconds_);
    if (pending_) {
        parts_.module.Sounder().Forecast(next_);
    }
}

bool Playback::Press(int key) {
    switch (key) {
        case ' ':
            paused_ = !paused_;
            return true;
        case '[':
            factor_ = std::max(factor_ / 2.0, kSlowest);
            return true;
        case ']':
            factor_ = std::min(factor_ * 2.0, kFastest);
            return true;
        case '.':
            if (paused_ && pending_) {
                SeekTo(next_.time);
            }
            return true;
        case ',':
        case kKeyHome:
            TellUser("the replay cannot go back");
            return true;
        case kKeyEnd:
            SeekTo(index_.Span());
            return true;
        default:
            return false;
    }
}

std::string Playback::TitlePart() const {
    const long whole = std::lround(shipSeconds_);
    const std::string factor =
        factor_ >= 1.0 ? Format("x%g", factor_) : Format("x1/%g", 1.0 / factor_);
    return Format("ship %ld:%02ld:%02ld - %s - %s", whole / 3600, whole / 60 % 60, whole % 60,
                  factor.c_str(),
                  paused_    ? "paused"
                  : pending_ ? "playing"
                             : "ended");
}

TimelineScene Playback::Scene() const {
    return TimelineScene{index_.Span(), shipSeconds_, paused_, &index_.TimeJumps(),
                         &index_.Damaged()};
}
