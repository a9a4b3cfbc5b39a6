#pragma once
// An echogram display on the Direct3D device of a headless desktop's window,
// drawing sweeps that the test stores itself, with a scripted sounder.
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "desktop/DXDesktopDeviceManager.h"
#include "direct3d/d3d9.h"
#include "drawing/StyleTable.h"
#include "drawing/VexanDeviceDX9.h"
#include "echo/PlotrexDataETR.h"
#include "echo/PlotrexDisplayETR.h"
#include "graphdata/DistanceTracker.h"
#include "layout/LinearPixelProjection.h"
#include "platform/CWnd.h"
#include "platform/HeadlessDesktop.h"
#include "tests/support/FakeSounder.h"
#include "tests/support/ImageCompare.h"

class EchogramScene {
  public:
    // On a desktop of the given monitors (one of 1920 x 1080 by default).
    explicit EchogramScene(int width = 320, int height = 200, std::vector<RECT> monitors = {})
        : desktop(std::move(monitors)) {
        window.Create(nullptr, "echogram", WS_POPUP | WS_VISIBLE, RECT{0, 0, width, height},
                      nullptr, 0);
        manager.Init();
        device.Create(&window, SIZE{width, height});
        styles.FillDefaults();
        display = dynamic_cast<PlotrexDisplayETR*>(data.CreateDisplay());
        // One metre of depth per pixel from the surface down, one distance
        // unit per pixel from 0 on.
        x.scale = 1.0;
        x.origin = 0.0;
        x.multiplier = 1.0;
        y.scale = 1.0;
        y.origin = 0.0;
        y.multiplier = 1.0;
    }

    // A sweep of count samples over the window, level(i) for sample i.
    static ZxEtrEcho Sweep(double top, double bottom, std::uint32_t count,
                           const std::function<std::uint8_t(std::uint32_t)>& level) {
        ZxEtrEcho sweep = ZxEtrEcho::Empty();
        std::memset(sweep.samples, 0, sizeof sweep.samples);
        sweep.windowTop = top;
        sweep.windowBottom = bottom;
        sweep.sampleCount = count;
        for (std::uint32_t i = 0; i < count && i < kMaxSweepSamples; ++i) {
            sweep.samples[i] = level(i);
        }
        return sweep;
    }
    void Add(int channel, ZxEtrEcho sweep) { data.GetStore(channel).AddSweep(sweep); }

    RECT Area() const {
        const SIZE size = const_cast<VexanDeviceDX9&>(device).GetSize();
        return RECT{0, 0, size.cx, size.cy};
    }
    // Clears the back buffer to black and draws the display on it.
    void DrawOnly(PlotrexDisplayETR* drawn = nullptr) {
        device.ReleaseDC();
        device.GetD3DDevice()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        (drawn != nullptr ? drawn : display)->Draw(0, &device, Area(), x, y, &styles);
    }
    // Draws, and returns what the window shows.
    Image Frame(RECT area, PlotrexDisplayETR* drawn = nullptr) {
        device.ReleaseDC();
        device.GetD3DDevice()->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        (drawn != nullptr ? drawn : display)->Draw(0, &device, area, x, y, &styles);
        device.Present(POINT{0, 0});
        const PixelImage shown = desktop.CaptureWindow(window.GetSafeHwnd());
        return ImageFromPixels(shown.pixels.data(), shown.width, shown.height, shown.width * 4,
                               true);
    }
    Image Frame() { return Frame(Area()); }
    // The same store drawn by a display that uploads everything afresh.
    Image FreshFrame() {
        auto* fresh = dynamic_cast<PlotrexDisplayETR*>(data.CreateDisplay());
        fresh->SetChannel(display->IsPixelPane(), display->GetChannel());
        const Image image = Frame(Area(), fresh);
        data.DeleteDisplay(fresh);
        return image;
    }

    HeadlessDesktop desktop;
    CWnd window;
    DXDesktopDeviceManager manager;
    VexanDeviceDX9 device{&manager};
    FakeSounder sounder;
    DistanceTracker tracker;
    PlotrexDataETR data{&tracker, "PLOTREX_DATA_ETR", "DIST"};
    StyleTable styles;
    PlotrexDisplayETR* display = nullptr;
    LinearPixelProjection x;
    LinearPixelProjection y{true};
};
