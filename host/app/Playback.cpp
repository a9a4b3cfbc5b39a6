#include "host/app/Playback.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>

#include "host/app/Format.h"
#include "host/app/LevelStrengths.h"
#include "host/app/TellUser.h"
#include "host/app/VoyageSources.h"
#include "module/CommandNames.h"
#include "module/ModuleDataPlotrexInterface.h"

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
}

void Playback::Advance(double realSeconds) {
    if (paused_ || !usable_ || jump_) {
        return;
    }
    shipSeconds_ += realSeconds * parts_.options.speed * factor_;
    CatchUp();
}

void Playback::CatchUp() {
    while (pending_ && next_.time <= shipSeconds_) {
        SailOne();
    }
}

void Playback::SailOne() {
    ModuleHost& module = parts_.module;
    module.Now() = next_;
    module.Sounder().Sail(next_);
    module.Sounder().Settle();
    parts_.cycle.Step();
    ++cycles_;
    ++sailed_;
    ReadNext();
    if (checkpoints_.Wanted(cycles_)) {
        KeepPlace();
    }
}

void Playback::KeepPlace() {
    ModuleHost& module = parts_.module;
    ReplayCheckpoint place;
    // Sweeps waiting for the ship to move would be lost: a later cycle.
    if (!module.Data().GetSailedState(&place.module) || place.module.settled == 0) {
        return;
    }
    place.feed = parts_.sources.feed->Mark();
    std::optional<std::vector<std::uint8_t>> sounder = module.Sounder().SaveState();
    if (place.feed == nullptr || !sounder) {
        checkpoints_.Forsake();
        scout_.reset();
        return;
    }
    place.sounder = std::move(*sounder);
    place.sounderOwn = module.Sounder().Own();
    place.cycles = cycles_;
    place.now = module.Now();
    place.next = next_;
    place.pending = pending_;
    place.account = parts_.account;
    place.cycle = parts_.cycle.Save();
    place.trawl = parts_.trawl;
    if (placeKept_) {
        placeKept_(place);
    }
    checkpoints_.Keep(std::move(place));
}

void Playback::SailAll(const std::function<void(const ReplayCheckpoint&)>& placeKept) {
    placeKept_ = placeKept;
    parts_.module.Sounder().PingHere(true);
    while (pending_) {
        SailOne();
    }
    parts_.module.Sounder().PingHere(false);
    placeKept_ = nullptr;
}

void Playback::TakeScouted() {
    if (scout_ == nullptr) {
        return;
    }
    std::vector<ScoutedPlace> scouted;
    const bool goesOn = scout_->Take(scouted);
    for (ScoutedPlace& found : scouted) {
        parts_.cycle.ExtendTrack(found.trackFrom, found.track);
        checkpoints_.Keep(std::move(found.place));
    }
    if (!goesOn) {
        scout_.reset();
    }
}

void Playback::ForgetPlaces() {
    scout_.reset();
    checkpoints_.Forget();
}

bool Playback::Reopen() {
    ErrorOr<VoyageSources> fresh = VoyageSources::OpenFeedAlone(parts_.options);
    if (!fresh) {
        TellUser("the replay cannot go back: " + fresh.GetError().Message());
        return false;
    }
    ModuleHost& module = parts_.module;
    module.Retire();
    VoyageSources& sources = parts_.sources;
    sources.feed = std::move(fresh.Value().feed);
    sources.nmea = fresh.Value().nmea;
    sources.sonar = fresh.Value().sonar;
    if (ErrorOr<void> renewed = module.Renew(sources, parts_.view, parts_.options.window);
        !renewed) {
        TellUser("the replay cannot go back: " + renewed.GetError().Message());
        usable_ = false;
        return false;
    }
    parts_.userCommands.SendSounderCommands();
    // The new module knows nothing of the recording's levels.
    SendLevelStrengths(sources, parts_.view);
    return true;
}

bool Playback::Restart() {
    if (!Reopen()) {
        return false;
    }
    parts_.account = FeedAccount();
    parts_.cycle.Restart();
    exactFrom_ = 0;
    // The cable the user paid out stays paid out: it is the user's, as the
    // layout is, not the log's.
    const double paidOut = parts_.trawl.PaidOut();
    parts_.trawl = TrawlHand(parts_.options.trawl);
    parts_.trawl.PayOut(paidOut);
    cycles_ = 0;
    shipSeconds_ = 0.0;
    ReadNext();
    return true;
}

bool Playback::Resume(const ReplayCheckpoint& place) {
    if (!Reopen()) {
        return false;
    }
    ModuleHost& module = parts_.module;
    // The sounder's state holds its settings after the user's commands, sent
    // again above as at the start.
    if (!parts_.sources.feed->Restore(*place.feed) ||
        !module.Sounder().RestoreState(place.sounder) ||
        !module.Data().SetSailedState(place.module)) {
        // The log changed under us, or the sounder: no place can be trusted.
        TellUser("the replay cannot take up a place it kept: it goes back from the start");
        checkpoints_.Forsake();
        scout_.reset();
        return Restart();
    }
    module.Sounder().RestoreOwn(place.sounderOwn);
    module.Now() = place.now;
    parts_.account = place.account;
    parts_.cycle.Resume(place.cycle);
    const double paidOut = parts_.trawl.PaidOut();
    parts_.trawl = place.trawl;
    parts_.trawl.PayOut(paidOut - place.trawl.PaidOut());
    parts_.trawl.HandAgain(module.Data());
    cycles_ = place.cycles;
    next_ = place.next;
    pending_ = place.pending;
    shipSeconds_ = LastSailed();
    return true;
}

void Playback::SeekTo(double t) {
    // A slice longer than any jump: it is sailed in one go.
    constexpr double kWholeJump = 1e9;
    JumpTo(t);
    Work(kWholeJump);
}

void Playback::JumpTo(double t) {
    if (!usable_) {
        return;
    }
    // Where it goes is settled at the next slice: a drag along the timeline
    // sends a jump on many times between two.
    jump_ = Jump{std::clamp(t, 0.0, index_.Span()), cycles_};
}

bool Playback::Work(double seconds) {
    if (!jump_) {
        return false;
    }
    const std::size_t targetCycles = index_.CyclesBy(jump_->target);
    // From a place kept on the way when there is one far enough before the
    // target; else back before a cycle already sailed: from the start again.
    // Sailing on from here reaches the target as plain play would, unless the
    // target is behind, or before the module is whole again after a resume.
    const bool sailOn = cycles_ <= targetCycles && targetCycles >= exactFrom_;
    std::size_t exactFrom = 0;
    if (const ReplayCheckpoint* place = checkpoints_.From(
            sailOn ? cycles_ : std::numeric_limits<std::size_t>::max(), targetCycles, &exactFrom)) {
        if (!Resume(*place)) {
            jump_.reset();
            return false;
        }
        jump_->fromCycle = cycles_;
        exactFrom_ = exactFrom;
    } else if (!sailOn) {
        if (!Restart()) {
            jump_.reset();
            return false;
        }
        jump_->fromCycle = 0;
    }
    // The cycles of a jump follow each other at once: the sounder pings here
    // rather than on its thread, which each cycle would wait for.
    parts_.module.Sounder().PingHere(true);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    // The clock is looked at every few cycles: a cycle is far shorter.
    constexpr std::size_t kCyclesBetweenLooks = 16;
    std::size_t sailed = 0;
    while (pending_ && next_.time <= jump_->target) {
        SailOne();
        if (++sailed % kCyclesBetweenLooks == 0 && Clock::now() >= deadline) {
            // The frames on the way show the ship where it got to.
            CentreOnShip();
            return true;
        }
    }
    Land(jump_->target);
    return false;
}

void Playback::StopJump() {
    if (!jump_) {
        return;
    }
    // Resumed from a place, the module holds what plain play holds only
    // from a few hundred cycles on: the jump stops there at the earliest.
    while (pending_ && cycles_ < exactFrom_) {
        SailOne();
    }
    Land(LastSailed());
}

void Playback::Land(double t) {
    jump_.reset();
    parts_.module.Sounder().PingHere(false);
    shipSeconds_ = t;
    ShowAfresh();
}

double Playback::LastSailed() const {
    return cycles_ == 0 ? 0.0
                        : index_.CycleTimes()[std::min(cycles_, index_.CycleTimes().size()) - 1];
}

void Playback::ShowAfresh() {
    // Even the view renewed going back: it was opened before the cycles
    // sailed, and where the ship was then would show in how it follows.
    parts_.module.ReopenView();
    CentreOnShip();
}

void Playback::CentreOnShip() const {
    const PosType& ship = parts_.module.Now().position;
    if (ship.IsNoPos()) {
        return;
    }
    // Exactly the track's last point: the nearest place on it is the ship's.
    char argument[64];
    std::snprintf(argument, sizeof argument, "%.17g %.17g", ship.First(), ship.Second());
    parts_.view.Send(kCommandCenterOnTrack, argument);
}

bool Playback::Press(int key) {
    switch (key) {
        case ' ':
            // During a jump: stop where it got, paused there.
            if (jump_) {
                StopJump();
                paused_ = true;
                return true;
            }
            paused_ = !paused_;
            return true;
        case '[':
            factor_ = std::max(factor_ / 2.0, kSlowest);
            return true;
        case ']':
            factor_ = std::min(factor_ * 2.0, kFastest);
            return true;
        case '.':
            if (paused_ && pending_ && !jump_) {
                SeekTo(next_.time);
            }
            return true;
        case ',':
            // To the cycle before the last one sailed; the first stays.
            if (paused_ && cycles_ >= 2 && !jump_) {
                SeekTo(index_.CycleTimes()[cycles_ - 2]);
            }
            return true;
        case kKeyHome:
            JumpTo(0.0);
            return true;
        case kKeyEnd:
            JumpTo(index_.Span());
            return true;
        default:
            return false;
    }
}

namespace {

std::string ShipClock(double seconds) {
    const long whole = std::lround(seconds);
    return Format("%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
}

}  // namespace

std::string Playback::TitlePart() const {
    const std::string factor =
        factor_ >= 1.0 ? Format("x%g", factor_) : Format("x1/%g", 1.0 / factor_);
    if (jump_) {
        return Format("ship %s - %s - jumping to %s, %.0f %% (space stops)",
                      ShipClock(LastSailed()).c_str(), factor.c_str(),
                      ShipClock(jump_->target).c_str(), 100.0 * JumpDone());
    }
    return Format("ship %s - %s - %s", ShipClock(shipSeconds_).c_str(), factor.c_str(),
                  paused_    ? "paused"
                  : pending_ ? "playing"
                             : "ended");
}

double Playback::JumpDone() const {
    if (!jump_) {
        return 1.0;
    }
    const std::size_t to = index_.CyclesBy(jump_->target);
    // Back behind what is sailed: nothing done until it starts again.
    if (cycles_ > to) {
        return 0.0;
    }
    const std::size_t from = std::min(jump_->fromCycle, cycles_);
    return to > from ? static_cast<double>(cycles_ - from) / static_cast<double>(to - from) : 1.0;
}

TimelineScene Playback::Scene() const {
    return TimelineScene{index_.Span(),     jump_ ? LastSailed() : shipSeconds_,
                         paused_,           &index_.TimeJumps(),
                         &index_.Damaged(), jump_ ? jump_->target : -1.0};
}
