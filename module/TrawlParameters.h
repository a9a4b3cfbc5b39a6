#pragma once
// The trawl as the host describes it: how much cable is out, how deep the net
// is, and whether the net is to be shown. The host hands it to the module's
// data object (SetTrawlValue), which passes it to the trawl graph.
#include <cstdint>

struct TrawlParameters {
    double cableLength = 1500.0;  // metres of cable paid out
    double depth = 500.0;         // metres from the surface down to the net
    // The share of the cable that lies between ship and net; counts only
    // when 0 < factor <= 1.
    double cableFactor = 0.7;
    std::int32_t visible = 0;  // non-zero: the net is shown

    friend bool operator==(const TrawlParameters&, const TrawlParameters&) = default;
};
