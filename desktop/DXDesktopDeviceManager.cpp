#include "desktop/DXDesktopDeviceManager.h"

#include <algorithm>

#include "platform/WinUser.h"

// The codes GetDevicesState maps, as the host knows them.
static_assert(D3DERR_DRIVERINTERNALERROR == static_cast<HRESULT>(0x88760827u));
static_assert(D3DERR_DEVICELOST == static_cast<HRESULT>(0x88760868u));
static_assert(D3DERR_DEVICENOTRESET == static_cast<HRESULT>(0x88760869u));

DXDesktopDeviceManager::~DXDesktopDeviceManager() {
    Release();
}

void DXDesktopDeviceManager::Release() {
    adapters_.clear();
    enumeration_.clear();
    d3d_.Reset();
}

bool DXDesktopDeviceManager::Init() {
    Release();
    d3d_ = ComPtr<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    if (!d3d_) {
        return false;
    }
    const UINT count = d3d_->GetAdapterCount();
    for (UINT i = 0; i < count && i <= 0x7FFF; ++i) {
        AdapterInfo info;
        info.ordinal = static_cast<short>(i);
        info.monitor = d3d_->GetAdapterMonitor(i);
        info.hasCaps = SUCCEEDED(d3d_->GetDeviceCaps(i, D3DDEVTYPE_HAL, &info.caps));
        enumeration_.push_back(info);
    }

    for (const AdapterInfo& adapter : enumeration_) {
        MONITORINFO monitor;
        monitor.cbSize = 40;
        if (!GetMonitorInfo(adapter.monitor, &monitor)) {
            continue;
        }
        SIZE wanted{monitor.rcMonitor.right - monitor.rcMonitor.left,
                    monitor.rcMonitor.bottom - monitor.rcMonitor.top};
        const LONG maxWidth = adapter.hasCaps ? static_cast<LONG>(adapter.caps.MaxTextureWidth) : 0;
        const LONG maxHeight =
            adapter.hasCaps ? static_cast<LONG>(adapter.caps.MaxTextureHeight) : 0;
        auto device = std::make_unique<AdapterDevice>();
        const UINT ordinal = static_cast<UINT>(adapter.ordinal);
        if (!device->Create(d3d_.Get(), ordinal, wanted) && maxWidth > 0 && maxHeight > 0) {
            wanted.cx = std::min(wanted.cx, maxWidth);
            wanted.cy = std::min(wanted.cy, maxHeight);
            device->Create(d3d_.Get(), ordinal, wanted);
        }
        adapters_.emplace(adapter.ordinal, std::move(device));
    }
    return true;
}

IDirect3D9* DXDesktopDeviceManager::GetD3D() {
    return d3d_.Get();
}

AdapterDevice* DXDesktopDeviceManager::GetAdapterDevice(short adapter) {
    auto it = adapters_.find(adapter);
    return it != adapters_.end() ? it->second.get() : nullptr;
}

short DXDesktopDeviceManager::GetAdapterForWindow(HWND window) {
    if (window == nullptr || !d3d_) {
        return -1;
    }
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr) {
        monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    }
    if (monitor == nullptr) {
        return -1;
    }
    for (const AdapterInfo& adapter : enumeration_) {
        if (d3d_->GetAdapterMonitor(static_cast<UINT>(adapter.ordinal)) == monitor) {
            return adapter.ordinal;
        }
    }
    return -1;
}

void DXDesktopDeviceManager::RestoreDevices() {
    for (auto& [ordinal, adapter] : adapters_) {
        IDirect3DDevice9* device = adapter->GetDevice();
        if (device != nullptr && device->TestCooperativeLevel() != D3D_OK) {
            adapter->Reset();
        }
    }
}

int DXDesktopDeviceManager::GetDevicesState() {
    int state = 0;
    for (auto& [ordinal, adapter] : adapters_) {
        IDirect3DDevice9* device = adapter->GetDevice();
        if (device == nullptr) {
            continue;
        }
        switch (device->TestCooperativeLevel()) {
            case D3DERR_DRIVERINTERNALERROR:
                state = 3;
                break;
            case D3DERR_DEVICELOST:
                state = 1;
                break;
            case D3DERR_DEVICENOTRESET:
                state = 2;
                break;
            default:
                break;
        }
    }
    return state;
}
