#include "graphdata/PlotrexDataProfile.h"

#include <cmath>
#include <cstring>

#include "drawing/PlotrexDisplayProfile.h"

PlotrexDataProfile::PlotrexDataProfile(DistanceTracker* tracker, const char* nameKey,
                                       const char* unitKey)
    : PlotrexData(tracker, nameKey, unitKey) {
    const bool temperature = std::strcmp(GetUnit(), kUnitTemp) == 0;
    dataKind_ = temperature ? kDataKindTemperature : kDataKindDepth;
    sign_ = temperature ? 1.0f : -1.0f;
    series_.SetCountLimit(kCountLimit);
}

PlotrexDisplay* PlotrexDataProfile::CreateDisplay() {
    return new PlotrexDisplayProfile(this);
}

void PlotrexDataProfile::Update() {
    DistanceTracker* tracker = GetDistanceTracker();
    HostDataSource* source = tracker ? tracker->GetDataSource() : nullptr;
    if (source == nullptr) {
        return;
    }
    float sample = source->GetLatestSample(dataKind_, 1);
    // Whatever the host sends that is not a number is a missing sample.
    if (!std::isfinite(sample)) {
        sample = kUndefinedFloat;
    }
    if (sample != kUndefinedFloat) {
        sample *= sign_;
    }
    const ProfilePoint point{tracker->GetPosition(), sample, tracker->GetDistance()};
    if (series_.GetCount() == 0) {
        if (IsUndefined(point.value) || point.position.IsNoPos()) {
            return;
        }
    } else if (point.distance == series_.At(series_.GetCount() - 1).distance) {
        return;
    }
    series_.Add(point);
    ModifyDisplays();
}

bool PlotrexDataProfile::GetValueAt(double distance, double* first, double* second, double* value) {
    if (!series_.Contains(distance)) {
        return false;
    }
    const ProfilePoint point = series_.Interpolate(distance);
    if (IsUndefined(point.value)) {
        return false;
    }
    *first = point.position.First();
    *second = point.position.Second();
    *value = point.value;
    return true;
}

Extent PlotrexDataProfile::GetExtent() {
    return series_.GetCount() > 0 ? series_.GetExtent() : Extent();
}

ProfileSeries* PlotrexDataProfile::GetSeries() {
    return &series_;
}
