#include "sonarlog/SweepReducer.h"

#include <algorithm>
#include <cmath>

namespace {

// A curve: strengths up to the floor are water; above it, the rest of the
// scale raised to a power (below 1 lifts weak echoes).
struct Curve {
    double floor;
    double power;
};

Curve CurveOf(EchoGain gain) {
    switch (gain) {
        case EchoGain::kLow:
            return {72.0, 1.3};
        case EchoGain::kHigh:
            return {12.0, 0.6};
        case EchoGain::kLinear:
            return {0.0, 1.0};
        case EchoGain::kNormal:
        default:
            return {36.0, 0.8};
    }
}

}  // namespace

std::optional<EchoGain> ParseEchoGain(const std::string& text) {
    for (EchoGain gain : {EchoGain::kLow, EchoGain::kNormal, EchoGain::kHigh, EchoGain::kLinear}) {
        if (text == EchoGainName(gain)) {
            return gain;
        }
    }
    return std::nullopt;
}

const char* EchoGainName(EchoGain gain) {
    switch (gain) {
        case EchoGain::kLow:
            return "low";
        case EchoGain::kHigh:
            return "high";
        case EchoGain::kLinear:
            return "linear";
        case EchoGain::kNormal:
        default:
            return "normal";
    }
}

SweepReducer::SweepReducer(EchoGain gain) {
    if (gain == EchoGain::kLinear) {
        for (int strength = 0; strength < 256; ++strength) {
            curve_[strength] = static_cast<std::uint8_t>(strength / 16);
        }
        return;
    }
    const Curve curve = CurveOf(gain);
    for (int strength = 0; strength < 256; ++strength) {
        const double above = std::max(0.0, (strength - curve.floor) / (255.0 - curve.floor));
        const long level = std::lround(15.0 * std::pow(above, curve.power));
        curve_[strength] = static_cast<std::uint8_t>(std::clamp(level, 0L, 15L));
    }
}

std::array<int, 16> SweepReducer::LevelStarts() const {
    // The curve never falls, and gives 15 at 255: each level starts at the
    // weakest strength at or above it, which for a skipped level is the next
    // level's start.
    std::array<int, 16> starts{};
    int strength = 255;
    for (int level = 15; level > 0; --level) {
        while (strength > 0 && curve_[strength - 1] >= level) {
            --strength;
        }
        starts[level] = strength;
    }
    return starts;
}

void SweepReducer::Reduce(const std::uint8_t* samples, std::size_t count,
                          std::vector<std::uint8_t>& levels) const {
    levels.clear();
    if (samples == nullptr || count == 0) {
        return;
    }
    if (count <= kMostLevels) {
        levels.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            levels[i] = curve_[samples[i]];
        }
        return;
    }
    // Every level covers count / 1024 samples (one or two more or less where
    // the division is not whole); the root mean square keeps strong echoes
    // strong where a plain mean would thin them out.
    levels.resize(kMostLevels);
    for (std::size_t j = 0; j < kMostLevels; ++j) {
        const std::size_t from = j * count / kMostLevels;
        const std::size_t to = (j + 1) * count / kMostLevels;
        double power = 0.0;
        for (std::size_t i = from; i < to; ++i) {
            power += static_cast<double>(samples[i]) * samples[i];
        }
        const long strength = std::lround(std::sqrt(power / static_cast<double>(to - from)));
        levels[j] = curve_[static_cast<std::size_t>(std::clamp(strength, 0L, 255L))];
    }
}
