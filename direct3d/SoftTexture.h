#pragma once
// IDirect3DTexture9 of the software device: one level, stored by
// TextureStorage.
#include "direct3d/DeviceChild.h"
#include "direct3d/TextureStorage.h"

namespace d3d9soft {

class SoftDevice;

class SoftTexture final : public DeviceChild<IDirect3DTexture9> {
  public:
    SoftTexture(SoftDevice* device, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                D3DPOOL pool);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    TextureStorage& Storage() { return storage_; }
    SoftDevice* Owner() const { return owner_; }

  private:
    ~SoftTexture() override;
    void PublicChanged(bool held) override;

    SoftDevice* owner_;
    DWORD usage_;
    D3DPOOL pool_;
    TextureStorage storage_;
};

}  // namespace d3d9soft
