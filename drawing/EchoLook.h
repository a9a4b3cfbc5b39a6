#pragma once
// How the echogram turns the sounder's levels into colours: the colour scale,
// and the gain and threshold the user turns while it runs. Level 0 is water
// (no echo) in every scale: it stays transparent.
#include <cstdint>

#include "drawing/EchoColour.h"

// In the order of the module's colour-scale parameters (CommandNames.h).
enum class EchoScale : int {
    kStandard = 0,      // the module's own, in three light modes
    kViridis = 1,       // perceptually even, readable with red-green colour blindness
    kGrey = 2,          // dark to light
    kInvertedGrey = 3,  // light to dark: strong echoes black, for printing
};
inline constexpr int kEchoScaleCount = 4;

inline constexpr int kEchoLevels = 16;
inline constexpr int kEchoTopLevel = kEchoLevels - 1;
// Gain in levels either way, threshold as the weakest level shown.
inline constexpr int kEchoGainMost = kEchoTopLevel;
inline constexpr int kEchoThresholdMost = kEchoTopLevel;

struct EchoLook {
    EchoScale scale = EchoScale::kStandard;
    int gain = 0;
    int threshold = 0;
    bool IsNeutral() const { return gain == 0 && threshold == 0; }
    friend bool operator==(const EchoLook&, const EchoLook&) = default;
};

// The level a sounder's level is drawn as: gain shifts every echo (level 1 and
// up) within 0..15; a shifted level below the threshold is drawn as water.
// Level 0 has nothing to amplify and stays water; levels outside 0..15 are
// left as they are.
int ShownEchoLevel(int level, int gain, int threshold);

// The colour of a shown level (0..15) in the scale and light mode (0 day, 1
// dusk, 2 night). Dusk and night dim every scale, so that no large bright
// area lights a bridge at night: the module's own by halves and quarters, the
// others to 60 and 40 per cent. Outside 0..15: opaque black.
EchoColour EchoScaleColour(EchoScale scale, int level, int lightMode);
