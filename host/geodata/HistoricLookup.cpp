#include "host/geodata/HistoricLookup.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells further from the reference latitude are wider east-west than the
// reach; this many cells are looked at either way at most.
constexpr std::int64_t kWidestSearch = 64;

}  // namespace

HistoricLookup::HistoricLookup(const std::vector<HistoricPoint>& points, double reach)
    : points_(points), reach_(reach) {
    if (points.empty() || !(reach > 0.0)) {
        return;
    }
    scale_ = std::max(std::cos(points.front().latitude), 0.01);
    for (std::uint32_t i = 0; i < points.size(); ++i) {
        const auto row = static_cast<std::int64_t>(std::floor(points[i].latitude / reach_));
        const auto column =
            static_cast<std::int64_t>(std::floor(points[i].longitude * scale_ / reach_));
        cells_[Key(row, column)].push_back(i);
    }
}

std::int64_t HistoricLookup::Key(std::int64_t row, std::int64_t column) const {
    // Rows and columns of a globe in cells of a metre or more fit in 32 bits.
    return (row << 32) ^ (column & 0xFFFFFFFF);
}

std::optional<double> HistoricLookup::DepthNear(double latitude, double longitude) const {
    if (cells_.empty() || !std::isfinite(latitude) || !std::isfinite(longitude)) {
        return std::nullopt;
    }
    const double across = std::max(std::cos(latitude), 0.01);
    const std::int64_t wide = std::min<std::int64_t>(
        kWidestSearch, static_cast<std::int64_t>(std::ceil(scale_ / across)));
    const auto row = static_cast<std::int64_t>(std::floor(latitude / reach_));
    const auto column = static_cast<std::int64_t>(std::floor(longitude * scale_ / reach_));
    double best = reach_ * reach_;
    std::optional<double> depth;
    for (std::int64_t r = row - 1; r <= row + 1; ++r) {
        for (std::int64_t c = column - wide; c <= column + wide; ++c) {
            const auto cell = cells_.find(Key(r, c));
            if (cell == cells_.end()) {
                continue;
            }
            for (std::uint32_t index : cell->second) {
                const HistoricPoint& point = points_[index];
                const double north = point.latitude - latitude;
                const double east = (point.longitude - longitude) * across;
                const double squared = north * north + east * east;
                if (squared <= best) {
                    best = squared;
                    depth = point.depth;
                }
            }
        }
    }
    return depth;
}
