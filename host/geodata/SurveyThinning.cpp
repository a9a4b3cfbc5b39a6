#include "host/geodata/SurveyThinning.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEarthRadiusMetres = 6371000.0;

// Metres between two soundings, on a plane around them, the short way round
// across the antimeridian.
double Metres(const HistoricPoint& a, const HistoricPoint& b) {
    const double dLat = b.latitude - a.latitude;
    const double dLon = std::remainder(b.longitude - a.longitude, 2.0 * M_PI) *
                        std::cos((a.latitude + b.latitude) / 2.0);
    return std::hypot(dLat, dLon) * kEarthRadiusMetres;
}

// Keeps in place the first and the last sounding, and each one at least
// spacing from the one kept before it.
void KeepSpaced(std::vector<HistoricPoint>& soundings, double spacing) {
    if (soundings.size() <= 2) {
        return;
    }
    std::size_t kept = 0;
    for (std::size_t i = 1; i + 1 < soundings.size(); ++i) {
        if (Metres(soundings[kept], soundings[i]) >= spacing) {
            soundings[++kept] = soundings[i];
        }
    }
    soundings[++kept] = soundings.back();
    soundings.resize(kept + 1);
}

}  // namespace

ThinnedSurvey ThinSurvey(std::vector<HistoricPoint> soundings, std::size_t most) {
    ThinnedSurvey thinned;
    most = std::max<std::size_t>(most, 3);
    KeepSpaced(soundings, thinned.spacingMetres);
    // Twice the spacing over what is left keeps it a spacing apart; it ends
    // by the time the spacing spans the survey (two kept).
    while (soundings.size() > most) {
        thinned.spacingMetres *= 2.0;
        KeepSpaced(soundings, thinned.spacingMetres);
    }
    thinned.points = std::move(soundings);
    return thinned;
}
