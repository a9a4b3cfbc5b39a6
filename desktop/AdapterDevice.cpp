#include "desktop/AdapterDevice.h"

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
    width_ = static_cast<std::uint32_t>(size.cx);
    height_ = static_cast<std::uint32_t>(size.cy);
    return true;
}

bool AdapterDevice::Reset() {
    if (!device_) {
        return false;
    }
    // Direct3D refuses to reset while the back buffer is held.
    ReleaseDC();
    ++resetCount_;
    D3DPRESENT_PARAMETERS p = Parameters(width_, height_);
    return SUCCEEDED(device_->Reset(&p));
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
