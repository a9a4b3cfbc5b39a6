#include "drawing/PlotrexDisplayProfileHistoric.h"

#include "drawing/CurvePainter.h"
#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexDataProfileHistoric.h"
#include "layout/LinearPixelProjection.h"

namespace {

constexpr const char* kPen = "HISTORIC_PEN";

}  // namespace

PlotrexDisplayProfileHistoric::PlotrexDisplayProfileHistoric(PlotrexData* data)
    : PlotrexDisplay(data) {
    data_ = dynamic_cast<PlotrexDataProfileHistoric*>(data);
}

PlotrexDataProfileHistoric* PlotrexDisplayProfileHistoric::Historic() const {
    return static_cast<PlotrexDataProfileHistoric*>(data_);
}

void PlotrexDisplayProfileHistoric::Draw(short layer, VexanDevice* device, RECT area,
                                         const LinearPixelProjection& x,
                                         const LinearPixelProjection& y, StyleTable* pens) {
    PlotrexDataProfileHistoric* historic = Historic();
    COLORREF colour = 0;
    BYTE opacity = 0;
    // A line only, in layer 1: it lies over every fill.
    if (historic != nullptr && pens != nullptr && device != nullptr && layer == 1 &&
        pens->Lookup(kPen, &colour, &opacity)) {
        const ProfileSeries* series = historic->GetSeries();
        if (series->GetCount() > 0 && historic->IsShown()) {
            DeviceGraphics graphics(device);
            graphics.SetClip(area);
            const double offset = historic->GetOffset();
            const CurvePainter painter(series, &graphics);
            painter.Paint(area, x.ToWorld(0.0), x.ToWorld(area.right), x, y, CurvePainter::kLine,
                          colour, 255, -offset, 0.0f);

            double first = kUndefined;
            double second = kUndefined;
            historic->GetReferencePosition(&first, &second);
            if (!IsUndefined(first) && !IsUndefined(second)) {
                const double at = series->DistanceAtPosition(PosType(first, second), nullptr, true);
                const double value = at != -1.0 ? series->Interpolate(at).value : kUndefined;
                if (!IsUndefined(value)) {
                    // The marker may stand out of the area near its edges.
                    graphics.ResetClip();
                    const POINT centre{static_cast<LONG>(x.ToPixel(at - offset)),
                                       static_cast<LONG>(y.ToPixel(value))};
                    graphics.FillTriangleMarker(centre, colour, 255, kMarkerSize);
                }
            }
        }
    }
    ClearModified();
}

short PlotrexDisplayProfileHistoric::GetLayerCount() {
    return 2;
}

Margins PlotrexDisplayProfileHistoric::GetMargins() {
    return Margins{0, 20, 0, -20};
}

bool PlotrexDisplayProfileHistoric::GetLegendEntry(std::string& text) {
    PlotrexDataProfileHistoric* historic = Historic();
    if (historic == nullptr || historic->GetMode() != 2 || historic->GetSeries()->GetCount() > 0) {
        return false;
    }
    text = "No Data";
    return true;
}
