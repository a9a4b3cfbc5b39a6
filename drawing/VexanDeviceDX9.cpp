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
    width_ = std::max<LONG>(size.cx, 0);
    height_ = std::max<LONG>(size.cy, 0);
    if (AdapterDevice* adapter = Adapter()) {
        ClipToBackBuffer(*adapter);
        return true;
    }
    window_ = nullptr;
    adapter_ = -1;
    width_ = height_ = 0;
    return false;
}

void VexanDeviceDX9::ClipToBackBuffer(const AdapterDevice& adapter) {
    const SIZE buffer = adapter.GetSize();
    width_ = std::min<std::int32_t>(width_, buffer.cx);
    height_ = std::min<std::int32_t>(height_, buffer.cy);
}

bool VexanDeviceDX9::Resize(SIZE size) {
    bool fits = false;
    if (AdapterDevice* adapter = Adapter()) {
        const SIZE buffer = adapter->GetSize();
        // A negative size is no size.
        width_ = std::max<LONG>(size.cx, 0);
        height_ = std::max<LONG>(size.cy, 0);
        fits = width_ <= buffer.cx && height_ <= buffer.cy;
        ClipToBackBuffer(*adapter);
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
    // The new adapter's back buffer may be smaller than the old one's.
    if (AdapterDevice* adapter = Adapter()) {
        ClipToBackBuffer(*adapter);
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
