#include "host/replay/NmeaClock.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDay = 86400.0;
// A log's pace before it has shown one, and the step of a fix without a time.
constexpr double kDefaultPace = 1.0;

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

double NmeaClock::ByTimeOfDay(const Stamp& a, const Stamp& b) {
    return Ahead(Stamp{a.seconds, false}, Stamp{b.seconds, false});
}

double NmeaClock::Longest() const {
    return std::max(kLongestStep, 2.0 * pace_);
}

NmeaClock::Offered NmeaClock::Offer(double secondsOfDay, std::optional<long> day) {
    Stamp stamp{secondsOfDay, day.has_value()};
    if (day) {
        stamp.seconds += static_cast<double>(*day) * kDay;
    }
    if (!stamped_) {
        // The first stamp: after fixes without one, a second after them.
        const bool ticked = started_;
        started_ = stamped_ = true;
        last_ = stamp;
        if (ticked) {
            now_ += kDefaultPace;
        }
        base_ = now_;
        return {true, false};
    }
    if (jumpedTo_ && now_ - jumpedAt_ > Longest()) {
        jumpedTo_.reset();
    }
    const double ahead = Ahead(last_, stamp);
    if (InStep(ahead)) {
        return Step(stamp, ahead);
    }
    // Carrying on takes a later stamp: a second sentence of the same
    // instant tells nothing new. A log of sparse fixes carries on by steps
    // as long as its first.
    const double fromJump = jumpedTo_ ? Ahead(*jumpedTo_, stamp) : 0.0;
    if (fromJump > 0.0 && fromJump <= std::max(Longest(), 1.5 * jumpAhead_)) {
        return CarryOn(stamp, fromJump);
    }
    return Jump(stamp);
}

void NmeaClock::Tick() {
    if (!started_) {
        started_ = true;
        return;
    }
    now_ += kDefaultPace;
}

NmeaClock::Offered NmeaClock::MoveOn(double ahead) {
    if (ahead <= 0.0) {
        return {false, false};
    }
    pace_ = ahead;
    // Fixes without a stamp may have moved the replay further already.
    const double at = base_ + ahead;
    const bool later = at > now_;
    now_ = std::max(now_, at);
    base_ = now_;
    return {later, false};
}

NmeaClock::Offered NmeaClock::Step(const Stamp& stamp, double ahead) {
    if (stamp.dated) {
        jumpedTo_.reset();
    }
    if (ahead <= 0.0) {
        // A first date for the instant under way is kept; a stamp a little
        // behind keeps the later one.
        if (stamp.dated && !last_.dated && ahead == 0.0) {
            last_ = stamp;
        }
        return {false, false};
    }
    if (stamp.dated || !last_.dated) {
        last_ = stamp;
    } else {
        last_.seconds += ahead;  // an undated stamp moves a dated clock on
    }
    return MoveOn(ahead);
}

NmeaClock::Offered NmeaClock::CarryOn(const Stamp& stamp, double fromJump) {
    // The log's clock was set anew. The pace goes on from the time of day
    // when that still agrees (only the date was reset), else from the jump.
    const double byTimeOfDay = ByTimeOfDay(last_, stamp);
    const bool sameDay = InStep(byTimeOfDay);
    last_ = stamp;
    jumpedTo_.reset();
    if (!sameDay) {
        base_ = jumpedAt_;
    }
    return MoveOn(sameDay ? byTimeOfDay : fromJump);
}

NmeaClock::Offered NmeaClock::Jump(const Stamp& stamp) {
    jumpedTo_ = stamp;
    const double byTimeOfDay = ByTimeOfDay(last_, stamp);
    // A leap ahead within a quarter of a day may be the first step of a log
    // of sparse fixes.
    jumpAhead_ = std::clamp(Ahead(last_, stamp), 0.0, kDay / 4);
    if (InStep(byTimeOfDay)) {
        // Only the date leapt: the time of day still paces the replay.
        jumpAhead_ = 0.0;
        jumpedAt_ = now_;
        if (byTimeOfDay <= 0.0) {
            return {false, true};
        }
        last_.seconds += byTimeOfDay;
        Offered offered = MoveOn(byTimeOfDay);
        jumpedAt_ = now_;
        offered.jump = true;
        return offered;
    }
    // Its fix is sailed at the log's pace; the last stamp in line stays the
    // reference for the stamps after it.
    now_ += pace_ > 0.0 ? pace_ : kDefaultPace;
    base_ = now_;
    jumpedAt_ = now_;
    return {true, true};
}
