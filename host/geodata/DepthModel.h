#pragma once
// Charted depths around the track, for the host's depth source.
#include <optional>

class DepthModel {
  public:
    virtual ~DepthModel() = default;
    // Depth in metres (positive) at a position in radians; none where the
    // host knows no depth.
    virtual std::optional<double> DepthAt(double latitude, double longitude) const = 0;
};
