#include "drawing/PlotrexDisplayAScope.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "echo/CEtrModeManager.h"
#include "echo/EtrSweepRecorder.h"
#include "echo/ZxEtrEcho.h"
#include "graphdata/PlotrexData.h"
#include "layout/LinearPixelProjection.h"
#include "platform/TickCount.h"
#include "resources/ModuleStrings.h"
#include "resources/Resource.h"

namespace {

constexpr BYTE kBesideShipOpacity = 180;
constexpr BYTE kStripOpacity = 255;
// The bars start this far right of the ship.
constexpr int kShipGap = 3;
// The strip's axis lies this far left of the area's right edge.
constexpr int kAxisInset = 25;
constexpr unsigned kAxisColour = 5;
constexpr std::int32_t kBesideShipWidth = 80;
constexpr std::int32_t kStripWidth = 52;
// Coordinates far off the surface are held here, well inside what a pixel
// coordinate can take, so that no conversion overflows.
constexpr double kFarPixel = 1.0e7;

long long HeldPixel(double value) {
    return static_cast<long long>(std::clamp(value, -kFarPixel, kFarPixel));
}

// The samples of a sweep spread over the rows from top down, `step` rows a
// sample: a sample that covers less than a row is merged into the one that
// completes it, and only that one is drawn. The remainder carries on, so
// rounding does not add up over the sweep. Stops below the area.
template <typename DrawBar>
void SpreadSamples(const ZxEtrEcho& sweep, std::uint32_t count, double step, long long top,
                   long long areaBottom, DrawBar drawBar) {
    double carried = 0.0;
    for (std::uint32_t i = 0; i < count && top < areaBottom; ++i) {
        carried += step;
        if (carried < 1.0) {
            continue;
        }
        const long long bottom = top + static_cast<long long>(carried);
        drawBar(sweep.samples[i], top, bottom);
        carried -= static_cast<double>(bottom - top);
        top = bottom;
    }
}

COLORREF EchoColorRef(const StyleTable& styles, int level) {
    const EchoColour c = styles.EchoLevelColour(level);
    return RGB(c.r, c.g, c.b);
}

}  // namespace

PlotrexDisplayAScope::PlotrexDisplayAScope(PlotrexData* data) : PlotrexDisplay(data) {}

void PlotrexDisplayAScope::SetPixelForm(bool pixelForm, std::int16_t channel) {
    pixelForm_ = pixelForm;
    channel_ = channel;
}

int PlotrexDisplayAScope::BarLength(int level) {
    return std::min(std::max(level, 0) * kMaxBar / 15, kMaxBar);
}

bool PlotrexDisplayAScope::IsModified() {
    if (PlotrexDisplay::IsModified()) {
        return true;
    }
    if (GetLastSweepTime() == 0) {
        return false;
    }
    const std::uint32_t now = GetTickCount();
    if (now - lastRefresh_ < kRefreshPeriod) {
        return false;
    }
    lastRefresh_ = now;
    return true;
}

void PlotrexDisplayAScope::Draw(short layer, VexanDevice* device, RECT area,
                                const LinearPixelProjection& x, const LinearPixelProjection& y,
                                StyleTable* styles) {
    if (styles != nullptr && device != nullptr && layer == 0) {
        if (pixelForm_) {
            DrawStrip(device, area, *styles);
        } else {
            DrawBesideShip(device, area, x, y, *styles);
        }
    }
    ClearModified();
}

void PlotrexDisplayAScope::DrawBesideShip(VexanDevice* device, RECT area,
                                          const LinearPixelProjection& x,
                                          const LinearPixelProjection& y,
                                          const StyleTable& styles) {
    auto sweep = std::make_unique<ZxEtrEcho>();
    const auto channel = static_cast<std::int16_t>(GetEtrModeManager().GetActiveChannel(true));
    const DistanceTracker* tracker = data_ != nullptr ? data_->GetDistanceTracker() : nullptr;
    if (tracker == nullptr || !GetLastSweep(channel, sweep.get())) {
        return;
    }
    const std::uint32_t count = std::min(sweep->sampleCount, kMaxSweepSamples);
    const double ship = x.ToPixel(tracker->GetDistance());
    const double top = y.ToPixel(sweep->windowTop);
    const double height = y.ToPixel(sweep->windowBottom) - top;
    // Unset projections or a window of no height: nothing to place the bars by.
    if (count == 0 || !std::isfinite(ship) || !std::isfinite(top) || !(height >= 1.0)) {
        return;
    }
    DeviceGraphics graphics(device);
    graphics.SetClip(area);
    const long long left = HeldPixel(ship) + kShipGap;
    if (left >= area.right || left + kMaxBar <= area.left) {
        return;
    }
    SpreadSamples(*sweep, count, height / count, HeldPixel(top), area.bottom,
                  [&](int level, long long barTop, long long barBottom) {
                      const int length = BarLength(level);
                      if (length == 0 || barBottom <= area.top) {
                          return;
                      }
                      const RECT bar{static_cast<LONG>(left),
                                     static_cast<LONG>(std::max<long long>(barTop, area.top - 1)),
                                     static_cast<LONG>(HeldPixel(ship) + length),
                                     static_cast<LONG>(barBottom)};
                      graphics.FillRect(bar, EchoColorRef(styles, level), kBesideShipOpacity);
                  });
}

void PlotrexDisplayAScope::DrawStrip(VexanDevice* device, RECT area, const StyleTable& styles) {
    auto sweep = std::make_unique<ZxEtrEcho>();
    if (!GetLastSweep(channel_, sweep.get())) {
        return;
    }
    const std::uint32_t count = std::min(sweep->sampleCount, kMaxSweepSamples);
    const int height = area.bottom - area.top;
    if (count == 0 || height < 1 || area.right <= area.left) {
        return;
    }
    DeviceGraphics graphics(device);
    graphics.SetClip(area);
    const int axis = area.right - kAxisInset;
    SpreadSamples(*sweep, count, static_cast<double>(height) / count, area.top, area.bottom,
                  [&](int level, long long barTop, long long barBottom) {
                      const int length = BarLength(level);
                      if (length == 0) {
                          return;
                      }
                      const auto left = static_cast<LONG>(axis - 0.5 * length);
                      const RECT bar{left, static_cast<LONG>(barTop), left + length,
                                     static_cast<LONG>(barBottom)};
                      graphics.FillRect(bar, EchoColorRef(styles, level), kStripOpacity);
                  });
    COLORREF colour = 0;
    styles.GetColour(kAxisColour, &colour);
    const double line[4] = {double(axis), double(area.top), double(axis), double(area.bottom)};
    graphics.DrawPolyline(line, 2, colour, 1.0, 255);
}

Margins PlotrexDisplayAScope::GetMargins() {
    return Margins{0, 0, pixelForm_ ? kStripWidth : kBesideShipWidth, 0};
}

bool PlotrexDisplayAScope::GetLegendEntry(std::string& text) {
    if (GetTickCount() - GetLastSweepTime() > kSilence) {
        text = std::string("#w") + LoadModuleString(IDS_NO_SWEEP);
    }
    return true;
}
