#include "drawing/VexanDeviceGdiPlus.h"

#include <new>

#include "platform/CDC.h"
#include "platform/CWnd.h"
#include "platform/Desktop.h"

namespace {

// Beyond this a side is refused, as by the bitmap functions it stands for.
constexpr LONG kMaxSide = 32767;

}  // namespace

VexanDeviceGdiPlus::VexanDeviceGdiPlus() = default;

VexanDeviceGdiPlus::~VexanDeviceGdiPlus() {
    ReleaseAll();
}

bool VexanDeviceGdiPlus::Create(CWnd* window, SIZE size) {
    window_ = window;
    if (window_ == nullptr) {
        return false;
    }
    return Resize(size);
}

bool VexanDeviceGdiPlus::Resize(SIZE size) {
    ReleaseAll();
    if (window_ == nullptr) {
        return false;
    }
    if (size.cx <= 0 || size.cy <= 0 || size.cx > kMaxSide || size.cy > kMaxSide) {
        return false;
    }
    try {
        const auto pixels = static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy);
        bitmap_ = std::make_unique<std::vector<std::uint32_t>>(pixels, 0u);
        graphics_ = std::make_unique<CDC>(bitmap_->data(), size.cx, size.cy, size.cx * 4);
    } catch (const std::bad_alloc&) {
        ReleaseAll();
        return false;
    }
    if (!graphics_->IsValid()) {
        ReleaseAll();
        return false;
    }
    width_ = size.cx;
    height_ = size.cy;
    return true;
}

void VexanDeviceGdiPlus::ReleaseAll() {
    dc_ = nullptr;
    width_ = 0;
    height_ = 0;
    graphics_.reset();
    bitmap_.reset();
}

SIZE VexanDeviceGdiPlus::GetSize() {
    return SIZE{width_, height_};
}

CDC* VexanDeviceGdiPlus::GetDC() {
    if (dc_ == nullptr && graphics_ != nullptr) {
        dc_ = graphics_.get();
    }
    return dc_;
}

bool VexanDeviceGdiPlus::Present(POINT origin) {
    if (window_ == nullptr) {
        return false;
    }
    CDC* source = GetDC();
    if (source == nullptr) {
        return false;
    }
    // The client area's pixels as a device context, for the time of the copy.
    Desktop* desktop = GetCurrentDesktop();
    if (desktop == nullptr) {
        return false;
    }
    const WindowSurface client = desktop->GetWindowSurface(window_->GetSafeHwnd());
    CDC clientDC(client.pixels, client.width, client.height, client.stride);
    return clientDC.BitBlt(origin.x, origin.y, width_, height_, source, 0, 0, SRCCOPY) != FALSE;
}

bool VexanDeviceGdiPlus::UpdateAdapter() {
    return true;
}

IDirect3DDevice9* VexanDeviceGdiPlus::GetD3DDevice() {
    return nullptr;
}

int VexanDeviceGdiPlus::GetResetCount() {
    return 0;
}
