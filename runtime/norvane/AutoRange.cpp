#include "runtime/norvane/AutoRange.h"

#include <algorithm>

namespace norvane {

std::optional<int> AutoRange::Follow(SounderSettings& settings,
                                     const std::optional<double>& depthMetres) {
    if (!settings.autoRange || settings.shift[0] != 0) {
        return std::nullopt;
    }
    const auto& table = RangeTable(settings.unit);
    const double metres = MetresPerUnit(settings.unit);
    int index = 0;
    while (index < kRangeCount - 1 && table[index] < settings.range[0]) {
        ++index;
    }
    int target = index;
    if (depthMetres) {
        lostPings_ = 0;
        const double d = *depthMetres;
        if (d > 0.9 * table[index] * metres || (index > 0 && d < 0.6 * table[index - 1] * metres)) {
            target = 0;
            while (target < kRangeCount - 1 && table[target] * metres * 0.75 < d) {
                ++target;
            }
        }
    } else if (++lostPings_ >= 3) {
        // Search deeper for a floor that went out of sight.
        lostPings_ = 0;
        target = std::min(index + 1, kRangeCount - 1);
    }
    if (target == index && table[index] == settings.range[0]) {
        return std::nullopt;
    }
    settings.range = {table[target], table[target]};
    return target;
}

}  // namespace norvane
