#pragma once
// A rectangle of whole pixels filled as an aliased Cairo fill of it would
// fill it: the colour Cairo hands to pixman, blended with pixman's rounding.
// Cairo's path and scan conversion, and pixman's setup, cost more than the
// filling itself for the small boxes of labels, scales and A-scope bars.
#include "platform/CairoHandles.h"
#include "platform/WinTypes.h"

// Fills the pixels of r within clip (cr's clip, a rectangle of whole
// pixels) on cr's image surface, and tells Cairo which changed. cr must put
// pixel centres on whole coordinates (a translation by half a pixel). False,
// having drawn nothing, where cr or its surface is not of that kind: another
// transform or operator, or a surface that is not 32-bit.
bool FillPixelRect(cairo_t* cr, RECT r, RECT clip, COLORREF colour, BYTE opacity);
