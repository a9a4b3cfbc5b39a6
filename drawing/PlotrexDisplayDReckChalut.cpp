#include "drawing/PlotrexDisplayDReckChalut.h"

#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexDataDReckChalut.h"
#include "layout/LinearPixelProjection.h"

namespace {

constexpr unsigned kNetColour = 2;

}  // namespace

PlotrexDisplayDReckChalut::PlotrexDisplayDReckChalut(PlotrexData* data) : PlotrexDisplay(data) {
    data_ = dynamic_cast<PlotrexDataDReckChalut*>(data);
}

PlotrexDataDReckChalut* PlotrexDisplayDReckChalut::Trawl() const {
    return static_cast<PlotrexDataDReckChalut*>(data_);
}

void PlotrexDisplayDReckChalut::Draw(short layer, VexanDevice* device, RECT area,
                                     const LinearPixelProjection& x, const LinearPixelProjection& y,
                                     StyleTable* pens) {
    PlotrexDataDReckChalut* trawl = Trawl();
    const DistanceTracker* tracker = trawl != nullptr ? trawl->GetDistanceTracker() : nullptr;
    const double behind = trawl != nullptr ? trawl->GetTrawlDistance() : kUndefined;
    // A cable that does not reach below the net's depth places no net.
    if (tracker != nullptr && pens != nullptr && device != nullptr && layer == 1 &&
        !IsUndefined(behind)) {
        const double d = tracker->GetDistance();
        const double shipX = x.ToPixel(d);
        const double shipY = y.ToPixel(0.0);
        const auto netX = static_cast<float>(x.ToPixel(d - behind));
        const auto netY = static_cast<float>(y.ToPixel(-trawl->GetParameters().depth));
        DeviceGraphics graphics(device);
        graphics.SetClip(area);
        COLORREF colour = 0;
        pens->GetColour(kNetColour, &colour);
        // The mouth toward the ship, narrowing behind.
        const PointF net[] = {{netX, netY},
                              {netX, netY + 15.0f},
                              {netX - 30.0f, netY + 10.0f},
                              {netX - 30.0f, netY + 5.0f}};
        graphics.DrawHatchedPolygon(net, 4, colour, 255, 2.0, kHatchDiagonalCross);
        const double cable[] = {shipX, shipY, netX, netY};
        graphics.DrawPolyline(cable, 2, colour, 2.0, 255);
    }
    ClearModified();
}

void PlotrexDisplayDReckChalut::Load(Serializater&) {}

void PlotrexDisplayDReckChalut::Save(Serializater&) {}

Margins PlotrexDisplayDReckChalut::GetMargins() {
    return Margins{-30, 0, 0, -15};
}
