#pragma once
// The module with a scripted sounder, its sweeps made up along the test
// voyage, for the tests of the pixel view and of the A-scope beside the ship.
#include <algorithm>

#include "layout/PlotrexViewPixel.h"
#include "tests/layout/view/ViewHost.h"
#include "tests/support/FakeSounder.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/SyntheticSweep.h"

namespace viewtest {

class PixelHost {
  public:
    // Metres the full-range sweeps cover, and samples per sweep.
    static constexpr double kRange = 120.0;
    static constexpr int kSamples = 600;
    // Metres a zoom pane covers.
    static constexpr double kZoomSpan = 20.0;

    // The sounder in (frequency, zoom) mode; the host's window at rect.
    PixelHost(RECT rect, short frequency, short zoom)
        : host(true, rect, true), sounder(*host.sounder) {
        host.pings = false;  // both channels ping here
        host.data.SetMode(1);
        sounder.frequency = frequency;
        sounder.zoom = zoom;
    }

    // Cycles of the voyage, with pings of both channels before each.
    void Sail(int cycles, int pingsPerCycle = 3) {
        for (int i = 0; i < cycles; ++i, ++cycle_) {
            const double run = cycle_ * host.voyage.metresPerCycle;
            const double bottom = Voyage::Depth(run);
            // The sounder's bottom lock follows the bottom it finds.
            sounder.referenceDepth = static_cast<std::int32_t>(bottom * 10.0);
            sounder.referenceValid = 1;
            for (int ping = 0; ping < pingsPerCycle; ++ping) {
                const double school = 0.55 * bottom + 6.0 * std::sin((run + ping * 8.0) / 300.0);
                synthetic::Deliver(0, 0.0, kRange,
                                   synthetic::Column(kSamples, 0.0, kRange, bottom, school));
                if (sounder.frequency == 5) {
                    // LF: the same water, its wider beam finding the bottom sooner.
                    synthetic::Deliver(1, 0.0, kRange,
                                       synthetic::Column(kSamples, 0.0, kRange, bottom - 1.5));
                } else {
                    // The zoom pane's window: the recorder places it by the mode.
                    const double top = bottom - kZoomSpan + 1.0;
                    synthetic::Deliver(
                        1, top, kZoomSpan,
                        synthetic::Column(kSamples, top, kZoomSpan, bottom,
                                          bottom - 5.0 + 2.0 * std::sin(run / 200.0)));
                }
            }
            host.Sail(1);
            host.desktop.AdvanceClock(100);
        }
    }

    // The view for the module's mode, created and opened.
    bool Open() { return host.Open(); }
    PlotrexViewPixel* View() { return host.data.GetPixelView(); }
    // What the window shows after a repaint.
    Image Frame() {
        ::InvalidateRect(host.View(), nullptr, TRUE);
        host.desktop.AdvanceClock(250);
        const PixelImage shot = host.desktop.CaptureWindow(host.View());
        return ImageFromPixels(shot.pixels.data(), shot.width, shot.height, shot.width * 4, true);
    }

    ViewHost host;
    FakeSounder& sounder;  // the host's

  private:
    int cycle_ = 0;
};

}  // namespace viewtest
