#pragma once
// The units in which the host shows generic data to its user. Depth and
// temperature units are a setting of the host application (its profile,
// section "GenData"); horizontal distances are always in nautical miles, or
// in metres below a tenth of a mile.
namespace GenData {

// Kinds of generic data (the host's enumeration; 6 is the group of
// horizontal distances, given in radians of arc).
inline constexpr int kKindHorizontalDistance = 6;
inline constexpr int kKindDepth = 8;
inline constexpr int kKindTemperature = 14;

enum class DepthUnit : int { kMetre = 0, kFoot = 1, kFathom = 2 };
enum class TemperatureUnit : int { kCelsius = 0, kFahrenheit = 1 };

struct UserUnits {
    DepthUnit depth = DepthUnit::kMetre;
    TemperatureUnit temperature = TemperatureUnit::kCelsius;
    friend bool operator==(const UserUnits&, const UserUnits&) = default;
};

inline constexpr const char* kUnitsSection = "GenData";
inline constexpr const char* kDepthUnitEntry = "DepthUnit";
inline constexpr const char* kTemperatureUnitEntry = "TemperatureUnit";

// The application's choice; the defaults (metres, degrees Celsius) without an
// application object or a valid entry.
UserUnits GetUserUnits();
// Stores the choice in the application's profile; false without application.
bool SetUserUnits(const UserUnits& units);

// How a value of a kind reads in a unit: user = value * scale + offset.
struct DisplayUnit {
    const char* symbol = "";
    double scale = 1.0;
    double offset = 0.0;
    int decimals = 2;

    double FromData(double value) const { return value * scale + offset; }
    double ToData(double user) const { return (user - offset) / scale; }
};

// The unit in which value, of the given kind, is shown to the user. Depths
// are held negative below the surface and shown positive downwards. An
// unknown kind reads as it is, without a symbol.
DisplayUnit UserUnitFor(int kind, double value, const UserUnits& units);

}  // namespace GenData
