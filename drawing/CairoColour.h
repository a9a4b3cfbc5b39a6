#pragma once
// The colour rule of the drawing context: ARGB = opacity << 24 | red << 16 |
// green << 8 | blue, red being the low byte of the GDI colour.
#include "platform/CairoHandles.h"
#include "platform/WinTypes.h"

inline void SetCairoColour(cairo_t* cr, COLORREF colour, BYTE opacity) {
    cairo_set_source_rgba(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                          GetBValue(colour) / 255.0, opacity / 255.0);
}
