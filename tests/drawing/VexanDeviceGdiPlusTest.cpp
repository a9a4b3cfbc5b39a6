#include "drawing/VexanDeviceGdiPlus.h"

#include <gtest/gtest.h>

#include "drawing/DeviceGraphics.h"
#include "platform/CDC.h"
#include "platform/CWnd.h"
#include "platform/HeadlessDesktop.h"

namespace {

class DeviceOnWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            window.Create(nullptr, "view", WS_POPUP | WS_VISIBLE, RECT{0, 0, 40, 30}, nullptr, 0));
    }
    std::uint32_t WindowPixel(int x, int y) {
        return desktop.CaptureWindow(window.GetSafeHwnd()).At(x, y) & 0xFFFFFF;
    }

    HeadlessDesktop desktop;
    CWnd window;
    VexanDeviceGdiPlus device;
};

}  // namespace

TEST_F(DeviceOnWindow, CreateMakesABlackSurfaceOfTheSize) {
    EXPECT_EQ(device.GetDC(), nullptr);
    ASSERT_TRUE(device.Create(&window, SIZE{40, 30}));
    EXPECT_EQ(device.GetSize().cx, 40);
    EXPECT_EQ(device.GetSize().cy, 30);
    CDC* dc = device.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->Width(), 40);
    EXPECT_EQ(dc->Height(), 30);
    EXPECT_EQ(dc->GetPixel(39, 29), RGB(0, 0, 0));
    EXPECT_EQ(device.GetD3DDevice(), nullptr);  // the caller's cue to draw without textures
}

TEST_F(DeviceOnWindow, WithoutAWindowOrAnAreaThereIsNoSurface) {
    EXPECT_FALSE(device.Create(nullptr, SIZE{40, 30}));
    EXPECT_FALSE(device.Resize(SIZE{40, 30}));
    EXPECT_EQ(device.GetDC(), nullptr);
    EXPECT_FALSE(device.Present(POINT{0, 0}));

    ASSERT_TRUE(device.Create(&window, SIZE{40, 30}));
    for (SIZE bad : {SIZE{0, 0}, SIZE{0, 10}, SIZE{10, -1}, SIZE{100000, 10}}) {
        EXPECT_FALSE(device.Resize(bad));
        EXPECT_EQ(device.GetSize().cx, 0);
        EXPECT_EQ(device.GetSize().cy, 0);
        EXPECT_EQ(device.GetDC(), nullptr);
        DeviceGraphics g(&device);
        EXPECT_FALSE(g.CanDraw());
    }
    EXPECT_FALSE(device.Present(POINT{0, 0}));
    EXPECT_TRUE(device.Resize(SIZE{20, 10}));
    EXPECT_EQ(device.GetSize().cx, 20);
}

TEST_F(DeviceOnWindow, ResizeStartsAFreshSurface) {
    ASSERT_TRUE(device.Create(&window, SIZE{40, 30}));
    device.GetDC()->FillSolidRect(0, 0, 40, 30, RGB(255, 255, 255));
    ASSERT_TRUE(device.Resize(SIZE{50, 20}));
    CDC* dc = device.GetDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(dc->Width(), 50);
    EXPECT_EQ(dc->GetPixel(0, 0), RGB(0, 0, 0));
}

TEST_F(DeviceOnWindow, PresentCopiesTheSurfaceIntoTheClientArea) {
    ASSERT_TRUE(device.Create(&window, SIZE{40, 30}));
    {
        DeviceGraphics g(&device);
        g.FillRect(RECT{0, 0, 40, 30}, RGB(0, 0, 255), 255);
        g.FillRect(RECT{10, 5, 12, 7}, RGB(255, 0, 0), 255);
    }
    ASSERT_TRUE(device.Present(POINT{0, 0}));
    EXPECT_EQ(WindowPixel(0, 0), 0x0000FFu);
    EXPECT_EQ(WindowPixel(10, 5), 0xFF0000u);
    EXPECT_EQ(WindowPixel(12, 7), 0x0000FFu);

    // At an origin the surface moves; what falls outside the client area is cut.
    ASSERT_TRUE(device.Present(POINT{5, 3}));
    EXPECT_EQ(WindowPixel(15, 8), 0xFF0000u);
}

TEST(VexanDeviceGdiPlus, PresentFailsWithoutADesktop) {
    VexanDeviceGdiPlus device;
    CWnd window;  // never created: no desktop, no handle
    ASSERT_TRUE(device.Create(&window, SIZE{4, 4}));
    EXPECT_FALSE(device.Present(POINT{0, 0}));
}
