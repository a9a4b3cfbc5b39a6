#pragma once
// A rendering device: the off-screen surface of one window, a device context
// on it, and the copy of the surface into the window. Slot order is fixed.
#include "platform/WinTypes.h"

class CDC;
class CWnd;
struct IDirect3DDevice9;

class VexanDevice {
  public:
    VexanDevice() = default;
    VexanDevice(const VexanDevice&) = delete;
    VexanDevice& operator=(const VexanDevice&) = delete;

    virtual ~VexanDevice() = default;
    // Binds the device to a window and makes the surface at the given size.
    virtual bool Create(CWnd* window, SIZE size) = 0;
    virtual bool Resize(SIZE size) = 0;
    // 0 x 0 without a surface.
    virtual SIZE GetSize() = 0;
    // A context on the surface, kept by the device; null without a surface.
    virtual CDC* GetDC() = 0;
    // Copies the surface into the window's client area, its top-left corner at origin.
    virtual bool Present(POINT origin) = 0;
    // True when the window moved to another adapter and the device changed.
    virtual bool UpdateAdapter() = 0;
    virtual IDirect3DDevice9* GetD3DDevice() = 0;
    virtual int GetResetCount() = 0;
};
