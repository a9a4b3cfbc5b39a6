#pragma once
// The software rendering device: the surface is a bitmap in memory with 24-bit
// RGB pixels. It keeps them in 32-bit words whose top byte is unused, the
// layout Cairo draws into; what the pixels show is the same.
#include <cstdint>
#include <memory>
#include <vector>

#include "drawing/VexanDevice.h"

class VexanDeviceGdiPlus final : public VexanDevice {
  public:
    VexanDeviceGdiPlus();
    ~VexanDeviceGdiPlus() override;

    bool Create(CWnd* window, SIZE size) override;
    bool Resize(SIZE size) override;
    SIZE GetSize() override;
    CDC* GetDC() override;
    bool Present(POINT origin) override;
    bool UpdateAdapter() override;
    IDirect3DDevice9* GetD3DDevice() override;
    int GetResetCount() override;

  private:
    void ReleaseAll();

    std::unique_ptr<std::vector<std::uint32_t>> bitmap_;
    // The drawing surface on the bitmap.
    std::unique_ptr<CDC> graphics_;
    // Handed out by GetDC: the graphics' context, until the surface goes.
    CDC* dc_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    CWnd* window_ = nullptr;
};
