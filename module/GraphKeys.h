#pragma once
// The names under which a host knows the module's graphs (the argument of the
// show-hide command, for one), and the unit keys of their values: the
// temperature profile's is kUnitTemp, every other graph's kUnitDist.

inline constexpr const char* kGraphTemp = "PLOTREX_DATA_TEMP";
inline constexpr const char* kGraphDepth = "PLOTREX_DATA_DEPTH";
inline constexpr const char* kGraphHistoric = "PLOTREX_DATA_PROFILE_HISTORIC";
inline constexpr const char* kGraphPrevision = "PLOTREX_DATA_PREVISION";
inline constexpr const char* kGraphEtr = "PLOTREX_DATA_ETR";
inline constexpr const char* kGraphAScope = "PLOTREX_DATA_ASCOPE";
inline constexpr const char* kGraphMobile = "PLOTREX_DATA_MOBILE";
inline constexpr const char* kGraphDReckChalut = "PLOTREX_DATA_DRECK_CHALUT";
// Not a graph: the echogram's colour bar, shown and hidden like one.
inline constexpr const char* kGraphColourBar = "PLOTREX_COLOUR_BAR";
inline constexpr const char* kUnitTemp = "TEMP";
inline constexpr const char* kUnitDist = "DIST";
