#include "direct3d/SoftVertexBuffer.h"

#include "direct3d/SoftDevice.h"

namespace d3d9soft {

SoftVertexBuffer::SoftVertexBuffer(SoftDevice* device, UINT length, DWORD usage, DWORD fvf,
                                   D3DPOOL pool)
    : DeviceChild(device, false),
      owner_(device),
      usage_(usage),
      fvf_(fvf),
      pool_(pool),
      bytes_(length, 0) {
    if (pool_ == D3DPOOL_DEFAULT) {
        owner_->CountDefaultPool(+1);
    }
}

SoftVertexBuffer::~SoftVertexBuffer() = default;

void SoftVertexBuffer::PublicChanged(bool held) {
    if (pool_ == D3DPOOL_DEFAULT) {
        owner_->CountDefaultPool(held ? +1 : -1);
    }
}

HRESULT SoftVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD /*flags*/) {
    const std::size_t length = bytes_.size();
    if (data == nullptr || offset > length || (size != 0 && size > length - offset)) {
        return D3DERR_INVALIDCALL;
    }
    ++locks_;
    *data = bytes_.data() + offset;
    return D3D_OK;
}

HRESULT SoftVertexBuffer::Unlock() {
    if (locks_ == 0) {
        return D3DERR_INVALIDCALL;
    }
    --locks_;
    return D3D_OK;
}

HRESULT SoftVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN,
                                 D3DRTYPE_VERTEXBUFFER,
                                 usage_,
                                 pool_,
                                 static_cast<UINT>(bytes_.size()),
                                 fvf_};
    return D3D_OK;
}

}  // namespace d3d9soft
