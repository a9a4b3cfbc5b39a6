#pragma once
// The sounder's settings: what the user chooses through modes, ranges and the
// two property sets (0 HF, 1 LF). Plain data, copied into every ping.
#include <array>
#include <cstdint>

namespace norvane {

class StateReader;
class StateWriter;

constexpr int kDepthUnitCount = 5;
constexpr int kRangeCount = 8;

// Metres in one depth unit: metre, foot, fathom and the two regional units.
double MetresPerUnit(int unit);
// The ranges the user steps through, in the unit.
const std::array<int32_t, kRangeCount>& RangeTable(int unit);
// Samples per sweep for a unit: close to 1000, chosen so that a tenth of the
// count in the unit comes out as whole metres, which is how a reader turns
// the count into a window height.
uint32_t SamplesPerSweep(int unit);

// One property set.
struct FrequencySettings {
    int32_t frequencyKHz = 200;
    double gainDb = 0.0;
    int32_t tvg = 20;  // 0 (none), 20, 30 or 40 log R
    int32_t powerWatts = 600;
    double pulseMs = 0.25;
    int32_t threshold = 0;  // levels below it are cleared
};

struct SounderSettings {
    int16_t frequencyMode = 1;
    int16_t zoomMode = 1;
    std::array<int32_t, 2> range{100, 100};  // per channel, in the unit
    std::array<int32_t, 2> shift{0, 0};
    int16_t unit = 0;
    bool locked = false;
    bool autoRange = true;
    double zoomSpanMetres = 10.0;
    double markerDepthMetres = 20.0;
    std::array<FrequencySettings, 2> sets{};

    static SounderSettings Defaults();
    // Moves ranges and shifts to another unit's table, keeping the position of
    // each range in the table.
    void ChangeUnit(int16_t newUnit);

    void Save(StateWriter& writer) const;
    // False for modes, a unit, ranges or shifts the sounder cannot take (the
    // property sets' limits are PropertyRecord's to check).
    bool Load(StateReader& reader);
};

}  // namespace norvane
