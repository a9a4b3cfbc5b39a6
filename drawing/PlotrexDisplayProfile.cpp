#include "drawing/PlotrexDisplayProfile.h"

#include <cstring>

#include "graphdata/PlotrexDataProfile.h"
#include "hostfamily/GenData.h"
#include "resources/ModuleStrings.h"
#include "resources/Resource.h"

PlotrexDisplayProfile::PlotrexDisplayProfile(PlotrexData* data) : PlotrexDisplay(data) {
    data_ = dynamic_cast<PlotrexDataProfile*>(data);
}

PlotrexDataProfile* PlotrexDisplayProfile::GetProfile() const {
    // The constructor only ever stores a profile (or null) here.
    return static_cast<PlotrexDataProfile*>(data_);
}

void PlotrexDisplayProfile::Draw(short, VexanDevice*, RECT, const LinearPixelProjection&,
                                 const LinearPixelProjection&, StyleTable*) {
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
