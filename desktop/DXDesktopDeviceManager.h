#pragma once
// One Direct3D device per display adapter, each with a back buffer that
// grows to the module's windows on its monitor (the monitor's size at most),
// shared by them. The host owns the manager
// and initialises it before it opens views. Slot order is fixed.
#include <map>
#include <memory>
#include <vector>

#include "desktop/AdapterDevice.h"
#include "direct3d/d3d9.h"
#include "platform/ComPtr.h"
#include "platform/WinTypes.h"

class DXDesktopDeviceManager {
  public:
    // An adapter found at initialisation.
    struct AdapterInfo {
        short ordinal = -1;
        HMONITOR monitor = nullptr;
        bool hasCaps = false;
        D3DCAPS9 caps{};
    };

    DXDesktopDeviceManager() = default;
    DXDesktopDeviceManager(const DXDesktopDeviceManager&) = delete;
    DXDesktopDeviceManager& operator=(const DXDesktopDeviceManager&) = delete;

    virtual ~DXDesktopDeviceManager();
    // Makes the Direct3D object and a device for every adapter whose monitor
    // is known; false only when Direct3D cannot be had. A second call starts
    // over.
    virtual bool Init();
    virtual IDirect3D9* GetD3D();
    // Null when the adapter has no entry.
    virtual AdapterDevice* GetAdapterDevice(short adapter);
    // The adapter that shows the window (its nearest monitor, else the
    // primary one); -1 without a window, before Init or when none matches.
    virtual short GetAdapterForWindow(HWND window);
    // Resets every device that does not report itself operational.
    virtual void RestoreDevices();
    // 3 driver error, 1 device lost, 2 device not reset: the code of the last
    // adapter, in ordinal order, that reports one of them; 0 when none does.
    virtual int GetDevicesState();

  private:
    void Release();

    ComPtr<IDirect3D9> d3d_;
    std::map<short, std::unique_ptr<AdapterDevice>> adapters_;
    std::vector<AdapterInfo> enumeration_;
};
