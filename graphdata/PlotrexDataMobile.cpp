#include "graphdata/PlotrexDataMobile.h"

#include <cmath>

#include "drawing/PlotrexDisplayMobile.h"

PlotrexDataMobile::PlotrexDataMobile(DistanceTracker* tracker, const char* nameKey,
                                     const char* unitKey)
    : PlotrexData(tracker, nameKey, unitKey) {}

PlotrexDisplay* PlotrexDataMobile::CreateDisplay() {
    return new PlotrexDisplayMobile(this);
}

void PlotrexDataMobile::Update() {
    ModifyDisplays();
}

bool PlotrexDataMobile::Init(HostVesselSource* vesselSource) {
    vesselSource_ = vesselSource;
    return true;
}

double PlotrexDataMobile::GetDraught() const {
    if (vesselSource_ == nullptr) {
        return 0.0;
    }
    const double draught = vesselSource_->GetDraught();
    // A draught the host does not know (or that is not one) is none.
    return std::isfinite(draught) && !IsUndefined(draught) && draught > 0.0 ? draught : 0.0;
}

Extent PlotrexDataMobile::GetExtent() {
    const DistanceTracker* tracker = GetDistanceTracker();
    if (vesselSource_ == nullptr || tracker == nullptr || tracker->GetDistance() < 0.0) {
        return Extent();
    }
    const double d = tracker->GetDistance();
    return Extent{d, d, -GetDraught(), 0.0};
}
