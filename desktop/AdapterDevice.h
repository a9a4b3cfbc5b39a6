#pragma once
// The Direct3D device of one display adapter, shared by every window on its
// monitor, with a back buffer as large as the largest of those windows asked
// for (never larger than the monitor): a monitor-wide buffer costs whole rows
// of pages for every row a smaller window draws. Owns the device; lends
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

    // Drops what it holds, then creates a device on the adapter, on the
    // desktop window, whose back buffer may grow to the size: made at that
    // size to see that the adapter takes it, then left at one pixel until a
    // window asks (Fit). Every attempt counts as a reset.
    bool Create(IDirect3D9* d3d, UINT adapter, SIZE size);
    // Grows the back buffer, by a reset that counts, so that a window of the
    // size fits, as far as the size given to Create allows; it never shrinks,
    // as other windows may still use it. False when the size does not fit
    // then (a failed reset goes back to the old size).
    bool Fit(SIZE size);
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
    // The back buffer's size now, and the size it may grow to.
    SIZE GetSize() const { return SIZE{static_cast<LONG>(width_), static_cast<LONG>(height_)}; }
    SIZE GetLimit() const { return limit_; }

  private:
    D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height) const;
    bool ResetTo(std::uint32_t width, std::uint32_t height);

    ComPtr<IDirect3DDevice9> device_;
    std::int32_t resetCount_ = -1;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    SIZE limit_{};
    ComPtr<IDirect3DSurface9> backBuffer_;
    CDC* dc_ = nullptr;
};
