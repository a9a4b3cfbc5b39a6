// The Direct3D objects as the module calls them: adapters, creation, states,
// resources and their reference counts, presentation and lost devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "direct3d/DrawState.h"
#include "direct3d/SoftDevice.h"
#include "platform/CDC.h"
#include "tests/direct3d/DeviceFixture.h"

namespace {

using namespace d3d9test;
using d3d9sim::DeviceCondition;
using d3d9soft::Vertex;

class TwoMonitors : public D3DTest {
  protected:
    TwoMonitors() : D3DTest({RECT{0, 0, 1920, 1080}, RECT{1920, 0, 3200, 1024}}) {}
};

TEST_F(TwoMonitors, AdaptersAreTheDesktopsMonitors) {
    EXPECT_EQ(Direct3DCreate9(30), nullptr);
    ASSERT_EQ(d3d_->GetAdapterCount(), 2u);
    const std::vector<HMONITOR> monitors = desktop_.GetMonitors();
    EXPECT_EQ(d3d_->GetAdapterMonitor(0), monitors[0]);
    EXPECT_EQ(d3d_->GetAdapterMonitor(1), monitors[1]);
    EXPECT_EQ(d3d_->GetAdapterMonitor(2), nullptr);

    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(1, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1280u);
    EXPECT_EQ(mode.Height, 1024u);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(d3d_->GetAdapterDisplayMode(2, &mode), D3DERR_INVALIDCALL);
}

TEST_F(D3DTest, CapabilitiesAndFormatsFollowTheLimits) {
    d3d9sim::Limits limits;
    limits.maxTextureWidth = 2048;
    limits.maxTextureHeight = 1024;
    limits.refusedTextureFormats = {D3DFMT_A8R8G8B8};
    d3d9sim::SetLimits(limits);
    D3DCAPS9 caps;
    ASSERT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.MaxTextureHeight, 1024u);
    EXPECT_EQ(d3d_->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);

    auto check = [&](D3DFORMAT f) {
        return d3d_->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, f);
    };
    EXPECT_EQ(check(D3DFMT_A8R8G8B8), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(check(D3DFMT_A4R4G4B4), D3D_OK);
    EXPECT_EQ(check(D3DFMT_R5G6B5), D3D_OK);
    EXPECT_EQ(check(D3DFMT_R8G8B8), D3DERR_NOTAVAILABLE);

    ComPtr<IDirect3DDevice9> device = MakeDevice(64, 48);
    ComPtr<IDirect3DTexture9> texture;
    EXPECT_EQ(device->CreateTexture(2048, 1024, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED,
                                    texture.Put(), nullptr),
              D3D_OK);
    EXPECT_EQ(device->CreateTexture(2049, 16, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, texture.Put(),
                                    nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.Put(),
                                    nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(D3DTest, CreationChecksAndCompletesThePresentParameters) {
    D3DPRESENT_PARAMETERS p = ModuleParameters(640, 480);
    ComPtr<IDirect3DDevice9> device;
    const HWND desktopWindow = desktop_.GetDesktopWindow();
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktopWindow, 0, &p, device.Put()),
              D3DERR_INVALIDCALL);  // no vertex processing named
    EXPECT_EQ(d3d_->CreateDevice(1, D3DDEVTYPE_HAL, desktopWindow, 0x22, &p, device.Put()),
              D3DERR_INVALIDCALL);
    p.Windowed = FALSE;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktopWindow, 0x22, &p, device.Put()),
              D3DERR_NOTAVAILABLE);
    p = ModuleParameters(640, 480);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktopWindow, 0x22, &p, device.Put()), D3D_OK);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 1u);

    D3DDEVICE_CREATION_PARAMETERS creation;
    ASSERT_EQ(device->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.AdapterOrdinal, 0u);
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_EQ(creation.hFocusWindow, desktopWindow);
    EXPECT_EQ(creation.BehaviorFlags, 0x22u);

    // A zero size is the device window's client size.
    p = ModuleParameters(0, 0);
    p.hDeviceWindow = window_;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, 0x22, &p, device.Put()), D3D_OK);
    EXPECT_EQ(p.BackBufferWidth, 64u);
    EXPECT_EQ(p.BackBufferHeight, 48u);

    d3d9sim::Limits limits;
    limits.maxBackBufferWidth = 1024;
    d3d9sim::SetLimits(limits);
    p = ModuleParameters(1920, 1080);
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktopWindow, 0x22, &p, device.Put()),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device.Get(), nullptr);
}

TEST_F(D3DTest, ObjectsCountReferencesAndHoldWhatTheyNeed) {
    IDirect3DDevice9* device = MakeDevice(32, 32).Detach();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(d3d_->AddRef(), 3u);  // the test, the device, this call
    EXPECT_EQ(d3d_->Release(), 2u);
    IDirect3D9* parent = nullptr;
    ASSERT_EQ(device->GetDirect3D(&parent), D3D_OK);
    EXPECT_EQ(parent, d3d_.Get());
    EXPECT_EQ(parent->Release(), 2u);

    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    EXPECT_EQ(device->AddRef(), 3u);  // the test, the texture, this call
    EXPECT_EQ(device->Release(), 2u);
    EXPECT_EQ(texture->AddRef(), 2u);
    EXPECT_EQ(texture->Release(), 1u);

    // A set texture stays usable after the caller lets go, without keeping
    // the device alive.
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, texture);
    EXPECT_EQ(bound->Release(), 0u);

    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &backBuffer),
              D3DERR_INVALIDCALL);
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(backBuffer->Release(), 1u);
    EXPECT_EQ(device->Release(), 1u);  // the back buffer still holds it
    EXPECT_EQ(backBuffer->Release(), 0u);
    EXPECT_EQ(d3d_->AddRef(), 2u);  // the device is gone
    d3d_->Release();
}

TEST_F(D3DTest, StatesStartAtTheirDefaultsAndRefuseBadIndices) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(32, 32);
    DWORD value = 0;
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DCULL_NONE));
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, 0u);
    device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_MODULATE));
    device->GetTextureStageState(0, D3DTSS_ALPHAOP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_SELECTARG1));
    device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, static_cast<DWORD>(D3DTOP_DISABLE));

    EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(16, D3DSAMP_MINFILTER, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(300), 0), D3DERR_INVALIDCALL);
}

TEST_F(D3DTest, ClearFillsTheViewport) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(8, 6);
    D3DVIEWPORT9 view;
    ASSERT_EQ(device->GetViewport(&view), D3D_OK);
    EXPECT_EQ(view.Width, 8u);
    EXPECT_EQ(view.Height, 6u);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0), D3D_OK);
    const D3DVIEWPORT9 inner{2, 1, 3, 4, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&inner), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
    const D3DRECT rect{0, 0, 3, 2};  // cut down to the viewport
    ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    const D3DVIEWPORT9 outside{4, 0, 5, 6, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&outside), D3DERR_INVALIDCALL);

    const Image image = BackBufferImage(device.Get());
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            std::uint32_t expected = 0xFF102030u;
            if (x >= 2 && x < 5 && y >= 1 && y < 5) {
                expected = (x == 2 && y == 1) ? 0xFF0000FFu : 0xFFFFFFFFu;
            }
            EXPECT_EQ(image.At(x, y), expected) << x << "," << y;
        }
    }
}

// Fills a texture through locks of one row at a time, as the echogram does.
void FillRows(IDirect3DTexture9* texture, int width, int rows, D3DFORMAT format) {
    const int size = format == D3DFMT_A8R8G8B8 ? 4 : 2;
    for (int row = 0; row < rows; ++row) {
        const RECT r{0, row, width, row + 1};
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, &r, 0), D3D_OK);
        auto* bytes = static_cast<std::uint8_t*>(locked.pBits);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t argb = 0xFF000000u | (static_cast<std::uint32_t>(row) << 20) |
                                       (static_cast<std::uint32_t>(x) << 4);
            if (size == 4) {
                std::memcpy(bytes + 4 * x, &argb, 4);
            } else {
                const std::uint16_t v = static_cast<std::uint16_t>(0xF000 | (row << 8) | x);
                std::memcpy(bytes + 2 * x, &v, 2);
            }
        }
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
    }
}

TEST_F(D3DTest, TexturesLockSubRectanglesOfTheirOnlyLevel) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(16, 16);
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}) {
        ComPtr<IDirect3DTexture9> texture;
        ASSERT_EQ(device->CreateTexture(1024, 1024, 1, 0, format, D3DPOOL_MANAGED, texture.Put(),
                                        nullptr),
                  D3D_OK);
        EXPECT_EQ(texture->GetLevelCount(), 1u);
        const int size = format == D3DFMT_A8R8G8B8 ? 4 : 2;
        // Each texel's bytes tell where it is; a locked rectangle shows the
        // texels it covers, row after row Pitch bytes apart.
        const auto mark = [](int x, int y, int byte) {
            return static_cast<std::uint8_t>((x * 7 + y * 13 + byte * 5) & 0xFF);
        };
        D3DLOCKED_RECT whole, part;
        ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
        EXPECT_EQ(texture->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);
        EXPECT_GE(whole.Pitch, 1024 * size);
        for (int y = 0; y < 1024; ++y) {
            auto* row = static_cast<std::uint8_t*>(whole.pBits) + y * whole.Pitch;
            for (int x = 0; x < 1024; ++x) {
                for (int b = 0; b < size; ++b) {
                    row[x * size + b] = mark(x, y, b);
                }
            }
        }
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
        EXPECT_EQ(texture->UnlockRect(0), D3DERR_INVALIDCALL);
        const auto expectShows = [&](const RECT& r) {
            ASSERT_EQ(texture->LockRect(0, &part, &r, D3DLOCK_READONLY), D3D_OK);
            for (int y = r.top; y < r.bottom; ++y) {
                const auto* row =
                    static_cast<const std::uint8_t*>(part.pBits) + (y - r.top) * part.Pitch;
                for (int x = r.left; x < r.right; ++x) {
                    for (int b = 0; b < size; ++b) {
                        ASSERT_EQ(row[(x - r.left) * size + b], mark(x, y, b))
                            << x << "," << y << " in a lock from " << r.left << "," << r.top;
                    }
                }
            }
            texture->UnlockRect(0);
        };
        expectShows(RECT{0, 700, 1024, 703});
        expectShows(RECT{10, 20, 11, 21});
        expectShows(RECT{1000, 3, 1024, 9});
        const RECT outside{0, 1020, 1024, 1025};
        EXPECT_EQ(texture->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
        EXPECT_EQ(texture->LockRect(1, &part, nullptr, 0), D3DERR_INVALIDCALL);
    }
}

std::vector<Vertex> Quad(float x0, float y0, float x1, float y1, D3DCOLOR colour) {
    // Texture rows across, samples down, as the echogram maps them.
    return {Vertex{x0, y0, 0.5f, 1, colour, 0, 0}, Vertex{x0, y1, 0.5f, 1, colour, 1, 0},
            Vertex{x1, y0, 0.5f, 1, colour, 0, 1}, Vertex{x1, y1, 0.5f, 1, colour, 1, 1}};
}

// Writes colour into the rectangle of the back buffer through a lock, or
// reads the whole back buffer through a read-only one.
void LockFill(IDirect3DDevice9* device, const RECT& r, std::uint32_t colour) {
    ComPtr<IDirect3DSurface9> surface;
    D3DLOCKED_RECT locked;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.Put()), D3D_OK);
    ASSERT_EQ(surface->LockRect(&locked, &r, 0), D3D_OK);
    for (LONG y = 0; y < r.bottom - r.top; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) +
                                                     y * locked.Pitch);
        std::fill(row, row + (r.right - r.left), colour);
    }
    surface->UnlockRect();
}

std::vector<std::uint32_t> ReadBack(IDirect3DDevice9* device, int width, int height) {
    ComPtr<IDirect3DSurface9> surface;
    D3DLOCKED_RECT locked;
    std::vector<std::uint32_t> pixels;
    if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.Put()) == D3D_OK &&
        surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(
                static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch);
            pixels.insert(pixels.end(), row, row + width);
        }
        surface->UnlockRect();
    }
    return pixels;
}

TEST_F(D3DTest, DrawsOntoAClearedAreaBlendWithWhatEachPixelHolds) {
    // The device may blend with the colour of a clear without reading the
    // pixels: every strip below lies on pixels that a strip, a lock or a
    // device context changed since, but for the first and the last. The
    // same frame on a back buffer filled through a lock, of which nothing is
    // known, must come out the same, unused byte included.
    constexpr int kWidth = 96, kHeight = 64;
    std::mt19937 random(5);
    std::vector<std::uint32_t> texels(16 * 16);
    for (std::size_t i = 0; i < texels.size(); ++i) {
        // Samples 5 to 8 are empty, as an echogram's background.
        const int sample = static_cast<int>(i % 16);
        texels[i] = sample >= 5 && sample < 9 ? 0u : static_cast<std::uint32_t>(random());
    }
    for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
        std::vector<std::uint32_t> frames[2];
        for (int cleared = 0; cleared < 2; ++cleared) {
            ComPtr<IDirect3DDevice9> device = MakeDevice(kWidth, kHeight);
            ComPtr<IDirect3DTexture9> texture;
            ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            texture.Put(), nullptr),
                      D3D_OK);
            D3DLOCKED_RECT locked;
            ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
            for (int y = 0; y < 16; ++y) {
                std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                            texels.data() + 16 * y, 16 * 4);
            }
            texture->UnlockRect(0);
            SetEchogramStates(device.Get(), texture.Get(), filter);
            auto fill = [&](const RECT& r, std::uint32_t colour) {
                if (cleared == 1) {
                    const D3DRECT d{r.left, r.top, r.right, r.bottom};
                    ASSERT_EQ(device->Clear(1, &d, D3DCLEAR_TARGET, colour, 1.0f, 0), D3D_OK);
                } else {
                    LockFill(device.Get(), r, colour);
                }
            };
            auto strip = [&](float x0, float y0, float x1, float y1) {
                device->BeginScene();
                const auto quad = Quad(x0, y0, x1, y1, 0xDCFFFFFFu);
                ASSERT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3D_OK);
                device->EndScene();
            };
            fill(RECT{0, 0, kWidth, kHeight}, 0xFF204060u);
            strip(0, 0, 32, kHeight);
            strip(16, 0, 48, kHeight);  // over the first
            LockFill(device.Get(), RECT{56, 8, 64, 16}, 0xFFF0E0D0u);
            strip(52, 0, 72, kHeight);  // over the lock's pixels
            ComPtr<IDirect3DSurface9> surface;
            HDC dc = nullptr;
            ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.Put()), D3D_OK);
            ASSERT_EQ(surface->GetDC(&dc), D3D_OK);
            CDC::FromHandle(dc)->FillSolidRect(RECT{80, 40, 88, 48}, RGB(200, 30, 90));
            ASSERT_EQ(surface->ReleaseDC(dc), D3D_OK);
            strip(76, 16, 96, kHeight);  // over the context's pixels
            fill(RECT{0, 0, 40, 32}, 0xFF80FF10u);
            strip(0, 0, 40, 32);
            frames[cleared] = ReadBack(device.Get(), kWidth, kHeight);
        }
        ASSERT_EQ(frames[0].size(), std::size_t{kWidth * kHeight});
        EXPECT_TRUE(frames[0] == frames[1]) << "filter " << filter;
    }
}

TEST_F(D3DTest, ColumnsKeptWithinASceneComeOutAsDrawnOneByOne) {
    // The device keeps columns of one sweep to draw them together, band by
    // band. Random columns (windows past the edges, both filters, two
    // opacities, blended or not, some over each other) mixed with what must
    // draw them first (wider quads, triangle lists, clears, a texture's
    // lock, the back buffer's lock and device context) come out as the same
    // frame with a scene around each draw, where nothing waits.
    constexpr int kWidth = 90, kHeight = 150, kSamples = 40, kSweeps = 24;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        std::vector<std::uint32_t> frames[2];
        std::size_t mostKept = 0;
        for (int oneByOne = 0; oneByOne < 2; ++oneByOne) {
            std::mt19937 random(seed);
            ComPtr<IDirect3DDevice9> device = MakeDevice(kWidth, kHeight);
            ComPtr<IDirect3DTexture9> texture;
            ASSERT_EQ(device->CreateTexture(kSamples, kSweeps, 1, 0, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED, texture.Put(), nullptr),
                      D3D_OK);
            auto writeTexels = [&](int firstRow, int rows) {
                D3DLOCKED_RECT locked;
                const RECT r{0, firstRow, kSamples, firstRow + rows};
                ASSERT_EQ(texture->LockRect(0, &locked, &r, 0), D3D_OK);
                for (int y = 0; y < rows; ++y) {
                    auto* row = reinterpret_cast<std::uint32_t*>(
                        static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
                    for (int x = 0; x < kSamples; ++x) {
                        // A colour scale's few premultiplied colours, as the
                        // echogram's, which the texture keeps as a palette;
                        // some empty, as below a bottom.
                        const std::uint32_t a = random() % 4 == 0 ? 0 : 0x80 + random() % 4 * 0x20;
                        const std::uint32_t c = a * (random() % 4) / 3;
                        row[x] = a << 24 | c << 16 | (c / 2) << 8 | (a - c / 3);
                    }
                }
                texture->UnlockRect(0);
            };
            writeTexels(0, kSweeps);
            SetEchogramStates(device.Get(), texture.Get(), D3DTEXF_LINEAR);
            auto* soft = dynamic_cast<d3d9soft::SoftDevice*>(device.Get());
            ASSERT_NE(soft, nullptr);
            auto uniform = [&](int n) { return static_cast<float>(random() % (n + 1)); };
            auto draw = [&](const std::vector<Vertex>& v) {
                ASSERT_EQ(DrawStrip(device.Get(), v.data(), static_cast<UINT>(v.size())), D3D_OK);
                mostKept = std::max(mostKept, soft->KeptColumns());
                if (oneByOne == 1) {
                    device->EndScene();
                    device->BeginScene();
                }
            };
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040u, 1.0f, 0);
            device->BeginScene();
            D3DCOLOR colour = 0xDCFFFFFFu;
            for (int step = 0; step < 240; ++step) {
                const int what = static_cast<int>(random() % 80) - 40;
                if (what < 29) {
                    // A column of one sweep, one or two pixels wide or a
                    // fraction, its window anywhere.
                    const float x = uniform(kWidth + 4) - 2 + uniform(3) / 4;
                    const float w = 0.5f + uniform(6) / 4;
                    const float top = uniform(kHeight + 40) - 20, bottom = top + 1 + uniform(160);
                    const float v = (uniform(kSweeps * 4) - 4) / (kSweeps * 4.0f);
                    const float u0 = (uniform(16) - 4) / kSamples, u1 = u0 + uniform(60) / 40;
                    draw({Vertex{x, top, 0.5f, 1, colour, u0, v},
                          Vertex{x, bottom, 0.5f, 1, colour, u1, v},
                          Vertex{x + w, top, 0.5f, 1, colour, u0, v},
                          Vertex{x + w, bottom, 0.5f, 1, colour, u1, v}});
                } else if (what == 30) {
                    draw(
                        Quad(uniform(40), uniform(60), 50 + uniform(40), 70 + uniform(80), colour));
                } else if (what == 29) {
                    // A strip whose quad is no rectangle: rasterised.
                    std::vector<Vertex> skewed =
                        Quad(uniform(40), uniform(60), 50 + uniform(40), 70 + uniform(80), colour);
                    skewed[3].x += 7;
                    draw(skewed);
                } else if (what == 31) {
                    const std::vector<Vertex> triangle = {
                        Vertex{uniform(kWidth), uniform(kHeight), 0.5f, 1, colour, 0.2f, 0.3f},
                        Vertex{uniform(kWidth), uniform(kHeight), 0.5f, 1, colour, 0.9f, 0.1f},
                        Vertex{uniform(kWidth), uniform(kHeight), 0.5f, 1, colour, 0.5f, 0.8f}};
                    ComPtr<IDirect3DVertexBuffer9> buffer;
                    void* data = nullptr;
                    ASSERT_EQ(device->CreateVertexBuffer(3 * sizeof(Vertex), 0, 0x144,
                                                         D3DPOOL_DEFAULT, buffer.Put(), nullptr),
                              D3D_OK);
                    buffer->Lock(0, 0, &data, 0);
                    std::memcpy(data, triangle.data(), 3 * sizeof(Vertex));
                    buffer->Unlock();
                    device->SetStreamSource(0, buffer.Get(), 0, sizeof(Vertex));
                    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
                    device->SetStreamSource(0, nullptr, 0, 0);
                } else if (what == 32) {
                    const LONG x = static_cast<LONG>(uniform(kWidth - 10));
                    const LONG y = static_cast<LONG>(uniform(kHeight - 10));
                    const D3DRECT r{x, y, x + 10, y + 40};
                    device->Clear(1, &r, D3DCLEAR_TARGET, random() | 0xFF000000u, 1.0f, 0);
                } else if (what == 33) {
                    // A whole texture's lock writes into its sampling copy.
                    if (random() % 2 == 0) {
                        writeTexels(0, kSweeps);
                    } else {
                        writeTexels(static_cast<int>(random() % kSweeps), 1);
                    }
                } else if (what == 34) {
                    const LONG x = static_cast<LONG>(uniform(kWidth - 6));
                    LockFill(device.Get(), RECT{x, 10, x + 6, 90}, 0xFFE0C0A0u);
                } else if (what == 35) {
                    ComPtr<IDirect3DSurface9> surface;
                    HDC dc = nullptr;
                    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.Put()),
                              D3D_OK);
                    ASSERT_EQ(surface->GetDC(&dc), D3D_OK);
                    const LONG x = static_cast<LONG>(uniform(kWidth - 8));
                    CDC::FromHandle(dc)->FillSolidRect(RECT{x, 30, x + 8, 120}, RGB(200, 30, 90));
                    ASSERT_EQ(surface->ReleaseDC(dc), D3D_OK);
                } else if (what == 36) {
                    device->SetRenderState(D3DRS_ALPHABLENDENABLE, random() % 2);
                } else if (what == 37) {
                    // Another opacity samples another copy of the texture.
                    colour ^= 0x23000000u;
                } else {
                    const DWORD filter = random() % 2 == 0 ? D3DTEXF_POINT : D3DTEXF_LINEAR;
                    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
                    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
                }
            }
            device->EndScene();
            EXPECT_EQ(soft->KeptColumns(), 0u);
            frames[oneByOne] = ReadBack(device.Get(), kWidth, kHeight);
        }
        // Columns were kept, many at a time, in the first frame.
        EXPECT_GT(mostKept, 10u) << "seed " << seed;
        ASSERT_EQ(frames[0].size(), std::size_t{kWidth * kHeight});
        std::size_t differ = 0;
        for (std::size_t i = 0; i < frames[0].size(); ++i) {
            differ += frames[0][i] != frames[1][i];
        }
        EXPECT_EQ(differ, 0u) << "seed " << seed;
    }
}

TEST_F(D3DTest, TexelsOfBothFormatsReachTheScreen) {
    // 16 x 16 texels, one pixel each: row r across x, sample s down y.
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}) {
        ComPtr<IDirect3DDevice9> device = MakeDevice(16, 16);
        ComPtr<IDirect3DTexture9> texture;
        ASSERT_EQ(
            device->CreateTexture(16, 16, 1, 0, format, D3DPOOL_MANAGED, texture.Put(), nullptr),
            D3D_OK);
        FillRows(texture.Get(), 16, 16, format);
        SetEchogramStates(device.Get(), texture.Get());
        device->BeginScene();
        const auto quad = Quad(0, 0, 16, 16, 0xFFFFFFFFu);
        ASSERT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3D_OK);
        device->EndScene();
        const Image image = BackBufferImage(device.Get());
        for (int y = 0; y < 16; y += 5) {
            for (int x = 0; x < 16; x += 3) {
                // Red is the texture row, blue the sample; 4-bit channels
                // widen by repetition (0x3 becomes 0x33).
                const auto wide = [&](int n) {
                    return static_cast<std::uint32_t>(format == D3DFMT_A8R8G8B8 ? n << 4 : n * 17);
                };
                const std::uint32_t expected = 0xFF000000u | wide(x) << 16 | wide(y);
                EXPECT_EQ(image.At(x, y), expected) << x << "," << y << " format " << format;
            }
        }
    }
}

TEST_F(D3DTest, DrawingChecksItsInputs) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(16, 16);
    const auto quad = Quad(0, 0, 16, 16, 0xFFFFFFFFu);
    device->SetFVF(0x144);
    EXPECT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3DERR_INVALIDCALL);  // no scene
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);  // no stream
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    EXPECT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3DERR_INVALIDCALL);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetFVF(0x142);
    EXPECT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3DERR_INVALIDCALL);
    device->SetFVF(0x144);

    ComPtr<IDirect3DVertexBuffer9> shortBuffer;
    ASSERT_EQ(
        device->CreateVertexBuffer(3 * 28, 0, 0x144, D3DPOOL_DEFAULT, shortBuffer.Put(), nullptr),
        D3D_OK);
    device->SetStreamSource(0, shortBuffer.Get(), 0, 28);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 1), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_LINELIST, 0, 1), D3DERR_INVALIDCALL);
    device->SetStreamSource(0, nullptr, 0, 0);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(D3DTest, PresentCopiesARectangleIntoTheWindow) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(200, 100);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
    const D3DRECT red{10, 10, 20, 20};
    device->Clear(1, &red, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    const RECT source{0, 0, 64, 48};
    ASSERT_EQ(device->Present(&source, &source, window_, nullptr), D3D_OK);
    const PixelImage shown = desktop_.CaptureWindow(window_);
    ASSERT_EQ(shown.width, 64);
    EXPECT_EQ(shown.At(0, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown.At(15, 15) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown.At(63, 47) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(desktop_.PresentCount(window_), 1);

    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Present(&source, &source, window_, nullptr), D3DERR_INVALIDCALL);
    device->EndScene();
    EXPECT_EQ(device->Present(&source, &source, reinterpret_cast<HWND>(0x7777), nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(D3DTest, AWholeFrameIsHandedToTheWindowUnlessTheSwapChainCopies) {
    for (const D3DSWAPEFFECT effect : {D3DSWAPEFFECT_DISCARD, D3DSWAPEFFECT_COPY}) {
        SCOPED_TRACE(effect);
        const bool flips = effect != D3DSWAPEFFECT_COPY;
        D3DPRESENT_PARAMETERS p = ModuleParameters(64, 48);
        p.SwapEffect = effect;
        ComPtr<IDirect3DDevice9> device;
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktop_.GetDesktopWindow(), 0x22, &p,
                                     device.Put()),
                  D3D_OK);
        auto shownAt = [&](int x, int y) {
            return desktop_.CaptureWindow(window_).At(x, y) & 0xFFFFFF;
        };
        const int presents = desktop_.PresentCount(window_);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
        ASSERT_EQ(device->Present(nullptr, nullptr, window_, nullptr), D3D_OK);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
        ASSERT_EQ(device->Present(nullptr, nullptr, window_, nullptr), D3D_OK);
        EXPECT_EQ(shownAt(5, 5), 0xFF0000u);

        // Textured draws go to the buffer's pixels, not to the window's, and
        // blend with what the buffer holds now.
        ComPtr<IDirect3DTexture9> texture;
        ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                        texture.Put(), nullptr),
                  D3D_OK);
        FillRows(texture.Get(), 16, 16, D3DFMT_A8R8G8B8);
        SetEchogramStates(device.Get(), texture.Get());
        device->BeginScene();
        const auto quad = Quad(0, 0, 16, 16, 0x80FFFFFFu);
        ASSERT_EQ(DrawStrip(device.Get(), quad.data(), 4), D3D_OK);
        device->EndScene();
        // Half of texel row 3 (red 0x30) and sample 5 (blue 0x50) over half
        // of the green or the red.
        const Image buffer = BackBufferImage(device.Get());
        // Handed over, the buffer holds the frame the window showed before.
        EXPECT_EQ(buffer.At(40, 40) & 0xFFFFFF, flips ? 0x00FF00u : 0xFF0000u);
        const std::uint32_t drawn = buffer.At(3, 5) & 0xFFFFFF;
        EXPECT_NEAR(drawn >> 16, flips ? 0x18 : 0x97, 1);
        EXPECT_NEAR(drawn >> 8 & 0xFF, flips ? 0x7F : 0, 1);
        EXPECT_NEAR(drawn & 0xFF, 0x28, 1);
        EXPECT_EQ(shownAt(3, 5), 0xFF0000u);
        ASSERT_EQ(device->Present(nullptr, nullptr, window_, nullptr), D3D_OK);
        EXPECT_EQ(shownAt(3, 5), drawn);
        EXPECT_EQ(shownAt(40, 40), flips ? 0x00FF00u : 0xFF0000u);
        EXPECT_EQ(desktop_.PresentCount(window_), presents + 3);
        // A part of the frame is copied, and the buffer keeps what it holds.
        const RECT part{0, 0, 32, 24};
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
        ASSERT_EQ(device->Present(&part, &part, window_, nullptr), D3D_OK);
        EXPECT_EQ(shownAt(5, 5), 0x0000FFu);
        EXPECT_EQ(BackBufferImage(device.Get()).At(40, 40) & 0xFFFFFF, 0x0000FFu);
    }
}

TEST_F(D3DTest, ALostDeviceFailsToPresentUntilReset) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(64, 48);
    ComPtr<IDirect3DTexture9> managed;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, managed.Put(),
                                    nullptr),
              D3D_OK);
    FillRows(managed.Get(), 16, 16, D3DFMT_A8R8G8B8);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    const RECT r{0, 0, 64, 48};
    ASSERT_EQ(device->Present(&r, &r, window_, nullptr), D3D_OK);

    ASSERT_TRUE(d3d9sim::SetDeviceCondition(device.Get(), DeviceCondition::kLost));
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(&r, &r, window_, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS p = ModuleParameters(64, 48);
    EXPECT_EQ(device->Reset(&p), D3DERR_DEVICELOST);  // not yet

    // Drawing succeeds and draws nothing meanwhile.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    d3d9sim::SetDeviceCondition(device.Get(), DeviceCondition::kNotReset);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(&r, &r, window_, nullptr), D3DERR_DEVICELOST);

    // Default-pool resources and back-buffer references must go first.
    ComPtr<IDirect3DVertexBuffer9> buffer;
    device->CreateVertexBuffer(28 * 4, 0, 0x144, D3DPOOL_DEFAULT, buffer.Put(), nullptr);
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
    buffer.Reset();
    ComPtr<IDirect3DSurface9> backBuffer;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, backBuffer.Put());
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
    backBuffer.Reset();

    p = ModuleParameters(32, 24);
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(&r, &r, window_, nullptr), D3DERR_INVALIDCALL);  // 32 x 24 now
    const RECT small{0, 0, 32, 24};
    EXPECT_EQ(device->Present(&small, &small, window_, nullptr), D3D_OK);
    DWORD blend = TRUE;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    EXPECT_EQ(blend, 0u);  // states back to their defaults

    // The managed texture kept its texels.
    D3DLOCKED_RECT locked;
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::uint32_t texel;
    std::memcpy(&texel, static_cast<std::uint8_t*>(locked.pBits) + 5 * locked.Pitch + 4 * 3, 4);
    managed->UnlockRect(0);
    EXPECT_EQ(texel, 0xFF500030u);
}

TEST_F(D3DTest, DriverErrorsAreReportedEverywhere) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(64, 48);
    d3d9sim::SetDeviceCondition(device.Get(), DeviceCondition::kDriverError);
    const RECT r{0, 0, 64, 48};
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(device->Present(&r, &r, window_, nullptr), D3DERR_DRIVERINTERNALERROR);
    D3DPRESENT_PARAMETERS p = ModuleParameters(64, 48);
    EXPECT_EQ(device->Reset(&p), D3DERR_DRIVERINTERNALERROR);
}

TEST_F(D3DTest, BackBufferGivesOneDeviceContextAtATime) {
    ComPtr<IDirect3DDevice9> device = MakeDevice(64, 48);
    ComPtr<IDirect3DSurface9> surface;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.Put()), D3D_OK);
    HDC dc = nullptr, second = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), D3D_OK);
    EXPECT_NE(dc, nullptr);
    EXPECT_EQ(surface->GetDC(&second), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(surface->ReleaseDC(reinterpret_cast<HDC>(0x10)), D3DERR_INVALIDCALL);
    EXPECT_EQ(surface->ReleaseDC(dc), D3D_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), D3DERR_INVALIDCALL);

    // Locking needs a lockable back buffer.
    D3DPRESENT_PARAMETERS p = ModuleParameters(16, 16);
    p.Flags = 0;
    ComPtr<IDirect3DDevice9> plain;
    ASSERT_EQ(
        d3d_->CreateDevice(0, D3DDEVTYPE_HAL, desktop_.GetDesktopWindow(), 0x22, &p, plain.Put()),
        D3D_OK);
    ComPtr<IDirect3DSurface9> plainSurface;
    plain->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, plainSurface.Put());
    EXPECT_EQ(plainSurface->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
}

}  // namespace
