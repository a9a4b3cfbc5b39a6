#include "layout/LayoutSettings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "drawing/PlotrexDisplay.h"
#include "layout/LevelText.h"
#include "layout/PlotrexOrganizer.h"
#include "module/StoredSettings.h"
#include "persistence/Serializater.h"

namespace {

using plotrex_settings::kLevelKey;
using plotrex_settings::kSlopeKey;
constexpr const char* kFirstXKey = plotrex_settings::kFirstPositionXKey;
constexpr const char* kFirstYKey = plotrex_settings::kFirstPositionYKey;

std::string Formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A damaged file ("nan", "inf") must not leave an origin no clamp can bring
// back: such a position is not taken.
bool ReadPosition(Serializater& s, const char* key, double* position) {
    const std::string text = s.Read(key);
    if (text.empty() || !std::isfinite(std::atof(text.c_str()))) {
        return false;
    }
    *position = std::atof(text.c_str());
    return true;
}

}  // namespace

LayoutSettings::LayoutSettings(PlotrexOrganizer& organizer) : organizer_(organizer) {}

void LayoutSettings::Save(Serializater& s) {
    for (PlotrexDisplay* display : organizer_.GetDisplays()) {
        display->Save(s);
    }
    if (organizer_.AwaitsDataToFit()) {
        return;
    }
    // The level the user chose and the slope at it, even while the data
    // holds the view below that level.
    char level[16];
    std::snprintf(level, sizeof level, "%d", organizer_.GetChosenLevel());
    s.Write(kLevelKey, level);
    s.Write(kSlopeKey, Formatted("%lf", organizer_.GetChosenSlope()));
    s.Write(kFirstXKey, Formatted("%lf", organizer_.GetHorizontalProjection().origin));
    if (const LinearPixelProjection* vertical = organizer_.GetYProjection()) {
        s.Write(kFirstYKey, Formatted("%lf", vertical->origin));
    }
}

bool LayoutSettings::Load(Serializater& s) {
    for (PlotrexDisplay* display : organizer_.GetDisplays()) {
        display->Load(s);
    }
    // Level and slope move the origins about the anchor; the first positions
    // read afterwards put them back where they were saved.
    const std::string level = s.Read(kLevelKey);
    if (!level.empty()) {
        organizer_.SetLevel(LevelFromText(level.c_str()));
    }
    // The data may hold the chosen level down for now: the vertical scale
    // is the saved one either way.
    const std::string slope = s.Read(kSlopeKey);
    if (!slope.empty()) {
        organizer_.SetChosenSlope(std::atof(slope.c_str()));
    }
    double position = 0.0;
    if (ReadPosition(s, kFirstXKey, &position)) {
        organizer_.GetHorizontalProjection().origin = position;
        organizer_.SetModified();
    }
    if (LinearPixelProjection* vertical = organizer_.GetYProjection()) {
        if (ReadPosition(s, kFirstYKey, &position)) {
            vertical->origin = position;
            organizer_.SetModified();
        }
    }
    return !level.empty();
}
