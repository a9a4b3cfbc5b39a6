#pragma once
// The historic sounding nearest a place, within a reach: a grid of cells a
// reach wide, so that a day's track finds its matches among ten thousand
// soundings in a few milliseconds.
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "host/geodata/HistoricPoint.h"

class HistoricLookup {
  public:
    // reach in radians of arc.
    HistoricLookup(const std::vector<HistoricPoint>& points, double reach);
    // The depth of the nearest sounding within the reach; none without one.
    std::optional<double> DepthNear(double latitude, double longitude) const;

  private:
    std::int64_t Key(std::int64_t row, std::int64_t column) const;

    const std::vector<HistoricPoint>& points_;
    double reach_;
    // Longitudes are scaled by the cosine of this latitude before binning.
    double scale_ = 1.0;
    std::unordered_map<std::int64_t, std::vector<std::uint32_t>> cells_;
};
