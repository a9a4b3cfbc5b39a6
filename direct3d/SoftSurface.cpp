#include "direct3d/SoftSurface.h"

#include "direct3d/SoftDevice.h"
#include "platform/CDC.h"

namespace d3d9soft {

SoftSurface::SoftSurface(SoftDevice* device, UINT width, UINT height, bool lockable)
    : DeviceChild(device, true),
      width_(static_cast<int>(width)),
      height_(static_cast<int>(height)),
      lockable_(lockable),
      pixels_(static_cast<std::size_t>(width) * height, 0xFF000000u),
      image_(
          pixman_image_create_bits(PIXMAN_x8r8g8b8, width_, height_, pixels_.data(), width_ * 4)) {}

SoftSurface::~SoftSurface() = default;

HRESULT SoftSurface::GetDesc(D3DSURFACE_DESC* desc) {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DSURFACE_DESC{D3DFMT_X8R8G8B8,           D3DRTYPE_SURFACE,          0,
                            D3DPOOL_DEFAULT,           D3DMULTISAMPLE_NONE,       0,
                            static_cast<UINT>(width_), static_cast<UINT>(height_)};
    return D3D_OK;
}

HRESULT SoftSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD /*flags*/) {
    if (!lockable_ || locked == nullptr || locked_ || dc_) {
        return D3DERR_INVALIDCALL;
    }
    RECT r{0, 0, width_, height_};
    if (rect != nullptr) {
        r = *rect;
        if (r.left < 0 || r.top < 0 || r.right > width_ || r.bottom > height_ ||
            r.left >= r.right || r.top >= r.bottom) {
            return D3DERR_INVALIDCALL;
        }
    }
    locked_ = true;
    locked->Pitch = Stride();
    locked->pBits = pixels_.data() + static_cast<std::size_t>(r.top) * width_ + r.left;
    return D3D_OK;
}

HRESULT SoftSurface::UnlockRect() {
    if (!locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    return D3D_OK;
}

HRESULT SoftSurface::GetDC(HDC* dc) {
    if (dc == nullptr || dc_ || locked_) {
        return D3DERR_INVALIDCALL;
    }
    auto context =
        std::make_unique<CDC>(pixels_.data(), width_, height_, Stride(), CDC::Format::kXrgb32);
    if (!context->IsValid()) {
        return D3DERR_INVALIDCALL;
    }
    dc_ = std::move(context);
    *dc = dc_->GetSafeHdc();
    return D3D_OK;
}

HRESULT SoftSurface::ReleaseDC(HDC dc) {
    if (!dc_ || dc == nullptr || dc != dc_->GetSafeHdc()) {
        return D3DERR_INVALIDCALL;
    }
    dc_.reset();  // flushes what it drew
    return D3D_OK;
}

Target SoftSurface::AsTarget() {
    Target t;
    t.pixels = pixels_.data();
    t.width = width_;
    t.height = height_;
    t.stride = width_;
    t.clip = RECT{0, 0, width_, height_};
    return t;
}

SoftSurface::Access::Access(SoftSurface& surface) : surface_(surface) {
    if (surface_.dc_) {
        surface_.dc_->Flush();
    }
}

SoftSurface::Access::~Access() {
    if (surface_.dc_) {
        surface_.dc_->MarkDirty();
    }
}

}  // namespace d3d9soft
