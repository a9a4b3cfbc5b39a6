#include "host/app/ReplayCheckpoints.h"

#include <algorithm>

bool ReplayCheckpoints::Wanted(std::size_t cycles) const {
    if (forsaken_ || spacing_ == 0) {
        return false;
    }
    const std::size_t furthest = kept_.empty() ? 0 : kept_.back().cycles;
    return cycles >= furthest + spacing_;
}

void ReplayCheckpoints::Keep(ReplayCheckpoint checkpoint) {
    if (forsaken_) {
        return;
    }
    const auto at = std::lower_bound(
        kept_.begin(), kept_.end(), checkpoint.cycles,
        [](const ReplayCheckpoint& kept, std::size_t cycles) { return kept.cycles < cycles; });
    if (at != kept_.end() && at->cycles == checkpoint.cycles) {
        return;
    }
    kept_.insert(at, std::move(checkpoint));
}

bool ReplayCheckpoints::FarEnough(const PlotrexSailedState& from, const PlotrexSailedState& to) {
    for (int store = 0; store < PlotrexSailedState::kStores; ++store) {
        const std::uint64_t before = from.taken[store];
        if (before != 0 &&
            (to.taken[store] < before || to.taken[store] - before < to.holds[store])) {
            return false;
        }
    }
    return true;
}

const ReplayCheckpoint* ReplayCheckpoints::From(std::size_t sailedCycles, std::size_t targetCycles,
                                                std::size_t* exactFrom) const {
    // The last place by the target: the target's counts are at least its.
    std::size_t last = kept_.size();
    while (last > 0 && kept_[last - 1].cycles > targetCycles) {
        --last;
    }
    if (last == 0) {
        return nullptr;
    }
    const ReplayCheckpoint& bound = kept_[last - 1];
    for (std::size_t i = last; i-- > 0;) {
        const ReplayCheckpoint& candidate = kept_[i];
        // Ahead, sailing on from where the replay stands is as near, unless
        // the place is far enough on to be worth making the module afresh.
        if (targetCycles >= sailedCycles && candidate.cycles <= sailedCycles + spacing_) {
            return nullptr;
        }
        if (FarEnough(candidate.module, bound.module)) {
            *exactFrom = bound.cycles;
            return &candidate;
        }
    }
    return nullptr;
}

void ReplayCheckpoints::Forsake() {
    kept_.clear();
    forsaken_ = true;
}
