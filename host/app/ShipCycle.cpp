#include "host/app/ShipCycle.h"

#include "module/ModuleDataPlotrexInterface.h"

void ShipCycle::Step() {
    const ShipSnapshot& now = module_.Now();
    HandTrawl();
    module_.Data().UpdateGraphs();
    account_.Fed(now);
    if (!now.position.IsNoPos()) {
        track_.Fed(
            now, account_.DistanceRadians(),
            module_.DepthSource().ChartedDepthAt(now.position.First(), now.position.Second()));
    }
    if (HostChart* chart = module_.Chart()) {
        chart->SetOwnShip(now.position, IsUndefined(now.heading) ? 0.0 : now.heading);
    }
}

void ShipCycle::HandTrawl() {
    trawl_.Hand(module_.Data(), module_.Now());
}

void ShipCycle::RefreshChart(bool shipMoved) {
    HostChart* chart = module_.Chart();
    if (chart == nullptr) {
        return;
    }
    double first = kUndefined;
    double second = kUndefined;
    PosType anchor = NoPos;
    if (module_.Data().GetAnchorPosition(&first, &second)) {
        anchor = PosType(first, second);
    }
    const bool anchorMoved = !(anchor == anchorSeen_);
    anchorSeen_ = anchor;
    chart->Refresh(anchorMoved || shipMoved);
}
