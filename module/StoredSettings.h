#pragma once
// What the module keeps in the host's profile, published so that a host can
// tell a first run from a later one without knowing the module's code: the
// sections it writes, the keys of its display mode and of its view's layout,
// and whether a profile holds them. Any profile object with the application
// framework's GetProfileString (a CWinApp) will do.
namespace plotrex_settings {

// The module data object's settings, and its view's layout.
inline constexpr const char* kDataSection = "ModuleData\\PlotrexData";
inline constexpr const char* kDisplaySection = "ModuleDisplay\\PlotrexDisplay";
// The historic view's layout: its distances are the survey's, not the ship's.
inline constexpr const char* kHistoricDisplaySection = "ModuleDisplay\\PlotrexDisplayHistoric";

// Kept in the data section: the display mode (0 profile view, 1 pixel view,
// 2 historic profile view) and the label size multiplier (1 to 3).
inline constexpr const char* kDisplayModeKey = "NorvaneMode";
inline constexpr const char* kLabelSizeKey = "LabelFontSizeMultiplier";
// Also there: how the echogram is read. Its colour scale by name (one of
// kEchoColourScales' names in CommandNames.h), its gain (-15 to 15) and
// threshold (0 to 15) in levels, and whether its colour bar is shown (0 or 1).
inline constexpr const char* kEchoColoursKey = "EchoColours";
inline constexpr const char* kEchoGainKey = "EchoGain";
inline constexpr const char* kEchoThresholdKey = "EchoThreshold";
inline constexpr const char* kEchoColourBarKey = "EchoColourBar";

// Kept in the display section by the profile view's organizer.
inline constexpr const char* kLevelKey = "ORGANIZER_LEVEL";
inline constexpr const char* kSlopeKey = "ORGANIZER_SLOPE";
inline constexpr const char* kFirstPositionXKey = "ORGANIZER_FIRSTPOS_X";
inline constexpr const char* kFirstPositionYKey = "ORGANIZER_FIRSTPOS_Y";

// Whether the profile holds a layout of the view of a display mode (0 the
// profile view, 2 the historic view), saved by an earlier run (the zoom
// level is saved with every layout).
template <typename Profile>
bool HoldsStoredLayout(Profile& profile, int displayMode = 0) {
    const char* section = displayMode == 2 ? kHistoricDisplaySection : kDisplaySection;
    return !profile.GetProfileString(section, kLevelKey, "").empty();
}

// Whether the profile holds the echogram's look an earlier run left (its
// colour bar is hidden until shown).
template <typename Profile>
bool HoldsStoredEchoLook(Profile& profile) {
    return !profile.GetProfileString(kDataSection, kEchoColourBarKey, "").empty();
}

// Whether the profile holds the display mode an earlier run left.
template <typename Profile>
bool HoldsStoredDisplayMode(Profile& profile) {
    return !profile.GetProfileString(kDataSection, kDisplayModeKey, "").empty();
}

}  // namespace plotrex_settings
