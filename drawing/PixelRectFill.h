#pragma once
// A rectangle of whole pixels filled as an aliased Cairo fill of it would
// fill it, written through pixman with the colour Cairo hands to pixman.
// Cairo's path and scan conversion cost more than the filling itself for the
// small boxes of labels and A-scope bars.
#include "platform/CairoHandles.h"
#include "platform/WinTypes.h"

// Fills the pixels of r within clip (cr's clip, a rectangle of whole
// pixels) on cr's image surface, and tells Cairo which changed. cr must put
// pixel centres on whole coordinates (a translation by half a pixel). False,
// having drawn nothing, where cr or its surface is not of that kind: another
// transform or operator, or a surface that is not 32-bit.
bool FillPixelRect(cairo_t* cr, RECT r, RECT clip, COLORREF colour, BYTE opacity);
