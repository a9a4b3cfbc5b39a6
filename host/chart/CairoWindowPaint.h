#pragma once
// A host window painted with Cairo: its client area drawn into an image of
// its size and presented to the window through the desktop.
#include <functional>

#include <cairo.h>

class CWnd;

// Answers the window's WM_PAINT: validates it, and calls paint with a
// context on an image the client area's size unless that size is empty or no
// desktop runs.
void PaintWithCairo(CWnd& window,
                    const std::function<void(cairo_t*, int width, int height)>& paint);
