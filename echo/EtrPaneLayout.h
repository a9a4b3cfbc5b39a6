#pragma once
// Where the columns of the echogram go. In the track pane each placed sweep
// stands at its distance between the heights of its own window; in the pixel
// pane the sweeps stand two pixels apart from the area's right edge, the
// newest at the right, their heights relative to the newest sweep's window.
#include <vector>

#include "echo/EtrStrip.h"
#include "platform/WinTypes.h"

class EtrTextureRing;
class LinearPixelProjection;
class ZxEtrEchoContainer;

enum class EtrPaneLayout {
    kColumns,     // the columns to draw
    kNothing,     // nothing to draw this frame (too few sweeps, no usable window)
    kMissingRow,  // a sweep the ring does not hold: the ring must be refilled
};

inline constexpr int kPixelsPerSweep = 2;

// Columns in order of increasing x.
EtrPaneLayout LayOutTrackPane(ZxEtrEchoContainer& store, const EtrTextureRing& ring,
                              const LinearPixelProjection& x, const LinearPixelProjection& y,
                              std::vector<EtrColumn>& columns);
// bottomFixed: every column fills the area from top to bottom.
EtrPaneLayout LayOutPixelPane(RECT area, ZxEtrEchoContainer& store, const EtrTextureRing& ring,
                              bool bottomFixed, std::vector<EtrColumn>& columns);
