#pragma once
// The Direct3D device of one display adapter, with a back buffer as large as
// its monitor, shared by every window on that monitor. Owns the device; lends
// out a device context on the back buffer until it is given back or the
// frame is presented. The reset count tells users of the device when what
// they put on it must be made again.
#include <cstdint>

#include "direct3d/d3d9.h"
#include "platform/ComPtr.h"
#include "platform/WinTypes.h"

class CDC;

class AdapterDevice {
  public:
    AdapterDevice() = default;
    ~AdapterDevice() { ReleaseDC(); }
    AdapterDevice(const AdapterDevice&) = delete;
    AdapterDevice& operator=(const AdapterDevice&) = delete;

    // Drops what it holds, then creates a device on the adapter with a back
    // buffer of the size, on the desktop window. Every attempt counts as a
    // reset.
    bool Create(IDirect3D9* d3d, UINT adapter, SIZE size);
    // Gives the context back and resets the device at the stored size; false
    // without a device or when the reset fails.
    bool Reset();
    // A context on the back buffer, taken on the first call and kept until
    // ReleaseDC or Present; null without a device or when it cannot be had.
    CDC* GetDC();
    void ReleaseDC();
    // Gives the context back, then shows the rectangle's size of the back
    // buffer's top-left corner in that rectangle of the window. A failed
    // present resets the device; the result is then whether that worked.
    bool Present(HWND window, RECT rect);

    IDirect3DDevice9* GetDevice() const { return device_.Get(); }
    int GetResetCount() const { return resetCount_; }
    SIZE GetSize() const { return SIZE{static_cast<LONG>(width_), static_cast<LONG>(height_)}; }

  private:
    D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height) const;

    ComPtr<IDirect3DDevice9> device_;
    std::int32_t resetCount_ = -1;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    ComPtr<IDirect3DSurface9> backBuffer_;
    CDC* dc_ = nullptr;
};
