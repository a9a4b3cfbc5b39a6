#pragma once
// Values shared by the whole module in this process: the label font size
// multiplier (1, 2 or 3) and the day/night mode (0 day, 1 dusk, 2 night).
// Set by the module data object, read by the organizer and decorations.
inline short gLabelFontSizeMultiplier = 1;
inline short gDayNightMode = 0;
