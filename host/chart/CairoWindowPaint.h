#pragma once
// A host window painted with Cairo: its client area drawn in place, on the
// window's surface of the desktop, and presented as it is.
#include <functional>

#include <cairo.h>

class CWnd;

// Answers the window's WM_PAINT: validates it, and calls paint with a
// context on the client area, cleared to black, unless that area is empty,
// no desktop runs or it has no surface.
void PaintWithCairo(CWnd& window,
                    const std::function<void(cairo_t*, int width, int height)>& paint);
