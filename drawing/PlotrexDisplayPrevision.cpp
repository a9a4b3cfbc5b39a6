#include "drawing/PlotrexDisplayPrevision.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "drawing/CurvePainter.h"
#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"
#include "graphdata/PlotrexDataPrevision.h"
#include "layout/LinearPixelProjection.h"
#include "persistence/Serializater.h"

namespace {

// The line's colour in the palette.
constexpr unsigned kLineColour = 0;

}  // namespace

PlotrexDisplayPrevision::PlotrexDisplayPrevision(PlotrexData* data) : PlotrexDisplay(data) {
    data_ = dynamic_cast<PlotrexDataPrevision*>(data);
    SetVisible(false);
}

bool PlotrexDisplayPrevision::GetLegendEntry(std::string& text) {
    const PlotrexDataPrevision* prevision = Prevision();
    if (prevision == nullptr || !prevision->GetShallowWarning()) {
        return false;
    }
    const auto& shallow = *prevision->GetShallowWarning();
    char line[96];
    std::snprintf(line, sizeof line, "#wShallow ahead: %.1f m in %.0f m", shallow.depth,
                  shallow.distance);
    text = line;
    return true;
}

PlotrexDataPrevision* PlotrexDisplayPrevision::Prevision() const {
    return static_cast<PlotrexDataPrevision*>(data_);
}

void PlotrexDisplayPrevision::Draw(short layer, VexanDevice* device, RECT area,
                                   const LinearPixelProjection& x, const LinearPixelProjection& y,
                                   StyleTable* pens) {
    PlotrexDataPrevision* prevision = Prevision();
    if (prevision != nullptr && pens != nullptr && device != nullptr &&
        (layer == 0 || layer == 1) && prevision->GetSeries()->GetCount() > 0) {
        DeviceGraphics graphics(device);
        graphics.SetClip(area);
        HostVesselSource* vessel = prevision->GetVesselSource();
        float correction = vessel != nullptr ? vessel->GetCorrection() : kUndefinedFloat;
        if (!std::isfinite(correction)) {
            correction = kUndefinedFloat;
        }
        const CurvePainter painter(prevision->GetSeries(), &graphics);
        const double from = x.ToWorld(0.0);
        const double to = x.ToWorld(area.right);
        COLORREF colour = 0;
        BYTE opacity = 0;
        if (layer == 0 && pens->Lookup("PREVISION_BRUSH", &colour, &opacity)) {
            painter.Paint(area, from, to, x, y, CurvePainter::kFill, colour, opacity, 0.0,
                          correction);
        } else if (layer == 1 && correction != kUndefinedFloat &&
                   pens->GetColour(kLineColour, &colour)) {
            painter.Paint(area, from, to, x, y, CurvePainter::kLine, colour, 255, 0.0, 0.0f);
        }
    }
    ClearModified();
}

void PlotrexDisplayPrevision::Load(Serializater& s) {
    if (data_ == nullptr) {
        return;
    }
    if (s.Read(std::string(data_->GetName()) + "_visible").empty()) {
        SetVisible(false);
        return;
    }
    PlotrexDisplay::Load(s);
}

short PlotrexDisplayPrevision::GetLayerCount() {
    return 2;
}

Margins PlotrexDisplayPrevision::GetMargins() {
    PlotrexDataPrevision* prevision = Prevision();
    const bool empty = prevision == nullptr || prevision->GetSeries()->GetCount() == 0;
    return Margins{0, 0, empty ? kRoomWhileEmpty : 0, 0};
}
