#pragma once
// What a data object learned from every cycle it sailed, that a new one could
// not learn again from the cycles after: the distance run, where the ship was
// last, which way the historic profile runs. A host that resumes a replay
// from a place it kept hands this back to a new data object and sails on;
// the counts of the rolling stores tell it when the new object holds what the
// old one held.
#include <cstdint>

struct PlotrexSailedState {
    // Depth and temperature profiles, then the echogram's two channels.
    static constexpr int kStores = 4;

    double distance = 0.0;  // radians
    // The last position, both undefined for none.
    double first = 0.0;
    double second = 0.0;
    std::int32_t historicReversed = 0;
    // No sweep waits to be placed along the track. Only a settled state can
    // be handed back: sweeps waiting would be lost.
    std::int32_t settled = 0;
    // What each store took in since the data object started, and how many of
    // the latest it holds at most. Resumed from a state, a store holds what
    // it would have held once it took in `holds` more since, or at once when
    // it had taken in nothing by then.
    std::uint64_t taken[kStores] = {};
    std::uint64_t holds[kStores] = {};
};
