#pragma once
// A survey made into the profile the module needs. The module matches the
// ship on the whole profile and draws it at every host cycle, so a multibeam
// export of millions of soundings would cost it seconds a cycle: the host
// hands over at most kMostHistoricPoints, each at least a spacing from the
// one before, the first and the last always.
#include <cstddef>
#include <vector>

#include "host/geodata/HistoricPoint.h"

inline constexpr std::size_t kMostHistoricPoints = 10000;
// Closer soundings are one spot to the module, whose positions are single
// precision.
inline constexpr double kFinestSpacingMetres = 1.0;

struct ThinnedSurvey {
    std::vector<HistoricPoint> points;
    double spacingMetres = kFinestSpacingMetres;  // the least distance between two kept
};

// Keeps, in their order, the soundings at least the spacing from the last
// one kept: a metre, doubled until at most `most` (at least 3) are left.
ThinnedSurvey ThinSurvey(std::vector<HistoricPoint> soundings,
                         std::size_t most = kMostHistoricPoints);
