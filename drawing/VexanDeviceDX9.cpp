#include "drawing/VexanDeviceDX9.h"

#include <algorithm>

#include "desktop/AdapterDevice.h"
#include "desktop/DXDesktopDeviceManager.h"
#include "platform/CWnd.h"

VexanDeviceDX9::VexanDeviceDX9(DXDesktopDeviceManager* manager) : manager_(manager) {}

VexanDeviceDX9::~VexanDeviceDX9() {
    if (AdapterDevice* adapter = Adapter()) {
        adapter->ReleaseDC();
    }
}

AdapterDevice* VexanDeviceDX9::Adapter() const {
    if (manager_ == nullptr || adapter_ < 0) {
        return nullptr;
    }
    return manager_->GetAdapterDevice(static_cast<short>(adapter_));
}

bool VexanDeviceDX9::Create(CWnd* window, SIZE size) {
    if (window == nullptr || window->GetSafeHwnd() == nullptr) {
        return false;
    }
    window_ = window->GetSafeHwnd();
    adapter_ = 0;
    if (AdapterDevice* adapter = Adapter()) {
        FitBackBuffer(*adapter, size);
        return true;
    }
    window_ = nullptr;
    adapter_ = -1;
    width_ = height_ = 0;
    return false;
}

bool VexanDeviceDX9::FitBackBuffer(AdapterDevice& adapter, SIZE size) {
    // A negative size is no size.
    asked_ = SIZE{std::max<LONG>(size.cx, 0), std::max<LONG>(size.cy, 0)};
    const bool fits = adapter.Fit(asked_);
    const SIZE buffer = adapter.GetSize();
    width_ = std::min<std::int32_t>(asked_.cx, buffer.cx);
    height_ = std::min<std::int32_t>(asked_.cy, buffer.cy);
    return fits;
}

bool VexanDeviceDX9::Resize(SIZE size) {
    bool fits = false;
    if (AdapterDevice* adapter = Adapter()) {
        fits = FitBackBuffer(*adapter, size);
    }
    UpdateAdapter();
    return fits;
}

SIZE VexanDeviceDX9::GetSize() {
    return SIZE{width_, height_};
}

CDC* VexanDeviceDX9::GetDC() {
    AdapterDevice* adapter = Adapter();
    return adapter != nullptr ? adapter->GetDC() : nullptr;
}

bool VexanDeviceDX9::Present(POINT origin) {
    AdapterDevice* adapter = Adapter();
    if (adapter == nullptr) {
        return false;
    }
    return adapter->Present(window_,
                            RECT{origin.x, origin.y, origin.x + width_, origin.y + height_});
}

bool VexanDeviceDX9::UpdateAdapter() {
    if (window_ == nullptr || manager_ == nullptr) {
        return false;
    }
    const short found = manager_->GetAdapterForWindow(window_);
    if (found == -1 || found == adapter_) {
        return false;
    }
    adapter_ = found;
    // The new adapter's back buffer may have to grow, or its monitor be smaller.
    if (AdapterDevice* adapter = Adapter()) {
        FitBackBuffer(*adapter, asked_);
    }
    return true;
}

IDirect3DDevice9* VexanDeviceDX9::GetD3DDevice() {
    AdapterDevice* adapter = Adapter();
    return adapter != nullptr ? adapter->GetDevice() : nullptr;
}

int VexanDeviceDX9::GetResetCount() {
    AdapterDevice* adapter = Adapter();
    return adapter != nullptr ? adapter->GetResetCount() : -1;
}

void VexanDeviceDX9::ReleaseDC() {
    if (AdapterDevice* adapter = Adapter()) {
        adapter->ReleaseDC();
    }
}

bool VexanDeviceDX9::IsDirect3D() {
    return true;
}
