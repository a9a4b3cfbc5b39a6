#include "direct3d/SoftDirect3D.h"

#include <algorithm>
#include <new>
#include <vector>

#include "direct3d/D3D9Sim.h"
#include "direct3d/SoftDevice.h"
#include "direct3d/TexelFormat.h"
#include "platform/Desktop.h"

namespace d3d9soft {

namespace {

std::vector<HMONITOR> Monitors() {
    Desktop* desktop = GetCurrentDesktop();
    return desktop != nullptr ? desktop->GetMonitors() : std::vector<HMONITOR>{};
}

bool MonitorRect(UINT adapter, RECT* rect) {
    const std::vector<HMONITOR> monitors = Monitors();
    MONITORINFO info;
    if (adapter >= monitors.size() ||
        !GetCurrentDesktop()->GetMonitorInfo(monitors[adapter], &info)) {
        return false;
    }
    *rect = info.rcMonitor;
    return true;
}

}  // namespace

bool TextureFormatSupported(D3DFORMAT format) {
    const auto& refused = d3d9sim::GetLimits().refusedTextureFormats;
    return TexelSize(format) > 0 &&
           std::find(refused.begin(), refused.end(), format) == refused.end();
}

ULONG SoftDirect3D::Release() {
    if (refs_ == 0) {
        return 0;
    }
    const ULONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

UINT SoftDirect3D::GetAdapterCount() {
    return static_cast<UINT>(Monitors().size());
}

HRESULT SoftDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    RECT r;
    if (mode == nullptr || !MonitorRect(adapter, &r)) {
        return D3DERR_INVALIDCALL;
    }
    *mode = D3DDISPLAYMODE{static_cast<UINT>(r.right - r.left), static_cast<UINT>(r.bottom - r.top),
                           60, D3DFMT_X8R8G8B8};
    return D3D_OK;
}

HRESULT SoftDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                        DWORD usage, D3DRESOURCETYPE resourceType,
                                        D3DFORMAT checkFormat) {
    if (adapter >= GetAdapterCount()) {
        return D3DERR_INVALIDCALL;
    }
    if (type != D3DDEVTYPE_HAL || adapterFormat != D3DFMT_X8R8G8B8 || usage != 0 ||
        resourceType != D3DRTYPE_TEXTURE || !TextureFormatSupported(checkFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT SoftDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
    if (caps == nullptr || adapter >= GetAdapterCount()) {
        return D3DERR_INVALIDCALL;
    }
    if (type != D3DDEVTYPE_HAL) {
        return D3DERR_NOTAVAILABLE;
    }
    const d3d9sim::Limits& limits = d3d9sim::GetLimits();
    *caps = D3DCAPS9{
        D3DDEVTYPE_HAL, adapter, limits.maxTextureWidth, limits.maxTextureHeight, 0xFFFFF, 16, 255};
    return D3D_OK;
}

HMONITOR SoftDirect3D::GetAdapterMonitor(UINT adapter) {
    const std::vector<HMONITOR> monitors = Monitors();
    return adapter < monitors.size() ? monitors[adapter] : nullptr;
}

HRESULT SoftDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviour,
                                   D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    if (device != nullptr) {
        *device = nullptr;
    }
    if (adapter >= GetAdapterCount()) {
        return D3DERR_INVALIDCALL;
    }
    if (type != D3DDEVTYPE_HAL) {
        return D3DERR_NOTAVAILABLE;
    }
    return SoftDevice::Create(this, adapter, focusWindow, behaviour, parameters, device);
}

}  // namespace d3d9soft

extern "C" IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
    if (SDKVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    try {
        return new d3d9soft::SoftDirect3D();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
