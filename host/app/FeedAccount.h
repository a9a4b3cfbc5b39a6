#pragma once
// What the host fed the module, cycle by cycle, for the summary: the cycles,
// the run along the track as the module measures it (rhumb lines between
// the positions it was given), and the spans of the depths and temperatures.
#include "host/replay/ShipFeed.h"

class FeedAccount {
  public:
    struct Span {
        long count = 0;
        double low = 0.0;
        double high = 0.0;
    };

    void Fed(const ShipSnapshot& snapshot);

    long Cycles() const { return cycles_; }
    double DistanceRadians() const { return distance_; }
    const Span& Depths() const { return depths_; }
    const Span& Temperatures() const { return temperatures_; }

  private:
    long cycles_ = 0;
    PosType last_ = NoPos;
    double distance_ = 0.0;
    Span depths_;
    Span temperatures_;
};
