#pragma once
// IDirect3DVertexBuffer9 of the software device: bytes in memory.
#include <cstdint>
#include <vector>

#include "direct3d/DeviceChild.h"

namespace d3d9soft {

class SoftDevice;

class SoftVertexBuffer final : public DeviceChild<IDirect3DVertexBuffer9> {
  public:
    SoftVertexBuffer(SoftDevice* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    // Locks nest; a size of 0 locks from the offset to the end.
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    SoftDevice* Owner() const { return owner_; }

  private:
    ~SoftVertexBuffer() override;
    void PublicChanged(bool held) override;

    SoftDevice* owner_;
    DWORD usage_;
    DWORD fvf_;
    D3DPOOL pool_;
    std::vector<std::uint8_t> bytes_;
    int locks_ = 0;
};

}  // namespace d3d9soft
