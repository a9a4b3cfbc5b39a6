#include "graphdata/PlotrexDataDReckChalut.h"

#include <cmath>

#include "drawing/PlotrexDisplayDReckChalut.h"
#include "units/UnitConversion.h"

namespace {

bool Usable(double value) {
    return std::isfinite(value) && !IsUndefined(value);
}

}  // namespace

PlotrexDataDReckChalut::PlotrexDataDReckChalut(DistanceTracker* tracker, const char* nameKey,
                                               const char* unitKey)
    : PlotrexData(tracker, nameKey, unitKey) {}

PlotrexDisplay* PlotrexDataDReckChalut::CreateDisplay() {
    auto* display = new PlotrexDisplayDReckChalut(this);
    display->SetVisible(parameters_.visible != 0);
    return display;
}

void PlotrexDataDReckChalut::Update() {
    ModifyDisplays();
}

void PlotrexDataDReckChalut::SetParameters(const TrawlParameters& parameters) {
    parameters_ = parameters;
    for (PlotrexDisplay* display : GetDisplays()) {
        if (display != nullptr) {
            display->SetVisible(parameters_.visible != 0);
        }
    }
    ModifyDisplays();
}

double PlotrexDataDReckChalut::GetTrawlDistance() const {
    double cable = parameters_.cableLength;
    const double depth = parameters_.depth;
    const double factor = parameters_.cableFactor;
    // A net above the surface or a length that is not a number places nothing.
    if (!Usable(cable) || !Usable(depth) || depth < 0.0) {
        return kUndefined;
    }
    if (factor > 0.0 && factor <= 1.0) {
        cable *= factor;
    }
    if (!(cable > depth)) {
        return kUndefined;
    }
    const double horizontal = std::sqrt(cable * cable - depth * depth);
    return Convert(horizontal, kUnitMetre, kUnitRadianOfArc);
}

Extent PlotrexDataDReckChalut::GetExtent() {
    const DistanceTracker* tracker = GetDistanceTracker();
    const double behind = GetTrawlDistance();
    // Without a place for the net there is nothing to fit the view to.
    if (tracker == nullptr || tracker->GetDistance() < 0.0 || IsUndefined(behind)) {
        return Extent();
    }
    const double d = tracker->GetDistance();
    return Extent{d - behind, d, -parameters_.depth, 0.0};
}
