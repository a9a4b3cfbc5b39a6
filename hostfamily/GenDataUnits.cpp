#include "hostfamily/GenDataUnits.h"

#include <cmath>

#include "platform/WinApp.h"

namespace GenData {

namespace {

// The host library's own unit sizes, so that it needs no run-time converter:
// the international foot and fathom, and the nautical mile as one minute of
// arc on the sphere (as the converter library defines its radian of arc).
constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerFathom = 1.8288;
constexpr double kMetresPerNauticalMile = 1852.0;
constexpr double kNauticalMilesPerRadian = 10800.0 / 3.14159265358979323846;
// Below this many nautical miles, distances read in metres.
constexpr double kMetresBelowMiles = 0.1;

int ReadSetting(CWinApp* app, const char* entry, int count) {
    const int value = static_cast<int>(app->GetProfileInt(kUnitsSection, entry, 0));
    return value >= 0 && value < count ? value : 0;
}

}  // namespace

UserUnits GetUserUnits() {
    UserUnits units;
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return units;
    }
    units.depth = static_cast<DepthUnit>(ReadSetting(app, kDepthUnitEntry, 3));
    units.temperature = static_cast<TemperatureUnit>(ReadSetting(app, kTemperatureUnitEntry, 2));
    return units;
}

bool SetUserUnits(const UserUnits& units) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return false;
    }
    app->WriteProfileInt(kUnitsSection, kDepthUnitEntry, static_cast<int>(units.depth));
    app->WriteProfileInt(kUnitsSection, kTemperatureUnitEntry, static_cast<int>(units.temperature));
    return true;
}

DisplayUnit UserUnitFor(int kind, double value, const UserUnits& units) {
    switch (kind) {
        case kKindDepth:
            switch (units.depth) {
                case DepthUnit::kFoot:
                    return {"ft", -1.0 / kMetresPerFoot, 0.0, 0};
                case DepthUnit::kFathom:
                    return {"fm", -1.0 / kMetresPerFathom, 0.0, 1};
                case DepthUnit::kMetre:
                    break;
            }
            return {"m", -1.0, 0.0, 1};
        case kKindTemperature:
            if (units.temperature == TemperatureUnit::kFahrenheit) {
                return {
                    "\xC2\xB0"
                    "F",
                    1.8, 32.0, 1};
            }
            return {
                "\xC2\xB0"
                "C",
                1.0, 0.0, 1};
        case kKindHorizontalDistance:
            if (std::fabs(value) * kNauticalMilesPerRadian < kMetresBelowMiles) {
                return {"m", kNauticalMilesPerRadian * kMetresPerNauticalMile, 0.0, 0};
            }
            return {"NM", kNauticalMilesPerRadian, 0.0, 2};
        default:
            return {};
    }
}

}  // namespace GenData
