#include "drawing/EchoLook.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr EchoColour kStandard[kEchoLevels] = {
    {0, 0, 128, 255},     {255, 0, 96, 255},  {255, 0, 32, 255},  {255, 0, 255, 255},
    {255, 128, 255, 255}, {255, 0, 170, 255}, {255, 0, 255, 0},   {255, 128, 255, 128},
    {255, 255, 255, 128}, {255, 255, 255, 0}, {255, 204, 204, 0}, {255, 170, 170, 0},
    {255, 255, 0, 0},     {255, 128, 64, 64}, {255, 128, 0, 0},   {255, 64, 0, 0},
};

// Viridis at 15 even steps from its first to its last colour (red, green,
// blue in 0..1), for the levels 1 to 15.
constexpr double kViridis[kEchoTopLevel][3] = {
    {0.267004, 0.004874, 0.329415}, {0.282910, 0.105393, 0.426902}, {0.275191, 0.194905, 0.496005},
    {0.246811, 0.283237, 0.535941}, {0.212395, 0.359683, 0.551710}, {0.180629, 0.429975, 0.557282},
    {0.153364, 0.497000, 0.557724}, {0.127568, 0.566949, 0.550556}, {0.122312, 0.633153, 0.530398},
    {0.175707, 0.697900, 0.491033}, {0.288921, 0.758394, 0.428426}, {0.440137, 0.811138, 0.340967},
    {0.626579, 0.854645, 0.223353}, {0.814576, 0.883393, 0.110347}, {0.993248, 0.906157, 0.143936},
};

// The grey scales' brightness from level 1 to level 15.
constexpr double kGreyWeakest = 56.0;
constexpr double kInvertedGreyWeakest = 215.0;
// How much of the day's brightness dusk and night keep.
constexpr double kDuskDimming = 0.6;
constexpr double kNightDimming = 0.4;

BYTE Byte(double value) {
    return static_cast<BYTE>(std::clamp(std::lround(value), 0L, 255L));
}

EchoColour DayColour(EchoScale scale, int level) {
    if (level == 0) {
        // Water: the background shows through.
        return scale == EchoScale::kStandard ? kStandard[0] : EchoColour{0, 0, 0, 0};
    }
    const double step = static_cast<double>(level - 1) / (kEchoTopLevel - 1);
    switch (scale) {
        case EchoScale::kViridis: {
            const double* rgb = kViridis[level - 1];
            return {255, Byte(rgb[0] * 255.0), Byte(rgb[1] * 255.0), Byte(rgb[2] * 255.0)};
        }
        case EchoScale::kGrey: {
            const BYTE v = Byte(kGreyWeakest + step * (255.0 - kGreyWeakest));
            return {255, v, v, v};
        }
        case EchoScale::kInvertedGrey: {
            const BYTE v = Byte(kInvertedGreyWeakest * (1.0 - step));
            return {255, v, v, v};
        }
        case EchoScale::kStandard:
        default:
            return kStandard[level];
    }
}

}  // namespace

int ShownEchoLevel(int level, int gain, int threshold) {
    if (level <= 0 || level > kEchoTopLevel) {
        return level;
    }
    const int shifted = std::clamp(level + gain, 0, kEchoTopLevel);
    return shifted < threshold ? 0 : shifted;
}

EchoColour EchoScaleColour(EchoScale scale, int level, int lightMode) {
    if (level < 0 || level > kEchoTopLevel) {
        return EchoColour{255, 0, 0, 0};
    }
    EchoColour c = DayColour(scale, level);
    if (scale == EchoScale::kStandard) {
        const int shift = lightMode == 1 ? 1 : lightMode == 2 ? 2 : 0;
        c.r = static_cast<BYTE>(c.r >> shift);
        c.g = static_cast<BYTE>(c.g >> shift);
        c.b = static_cast<BYTE>(c.b >> shift);
        return c;
    }
    // Dimmer than by day, but not as dim as the module's own scale: these
    // scales' strong echoes must stand out of the grey night background.
    const double dim = lightMode == 1 ? kDuskDimming : lightMode == 2 ? kNightDimming : 1.0;
    c.r = Byte(c.r * dim);
    c.g = Byte(c.g * dim);
    c.b = Byte(c.b * dim);
    return c;
}
