#include "desktop/AdapterDevice.h"

#include <algorithm>

#include "platform/CDC.h"
#include "platform/WinUser.h"

namespace {

// Software vertex processing, floating-point state preserved.
constexpr DWORD kBehaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE;

}  // namespace

D3DPRESENT_PARAMETERS AdapterDevice::Parameters(UINT width, UINT height) const {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_UNKNOWN;
    p.BackBufferCount = 0;
    p.MultiSampleType = D3DMULTISAMPLE_NONE;
    p.MultiSampleQuality = 0;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = nullptr;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = FALSE;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    p.FullScreen_RefreshRateInHz = 0;
    p.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return p;
}

bool AdapterDevice::Create(IDirect3D9* d3d, UINT adapter, SIZE size) {
    ReleaseDC();
    device_.Reset();
    ++resetCount_;
    width_ = height_ = 0;
    limit_ = SIZE{};
    if (d3d == nullptr || size.cx <= 0 || size.cy <= 0) {
        return false;
    }
    D3DPRESENT_PARAMETERS p = Parameters(static_cast<UINT>(size.cx), static_cast<UINT>(size.cy));
    if (FAILED(d3d->CreateDevice(adapter, D3DDEVTYPE_HAL, GetDesktopWindow(), kBehaviour, &p,
                                 device_.Put()))) {
        // A failed creation hands out nothing that could be released.
        static_cast<void>(device_.Detach());
        return false;
    }
    limit_ = size;
    width_ = static_cast<std::uint32_t>(size.cx);
    height_ = static_cast<std::uint32_t>(size.cy);
    // Nothing can be on the device yet: this reset is part of making it.
    ResetTo(1, 1);
    return true;
}

bool AdapterDevice::ResetTo(std::uint32_t width, std::uint32_t height) {
    ReleaseDC();
    D3DPRESENT_PARAMETERS p = Parameters(width, height);
    if (FAILED(device_->Reset(&p))) {
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

bool AdapterDevice::Fit(SIZE size) {
    if (!device_) {
        return false;
    }
    const auto wantedWidth = static_cast<std::uint32_t>(std::clamp<LONG>(size.cx, 0, limit_.cx));
    const auto wantedHeight = static_cast<std::uint32_t>(std::clamp<LONG>(size.cy, 0, limit_.cy));
    const bool within = size.cx <= limit_.cx && size.cy <= limit_.cy;
    if (wantedWidth <= width_ && wantedHeight <= height_) {
        return within;
    }
    ++resetCount_;
    const std::uint32_t oldWidth = width_;
    const std::uint32_t oldHeight = height_;
    if (ResetTo(std::max(width_, wantedWidth), std::max(height_, wantedHeight))) {
        return within;
    }
    // Back to the size the windows are cut to; when even that fails (a
    // resource of the default pool still held), the device waits for a reset
    // as a lost one does.
    ResetTo(oldWidth, oldHeight);
    return false;
}

bool AdapterDevice::Reset() {
    if (!device_) {
        return false;
    }
    // Direct3D refuses to reset while the back buffer is held.
    ++resetCount_;
    return ResetTo(width_, height_);
}

CDC* AdapterDevice::GetDC() {
    if (dc_ == nullptr && device_) {
        HDC hdc = nullptr;
        if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer_.Put())) ||
            FAILED(backBuffer_->GetDC(&hdc)) || (dc_ = CDC::FromHandle(hdc)) == nullptr) {
            backBuffer_.Reset();
            dc_ = nullptr;
        }
    }
    return dc_;
}

void AdapterDevice::ReleaseDC() {
    if (!backBuffer_) {
        return;
    }
    if (dc_ != nullptr) {
        backBuffer_->ReleaseDC(dc_->GetSafeHdc());
        dc_ = nullptr;
    }
    backBuffer_.Reset();
}

bool AdapterDevice::Present(HWND window, RECT rect) {
    ReleaseDC();
    if (!device_ || window == nullptr) {
        return false;
    }
    const RECT source{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    const HRESULT presented = device_->Present(&source, &rect, window, nullptr);
    device_->TestCooperativeLevel();
    if (SUCCEEDED(presented)) {
        return true;
    }
    return Reset();
}
