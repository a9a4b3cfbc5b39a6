#include "runtime/norvane/AutoRange.h"

#include <algorithm>

#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

// The bottom is kept above this share of the window ...
constexpr double kHeldShare = 0.8;
// ... moved to a deeper range once it passes this one ...
constexpr double kDeepShare = 0.9;
// ... and to a shallower one once that one holds it with the margin.
constexpr double kShallowShare = kHeldShare;

// The shallowest range of the table that holds the depth with the margin.
int RangeFor(const SounderSettings& settings, double depthMetres) {
    const auto& table = RangeTable(settings.unit);
    const double metres = MetresPerUnit(settings.unit);
    int index = 0;
    while (index < kRangeCount - 1 && table[index] * metres * kHeldShare < depthMetres) {
        ++index;
    }
    return index;
}

}  // namespace

int AutoRange::SearchStep(const SounderSettings& settings, int index) const {
    if (!lastDepth_) {
        return std::min(index + 1, kRangeCount - 1);
    }
    const int deepest = std::max(RangeFor(settings, 2.0 * *lastDepth_),
                                 std::min(RangeFor(settings, *lastDepth_) + 1, kRangeCount - 1));
    return index < deepest ? index + 1 : RangeFor(settings, *lastDepth_);
}

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
        lastDepth_ = *depthMetres;
        const double d = *depthMetres;
        if (d > kDeepShare * table[index] * metres ||
            (index > 0 && d < kShallowShare * table[index - 1] * metres)) {
            target = RangeFor(settings, d);
        }
    } else if (++lostPings_ >= kLostPings) {
        lostPings_ = 0;
        target = SearchStep(settings, index);
    }
    if (target == index && table[index] == settings.range[0]) {
        return std::nullopt;
    }
    settings.range = {table[target], table[target]};
    return target;
}

void AutoRange::Save(StateWriter& writer) const {
    writer.I32(lostPings_);
    writer.OptionalF64(lastDepth_);
}

bool AutoRange::Load(StateReader& reader) {
    return reader.I32(lostPings_) && lostPings_ >= 0 && lostPings_ < kLostPings &&
           reader.OptionalF64(lastDepth_);
}

}  // namespace norvane
