#pragma once
// The track as the host fed it to the module, one point per host cycle with
// a position: what the export writes. A day at one cycle a second is about
// six megabytes. A replay that goes back keeps what lies beyond: the track
// is the same however it is sailed, and a replay resumed further on takes it
// up again.
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "host/files/TrackPoint.h"
#include "host/replay/ShipFeed.h"

class TrackLog {
  public:
    // One cycle fed: kept when it has a position.
    void Fed(const ShipSnapshot& snapshot, double distance, std::optional<double> charted);
    std::span<const TrackPoint> Points() const { return {points_.data(), size_}; }
    std::size_t Size() const { return size_; }
    // The track of the first n points fed, n no more than were ever fed.
    void CutTo(std::size_t n) { size_ = n <= points_.size() ? n : points_.size(); }
    // Points fed elsewhere, the first of them the from-th: those beyond the
    // points ever fed here are kept for later; the track stays as it is.
    void Extend(std::size_t from, std::span<const TrackPoint> points) {
        if (from > points_.size()) {
            return;
        }
        const std::size_t known = points_.size() - from;
        if (points.size() > known) {
            points_.insert(points_.end(), points.begin() + static_cast<std::ptrdiff_t>(known),
                           points.end());
        }
    }

  private:
    std::vector<TrackPoint> points_;  // every point ever fed, in order
    std::size_t size_ = 0;            // of which the track holds the first
};
