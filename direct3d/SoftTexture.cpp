#include "direct3d/SoftTexture.h"

#include "direct3d/SoftDevice.h"

namespace d3d9soft {

SoftTexture::SoftTexture(SoftDevice* device, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                         D3DPOOL pool)
    : DeviceChild(device, false),
      owner_(device),
      usage_(usage),
      pool_(pool),
      storage_(width, height, format) {
    if (pool_ == D3DPOOL_DEFAULT) {
        owner_->CountDefaultPool(+1);
    }
}

SoftTexture::~SoftTexture() = default;

void SoftTexture::PublicChanged(bool held) {
    if (pool_ == D3DPOOL_DEFAULT) {
        owner_->CountDefaultPool(held ? +1 : -1);
    }
}

HRESULT SoftTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level != 0 || desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DSURFACE_DESC{storage_.Format(),
                            D3DRTYPE_SURFACE,
                            usage_,
                            pool_,
                            D3DMULTISAMPLE_NONE,
                            0,
                            static_cast<UINT>(storage_.Width()),
                            static_cast<UINT>(storage_.Height())};
    return D3D_OK;
}

HRESULT SoftTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) {
    if (level != 0) {
        return D3DERR_INVALIDCALL;
    }
    // A lock may lend out, and the next draw refresh, the copy that kept
    // columns sample.
    owner_->FlushColumns();
    return storage_.Lock(rect, flags, locked);
}

HRESULT SoftTexture::UnlockRect(UINT level) {
    if (level != 0) {
        return D3DERR_INVALIDCALL;
    }
    return storage_.Unlock();
}

}  // namespace d3d9soft
