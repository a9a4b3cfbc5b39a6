#pragma once
// IDirect3DDevice9 of the software Direct3D: one back buffer in memory,
// fixed-function texture stage 0, alpha blending, triangles of pre-transformed
// vertices, and Present into a window of the current desktop.
//
// States start at Direct3D's defaults, with one exception: culling starts
// off (D3DCULL_NONE), so that a triangle strip draws whichever way it winds.
// What draws are interpreted, other states are only kept:
//  - render states D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND
//    (ZERO, ONE, SRCCOLOR, INVSRCCOLOR, SRCALPHA, INVSRCALPHA),
//    D3DRS_BLENDOP (ADD only), D3DRS_CULLMODE; D3DRS_FILLMODE must stay
//    SOLID, D3DRS_SHADEMODE GOURAUD and D3DRS_ALPHATESTENABLE FALSE;
//  - texture stage 0: D3DTOP_DISABLE, SELECTARG1, SELECTARG2 and MODULATE of
//    D3DTA_TEXTURE and D3DTA_DIFFUSE (D3DTA_CURRENT is the diffuse colour
//    there); stage 1 must stay disabled; a stage without a texture reads
//    opaque white from D3DTA_TEXTURE;
//  - sampler 0: D3DSAMP_MINFILTER and D3DSAMP_MAGFILTER (POINT, or LINEAR
//    for any other filter but NONE), addressing D3DTADDRESS_WRAP only;
//    textures have one level, so D3DSAMP_MIPFILTER does nothing;
//  - vertex format D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1 from stream 0;
//    triangle lists, strips and fans.
// A draw with anything else fails with D3DERR_INVALIDCALL and draws nothing.
// Bilinear filtering mixes premultiplied texels (no colour bleeds from
// transparent texels). Present keeps the back buffer's contents.
#include <array>
#include <memory>

#include "direct3d/ColumnBatch.h"
#include "direct3d/D3D9Sim.h"
#include "direct3d/DeviceChild.h"
#include "direct3d/DeviceStates.h"
#include "direct3d/DrawState.h"
#include "direct3d/StripPlans.h"
#include "direct3d/d3d9.h"
#include "platform/ComPtr.h"

namespace d3d9soft {

class SoftDirect3D;
class SoftSurface;
class SoftTexture;
class SoftVertexBuffer;

class SoftDevice final : public IDirect3DDevice9 {
  public:
    // Checks the parameters, fills in what Direct3D fills in, and makes the
    // device with the caller's reference.
    static HRESULT Create(SoftDirect3D* d3d, UINT adapter, HWND focusWindow, DWORD behaviour,
                          D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);
    SoftDevice(const SoftDevice&) = delete;
    SoftDevice& operator=(const SoftDevice&) = delete;

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override { return DropReference(this, refs_); }

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDirect3D(IDirect3D9** d3d) override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** surface) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                  DWORD stencil) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                            UINT stride) override;
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                            UINT* stride) override;

    // Resources of the default pool that callers still hold; Reset needs none.
    void CountDefaultPool(int delta) { defaultPool_ += delta; }
    d3d9sim::DeviceCondition Condition() const { return condition_; }
    void SetCondition(d3d9sim::DeviceCondition condition) {
        columns_.Flush();
        condition_ = condition;
    }
    // Draws the columns of one sweep that draws kept to draw together
    // (ColumnBatch); before anything reads or writes the back buffer's
    // pixels otherwise, or changes a texture's.
    void FlushColumns() { columns_.Flush(); }
    // Columns kept now; for tests.
    std::size_t KeptColumns() const { return columns_.Kept(); }

    static constexpr int kStages = DeviceStates::kStages;
    static constexpr int kStreams = 16;

  private:
    SoftDevice(SoftDirect3D* d3d, UINT adapter, HWND focusWindow, DWORD behaviour);
    template <class T>
    friend ULONG DropReference(T* object, ULONG& refs);
    ~SoftDevice() override;

    HRESULT MakeBackBuffer(const D3DPRESENT_PARAMETERS& parameters);
    void UnbindAll();
    // The draw's states, or false when the device cannot draw with them.
    bool ResolveDrawState(DrawState* state);

    struct Stream {
        SoftVertexBuffer* buffer = nullptr;
        UINT offset = 0;
        UINT stride = 0;
    };

    ULONG refs_ = 1;
    ComPtr<SoftDirect3D> d3d_;
    D3DDEVICE_CREATION_PARAMETERS creation_;
    D3DPRESENT_PARAMETERS parameters_{};
    std::unique_ptr<SoftSurface> backBuffer_;
    d3d9sim::DeviceCondition condition_ = d3d9sim::DeviceCondition::kOperational;
    int defaultPool_ = 0;
    bool inScene_ = false;
    D3DVIEWPORT9 viewport_{};
    DeviceStates states_;
    std::array<SoftTexture*, kStages> textures_{};
    std::array<Stream, kStreams> streams_{};
    DWORD fvf_ = 0;
    StripPlans stripPlans_;
    ColumnBatch columns_;
};

}  // namespace d3d9soft
