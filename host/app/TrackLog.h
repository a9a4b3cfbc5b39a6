#pragma once
// The track as the host fed it to the module, one point per host cycle with
// a position: what the export writes. A day at one cycle a second is about
// six megabytes.
#include <optional>
#include <vector>

#include "host/files/TrackPoint.h"
#include "host/replay/ShipFeed.h"

class TrackLog {
  public:
    // One cycle fed: kept when it has a position.
    void Fed(const ShipSnapshot& snapshot, double distance, std::optional<double> charted);
    const std::vector<TrackPoint>& Points() const { return points_; }

  private:
    std::vector<TrackPoint> points_;
};
