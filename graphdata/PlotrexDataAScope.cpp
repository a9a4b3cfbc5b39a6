#include "graphdata/PlotrexDataAScope.h"

#include <algorithm>

#include "drawing/PlotrexDisplayAScope.h"
#include "echo/EtrSweepRecorder.h"

PlotrexDisplay* PlotrexDataAScope::CreateDisplay() {
    return new PlotrexDisplayAScope(this);
}

Extent PlotrexDataAScope::GetExtent() {
    const auto [top0, bottom0] = GetDepthWindow(0);
    const auto [top1, bottom1] = GetDepthWindow(1);
    // All four at zero: no sweep yet, so nothing to widen the view for.
    if (top0 == 0.0 && bottom0 == 0.0 && top1 == 0.0 && bottom1 == 0.0) {
        return Extent{};
    }
    const DistanceTracker* tracker = GetDistanceTracker();
    const double distance = tracker != nullptr ? tracker->GetDistance() : -1.0;
    if (distance < 0.0) {
        return Extent{};
    }
    return Extent{distance, distance, std::min(bottom0, bottom1), std::max(top0, top1)};
}
