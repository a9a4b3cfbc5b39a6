#pragma once
// The whole feed at a glance, for the window's timeline: the ship time of
// every host cycle, and where the log's time jumped or its lines or frames
// were damaged. Made in one pass over a second reading of the log, holding
// a number per cycle (under a megabyte for a day at one cycle a second),
// never the log.
#include <cstddef>
#include <vector>

#include "host/app/HostOptions.h"
#include "platform/Error.h"

class FeedIndex {
  public:
    // Refused when the feed cannot be read again.
    static ErrorOr<FeedIndex> Build(const HostOptions& options);

    // Ship seconds of each cycle, rising.
    const std::vector<double>& CycleTimes() const { return cycleTimes_; }
    // Ship seconds of the cycles at which a time jump, or damage, was read.
    const std::vector<double>& TimeJumps() const { return timeJumps_; }
    const std::vector<double>& Damaged() const { return damaged_; }
    // Ship seconds of the last cycle (0 for none).
    double Span() const { return cycleTimes_.empty() ? 0.0 : cycleTimes_.back(); }
    // How many cycles are due by ship time t.
    std::size_t CyclesBy(double t) const;

  private:
    std::vector<double> cycleTimes_;
    std::vector<double> timeJumps_;
    std::vector<double> damaged_;
};
