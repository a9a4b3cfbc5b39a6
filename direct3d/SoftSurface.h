#pragma once
// The back buffer of the software device: X8R8G8B8 pixels that Direct3D
// draws into, that a GDI device context (GetDC) draws into in place, and that
// Present shows in a window. The pixels are fresh pages of the system,
// taken only where something is drawn; rows lie one after the other, so a
// drawn row costs the pages of the buffer's whole width.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "direct3d/DeviceChild.h"
#include "direct3d/DrawState.h"
#include "direct3d/SolidArea.h"
#include "platform/Desktop.h"
#include "platform/PixelPages.h"
#include "platform/PixmanImage.h"

class CDC;

namespace d3d9soft {

class SoftDevice;

class SoftSurface final : public DeviceChild<IDirect3DSurface9> {
  public:
    // Owned by the device; the contents start black, their unused X byte 0.
    // Without pixels (Image() null) when the system has no pages to give.
    SoftSurface(SoftDevice* device, UINT width, UINT height, bool lockable);
    ~SoftSurface() override;

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    // Only for a back buffer created lockable (D3DPRESENTFLAG_LOCKABLE_BACKBUFFER).
    // A lock without D3DLOCK_READONLY may change the pixels.
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    // One device context at a time; not while locked.
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::uint32_t* Pixels() const { return pixels_.data(); }
    int Stride() const { return width_ * 4; }
    Target AsTarget();
    pixman_image_t* Image() const { return image_.get(); }
    bool DcOut() const { return dc_ != nullptr; }
    // Presents the whole buffer onto the whole window by handing the pixels
    // over (Desktop::FlipToWindow): the buffer then holds what the window
    // showed before, as a discarding swap chain allows. False, with nothing
    // changed, while a lock or a device context is out or where the desktop
    // cannot take them.
    bool FlipTo(Desktop& desktop, HWND window);

    // The device draws in place even while a device context is out: what the
    // context drew must be in memory before, and the context must forget
    // what it knew of the pixels after.
    class Access {
      public:
        explicit Access(SoftSurface& surface);
        ~Access();
        Access(const Access&) = delete;
        Access& operator=(const Access&) = delete;

      private:
        SoftSurface& surface_;
    };

  private:
    SoftDevice* owner_;
    int width_;
    int height_;
    bool lockable_;
    bool locked_ = false;
    PixelPages pixels_;
    PixmanImagePtr image_;
    std::unique_ptr<CDC> dc_;
    // Where the pixels hold one colour; AsTarget lends it to the device's
    // draws, which keep it true.
    SolidArea solid_;
};

}  // namespace d3d9soft
