// Presenting pixels into windows, saving them, and monitors.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/CairoHandles.h"
#include "tests/platform/RecordingWindow.h"
#include "tests/support/TestProfile.h"

namespace {

// A 4 x 2 image whose pixel (x, y) is 0x00RRGGBB with red = x and green = y,
// in a buffer with padding at the end of each row.
struct Source {
    static constexpr int kStride = 6 * 4;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(6 * 2, 0xDEADBEEF);
    Source() {
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) {
                pixels[y * 6 + x] = Colour(x, y);
            }
        }
    }
    bool PresentTo(HWND window, const RECT* from = nullptr, const RECT* to = nullptr) const {
        return GetCurrentDesktop()->PresentToWindow(window, pixels.data(), 4, 2, kStride, from, to);
    }
    static std::uint32_t Colour(int x, int y) {
        return (static_cast<std::uint32_t>(0x40 * x) << 16) |
               (static_cast<std::uint32_t>(0x80 * y) << 8) | 0x11;
    }
};

// One top-level window of the given size at the origin, and the source.
struct OneWindow {
    HeadlessDesktop desktop;
    RecordingWindow window;
    Source source;
    OneWindow(int width, int height) {
        EXPECT_TRUE(window.Make(nullptr, RECT{0, 0, width, height}));
    }
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

PixelImage ReadPng(const std::string& path) {
    CairoSurfacePtr surface(cairo_image_surface_create_from_png(path.c_str()));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        return {};
    }
    PixelImage image(cairo_image_surface_get_width(surface.get()),
                     cairo_image_surface_get_height(surface.get()));
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < image.width; ++x) {
            image.Row(y)[x] = row[x] & 0x00FFFFFF;
        }
    }
    return image;
}

}  // namespace

TEST(Present, CopiesTheSourceRectangleAtOneToOne) {
    OneWindow d(10, 10);
    const RECT from{1, 0, 4, 2};
    const RECT to{5, 5, 8, 7};
    ASSERT_TRUE(d.source.PresentTo(d.window.m_hWnd, &from, &to));
    const PixelImage shown = d.desktop.CaptureWindow(d.window.m_hWnd);
    EXPECT_EQ(shown.At(5, 5), Source::Colour(1, 0));
    EXPECT_EQ(shown.At(7, 6), Source::Colour(3, 1));
    EXPECT_EQ(shown.At(4, 5), 0u);
    EXPECT_EQ(shown.At(8, 5), 0u);
    EXPECT_EQ(d.desktop.PresentCount(d.window.m_hWnd), 1);
}

TEST(Present, ScalesWithTheNearestPixelAndClipsToTheWindow) {
    OneWindow d(6, 4);
    // 4 x 2 doubled into 8 x 4 at (-2, 0): the first source column is cut off.
    const RECT to{-2, 0, 6, 4};
    ASSERT_TRUE(d.source.PresentTo(d.window.m_hWnd, nullptr, &to));
    const PixelImage shown = d.desktop.CaptureWindow(d.window.m_hWnd);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(shown.At(x, y), Source::Colour((x + 2) / 2, y / 2)) << x << "," << y;
        }
    }
}

TEST(Present, RefusesWhatDoesNotFit) {
    OneWindow d(6, 4);
    const RECT beyond{0, 0, 5, 2};
    const RECT empty{1, 1, 1, 2};
    const HWND w = d.window.m_hWnd;
    const std::uint32_t* p = d.source.pixels.data();
    EXPECT_FALSE(d.source.PresentTo(w, &beyond, nullptr));
    EXPECT_FALSE(d.source.PresentTo(w, &empty, nullptr));
    EXPECT_FALSE(d.source.PresentTo(w, nullptr, &empty));
    EXPECT_FALSE(d.source.PresentTo(nullptr));
    EXPECT_FALSE(d.desktop.PresentToWindow(w, p, 4, 2, 8, nullptr, nullptr));
    EXPECT_FALSE(d.desktop.PresentToWindow(w, nullptr, 4, 2, Source::kStride, nullptr, nullptr));
    EXPECT_EQ(d.desktop.PresentCount(w), 0);
    // A window too large for a buffer refuses instead of allocating gigabytes.
    d.window.MoveWindow(0, 0, 30000, 30000);
    EXPECT_FALSE(d.source.PresentTo(w));
    EXPECT_EQ(d.desktop.GetWindowSurface(w).pixels, nullptr);
    EXPECT_EQ(d.desktop.CaptureWindow(w).width, 0);
}

TEST(Present, SavedPngHoldsTheWindowWithItsChildrenInCairosBytes) {
    // Taller than the bands the picture is written in, the child across
    // their borders and scaled.
    HeadlessDesktop desktop;
    RecordingWindow frame, child;
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 9, 75}));
    ASSERT_TRUE(child.Make(&frame, RECT{4, 20, 9, 70}));
    std::vector<std::uint32_t> noise(9 * 75);
    std::uint32_t state = 7;
    for (std::uint32_t& pixel : noise) {
        state = state * 1664525u + 1013904223u;
        pixel = state >> 8;
    }
    ASSERT_TRUE(desktop.PresentToWindow(frame.m_hWnd, noise.data(), 9, 75, 36, nullptr, nullptr));
    Source source;
    ASSERT_TRUE(source.PresentTo(child.m_hWnd));
    TempFolder folder;
    const std::string path = folder.File("frame.png");
    ASSERT_TRUE(desktop.SaveWindowPng(frame.m_hWnd, path));
    const PixelImage saved = ReadPng(path);
    ASSERT_EQ(saved.width, 9);
    ASSERT_EQ(saved.height, 75);
    // The source pixel whose span holds the centre of the child's pixel i.
    const auto nearest = [](int i, int source, int shown) {
        return (2 * i + 1) * source / (2 * shown);
    };
    for (int y = 0; y < 75; ++y) {
        for (int x = 0; x < 9; ++x) {
            const bool inChild = x >= 4 && y >= 20 && y < 70;
            const std::uint32_t expected =
                inChild ? Source::Colour(nearest(x - 4, 4, 5), nearest(y - 20, 2, 50))
                        : noise[y * 9 + x];
            ASSERT_EQ(saved.At(x, y), expected) << x << "," << y;
        }
    }
    // Byte for byte what Cairo writes of the whole capture.
    const PixelImage shown = desktop.CaptureWindow(frame.m_hWnd);
    CairoSurfacePtr whole(cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(shown.pixels.data())),
        CAIRO_FORMAT_RGB24, shown.width, shown.height, shown.width * 4));
    const std::string cairos = folder.File("cairo.png");
    ASSERT_EQ(cairo_surface_write_to_png(whole.get(), cairos.c_str()), CAIRO_STATUS_SUCCESS);
    EXPECT_TRUE(Contents(path) == Contents(cairos)) << "the bytes differ from Cairo's";

    EXPECT_FALSE(desktop.SaveWindowPng(nullptr, folder.File("none.png")));
    EXPECT_FALSE(desktop.SaveWindowPng(frame.m_hWnd, folder.File("no/such/folder.png")));
}

TEST(Present, TheWindowsOwnSurfaceIsShownWholeInPlace) {
    OneWindow d(4, 3);
    const WindowSurface surface = d.desktop.GetWindowSurface(d.window.m_hWnd);
    ASSERT_NE(surface.pixels, nullptr);
    surface.pixels[5] = 0xABCDEF;
    const RECT part{0, 0, 2, 2};
    EXPECT_FALSE(
        d.desktop.PresentToWindow(d.window.m_hWnd, surface.pixels, 4, 3, 16, &part, nullptr));
    EXPECT_FALSE(
        d.desktop.PresentToWindow(d.window.m_hWnd, surface.pixels, 4, 3, 16, nullptr, &part));
    EXPECT_EQ(d.desktop.PresentCount(d.window.m_hWnd), 0);
    EXPECT_TRUE(
        d.desktop.PresentToWindow(d.window.m_hWnd, surface.pixels, 4, 3, 16, nullptr, nullptr));
    EXPECT_EQ(d.desktop.PresentCount(d.window.m_hWnd), 1);
    EXPECT_EQ(d.desktop.CaptureWindow(d.window.m_hWnd).At(1, 1), 0xABCDEFu);
}

TEST(Present, ResizeKeepsWhatWasShownAndTheSurfaceFollows) {
    OneWindow d(4, 2);
    ASSERT_TRUE(d.source.PresentTo(d.window.m_hWnd));
    d.window.MoveWindow(0, 0, 3, 3);
    const PixelImage shown = d.desktop.CaptureWindow(d.window.m_hWnd);
    EXPECT_EQ(shown.At(2, 1), Source::Colour(2, 1));
    EXPECT_EQ(shown.At(0, 2), 0u);
    const WindowSurface surface = d.desktop.GetWindowSurface(d.window.m_hWnd);
    ASSERT_NE(surface.pixels, nullptr);
    EXPECT_EQ(surface.width, 3);
    EXPECT_EQ(surface.stride, 12);
    surface.pixels[0] = 0x123456;
    EXPECT_EQ(d.desktop.CaptureWindow(d.window.m_hWnd).At(0, 0), 0x123456u);
}

TEST(Monitors, WindowBelongsToTheMonitorHoldingItsCentre) {
    HeadlessDesktop desktop({RECT{0, 0, 1920, 1080}, RECT{1920, 0, 3200, 1024}});
    const std::vector<HMONITOR> monitors = desktop.GetMonitors();
    ASSERT_EQ(monitors.size(), 2u);
    MONITORINFO info;
    ASSERT_TRUE(::GetMonitorInfo(monitors[1], &info));
    EXPECT_EQ(info.rcMonitor.left, 1920);
    EXPECT_EQ(info.rcMonitor.right, 3200);
    EXPECT_EQ(info.dwFlags, 0u);
    ASSERT_TRUE(::GetMonitorInfo(monitors[0], &info));
    EXPECT_EQ(info.dwFlags, DWORD{MONITORINFOF_PRIMARY});
    info.cbSize = 20;
    EXPECT_FALSE(::GetMonitorInfo(monitors[0], &info));

    RecordingWindow window;
    ASSERT_TRUE(window.Make(nullptr, RECT{100, 100, 900, 700}));
    EXPECT_EQ(::MonitorFromWindow(window.m_hWnd, MONITOR_DEFAULTTONEAREST), monitors[0]);
    // Mostly over the boundary, centre on the second.
    window.MoveWindow(1500, 100, 900, 600);
    EXPECT_EQ(::MonitorFromWindow(window.m_hWnd, MONITOR_DEFAULTTONEAREST), monitors[1]);
    // Below the second monitor's bottom: nearest is the second, none holds it.
    window.MoveWindow(2500, 1100, 100, 100);
    EXPECT_EQ(::MonitorFromWindow(window.m_hWnd, MONITOR_DEFAULTTONEAREST), monitors[1]);
    EXPECT_EQ(::MonitorFromWindow(window.m_hWnd, MONITOR_DEFAULTTOPRIMARY), monitors[0]);
    EXPECT_EQ(::MonitorFromWindow(window.m_hWnd, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_EQ(::MonitorFromWindow(nullptr, MONITOR_DEFAULTTONEAREST), nullptr);

    RECT screen;
    ASSERT_TRUE(::GetWindowRect(::GetDesktopWindow(), &screen));
    EXPECT_EQ(screen.right, 3200);
    EXPECT_EQ(screen.bottom, 1080);
    EXPECT_FALSE(desktop.SetMonitors({}));
    EXPECT_FALSE(desktop.SetMonitors({RECT{0, 0, 0, 10}}));
    EXPECT_EQ(desktop.GetMonitors().size(), 2u);
}

TEST(Present, DroppedContentsAreRepaintedWholeAndOnlyWhereThereWereAny) {
    HeadlessDesktop desktop;
    RecordingWindow frame, shown, blank, other;
    ASSERT_TRUE(frame.Make(nullptr, RECT{0, 0, 8, 6}));
    ASSERT_TRUE(shown.Make(&frame, RECT{0, 0, 4, 2}));
    ASSERT_TRUE(blank.Make(&frame, RECT{4, 0, 8, 2}));
    ASSERT_TRUE(other.Make(nullptr, RECT{20, 0, 24, 2}));
    desktop.PumpMessages();
    Source source;
    ASSERT_TRUE(source.PresentTo(frame.m_hWnd));
    ASSERT_TRUE(source.PresentTo(shown.m_hWnd));
    ASSERT_TRUE(source.PresentTo(other.m_hWnd));
    for (RecordingWindow* w : {&frame, &shown, &blank, &other}) {
        w->Clear();
    }

    desktop.DropContents(frame.m_hWnd);
    const PixelImage dropped = desktop.CaptureWindow(frame.m_hWnd);
    ASSERT_EQ(dropped.width, 8);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            ASSERT_EQ(dropped.At(x, y), 0u) << x << "," << y;
        }
    }
    // The other window keeps what it shows.
    EXPECT_EQ(desktop.CaptureWindow(other.m_hWnd).At(3, 1), Source::Colour(3, 1));

    desktop.PumpMessages();
    EXPECT_EQ(frame.Count(WM_PAINT), 1);
    EXPECT_EQ(shown.Count(WM_PAINT), 1);
    const RECT whole{0, 0, 4, 2};
    EXPECT_TRUE(EqualRect(&shown.lastPaint.rcPaint, &whole));
    EXPECT_EQ(shown.Count(WM_ERASEBKGND), 1);
    // Nothing was lost where nothing was shown, nor in the other window.
    EXPECT_EQ(blank.Count(WM_PAINT), 0);
    EXPECT_EQ(other.Count(WM_PAINT), 0);

    // Painted again, a window shows what it presents, the rest stays clear.
    ASSERT_TRUE(source.PresentTo(shown.m_hWnd));
    const PixelImage repainted = desktop.CaptureWindow(frame.m_hWnd);
    EXPECT_EQ(repainted.At(3, 1), Source::Colour(3, 1));
    EXPECT_EQ(repainted.At(7, 5), 0u);
    desktop.DropContents(nullptr);
}

TEST(Present, AFrameIsHandedOverOnlyWhereTheWindowHoldsOneOfItsSize) {
    OneWindow d(4, 2);
    PixelPages frame(8);
    std::fill_n(frame.data(), 8, 0x123456u);
    // Nothing to give back yet: the caller copies.
    EXPECT_FALSE(d.desktop.FlipToWindow(d.window.m_hWnd, frame, 4, 2));
    ASSERT_TRUE(d.source.PresentTo(d.window.m_hWnd));
    PixelPages wrong(9);
    EXPECT_FALSE(d.desktop.FlipToWindow(d.window.m_hWnd, wrong, 3, 3));
    EXPECT_FALSE(d.desktop.FlipToWindow(d.window.m_hWnd, frame, 2, 4));
    EXPECT_FALSE(d.desktop.FlipToWindow(nullptr, frame, 4, 2));
    EXPECT_EQ(d.desktop.PresentCount(d.window.m_hWnd), 1);

    ASSERT_TRUE(d.desktop.FlipToWindow(d.window.m_hWnd, frame, 4, 2));
    EXPECT_EQ(d.desktop.CaptureWindow(d.window.m_hWnd).At(3, 1), 0x123456u);
    EXPECT_EQ(frame.data()[7], Source::Colour(3, 1));  // what the window showed
    EXPECT_EQ(d.desktop.PresentCount(d.window.m_hWnd), 2);
}
