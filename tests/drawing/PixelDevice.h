#pragma once
// A device over pixels in memory for drawing tests: no window, an opaque
// 32-bit surface that may be larger than the size the device reports (as a
// back buffer shared by a smaller window).
#include <cstdint>
#include <vector>

#include "drawing/VexanDevice.h"
#include "platform/CDC.h"
#include "tests/support/ImageCompare.h"

class PixelDevice final : public VexanDevice {
  public:
    PixelDevice(int width, int height, COLORREF background = RGB(255, 255, 255))
        : PixelDevice(SIZE{width, height}, SIZE{width, height}, background) {}
    PixelDevice(SIZE surface, SIZE reported, COLORREF background = RGB(255, 255, 255),
                CDC::Format format = CDC::Format::kXrgb32)
        : pixels_(std::size_t(surface.cx) * surface.cy),
          dc_(pixels_.data(), surface.cx, surface.cy, surface.cx * 4, format),
          reported_(reported) {
        dc_.FillSolidRect(0, 0, surface.cx, surface.cy, background);
    }

    bool Create(CWnd*, SIZE) override { return false; }
    bool Resize(SIZE) override { return false; }
    SIZE GetSize() override { return reported_; }
    CDC* GetDC() override { return dc_.IsValid() ? &dc_ : nullptr; }
    bool Present(POINT) override { return false; }
    bool UpdateAdapter() override { return false; }
    IDirect3DDevice9* GetD3DDevice() override { return nullptr; }
    int GetResetCount() override { return 0; }

    COLORREF Pixel(int x, int y) { return dc_.GetPixel(x, y); }
    std::vector<std::uint32_t>& Pixels() { return pixels_; }
    Image Snapshot() {
        dc_.Flush();
        return ImageFromPixels(pixels_.data(), dc_.Width(), dc_.Height(), dc_.Width() * 4, true);
    }

  private:
    std::vector<std::uint32_t> pixels_;
    CDC dc_;
    SIZE reported_;
};
