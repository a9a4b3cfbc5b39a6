// Frames that reuse what the last frame drew must be the frames a view drawing
// everything anew would show. A voyage of random steps (sweeps arriving, the
// sounder's panes changing, the window resized, the device reset, the light
// and the echo look changed) compares every frame of the module's pixel view
// with the frame of a view made on the same graphs at that moment.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "desktop/AdapterDevice.h"
#include "drawing/PlotrexDisplay.h"
#include "echo/EtrPaneCache.h"
#include "echo/PlotrexDisplayETR.h"
#include "module/CommandNames.h"
#include "module/GraphKeys.h"
#include "tests/layout/view/PixelHost.h"

using namespace viewtest;

namespace {

constexpr RECT kHostRect{100, 50, 740, 450};

Image Capture(PixelHost& pixel, HWND window) {
    const PixelImage shot = pixel.host.desktop.CaptureWindow(window);
    return ImageFromPixels(shot.pixels.data(), shot.width, shot.height, shot.width * 4, true);
}

void Paint(HWND window) {
    ::InvalidateRect(window, nullptr, TRUE);
    ::UpdateWindow(window);
}

// What a view made now on the module's graphs shows: its rings, its device
// state and its panes all start from nothing.
Image FreshFrame(PixelHost& pixel) {
    PlotrexViewPixel* kept = pixel.View();
    RECT rect{};
    ::GetWindowRect(pixel.host.View(), &rect);
    PlotrexViewPixel fresh;
    if (!fresh.Create(nullptr, "Fresh", WS_POPUP | WS_VISIBLE, rect, nullptr, 0) ||
        !fresh.Init(&pixel.host.manager, pixel.host.data.GetGraphs(),
                    &pixel.host.data.GetStyleTable())) {
        return {};
    }
    for (int channel = 0; channel < 2; ++channel) {
        fresh.GetAScopeDisplay(channel)->SetVisible(kept->GetAScopeDisplay(channel)->IsVisible());
    }
    fresh.GetTemperatureDisplay()->SetVisible(kept->GetTemperatureDisplay()->IsVisible());
    Paint(fresh.GetSafeHwnd());
    return Capture(pixel, fresh.GetSafeHwnd());
}

int CountDifferences(const Image& a, const Image& b, std::string& where) {
    if (a.width != b.width || a.height != b.height) {
        where = "sizes differ";
        return -1;
    }
    int differences = 0;
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) != b.At(x, y) && differences++ == 0) {
                where = "first at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        }
    }
    return differences;
}

const EtrPaneCache* CacheOf(PixelHost& pixel, int channel) {
    auto* pane = dynamic_cast<PlotrexDisplayETR*>(pixel.View()->GetEchogramDisplay(channel));
    return pane != nullptr ? &pane->GetPaneCache() : nullptr;
}

}  // namespace

TEST(SteadyFrames, PixelViewFramesMatchAFreshViewThroughRandomSteps) {
    PixelHost pixel(kHostRect, 5, 1);
    pixel.Sail(30);
    ASSERT_TRUE(pixel.Open());
    const HWND window = pixel.host.View();
    std::mt19937 random(21);
    auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    int steady = 0;
    int compared = 0;
    for (int step = 0; step < 300; ++step) {
        std::string what = "sweeps";
        if (chance(4)) {
            // The sounder's panes: dual frequency, single, the zooms and locks.
            const short modes[][2] = {{5, 1}, {1, 1}, {1, 2}, {1, 3}, {4, 3}, {2, 4}, {1, 5}};
            const auto& mode = modes[std::uniform_int_distribution<int>(0, 6)(random)];
            pixel.sounder.frequency = mode[0];
            pixel.sounder.zoom = mode[1];
            what = "panes";
        } else if (chance(3)) {
            const int width = std::uniform_int_distribution<int>(200, 640)(random);
            const int height = std::uniform_int_distribution<int>(150, 400)(random);
            ::MoveWindow(window, 0, 0, width, height, TRUE);
            what = "resize";
        } else if (chance(3)) {
            ASSERT_TRUE(pixel.host.manager.GetAdapterDevice(0)->Reset());
            what = "device reset";
        } else if (chance(3)) {
            pixel.host.data.SetDayNightMode(
                static_cast<short>(std::uniform_int_distribution<int>(0, 2)(random)));
            what = "light";
        } else if (chance(3)) {
            pixel.host.Execute(chance(50) ? kCommandEtrGainPlus : kCommandEtrGainMoins);
            what = "gain";
            // The command's own frame (painted as it is handled) is drawn whole.
            EXPECT_FALSE(CacheOf(pixel, 0) && CacheOf(pixel, 0)->LastWasSteady()) << step;
        } else if (chance(3)) {
            pixel.host.Execute(kCommandShowHide, chance(50) ? kGraphAScope : kGraphTemp);
            what = "show/hide";
        }
        // Sweeps arrive, the ship moves; now and then no sweep at all.
        const int cycles = std::uniform_int_distribution<int>(0, 3)(random);
        pixel.Sail(cycles, std::uniform_int_distribution<int>(1, 4)(random));
        Paint(window);
        if (const EtrPaneCache* cache = CacheOf(pixel, 0); cache && cache->LastWasSteady()) {
            ++steady;
        }
        const Image kept = Capture(pixel, window);
        const Image fresh = FreshFrame(pixel);
        std::string where;
        const int differences = CountDifferences(kept, fresh, where);
        ++compared;
        ASSERT_EQ(differences, 0) << "step " << step << " after " << what << ": " << where;
    }
    EXPECT_EQ(compared, 300);
    // Most frames moved the kept picture: the guard watched the steady path.
    EXPECT_GT(steady, 150);
}
