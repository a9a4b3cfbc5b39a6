#include "host/replay/SoundingIndex.h"

#include <cmath>

namespace {

// About 500 m of latitude, in radians.
constexpr double kEarthRadiusMetres = 6371000.0;
constexpr double kCell = 500.0 / kEarthRadiusMetres;
// A sounding stands for a spot of about 50 m.
constexpr double kSpot = kCell / 10.0;

}  // namespace

void SoundingIndex::Add(double latitude, double longitude, double depth) {
    const double scale = std::cos(latitude);
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * scale / kCell));
    const long long spot = Key(static_cast<long long>(std::floor(latitude / kSpot)),
                               static_cast<long long>(std::floor(longitude * scale / kSpot)));
    std::vector<Sounding>& cell = cells_[Key(row, column)];
    for (Sounding& s : cell) {
        if (s.spot == spot) {
            s = {latitude, longitude, depth, spot};
            return;
        }
    }
    cell.push_back({latitude, longitude, depth, spot});
    ++count_;
}

std::optional<double> SoundingIndex::DepthAt(double latitude, double longitude) const {
    const double scale = std::cos(latitude);
    const auto row = static_cast<long long>(std::floor(latitude / kCell));
    const auto column = static_cast<long long>(std::floor(longitude * scale / kCell));
    std::optional<double> best;
    double bestDistance = kCell * kCell;
    for (long long r = row - 1; r <= row + 1; ++r) {
        for (long long c = column - 1; c <= column + 1; ++c) {
            auto it = cells_.find(Key(r, c));
            if (it == cells_.end()) {
                continue;
            }
            for (const Sounding& s : it->second) {
                const double dLat = s.latitude - latitude;
                const double dLon = (s.longitude - longitude) * scale;
                const double distance = dLat * dLat + dLon * dLon;
                if (distance <= bestDistance) {
                    bestDistance = distance;
                    best = s.depth;
                }
            }
        }
    }
    return best;
}
