#pragma once
// The pace of a replay, from the time stamps of a log. Stamps only set the
// pace: a stamp that goes back or leaps far ahead is a jump, set aside
// unless the stamps after it carry on from it (the clock of the log was
// reset), so one bad stamp never holds up or swallows the rest.
#include <optional>

class NmeaClock {
  public:
    enum class Step {
        kSame,     // the instant already under way
        kForward,  // a later instant
        kJump,     // a stamp out of line with the others
    };

    // Stamps further ahead than this are jumps; so are stamps more than a
    // second behind (receivers may repeat the last second).
    static constexpr double kLongestStep = 300.0;
    static constexpr double kBackwardSlack = 1.0;

    // A stamp: seconds of the day, and the day (days since 1970) when the
    // sentence gives a date.
    Step Offer(double secondsOfDay, std::optional<long> day);

    // Seconds of replay from the first stamp to the last one taken.
    double Now() const { return now_; }

  private:
    struct Stamp {
        double seconds = 0.0;  // since 1970 when dated, else since a midnight
        bool dated = false;
    };
    // How far b is after a: by the date when both have one, else by the time
    // of day alone, the nearer way round midnight.
    static double Ahead(const Stamp& a, const Stamp& b);
    static bool InStep(double ahead) { return ahead >= -kBackwardSlack && ahead <= kLongestStep; }

    bool started_ = false;
    double now_ = 0.0;
    Stamp last_;
    std::optional<Stamp> jumpedTo_;  // the stamp of the last jump, to see if the log carries on
    double jumpedAt_ = 0.0;
};
