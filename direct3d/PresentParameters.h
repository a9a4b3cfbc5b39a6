#pragma once
// What a windowed software device accepts as present parameters, and where
// it may present.
#include "direct3d/d3d9types.h"
#include "platform/WinTypes.h"

namespace d3d9soft {

// Checks present parameters as Direct3D does for a windowed device and fills
// in the values it chooses: the display format, one back buffer, and a zero
// size taken from the window's client area.
HRESULT CompletePresentParameters(D3DPRESENT_PARAMETERS& p, HWND focusWindow);

// A window of the current desktop, or its desktop window.
bool IsWindowOrDesktop(HWND window);

}  // namespace d3d9soft
