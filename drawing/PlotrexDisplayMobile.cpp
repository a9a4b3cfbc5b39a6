#include "drawing/PlotrexDisplayMobile.h"

#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "drawing/VexanDevice.h"
#include "graphdata/PlotrexDataMobile.h"
#include "layout/LinearPixelProjection.h"

namespace {

// Palette indices.
constexpr unsigned kHull = 2;
constexpr unsigned kOutline = 15;
constexpr unsigned kSurface = 31;

}  // namespace

PlotrexDisplayMobile::PlotrexDisplayMobile(PlotrexData* data) : PlotrexDisplay(data) {
    data_ = dynamic_cast<PlotrexDataMobile*>(data);
}

PlotrexDataMobile* PlotrexDisplayMobile::Mobile() const {
    return static_cast<PlotrexDataMobile*>(data_);
}

void PlotrexDisplayMobile::Draw(short layer, VexanDevice* device, RECT area,
                                const LinearPixelProjection& x, const LinearPixelProjection& y,
                                StyleTable* pens) {
    PlotrexDataMobile* mobile = Mobile();
    const DistanceTracker* tracker = mobile != nullptr ? mobile->GetDistanceTracker() : nullptr;
    if (tracker != nullptr && pens != nullptr && device != nullptr && layer == 0) {
        DeviceGraphics graphics(device);
        graphics.SetClip(area);
        const double surface = y.ToPixel(0.0);
        const double ship = x.ToPixel(tracker->GetDistance());
        const double keel =
            static_cast<double>(static_cast<long>(y.ToPixel(-mobile->GetDraught()) - surface));
        const SIZE size = device->GetSize();
        const double width = size.cx;
        const double height = size.cy;
        COLORREF hull = 0;
        COLORREF outline = 0;
        COLORREF sea = 0;
        pens->GetColour(kHull, &hull);
        pens->GetColour(kOutline, &outline);
        pens->GetColour(kSurface, &sea);

        if (keel >= 1.0) {
            const RECT bar{static_cast<LONG>(ship - 2), static_cast<LONG>(surface),
                           static_cast<LONG>(ship + 3), static_cast<LONG>(surface + keel)};
            graphics.FillRect(bar, hull, 150);
            graphics.DrawRectangle(bar, hull, 255, 1.0);
            const double draught[] = {ship + 5, surface + keel, width, surface + keel};
            graphics.DrawPolyline(draught, 2, hull, 1.0, 255);
        }
        const double triangles[] = {ship - 15, surface,     ship + 10, surface,
                                    ship + 15, surface - 8, ship - 15, surface - 8,
                                    ship - 15, surface,     ship + 15, surface - 8};
        graphics.FillTriangles(triangles, 2, hull, 255);
        const double hullOutline[] = {ship - 15,   surface,   ship + 10,   surface,   ship + 15,
                                      surface - 8, ship - 15, surface - 8, ship - 15, surface};
        graphics.DrawPolyline(hullOutline, 5, outline, 1.0, 255);
        const double down[] = {ship, surface, ship, height};
        graphics.DrawPolyline(down, 2, hull, 1.0, 255);
        const double line[] = {0.0, surface, width, surface};
        graphics.DrawPolyline(line, 2, sea, 1.0, 255);
    }
    ClearModified();
}

Margins PlotrexDisplayMobile::GetMargins() {
    return Margins{-15, 20, 15, -20};
}
