// The desktop device manager and a window's device on it, over a headless
// desktop with one or two monitors.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/AdapterDevice.h"
#include "desktop/DXDesktopDeviceManager.h"
#include "direct3d/D3D9Sim.h"
#include "drawing/VexanDeviceDX9.h"
#include "platform/CDC.h"
#include "platform/CWnd.h"
#include "platform/ComPtr.h"
#include "platform/HeadlessDesktop.h"

namespace {

using d3d9sim::DeviceCondition;

class DeviceManager : public ::testing::Test {
  protected:
    explicit DeviceManager(std::vector<RECT> monitors = {RECT{0, 0, 1920, 1080},
                                                         RECT{1920, 0, 3200, 1024}})
        : desktop_(std::move(monitors)) {}
    void SetUp() override { d3d9sim::ResetLimits(); }
    void TearDown() override { d3d9sim::ResetLimits(); }

    // A top-level window at the rectangle, in screen coordinates.
    std::unique_ptr<CWnd> MakeWindow(RECT rect) {
        auto window = std::make_unique<CWnd>();
        EXPECT_TRUE(window->Create(nullptr, "view", WS_POPUP | WS_VISIBLE, rect, nullptr, 0));
        return window;
    }
    IDirect3DDevice9* Device(short adapter) {
        return manager_.GetAdapterDevice(adapter)->GetDevice();
    }

    HeadlessDesktop desktop_;
    DXDesktopDeviceManager manager_;
};

TEST_F(DeviceManager, MakesOneDevicePerMonitorAtItsSize) {
    EXPECT_EQ(manager_.GetD3D(), nullptr);
    ASSERT_TRUE(manager_.Init());
    ASSERT_NE(manager_.GetD3D(), nullptr);
    for (short adapter : {0, 1}) {
        AdapterDevice* device = manager_.GetAdapterDevice(adapter);
        ASSERT_NE(device, nullptr);
        ASSERT_NE(device->GetDevice(), nullptr);
        EXPECT_EQ(device->GetResetCount(), 0);
    }
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetLimit().cx, 1920);
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetLimit().cy, 1080);
    EXPECT_EQ(manager_.GetAdapterDevice(1)->GetLimit().cx, 1280);
    EXPECT_EQ(manager_.GetAdapterDevice(1)->GetLimit().cy, 1024);
    // No window has asked for any of it yet.
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetSize().cx, 1);
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetSize().cy, 1);
    EXPECT_EQ(manager_.GetAdapterDevice(2), nullptr);

    // Each device on its own adapter, on the desktop window, as the module asks.
    D3DDEVICE_CREATION_PARAMETERS creation;
    ASSERT_EQ(Device(1)->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.AdapterOrdinal, 1u);
    EXPECT_EQ(creation.hFocusWindow, desktop_.GetDesktopWindow());
    EXPECT_EQ(creation.BehaviorFlags, 0x22u);
}

TEST_F(DeviceManager, ABackBufferTooLargeIsRetriedAtTheTextureLimit) {
    ASSERT_TRUE(desktop_.SetMonitors({RECT{0, 0, 3840, 2160}, RECT{3840, 0, 5760, 1080}}));
    d3d9sim::Limits limits;
    limits.maxBackBufferWidth = limits.maxBackBufferHeight = 2048;
    limits.maxTextureWidth = limits.maxTextureHeight = 2048;
    d3d9sim::SetLimits(limits);
    ASSERT_TRUE(manager_.Init());
    AdapterDevice* large = manager_.GetAdapterDevice(0);
    ASSERT_NE(large->GetDevice(), nullptr);
    EXPECT_EQ(large->GetLimit().cx, 2048);
    EXPECT_EQ(large->GetLimit().cy, 2048);
    EXPECT_EQ(large->GetResetCount(), 1);  // two attempts
    EXPECT_EQ(manager_.GetAdapterDevice(1)->GetLimit().cx, 1920);
    EXPECT_EQ(manager_.GetAdapterDevice(1)->GetResetCount(), 0);

    // With a texture limit as large as the monitor the retry fails as well:
    // the adapter keeps an entry without a device.
    limits.maxTextureWidth = limits.maxTextureHeight = 4096;
    d3d9sim::SetLimits(limits);
    ASSERT_TRUE(manager_.Init());
    ASSERT_NE(manager_.GetAdapterDevice(0), nullptr);
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetDevice(), nullptr);
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetResetCount(), 1);
}

TEST_F(DeviceManager, FindsTheAdapterOfAWindowsMonitor) {
    auto left = MakeWindow(RECT{100, 100, 500, 400});
    auto right = MakeWindow(RECT{2000, 100, 2400, 400});
    EXPECT_EQ(manager_.GetAdapterForWindow(left->GetSafeHwnd()), -1);  // before Init
    ASSERT_TRUE(manager_.Init());
    EXPECT_EQ(manager_.GetAdapterForWindow(left->GetSafeHwnd()), 0);
    EXPECT_EQ(manager_.GetAdapterForWindow(right->GetSafeHwnd()), 1);
    EXPECT_EQ(manager_.GetAdapterForWindow(nullptr), -1);
    // Off every monitor: the nearest one.
    auto far = MakeWindow(RECT{5000, 100, 5100, 200});
    EXPECT_EQ(manager_.GetAdapterForWindow(far->GetSafeHwnd()), 1);
}

TEST_F(DeviceManager, ReportsTheLastFailingDeviceAndRestoresThem) {
    ASSERT_TRUE(manager_.Init());
    EXPECT_EQ(manager_.GetDevicesState(), 0);
    d3d9sim::SetDeviceCondition(Device(0), DeviceCondition::kDriverError);
    EXPECT_EQ(manager_.GetDevicesState(), 3);
    d3d9sim::SetDeviceCondition(Device(1), DeviceCondition::kLost);
    EXPECT_EQ(manager_.GetDevicesState(), 1);  // adapter 1 comes last
    d3d9sim::SetDeviceCondition(Device(0), DeviceCondition::kOperational);
    d3d9sim::SetDeviceCondition(Device(1), DeviceCondition::kNotReset);
    EXPECT_EQ(manager_.GetDevicesState(), 2);

    manager_.RestoreDevices();
    EXPECT_EQ(manager_.GetDevicesState(), 0);
    EXPECT_EQ(manager_.GetAdapterDevice(0)->GetResetCount(), 0);  // was fine
    EXPECT_EQ(manager_.GetAdapterDevice(1)->GetResetCount(), 1);

    // A context left out does not stand in the way of a reset.
    ASSERT_NE(manager_.GetAdapterDevice(0)->GetDC(), nullptr);
    d3d9sim::SetDeviceCondition(Device(0), DeviceCondition::kNotReset);
    manager_.RestoreDevices();
    EXPECT_EQ(Device(0)->TestCooperativeLevel(), D3D_OK);

    // A device that cannot be reset yet is tried, counted, and stays lost.
    d3d9sim::SetDeviceCondition(Device(1), DeviceCondition::kLost);
    manager_.RestoreDevices();
    EXPECT_EQ(manager_.GetAdapterDevice(1)->GetResetCount(), 2);
    EXPECT_EQ(manager_.GetDevicesState(), 1);
}

class WindowDevice : public DeviceManager {
  protected:
    void SetUp() override {
        DeviceManager::SetUp();
        ASSERT_TRUE(manager_.Init());
        window_ = MakeWindow(RECT{100, 100, 420, 340});
    }
    std::unique_ptr<CWnd> window_;
};

TEST_F(WindowDevice, CreateNeedsAWindowAndADeviceForAdapterZero) {
    VexanDeviceDX9 device(&manager_);
    EXPECT_FALSE(device.Create(nullptr, SIZE{320, 240}));
    EXPECT_EQ(device.GetResetCount(), -1);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{320, 240}));
    EXPECT_EQ(device.GetSize().cx, 320);
    EXPECT_EQ(device.GetSize().cy, 240);
    EXPECT_EQ(device.GetD3DDevice(), Device(0));
    EXPECT_EQ(device.GetResetCount(), 1);  // the back buffer grew to the window
    EXPECT_TRUE(device.IsDirect3D());

    DXDesktopDeviceManager uninitialised;
    VexanDeviceDX9 orphan(&uninitialised);
    EXPECT_FALSE(orphan.Create(window_.get(), SIZE{320, 240}));
    EXPECT_EQ(orphan.GetSize().cx, 0);
    EXPECT_EQ(orphan.GetDC(), nullptr);
    EXPECT_EQ(orphan.GetD3DDevice(), nullptr);
    EXPECT_FALSE(orphan.Present(POINT{0, 0}));
}

TEST_F(WindowDevice, AWindowLargerThanItsMonitorStartsClipped) {
    // As Resize does: a larger surface could never be presented.
    VexanDeviceDX9 device(&manager_);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{2500, 900}));
    EXPECT_EQ(device.GetSize().cx, 1920);
    EXPECT_EQ(device.GetSize().cy, 900);
    EXPECT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(device.GetResetCount(), 1);
}

// A monitor-wide buffer would cost whole rows of pages for every row a
// smaller window draws: the buffer is as large as its windows ask.
TEST_F(WindowDevice, TheBackBufferGrowsToTheLargestWindowOnItsMonitor) {
    AdapterDevice* adapter = manager_.GetAdapterDevice(0);
    VexanDeviceDX9 first(&manager_);
    VexanDeviceDX9 second(&manager_);
    ASSERT_TRUE(first.Create(window_.get(), SIZE{320, 240}));
    auto other = MakeWindow(RECT{500, 100, 1100, 300});
    ASSERT_TRUE(second.Create(other.get(), SIZE{600, 200}));
    EXPECT_EQ(adapter->GetSize().cx, 600);
    EXPECT_EQ(adapter->GetSize().cy, 240);
    EXPECT_EQ(adapter->GetResetCount(), 2);
    // Smaller again: the other window still draws on it, nothing is reset.
    EXPECT_TRUE(first.Resize(SIZE{100, 100}));
    EXPECT_EQ(adapter->GetSize().cx, 600);
    EXPECT_EQ(adapter->GetResetCount(), 2);

    // A resource of the default pool still held stops the reset: the window
    // is cut to the old buffer, and the device comes back once it is given up.
    ComPtr<IDirect3DVertexBuffer9> held;
    ASSERT_EQ(Device(0)->CreateVertexBuffer(64, 0, 0, D3DPOOL_DEFAULT, held.Put(), nullptr),
              D3D_OK);
    EXPECT_FALSE(first.Resize(SIZE{800, 600}));
    EXPECT_EQ(first.GetSize().cx, 600);
    EXPECT_EQ(first.GetSize().cy, 240);
    held.Reset();
    EXPECT_TRUE(first.Present(POINT{0, 0}));  // fails, and resets the device
    EXPECT_EQ(Device(0)->TestCooperativeLevel(), D3D_OK);
    EXPECT_TRUE(first.Resize(SIZE{800, 600}));
    EXPECT_EQ(adapter->GetSize().cx, 800);
    EXPECT_EQ(adapter->GetSize().cy, 600);
    EXPECT_TRUE(first.Present(POINT{0, 0}));
    EXPECT_EQ(desktop_.PresentCount(window_->GetSafeHwnd()), 1);
}

TEST_F(WindowDevice, ResizeBeyondTheMonitorClipsAndReportsIt) {
    VexanDeviceDX9 device(&manager_);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{320, 240}));
    EXPECT_FALSE(device.Resize(SIZE{2000, 1000}));
    EXPECT_EQ(device.GetSize().cx, 1920);
    EXPECT_EQ(device.GetSize().cy, 1000);
    EXPECT_TRUE(device.Resize(SIZE{640, 480}));
    EXPECT_EQ(device.GetSize().cx, 640);
    EXPECT_EQ(device.GetSize().cy, 480);
}

TEST_F(WindowDevice, FollowsTheWindowToTheSecondMonitorOnTheNextResize) {
    VexanDeviceDX9 device(&manager_);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{1600, 1050}));
    EXPECT_FALSE(device.UpdateAdapter());
    window_->MoveWindow(2000, 0, 1600, 1050);
    // Tested against adapter 0's 1920 x 1080, which it fits; then switched.
    EXPECT_TRUE(device.Resize(SIZE{1600, 1050}));
    EXPECT_EQ(device.GetD3DDevice(), Device(1));
    // Cut down to adapter 1's 1280 x 1024, so that presents stay inside it.
    EXPECT_EQ(device.GetSize().cx, 1280);
    EXPECT_EQ(device.GetSize().cy, 1024);
    EXPECT_FALSE(device.UpdateAdapter());
    EXPECT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(device.GetResetCount(), 1);
}

TEST_F(WindowDevice, GdiDrawingOnTheBackBufferReachesTheWindow) {
    VexanDeviceDX9 device(&manager_);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{320, 240}));
    IDirect3DDevice9* d3d = device.GetD3DDevice();
    ASSERT_EQ(d3d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    CDC* dc = device.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(device.GetDC(), dc);  // kept until given back
    dc->FillSolidRect(10, 20, 30, 40, RGB(255, 0, 0));
    device.ReleaseDC();
    const D3DRECT band{0, 100, 320, 110};
    ASSERT_EQ(d3d->Clear(1, &band, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    ASSERT_NE(device.GetDC(), nullptr);  // Present gives it back
    ASSERT_TRUE(device.Present(POINT{0, 0}));

    const PixelImage shown = desktop_.CaptureWindow(window_->GetSafeHwnd());
    EXPECT_EQ(shown.At(15, 25) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(shown.At(5, 5) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(shown.At(200, 105) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown.At(319, 239) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(desktop_.PresentCount(window_->GetSafeHwnd()), 1);
}

TEST_F(WindowDevice, ALostDeviceIsResetWhenPresentFails) {
    VexanDeviceDX9 device(&manager_);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{320, 240}));
    ASSERT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(device.GetResetCount(), 1);

    // Resettable: the present fails, the reset works, the count shows it.
    d3d9sim::SetDeviceCondition(device.GetD3DDevice(), DeviceCondition::kNotReset);
    EXPECT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(device.GetResetCount(), 2);
    EXPECT_EQ(device.GetD3DDevice()->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(desktop_.PresentCount(window_->GetSafeHwnd()), 1);

    // Not resettable yet: every present tries again and fails.
    d3d9sim::SetDeviceCondition(device.GetD3DDevice(), DeviceCondition::kLost);
    EXPECT_FALSE(device.Present(POINT{0, 0}));
    EXPECT_FALSE(device.Present(POINT{0, 0}));
    EXPECT_EQ(device.GetResetCount(), 4);
    d3d9sim::SetDeviceCondition(device.GetD3DDevice(), DeviceCondition::kNotReset);
    EXPECT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(device.GetResetCount(), 5);
    EXPECT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(desktop_.PresentCount(window_->GetSafeHwnd()), 2);
}

TEST_F(WindowDevice, APresentWhileTheContextIsOutGivesItBackFirst) {
    // Reset needs the back buffer back: a context left out must not block it.
    VexanDeviceDX9 device(&manager_);
    ASSERT_TRUE(device.Create(window_.get(), SIZE{320, 240}));
    ASSERT_NE(device.GetDC(), nullptr);
    d3d9sim::SetDeviceCondition(device.GetD3DDevice(), DeviceCondition::kNotReset);
    EXPECT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_NE(device.GetDC(), nullptr);
}

}  // namespace
