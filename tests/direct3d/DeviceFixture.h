#pragma once
// A headless desktop with one window and the software Direct3D on it, and
// devices made the way the module makes them.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "direct3d/D3D9Sim.h"
#include "direct3d/d3d9.h"
#include "platform/ComPtr.h"
#include "platform/HeadlessDesktop.h"
#include "platform/WinUser.h"
#include "tests/support/ImageCompare.h"

namespace d3d9test {

HWND MakeWindow(Desktop& desktop, RECT rect);

// The present parameters the module creates its devices with.
D3DPRESENT_PARAMETERS ModuleParameters(UINT width, UINT height);

// The echogram's states: texture times diffuse for colour and alpha, blended
// by source alpha, the filter both ways, its vertex format and the texture.
void SetEchogramStates(IDirect3DDevice9* device, IDirect3DTexture9* texture,
                       DWORD filter = D3DTEXF_POINT);

// The back buffer as an image, through a lock.
Image BackBufferImage(IDirect3DDevice9* device);

class D3DTest : public ::testing::Test {
  protected:
    explicit D3DTest(std::vector<RECT> monitors = {RECT{0, 0, 1920, 1080}})
        : desktop_(std::move(monitors)) {}
    void SetUp() override;
    void TearDown() override;

    // A device on adapter 0 with a back buffer of the given size.
    ComPtr<IDirect3DDevice9> MakeDevice(UINT width, UINT height);
    // Draws a triangle strip from memory through a vertex buffer.
    HRESULT DrawStrip(IDirect3DDevice9* device, const void* vertices, UINT count);

    HeadlessDesktop desktop_;
    HWND window_ = nullptr;
    ComPtr<IDirect3D9> d3d_;
};

}  // namespace d3d9test
