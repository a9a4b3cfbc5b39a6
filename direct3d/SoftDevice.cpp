// The device's operations: one job, as long as the part of Direct3D's device
// interface that the module draws with.
#include "direct3d/SoftDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include <pixman.h>

#include "direct3d/PresentParameters.h"
#include "direct3d/QuadCompositor.h"
#include "direct3d/Rasterizer.h"
#include "direct3d/SoftDirect3D.h"
#include "direct3d/SoftSurface.h"
#include "direct3d/SoftTexture.h"
#include "direct3d/SoftVertexBuffer.h"
#include "direct3d/SolidArea.h"
#include "platform/Desktop.h"

namespace d3d9soft {

namespace {

using d3d9sim::DeviceCondition;

constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kVertexProcessing =
    D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING | 0x80 /* mixed */;

UINT VerticesFor(D3DPRIMITIVETYPE type, UINT primitives) {
    switch (type) {
        case D3DPT_TRIANGLELIST:
            return primitives * 3;
        case D3DPT_TRIANGLESTRIP:
        case D3DPT_TRIANGLEFAN:
            return primitives + 2;
        default:
            return 0;
    }
}

}  // namespace

HRESULT SoftDevice::Create(SoftDirect3D* d3d, UINT adapter, HWND focusWindow, DWORD behaviour,
                           D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    if (parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const DWORD processing = behaviour & kVertexProcessing;
    if (processing == 0 || (processing & (processing - 1)) != 0) {
        return D3DERR_INVALIDCALL;  // exactly one kind of vertex processing
    }
    const HWND presentWindow =
        parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : focusWindow;
    if (!IsWindowOrDesktop(presentWindow)) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS completed = *parameters;
    HRESULT hr = CompletePresentParameters(completed, focusWindow);
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<SoftDevice> made;
    try {
        made = ComPtr<SoftDevice>::Adopt(new SoftDevice(d3d, adapter, focusWindow, behaviour));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    hr = made->MakeBackBuffer(completed);
    if (FAILED(hr)) {
        return hr;
    }
    *parameters = completed;
    *device = made.Detach();
    return D3D_OK;
}

SoftDevice::SoftDevice(SoftDirect3D* d3d, UINT adapter, HWND focusWindow, DWORD behaviour)
    : d3d_(ComPtr<SoftDirect3D>::Share(d3d)),
      creation_{adapter, D3DDEVTYPE_HAL, focusWindow, behaviour} {}

SoftDevice::~SoftDevice() {
    columns_.Flush();
    UnbindAll();
    // The back buffer goes before the Direct3D object it was made under.
    backBuffer_.reset();
}

HRESULT SoftDevice::MakeBackBuffer(const D3DPRESENT_PARAMETERS& parameters) {
    try {
        backBuffer_ = std::make_unique<SoftSurface>(
            this, parameters.BackBufferWidth, parameters.BackBufferHeight,
            (parameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0);
    } catch (const std::bad_alloc&) {
        backBuffer_.reset();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    if (backBuffer_->Image() == nullptr) {
        backBuffer_.reset();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    parameters_ = parameters;
    viewport_ =
        D3DVIEWPORT9{0, 0, parameters.BackBufferWidth, parameters.BackBufferHeight, 0.0f, 1.0f};
    return D3D_OK;
}

void SoftDevice::UnbindAll() {
    for (SoftTexture*& t : textures_) {
        if (t != nullptr) {
            std::exchange(t, nullptr)->Unbind();
        }
    }
    for (Stream& s : streams_) {
        if (s.buffer != nullptr) {
            std::exchange(s.buffer, nullptr)->Unbind();
        }
        s = Stream{};
    }
}

HRESULT SoftDevice::TestCooperativeLevel() {
    switch (condition_) {
        case DeviceCondition::kLost:
            return D3DERR_DEVICELOST;
        case DeviceCondition::kNotReset:
            return D3DERR_DEVICENOTRESET;
        case DeviceCondition::kDriverError:
            return D3DERR_DRIVERINTERNALERROR;
        default:
            return D3D_OK;
    }
}

HRESULT SoftDevice::GetDirect3D(IDirect3D9** d3d) {
    if (d3d == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *d3d = ComPtr<IDirect3D9>::Share(d3d_.Get()).Detach();
    return D3D_OK;
}

HRESULT SoftDevice::GetDeviceCaps(D3DCAPS9* caps) {
    return d3d_->GetDeviceCaps(creation_.AdapterOrdinal, creation_.DeviceType, caps);
}

HRESULT SoftDevice::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) {
    if (parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *parameters = creation_;
    return D3D_OK;
}

HRESULT SoftDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
    columns_.Flush();
    if (condition_ == DeviceCondition::kLost) {
        return D3DERR_DEVICELOST;
    }
    if (condition_ == DeviceCondition::kDriverError) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // A failed reset leaves the device waiting for another one.
    condition_ = DeviceCondition::kNotReset;
    inScene_ = false;
    UnbindAll();
    states_.SetDefaults();
    fvf_ = 0;
    if (defaultPool_ > 0 || backBuffer_->PublicReferences() > 0 || backBuffer_->DcOut()) {
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS completed = *parameters;
    HRESULT hr = CompletePresentParameters(completed, creation_.hFocusWindow);
    if (FAILED(hr)) {
        return hr;
    }
    auto previous = std::move(backBuffer_);
    hr = MakeBackBuffer(completed);
    if (FAILED(hr)) {
        backBuffer_ = std::move(previous);
        return hr;
    }
    *parameters = completed;
    condition_ = DeviceCondition::kOperational;
    return D3D_OK;
}

HRESULT SoftDevice::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                            const RGNDATA* dirtyRegion) {
    columns_.Flush();
    if (inScene_ || dirtyRegion != nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (condition_ == DeviceCondition::kDriverError) {
        return D3DERR_DRIVERINTERNALERROR;
    }
    if (condition_ != DeviceCondition::kOperational) {
        return D3DERR_DEVICELOST;
    }
    HWND window = destWindowOverride;
    if (window == nullptr) {
        window = parameters_.hDeviceWindow != nullptr ? parameters_.hDeviceWindow
                                                      : creation_.hFocusWindow;
    }
    Desktop* desktop = GetCurrentDesktop();
    if (desktop == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    // The next frame's strips are new.
    stripPlans_.Clear();
    SoftSurface::Access access(*backBuffer_);
    // A frame shown whole, one to one, is handed to the window rather than
    // copied: only a copying swap chain promises to keep the back buffer.
    const int width = backBuffer_->Width(), height = backBuffer_->Height();
    const RECT whole{0, 0, width, height};
    if (parameters_.SwapEffect != D3DSWAPEFFECT_COPY &&
        (sourceRect == nullptr || EqualRect(sourceRect, &whole)) &&
        (destRect == nullptr || EqualRect(destRect, &whole)) &&
        backBuffer_->FlipTo(*desktop, window)) {
        return D3D_OK;
    }
    const bool shown = desktop->PresentToWindow(window, backBuffer_->Pixels(), backBuffer_->Width(),
                                                backBuffer_->Height(), backBuffer_->Stride(),
                                                sourceRect, destRect);
    return shown ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT SoftDevice::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                                  IDirect3DSurface9** surface) {
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *surface = nullptr;
    if (swapChain != 0 || backBuffer != 0 || type != D3DBACKBUFFER_TYPE_MONO) {
        return D3DERR_INVALIDCALL;
    }
    backBuffer_->AddRef();
    *surface = backBuffer_.get();
    return D3D_OK;
}

HRESULT SoftDevice::CreateTexture(UINT width, UINT height, UINT /*levels*/, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture,
                                  HANDLE* shared) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    const d3d9sim::Limits& limits = d3d9sim::GetLimits();
    if (shared != nullptr || usage != 0 || width == 0 || height == 0 ||
        width > limits.maxTextureWidth || height > limits.maxTextureHeight ||
        pool > D3DPOOL_SCRATCH || !TextureFormatSupported(format)) {
        return D3DERR_INVALIDCALL;
    }
    try {
        *texture = new SoftTexture(this, width, height, format, usage, pool);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT SoftDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
    if (buffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    if (shared != nullptr || length == 0 || pool > D3DPOOL_SCRATCH ||
        (fvf == kVertexFormat && length < sizeof(Vertex))) {
        return D3DERR_INVALIDCALL;
    }
    try {
        *buffer = new SoftVertexBuffer(this, length, usage, fvf, pool);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT SoftDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT SoftDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    // Columns are kept within a scene only.
    columns_.Flush();
    inScene_ = false;
    return D3D_OK;
}

HRESULT SoftDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour,
                          float /*z*/, DWORD /*stencil*/) {
    if ((count > 0) != (rects != nullptr) || flags != D3DCLEAR_TARGET) {
        return D3DERR_INVALIDCALL;  // no depth or stencil buffer to clear
    }
    columns_.Flush();
    if (condition_ != DeviceCondition::kOperational) {
        return D3D_OK;
    }
    const RECT view{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                    static_cast<LONG>(viewport_.X + viewport_.Width),
                    static_cast<LONG>(viewport_.Y + viewport_.Height)};
    std::vector<RECT> areas;
    if (count == 0) {
        areas.push_back(view);
    }
    for (DWORD i = 0; i < count; ++i) {
        areas.push_back(RECT{std::max(rects[i].x1, view.left), std::max(rects[i].y1, view.top),
                             std::min(rects[i].x2, view.right),
                             std::min(rects[i].y2, view.bottom)});
    }
    SoftSurface::Access access(*backBuffer_);
    const Target target = backBuffer_->AsTarget();
    for (const RECT& r : areas) {
        if (r.right <= r.left || r.bottom <= r.top) {
            continue;
        }
        // pixman's fill runs at the speed of a memset, a loop of ours at a
        // fraction of it: a clear is a whole frame.
        if (!pixman_fill(target.pixels, static_cast<int>(target.stride), 32, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, colour)) {
            for (LONG y = r.top; y < r.bottom; ++y) {
                std::uint32_t* row = target.pixels + static_cast<std::size_t>(y) * target.stride;
                std::fill(row + r.left, row + r.right, colour);
            }
        }
        if (target.solid != nullptr) {
            target.solid->Filled(r, colour);
        }
    }
    return D3D_OK;
}

HRESULT SoftDevice::SetViewport(const D3DVIEWPORT9* viewport) {
    if (viewport == nullptr || viewport->Width == 0 || viewport->Height == 0 ||
        viewport->X + viewport->Width > static_cast<DWORD>(backBuffer_->Width()) ||
        viewport->Y + viewport->Height > static_cast<DWORD>(backBuffer_->Height()) ||
        viewport->X >= static_cast<DWORD>(backBuffer_->Width()) ||
        viewport->Y >= static_cast<DWORD>(backBuffer_->Height())) {
        return D3DERR_INVALIDCALL;
    }
    viewport_ = *viewport;
    return D3D_OK;
}

HRESULT SoftDevice::GetViewport(D3DVIEWPORT9* viewport) {
    if (viewport == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT SoftDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    return states_.SetRenderState(state, value);
}

HRESULT SoftDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    return states_.GetRenderState(state, value);
}

HRESULT SoftDevice::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) {
    if (stage >= kStages || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = textures_[stage];
    if (*texture != nullptr) {
        (*texture)->AddRef();
    }
    return D3D_OK;
}

HRESULT SoftDevice::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) {
    if (stage >= kStages) {
        return D3DERR_INVALIDCALL;
    }
    // Kept columns sample the texture that may go with its binding.
    columns_.Flush();
    SoftTexture* soft = nullptr;
    if (texture != nullptr) {
        soft = dynamic_cast<SoftTexture*>(texture);
        if (soft == nullptr || soft->Owner() != this) {
            return D3DERR_INVALIDCALL;
        }
        soft->Bind();
    }
    if (SoftTexture* old = std::exchange(textures_[stage], soft)) {
        old->Unbind();
    }
    return D3D_OK;
}

HRESULT SoftDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    return states_.GetTextureStageState(stage, type, value);
}

HRESULT SoftDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    return states_.SetTextureStageState(stage, type, value);
}

HRESULT SoftDevice::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    return states_.GetSamplerState(sampler, type, value);
}

HRESULT SoftDevice::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    return states_.SetSamplerState(sampler, type, value);
}

HRESULT SoftDevice::SetFVF(DWORD fvf) {
    fvf_ = fvf;
    return D3D_OK;
}

HRESULT SoftDevice::GetFVF(DWORD* fvf) {
    if (fvf == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT SoftDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                                    UINT stride) {
    if (stream >= kStreams) {
        return D3DERR_INVALIDCALL;
    }
    SoftVertexBuffer* soft = nullptr;
    if (buffer != nullptr) {
        soft = dynamic_cast<SoftVertexBuffer*>(buffer);
        if (soft == nullptr || soft->Owner() != this) {
            return D3DERR_INVALIDCALL;
        }
        soft->Bind();
    }
    Stream& s = streams_[stream];
    if (SoftVertexBuffer* old = std::exchange(s.buffer, soft)) {
        old->Unbind();
    }
    s.offset = offset;
    s.stride = stride;
    return D3D_OK;
}

HRESULT SoftDevice::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset,
                                    UINT* stride) {
    if (stream >= kStreams || buffer == nullptr || offset == nullptr || stride == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const Stream& s = streams_[stream];
    *buffer = s.buffer;
    if (s.buffer != nullptr) {
        s.buffer->AddRef();
    }
    *offset = s.offset;
    *stride = s.stride;
    return D3D_OK;
}

bool SoftDevice::ResolveDrawState(DrawState* state) {
    if (!states_.Resolve(state)) {
        return false;
    }
    state->texture = textures_[0] != nullptr ? &textures_[0]->Storage() : nullptr;
    return true;
}

HRESULT SoftDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
    const Stream& stream = streams_[0];
    const UINT needed = VerticesFor(type, primitiveCount);
    DrawState state;
    if (!inScene_ || primitiveCount == 0 || needed == 0 || fvf_ != kVertexFormat ||
        stream.buffer == nullptr || stream.stride < sizeof(Vertex) || !ResolveDrawState(&state)) {
        return D3DERR_INVALIDCALL;
    }
    const std::vector<std::uint8_t>& bytes = stream.buffer->Bytes();
    const std::uint64_t end =
        stream.offset + (static_cast<std::uint64_t>(startVertex) + needed) * stream.stride;
    if (end - (stream.stride - sizeof(Vertex)) > bytes.size()) {
        return D3DERR_INVALIDCALL;
    }
    if (condition_ != DeviceCondition::kOperational) {
        return D3D_OK;
    }
    std::vector<Vertex> vertices(needed);
    for (UINT i = 0; i < needed; ++i) {
        std::memcpy(&vertices[i],
                    bytes.data() + stream.offset +
                        static_cast<std::size_t>(startVertex + i) * stream.stride,
                    sizeof(Vertex));
    }

    SoftSurface::Access access(*backBuffer_);
    Target target = backBuffer_->AsTarget();
    // A device context that is out may draw at any time: nothing is kept
    // while it is.
    if (!backBuffer_->DcOut()) {
        target.columns = &columns_;
    }
    target.clip = RECT{static_cast<LONG>(viewport_.X), static_cast<LONG>(viewport_.Y),
                       static_cast<LONG>(viewport_.X + viewport_.Width),
                       static_cast<LONG>(viewport_.Y + viewport_.Height)};
    const Vertex* v = vertices.data();
    switch (type) {
        case D3DPT_TRIANGLELIST:
            columns_.Flush();
            Touch(target, target.clip);
            for (UINT i = 0; i < primitiveCount; ++i) {
                DrawTriangle(target, state, v[3 * i], v[3 * i + 1], v[3 * i + 2]);
            }
            break;
        case D3DPT_TRIANGLEFAN:
            columns_.Flush();
            Touch(target, target.clip);
            for (UINT i = 0; i < primitiveCount; ++i) {
                DrawTriangle(target, state, v[0], v[i + 1], v[i + 2]);
            }
            break;
        default: {
            // A viewport under half the strip's width draws a band of it.
            const bool band =
                2.0f * static_cast<float>(viewport_.Width) < std::fabs(v[needed - 1].x - v[0].x);
            const StripPlan* plan =
                stripPlans_.Find(state, backBuffer_->Image() != nullptr, v, primitiveCount, band);
            if (plan != nullptr) {
                DrawStripPlan(target, backBuffer_->Image(), state, v, *plan);
            } else {
                DrawTriangleStrip(target, backBuffer_->Image(), state, v, primitiveCount);
            }
            break;
        }
    }
    return D3D_OK;
}

}  // namespace d3d9soft
