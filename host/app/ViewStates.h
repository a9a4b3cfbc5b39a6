#pragma once
// What the module's view shows, as the states of its commands tell: the
// window's title, the echogram's panes, the echo-sounder's display and the
// graphs the view holds.
#include <string>

#include "host/app/ViewCommands.h"
#include "module/GraphKeys.h"

// The module's graphs by their name keys, in the order of the keys 1 to 8.
inline constexpr const char* kGraphKeys[] = {kGraphDepth,    kGraphTemp,   kGraphPrevision,
                                             kGraphHistoric, kGraphMobile, kGraphDReckChalut,
                                             kGraphEtr,      kGraphAScope};

// "Plotrex - level 9 - slope x 2" for the profile views, "Plotrex -
// echogram" for the pixel view (display mode 1).
std::string WindowTitle(const ViewCommands& view, int displayMode);
// "viridis colours, colour bar shown, gain set, threshold neutral", as the
// echogram's states say; empty without an echogram.
std::string EchogramLook(const ViewCommands& view);
// "one pane: HF", "two panes side by side: ..." as the sounder's display
// states and the view's shape make them.
std::string DescribePanes(const ViewCommands& view);
// "dual frequency, HF"; empty when no display is checked.
std::string EchoSounderDisplay(const ViewCommands& view);
// "Graphs in the view: 2 (PLOTREX_DATA_DEPTH, PLOTREX_DATA_TEMP hidden)".
std::string GraphsInView(const ViewCommands& view);
