#include "host/replay/NmeaClock.h"

#include <cmath>

namespace {

constexpr double kDay = 86400.0;

}  // namespace

double NmeaClock::Ahead(const Stamp& a, const Stamp& b) {
    if (a.dated && b.dated) {
        return b.seconds - a.seconds;
    }
    double ahead = std::fmod(b.seconds - a.seconds, kDay);
    if (ahead >= kDay / 2) {
        ahead -= kDay;
    } else if (ahead < -kDay / 2) {
        ahead += kDay;
    }
    return ahead;
}

NmeaClock::Step NmeaClock::Offer(double secondsOfDay, std::optional<long> day) {
    Stamp stamp{secondsOfDay, day.has_value()};
    if (day) {
        stamp.seconds += static_cast<double>(*day) * kDay;
    }
    if (!started_) {
        started_ = true;
        last_ = stamp;
        return Step::kForward;
    }
    if (jumpedTo_ && now_ - jumpedAt_ > kLongestStep) {
        jumpedTo_.reset();
    }
    double ahead = Ahead(last_, stamp);
    if (!InStep(ahead)) {
        // Carrying on takes a later stamp: a second sentence of the same
        // instant tells nothing new.
        const double fromJump = jumpedTo_ ? Ahead(*jumpedTo_, stamp) : 0.0;
        if (!(fromJump > 0.0 && fromJump <= kLongestStep)) {
            jumpedTo_ = stamp;
            jumpedAt_ = now_;
            return Step::kJump;
        }
        // The log carries on from the jump: its clock was set anew. The pace
        // goes on from the time of day when that still agrees (only the date
        // was reset), else from the jump.
        const double byTimeOfDay = Ahead(Stamp{last_.seconds, false}, Stamp{stamp.seconds, false});
        ahead = InStep(byTimeOfDay) ? byTimeOfDay : fromJump;
        last_ = stamp;
        jumpedTo_.reset();
        if (ahead <= 0.0) {
            return InStep(byTimeOfDay) ? Step::kSame : Step::kForward;
        }
        now_ += ahead;
        return Step::kForward;
    }
    if (stamp.dated) {
        jumpedTo_.reset();
    }
    if (ahead <= 0.0) {
        // A first date for the instant under way is kept; a stamp a little
        // behind keeps the later one.
        if (stamp.dated && !last_.dated && ahead == 0.0) {
            last_ = stamp;
        }
        return Step::kSame;
    }
    now_ += ahead;
    if (stamp.dated || !last_.dated) {
        last_ = stamp;
    } else {
        last_.seconds += ahead;  // an undated stamp moves a dated clock on
    }
    return Step::kForward;
}
