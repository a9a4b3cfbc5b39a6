// Small fixed scenes drawn through the Direct3D device, compared with
// committed pictures: echogram-like strips, and Direct3D and GDI drawing on
// one back buffer presented into a window.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "direct3d/DrawState.h"
#include "platform/CDC.h"
#include "tests/direct3d/DeviceFixture.h"

namespace {

using namespace d3d9test;
using d3d9soft::Vertex;

constexpr CompareOptions kExact{};

// 32 rows of 24 samples: bands of colour down each row that shift from row
// to row, half-transparent texels in rows 20 to 23.
void FillEchoTexture(IDirect3DTexture9* texture) {
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    static const std::uint32_t kBands[] = {0xFF0000A0u, 0xFF00A0FFu, 0xFF20E020u,
                                           0xFFFFE000u, 0xFFFF6000u, 0xFFE00000u};
    for (int row = 0; row < 32; ++row) {
        auto* texels = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                        row * locked.Pitch);
        for (int s = 0; s < 24; ++s) {
            std::uint32_t t = kBands[((s + row / 3) / 4) % 6];
            if (row >= 20 && row < 24) {
                t = (t & 0xFFFFFF) | 0x80000000u;
            }
            texels[s] = t;
        }
    }
    texture->UnlockRect(0);
}

// The echogram's strip: columns from x0, `step` apart, rows 0.., samples
// down from top to bottom, the first column on the row of the second.
std::vector<Vertex> Columns(int count, float x0, float step, float top, float bottom,
                            D3DCOLOR colour) {
    std::vector<Vertex> v;
    for (int i = 0; i < count; ++i) {
        const float x = x0 + step * static_cast<float>(i);
        const float row = static_cast<float>(i == 0 ? 1 : i) / 32;
        v.push_back(Vertex{x, top, 0.5f, 1, colour, 0, row});
        v.push_back(Vertex{x, bottom, 0.5f, 1, colour, 1, row});
    }
    return v;
}

class D3DGolden : public D3DTest {
  protected:
    Image StripScene(DWORD filter) {
        ComPtr<IDirect3DDevice9> device = MakeDevice(96, 64);
        ComPtr<IDirect3DTexture9> texture;
        EXPECT_EQ(device->CreateTexture(24, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Put(), nullptr),
                  D3D_OK);
        FillEchoTexture(texture.Get());
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF303848u, 1.0f, 0);
        device->BeginScene();
        SetEchogramStates(device.Get(), texture.Get(), filter);
        // Two runs at different heights, as after a change of depth window.
        const auto left = Columns(17, 4, 2.5f, 6, 58, 0xDCFFFFFFu);
        const auto right = Columns(12, 44, 4, 12, 50, 0xDCFFFFFFu);
        EXPECT_EQ(DrawStrip(device.Get(), left.data(), 34), D3D_OK);
        EXPECT_EQ(DrawStrip(device.Get(), right.data(), 24), D3D_OK);
        device->EndScene();
        device->SetTexture(0, nullptr);
        return BackBufferImage(device.Get());
    }
};

TEST_F(D3DGolden, StripWithPointFiltering) {
    EXPECT_TRUE(MatchesGolden(StripScene(D3DTEXF_POINT), "direct3d/strip-point.png", kExact));
}

TEST_F(D3DGolden, StripWithLinearFiltering) {
    EXPECT_TRUE(MatchesGolden(StripScene(D3DTEXF_LINEAR), "direct3d/strip-linear.png", kExact));
}

TEST_F(D3DGolden, ClearGdiAndStripOnOneBackBufferPresented) {
    const HWND window = MakeWindow(desktop_, RECT{300, 200, 420, 280});
    ComPtr<IDirect3DDevice9> device = MakeDevice(1920, 1080);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFE8ECF0u, 1.0f, 0);

    ComPtr<IDirect3DSurface9> backBuffer;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Put()), D3D_OK);
    HDC hdc = nullptr;
    ASSERT_EQ(backBuffer->GetDC(&hdc), D3D_OK);
    CDC* dc = CDC::FromHandle(hdc);
    dc->FillSolidRect(10, 10, 60, 40, RGB(200, 40, 40));
    // Direct3D draws while the context is out: both reach the same pixels,
    // in the order they were drawn.
    const D3DRECT band{40, 20, 100, 30};
    device->Clear(1, &band, D3DCLEAR_TARGET, 0xFF2050C0u, 1.0f, 0);
    dc->FillSolidRect(50, 24, 10, 40, RGB(20, 140, 20));
    EXPECT_EQ(backBuffer->ReleaseDC(hdc), D3D_OK);

    ComPtr<IDirect3DTexture9> texture;
    device->CreateTexture(24, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Put(), nullptr);
    FillEchoTexture(texture.Get());
    device->BeginScene();
    SetEchogramStates(device.Get(), texture.Get());
    const auto strip = Columns(25, 70, 2, 36, 76, 0xB4FFFFFFu);
    ASSERT_EQ(DrawStrip(device.Get(), strip.data(), 50), D3D_OK);
    device->EndScene();
    device->SetTexture(0, nullptr);

    ASSERT_EQ(backBuffer->GetDC(&hdc), D3D_OK);
    CDC::FromHandle(hdc)->FillSolidRect(100, 60, 30, 10, RGB(250, 250, 250));
    EXPECT_EQ(backBuffer->ReleaseDC(hdc), D3D_OK);
    backBuffer.Reset();

    const RECT part{0, 0, 120, 80};
    ASSERT_EQ(device->Present(&part, &part, window, nullptr), D3D_OK);
    const PixelImage shown = desktop_.CaptureWindow(window);
    const Image image =
        ImageFromPixels(shown.pixels.data(), shown.width, shown.height, shown.width * 4, true);
    EXPECT_EQ(image.At(15, 15), 0xFFC82828u);   // GDI
    EXPECT_EQ(image.At(45, 25), 0xFF2050C0u);   // Direct3D over GDI
    EXPECT_EQ(image.At(55, 25), 0xFF148C14u);   // GDI over Direct3D
    EXPECT_EQ(image.At(110, 65), 0xFFFAFAFAu);  // GDI over the strip
    EXPECT_TRUE(MatchesGolden(image, "direct3d/present-mixed.png", kExact));
}

}  // namespace
