#include "drawing/PlotrexDisplayProfile.h"

#include <cstring>

#include "drawing/CurvePainter.h"
#include "drawing/DeviceGraphics.h"
#include "drawing/StyleTable.h"

#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/GenData.h"
#include "layout/LinearPixelProjection.h"
#include "resources/ModuleStrings.h"
#include "resources/Resource.h"

PlotrexDisplayProfile::PlotrexDisplayProfile(PlotrexData* data) : PlotrexDisplay(data) {
    data_ = dynamic_cast<PlotrexDataProfile*>(data);
}

PlotrexDataProfile* PlotrexDisplayProfile::GetProfile() const {
    return dynamic_cast<PlotrexDataProfile*>(data_);
}

void PlotrexDisplayProfile::Draw(short layer, VexanDevice* device, RECT area,
                                 const LinearPixelProjection& x, const LinearPixelProjection& y,
                                 StyleTable* pens) {
    PlotrexDataProfile* profile = GetProfile();
    if (pens != nullptr && device != nullptr && profile != nullptr && (layer == 0 || layer == 1)) {
        DeviceGraphics graphics(device);
        graphics.SetClip(area);
        const ProfileSeries* series = profile->GetSeries();
        if (series->GetCount() > 0) {
            const CurvePainter painter(series, &graphics);
            const double from = x.ToWorld(0.0);
            const double to = x.ToWorld(area.right);
            // The fill in layer 0 lies under every line of layer 1.
            const std::string style =
                std::string(profile->GetUnit()) + (layer == 0 ? "_BRUSH" : "_PEN");
            COLORREF colour = 0;
            BYTE opacity = 0;
            if (pens->Lookup(style.c_str(), &colour, &opacity)) {
                painter.Paint(area, from, to, x, y,
                              layer == 0 ? CurvePainter::kFill : CurvePainter::kLine, colour,
                              opacity, 0.0, 0.0f);
            }
        }
    }
    ClearModified();
}

short PlotrexDisplayProfile::GetLayerCount() {
    return 2;
}

bool PlotrexDisplayProfile::GetLegendEntry(std::string& text) {
    PlotrexDataProfile* profile = GetProfile();
    if (profile == nullptr) {
        return false;
    }
    const DistanceTracker* tracker = profile->GetDistanceTracker();
    const double distance = tracker ? tracker->GetDistance() : 0.0;
    double first = kUndefined;
    double second = kUndefined;
    double value = kUndefined;
    if (!profile->GetValueAt(distance, &first, &second, &value)) {
        return false;
    }
    const bool temperature = std::strcmp(profile->GetUnit(), kUnitTemp) == 0;
    const int kind = temperature ? GenData::kKindTemperature : GenData::kKindDepth;
    const std::unique_ptr<GenData::CGenericData> datum = GenData::CFactory::New(kind, value);
    const auto* number = dynamic_cast<const GenData::CFloatGenData*>(datum.get());
    if (number == nullptr) {
        return false;
    }
    const std::string shown = number->ToString(GenData::g_DefaultGenDataFormat);
    if (shown == GenData::CGenericData::InvalidString(true)) {
        if (temperature) {
            return false;
        }
        // The legend shows entries starting with "#w" as warnings.
        text = std::string("#w") + LoadModuleString(IDS_NO_DEPTH);
        return true;
    }
    text = shown;
    return true;
}
