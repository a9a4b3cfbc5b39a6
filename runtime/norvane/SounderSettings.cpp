#include "runtime/norvane/SounderSettings.h"

#include <algorithm>
#include <cmath>

#include "runtime/norvane/StateReader.h"

namespace norvane {

namespace {

constexpr double kMetres[kDepthUnitCount] = {1.0, 0.3048, 1.8288, 1.5152, 1.65};

// Steps of about a half between the deep ranges: a floor is never much more
// than twice as deep as the range that holds it needs.
constexpr std::array<int32_t, kRangeCount> kRanges[kDepthUnitCount] = {
    {10, 20, 50, 100, 200, 300, 600, 1000}, {30, 60, 150, 300, 600, 1000, 2000, 3000},
    {5, 10, 25, 50, 100, 150, 300, 500},    {6, 12, 30, 60, 120, 180, 360, 600},
    {6, 12, 30, 60, 120, 180, 360, 600},
};

int ClampUnit(int unit) {
    return std::clamp(unit, 0, kDepthUnitCount - 1);
}

int IndexOf(int unit, int32_t range) {
    const auto& table = RangeTable(unit);
    int best = 0;
    for (int i = 0; i < kRangeCount; ++i) {
        if (std::abs(table[i] - range) < std::abs(table[best] - range)) {
            best = i;
        }
    }
    return best;
}

}  // namespace

double MetresPerUnit(int unit) {
    return kMetres[ClampUnit(unit)];
}

const std::array<int32_t, kRangeCount>& RangeTable(int unit) {
    return kRanges[ClampUnit(unit)];
}

namespace {

// The count whose sample spacing comes out nearest a whole number of tenths
// of a metre, among counts within 40 of a thousand.
uint32_t BestSampleCount(int unit) {
    const double tenth = 0.1 * MetresPerUnit(unit);
    uint32_t best = 1000;
    double bestError = 1.0;
    for (uint32_t offset = 0; offset <= 40; ++offset) {
        for (const uint32_t count : {1000 - offset, 1000 + offset}) {
            const double metres = count * tenth;
            const double error = (metres - std::floor(metres + 1e-9)) / metres;
            if (error < bestError - 1e-12) {
                best = count;
                bestError = error;
            }
        }
    }
    return best;
}

}  // namespace

uint32_t SamplesPerSweep(int unit) {
    // Every ping asks: the search is made once per unit.
    static const std::array<uint32_t, kDepthUnitCount> counts = [] {
        std::array<uint32_t, kDepthUnitCount> made{};
        for (int u = 0; u < kDepthUnitCount; ++u) {
            made[static_cast<std::size_t>(u)] = BestSampleCount(u);
        }
        return made;
    }();
    return counts[static_cast<std::size_t>(ClampUnit(unit))];
}

SounderSettings SounderSettings::Defaults() {
    SounderSettings settings;
    settings.sets[0] = FrequencySettings{200, 0.0, 20, 600, 0.25, 0};
    settings.sets[1] = FrequencySettings{50, 0.0, 20, 1000, 0.75, 0};
    return settings;
}

void SounderSettings::ChangeUnit(int16_t newUnit) {
    const auto& to = RangeTable(newUnit);
    for (int channel = 0; channel < 2; ++channel) {
        range[channel] = to[IndexOf(unit, range[channel])];
        const double shiftMetres = shift[channel] * MetresPerUnit(unit);
        shift[channel] = std::min(
            static_cast<int32_t>(std::lround(shiftMetres / MetresPerUnit(newUnit))), to.back());
    }
    unit = newUnit;
}

void SounderSettings::Save(StateWriter& writer) const {
    writer.I32(frequencyMode);
    writer.I32(zoomMode);
    for (int channel = 0; channel < 2; ++channel) {
        writer.I32(range[channel]);
        writer.I32(shift[channel]);
    }
    writer.I32(unit);
    writer.Bool(locked);
    writer.Bool(autoRange);
    writer.F64(zoomSpanMetres);
    writer.F64(markerDepthMetres);
    for (const FrequencySettings& set : sets) {
        writer.I32(set.frequencyKHz);
        writer.F64(set.gainDb);
        writer.I32(set.tvg);
        writer.I32(set.powerWatts);
        writer.F64(set.pulseMs);
        writer.I32(set.threshold);
    }
}

bool SounderSettings::Load(StateReader& reader) {
    int32_t frequency = 0;
    int32_t zoom = 0;
    int32_t newUnit = 0;
    if (!reader.I32(frequency) || !reader.I32(zoom)) {
        return false;
    }
    for (int channel = 0; channel < 2; ++channel) {
        if (!reader.I32(range[channel]) || !reader.I32(shift[channel])) {
            return false;
        }
    }
    if (!reader.I32(newUnit) || !reader.Bool(locked) || !reader.Bool(autoRange) ||
        !reader.F64(zoomSpanMetres) || !reader.F64(markerDepthMetres)) {
        return false;
    }
    for (FrequencySettings& set : sets) {
        if (!reader.I32(set.frequencyKHz) || !reader.F64(set.gainDb) || !reader.I32(set.tvg) ||
            !reader.I32(set.powerWatts) || !reader.F64(set.pulseMs) || !reader.I32(set.threshold)) {
            return false;
        }
    }
    if (frequency < 1 || frequency > 5 || zoom < 1 || zoom > 5 || newUnit < 0 ||
        newUnit >= kDepthUnitCount) {
        return false;
    }
    frequencyMode = static_cast<int16_t>(frequency);
    zoomMode = static_cast<int16_t>(zoom);
    unit = static_cast<int16_t>(newUnit);
    const auto& table = RangeTable(unit);
    for (int channel = 0; channel < 2; ++channel) {
        if (std::find(table.begin(), table.end(), range[channel]) == table.end() ||
            shift[channel] < 0 || shift[channel] > table.back()) {
            return false;
        }
    }
    return true;
}

}  // namespace norvane
