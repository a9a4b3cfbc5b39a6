#pragma once
// IDirect3D9 of the software Direct3D: one adapter per monitor of the current
// desktop, in the desktop's order (the primary monitor first), each with a
// HAL device type of the capabilities in d3d9sim::Limits.
#include "direct3d/d3d9.h"

namespace d3d9soft {

class SoftDirect3D final : public IDirect3D9 {
  public:
    SoftDirect3D() = default;
    SoftDirect3D(const SoftDirect3D&) = delete;
    SoftDirect3D& operator=(const SoftDirect3D&) = delete;

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;

    UINT GetAdapterCount() override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
    HMONITOR GetAdapterMonitor(UINT adapter) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override;

  private:
    ~SoftDirect3D() override = default;

    ULONG refs_ = 1;
};

// Whether textures of the format can be created (the format is known and the
// limits do not refuse it).
bool TextureFormatSupported(D3DFORMAT format);

}  // namespace d3d9soft
