#pragma once
// Names of the commands the host sends to the module's view. Commands are
// told apart by comparing these texts, never by number.
#include <array>

// Layout commands, carried out by the organizer.
inline constexpr const char* kCommandShowHide = "PLOTREX_SHOW_HIDE";
inline constexpr const char* kCommandScaleValue = "PLOTREX_SCALE_VALUE";
inline constexpr const char* kCommandScalePlus = "PLOTREX_SCALE_PLUS";
inline constexpr const char* kCommandScaleMoins = "PLOTREX_SCALE_MOINS";
inline constexpr const char* kCommandSlopeValue = "PLOTREX_SLOPE_VALUE";
inline constexpr const char* kCommandSlopePlus = "PLOTREX_SLOPE_PLUS";
inline constexpr const char* kCommandSlopeMoins = "PLOTREX_SLOPE_MOINS";
inline constexpr const char* kCommandCenterOn = "PLOTREX_CENTER_ON";
inline constexpr const char* kCommandCenterOnProfile = "PLOTREX_CENTER_ON_PROFILE";
inline constexpr const char* kCommandFitToWindow = "PLOTREX_FIT_TO_WINDOW";
// The module's own, for a chart host: "%lf %lf" is a position (radians) on
// the main profile's track, whose nearest point gets the view's hover point
// or the centre of the view.
inline constexpr const char* kCommandHoverOnProfile = "PLOTREX_HOVER_ON_PROFILE";
inline constexpr const char* kCommandCenterOnTrack = "PLOTREX_CENTER_ON_TRACK";

// Echo-sounder commands, carried out by the echogram data.
inline constexpr const char* kCommandEtrDisplay = "PLOTREX_ETR_DISPLAY";
inline constexpr const char* kCommandEtrFrequency = "PLOTREX_ETR_FREQUENCY";
inline constexpr const char* kCommandEtrRangePlus = "PLOTREX_ETR_RANGE_PLUS";
inline constexpr const char* kCommandEtrRangeMoins = "PLOTREX_ETR_RANGE_MOINS";
inline constexpr const char* kCommandEtrShiftPlus = "PLOTREX_ETR_SHIFT_PLUS";
inline constexpr const char* kCommandEtrShiftMoins = "PLOTREX_ETR_SHIFT_MOINS";
inline constexpr const char* kCommandEtrDualFreqParam = "PLOTREX_ETR_DUALFREQ_PARAM";
inline constexpr const char* kCommandEtrSingleFreqParam = "PLOTREX_ETR_SINGLEFREQ_PARAM";
inline constexpr const char* kCommandEtrMarkerZoomParam = "PLOTREX_ETR_MARKERZOOM_PARAM";
inline constexpr const char* kCommandEtrBottomZoomParam = "PLOTREX_ETR_BOTTOMZOOM_PARAM";
inline constexpr const char* kCommandEtrBottomLockParam = "PLOTREX_ETR_BOTTOMLOCK_PARAM";
inline constexpr const char* kCommandEtrBottomDiscrParam = "PLOTREX_ETR_BOTTOMDISCR_PARAM";
inline constexpr const char* kCommandEtrHfParam = "PLOTREX_ETR_HF_PARAM";
inline constexpr const char* kCommandEtrLfParam = "PLOTREX_ETR_LF_PARAM";
inline constexpr const char* kCommandEtrHfLfParam = "PLOTREX_ETR_HFLF_PARAM";

// How the echogram is read, carried out by the echogram data and kept in the
// profile. PLOTREX_ETR_COLOURS takes one of the scale parameters below (none:
// the next scale); the gain steps shift every echo a level up or down, the
// threshold steps hide the weakest levels. PLOTREX_ETR_LEVEL_STRENGTHS tells
// the colour bar what a recording's levels stand for: 16 whole numbers, the
// weakest recorded strength (0 to 255) of each level, the first 0, none
// smaller than the one before (a level no strength reaches repeats the next).
inline constexpr const char* kCommandEtrColours = "PLOTREX_ETR_COLOURS";
inline constexpr const char* kCommandEtrStandardParam = "PLOTREX_ETR_STANDARD_PARAM";
inline constexpr const char* kCommandEtrViridisParam = "PLOTREX_ETR_VIRIDIS_PARAM";
inline constexpr const char* kCommandEtrGreyParam = "PLOTREX_ETR_GREY_PARAM";
inline constexpr const char* kCommandEtrInvertedGreyParam = "PLOTREX_ETR_INVERTEDGREY_PARAM";
inline constexpr const char* kCommandEtrGainPlus = "PLOTREX_ETR_GAIN_PLUS";
inline constexpr const char* kCommandEtrGainMoins = "PLOTREX_ETR_GAIN_MOINS";
inline constexpr const char* kCommandEtrThresholdPlus = "PLOTREX_ETR_THRESHOLD_PLUS";
inline constexpr const char* kCommandEtrThresholdMoins = "PLOTREX_ETR_THRESHOLD_MOINS";
inline constexpr const char* kCommandEtrLevelStrengths = "PLOTREX_ETR_LEVEL_STRENGTHS";

// The echogram's colour scales: the name a user gives, and the parameter of
// PLOTREX_ETR_COLOURS; the first is the module's own.
struct EchoColourScaleName {
    const char* name;
    const char* parameter;
};
inline constexpr std::array<EchoColourScaleName, 4> kEchoColourScales = {{
    {"standard", kCommandEtrStandardParam},
    {"viridis", kCommandEtrViridisParam},
    {"grey", kCommandEtrGreyParam},
    {"inverted-grey", kCommandEtrInvertedGreyParam},
}};

// Shallow water ahead, carried out by the depth forecast and shown as a
// warning in the profile view: "DISTANCE DEPTH", metres from the ship to the
// first shallow point and its depth; none (or an empty text) clears it.
inline constexpr const char* kCommandShallowWarning = "PLOTREX_SHALLOW_WARNING";

// Every name, layout commands first.
inline constexpr std::array kCommandNames = {
    kCommandShowHide,           kCommandScaleValue,
    kCommandScalePlus,          kCommandScaleMoins,
    kCommandSlopeValue,         kCommandSlopePlus,
    kCommandSlopeMoins,         kCommandCenterOn,
    kCommandCenterOnProfile,    kCommandFitToWindow,
    kCommandHoverOnProfile,     kCommandCenterOnTrack,
    kCommandEtrDisplay,         kCommandEtrFrequency,
    kCommandEtrRangePlus,       kCommandEtrRangeMoins,
    kCommandEtrShiftPlus,       kCommandEtrShiftMoins,
    kCommandEtrDualFreqParam,   kCommandEtrSingleFreqParam,
    kCommandEtrMarkerZoomParam, kCommandEtrBottomZoomParam,
    kCommandEtrBottomLockParam, kCommandEtrBottomDiscrParam,
    kCommandEtrHfParam,         kCommandEtrLfParam,
    kCommandEtrHfLfParam,       kCommandEtrColours,
    kCommandEtrStandardParam,   kCommandEtrViridisParam,
    kCommandEtrGreyParam,       kCommandEtrInvertedGreyParam,
    kCommandEtrGainPlus,        kCommandEtrGainMoins,
    kCommandEtrThresholdPlus,   kCommandEtrThresholdMoins,
    kCommandEtrLevelStrengths,  kCommandShallowWarning,
};
