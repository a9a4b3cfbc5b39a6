#include "direct3d/SoftSurface.h"

#include "direct3d/SoftDevice.h"
#include "direct3d/TextureStorage.h"
#include "platform/CDC.h"
#include "platform/SolidRows.h"

namespace d3d9soft {

SoftSurface::SoftSurface(SoftDevice* device, UINT width, UINT height, bool lockable)
    : DeviceChild(device, true),
      owner_(device),
      width_(static_cast<int>(width)),
      height_(static_cast<int>(height)),
      lockable_(lockable),
      pixels_(std::size_t{width} * height),
      image_(!pixels_.empty() ? pixman_image_create_bits(PIXMAN_x8r8g8b8, width_, height_,
                                                         pixels_.data(), width_ * 4)
                              : nullptr) {}

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

HRESULT SoftSurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    RECT r;
    if (!lockable_ || locked == nullptr || locked_ || dc_ || !LockArea(rect, width_, height_, &r)) {
        return D3DERR_INVALIDCALL;
    }
    owner_->FlushColumns();
    locked_ = true;
    if ((flags & D3DLOCK_READONLY) == 0) {
        solid_.Touched(r);
    }
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
    owner_->FlushColumns();
    auto context =
        std::make_unique<CDC>(pixels_.data(), width_, height_, Stride(), CDC::Format::kXrgb32);
    if (!context->IsValid()) {
        return D3DERR_INVALIDCALL;
    }
    dc_ = std::move(context);
    // The context may draw anywhere until it is released. It keeps a record
    // of its solid fills: every other writer here marks it dirty (Access).
    solid_.Forget();
    SolidRows::Attach(dc_->GetSurface());
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

bool SoftSurface::FlipTo(Desktop& desktop, HWND window) {
    if (dc_ || locked_ || pixels_.empty() ||
        !desktop.FlipToWindow(window, pixels_, width_, height_)) {
        return false;
    }
    image_.reset(
        pixman_image_create_bits(PIXMAN_x8r8g8b8, width_, height_, pixels_.data(), width_ * 4));
    solid_.Forget();
    return true;
}

Target SoftSurface::AsTarget() {
    Target t;
    t.pixels = pixels_.data();
    t.width = width_;
    t.height = height_;
    t.stride = width_;
    t.clip = RECT{0, 0, width_, height_};
    // A context that is out may draw anywhere at any time.
    t.solid = dc_ ? nullptr : &solid_;
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
