#include "tests/direct3d/DeviceFixture.h"

#include <cstring>

namespace d3d9test {

HWND MakeWindow(Desktop& desktop, RECT rect) {
    CREATESTRUCTA create;
    create.x = rect.left;
    create.y = rect.top;
    create.cx = rect.right - rect.left;
    create.cy = rect.bottom - rect.top;
    create.style = static_cast<LONG>(WS_POPUP | WS_VISIBLE);
    return desktop.CreateWindowHandle(DefWindowProcA, create);
}

D3DPRESENT_PARAMETERS ModuleParameters(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = width;
    p.BackBufferHeight = height;
    p.BackBufferFormat = D3DFMT_UNKNOWN;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    p.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    return p;
}

void SetEchogramStates(IDirect3DDevice9* device, IDirect3DTexture9* texture, DWORD filter) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetFVF(0x144);
    device->SetTexture(0, texture);
}

Image BackBufferImage(IDirect3DDevice9* device) {
    ComPtr<IDirect3DSurface9> surface;
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.Put()) != D3D_OK ||
        surface->GetDesc(&desc) != D3D_OK || surface->LockRect(&locked, nullptr, 0) != D3D_OK) {
        return Image();
    }
    Image image = ImageFromPixels(locked.pBits, static_cast<int>(desc.Width),
                                  static_cast<int>(desc.Height), locked.Pitch, true);
    surface->UnlockRect();
    return image;
}

void D3DTest::SetUp() {
    d3d9sim::ResetLimits();
    window_ = MakeWindow(desktop_, RECT{100, 100, 164, 148});
    ASSERT_NE(window_, nullptr);
    d3d_ = ComPtr<IDirect3D9>::Adopt(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_NE(d3d_.Get(), nullptr);
}

void D3DTest::TearDown() {
    d3d9sim::ResetLimits();
}

ComPtr<IDirect3DDevice9> D3DTest::MakeDevice(UINT width, UINT height) {
    D3DPRESENT_PARAMETERS p = ModuleParameters(width, height);
    ComPtr<IDirect3DDevice9> device;
    const HRESULT hr =
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktop_.GetDesktopWindow(), 0x22, &p, device.Put());
    EXPECT_EQ(hr, D3D_OK);
    return device;
}

HRESULT D3DTest::DrawStrip(IDirect3DDevice9* device, const void* vertices, UINT count) {
    ComPtr<IDirect3DVertexBuffer9> buffer;
    HRESULT hr =
        device->CreateVertexBuffer(count * 28, 0, 0x144, D3DPOOL_DEFAULT, buffer.Put(), nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    void* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices, count * 28);
    buffer->Unlock();
    device->SetStreamSource(0, buffer.Get(), 0, 28);
    hr = device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, count - 2);
    device->SetStreamSource(0, nullptr, 0, 0);
    return hr;
}

}  // namespace d3d9test
