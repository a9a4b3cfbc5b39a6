#pragma once
// The pace of a replay, from the time stamps of a log. Stamps only set the
// pace, never whether a fix is sailed: a stamp that goes back or leaps far
// ahead is a jump, counted, and its instant follows the last one at the
// log's own pace; when the stamps after it carry on from it (the log's clock
// was set anew) the replay goes on from there, and when they carry on from
// before it, it was a one-off.
#include <optional>

class NmeaClock {
  public:
    struct Offered {
        bool later = false;  // a later instant, else the one under way
        bool jump = false;   // a stamp out of line with the others
    };

    // Stamps further ahead than this (or than twice the log's own steps, for
    // a log of sparse fixes) are jumps; so are stamps more than a second
    // behind (receivers may repeat the last second).
    static constexpr double kLongestStep = 300.0;
    static constexpr double kBackwardSlack = 1.0;

    // A stamp: seconds of the day, and the day (days since 1970) when the
    // sentence gives a date.
    Offered Offer(double secondsOfDay, std::optional<long> day);
    // A fix without a stamp, after another one: the replay moves on a second.
    void Tick();

    // Seconds of replay since the first stamp (or fix).
    double Now() const { return now_; }

  private:
    struct Stamp {
        double seconds = 0.0;  // since 1970 when dated, else since a midnight
        bool dated = false;
    };
    // How far b is after a: by the date when both have one, else by the time
    // of day alone, the nearer way round midnight.
    static double Ahead(const Stamp& a, const Stamp& b);
    static double ByTimeOfDay(const Stamp& a, const Stamp& b);
    double Longest() const;
    bool InStep(double ahead) const { return ahead >= -kBackwardSlack && ahead <= Longest(); }
    // The replay moved on to a stamp, ahead seconds from the last one.
    Offered MoveOn(double ahead);
    Offered Step(const Stamp& stamp, double ahead);
    Offered CarryOn(const Stamp& stamp, double fromJump);
    Offered Jump(const Stamp& stamp);

    bool started_ = false;
    bool stamped_ = false;  // a stamp has been taken
    double now_ = 0.0;
    double base_ = 0.0;  // the replay's time at the last stamp taken
    double pace_ = 0.0;  // the last step forward between stamps in line
    Stamp last_;
    std::optional<Stamp> jumpedTo_;  // the stamp of the last jump, to see if the log carries on
    double jumpedAt_ = 0.0;
    double jumpAhead_ = 0.0;  // how far it leapt from the last stamp
};
