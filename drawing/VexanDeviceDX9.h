#pragma once
// A window's rendering device on the Direct3D device of the adapter that
// shows the window: the window uses the top-left part of that device's back
// buffer, which grows to the window's size as far as its monitor allows, and
// follows the window from monitor to monitor. The devices belong to the
// manager. Slot order is fixed: VexanDevice's, then ReleaseDC, then
// IsDirect3D.
#include <cstdint>

#include "drawing/VexanDevice.h"

class AdapterDevice;
class DXDesktopDeviceManager;

class VexanDeviceDX9 : public VexanDevice {
  public:
    // The manager is not owned and must outlive the device.
    explicit VexanDeviceDX9(DXDesktopDeviceManager* manager);
    ~VexanDeviceDX9() override;

    // Adapter 0, its back buffer grown to the size or the size cut down to
    // it (the monitor's at most); false, and nothing
    // kept, without a window or when the manager has no device for adapter 0.
    bool Create(CWnd* window, SIZE size) override;
    // False when the size had to be cut down to the monitor; then looks
    // again which adapter shows the window.
    bool Resize(SIZE size) override;
    SIZE GetSize() override;
    CDC* GetDC() override;
    bool Present(POINT origin) override;
    // True when the window is now on another adapter; the size asked last is
    // then fitted to that adapter's back buffer.
    bool UpdateAdapter() override;
    IDirect3DDevice9* GetD3DDevice() override;
    // -1 without an adapter device.
    int GetResetCount() override;
    // Gives the device context back, before Direct3D draws or presents.
    virtual void ReleaseDC();
    // This device draws through Direct3D: always true.
    virtual bool IsDirect3D();

  private:
    AdapterDevice* Adapter() const;
    // Grows the adapter's back buffer to the size and cuts the size to it;
    // false when it had to be cut.
    bool FitBackBuffer(AdapterDevice& adapter, SIZE size);

    std::int32_t adapter_ = -1;
    HWND window_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    SIZE asked_{};
    DXDesktopDeviceManager* manager_;
};
