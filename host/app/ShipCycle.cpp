#include "host/app/ShipCycle.h"

#include "host/app/Format.h"
#include "host/app/ViewCommands.h"
#include "module/CommandNames.h"
#include "module/ModuleDataPlotrexInterface.h"

void ShipCycle::Step() {
    const ShipSnapshot& now = module_.Now();
    HandTrawl();
    module_.Data().UpdateGraphs();
    WatchAhead();
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

void ShipCycle::Resume(const Saved& saved) {
    track_.CutTo(saved.trackPoints);
    anchorSeen_ = NoPos;
    shallow_ = saved.shallow;
    // The module's depth source is new and counts its answers from none.
    answersSeen_ = 0;
    if (shallow_ && shallow_->Current()) {
        SendWarning();
    }
}

void ShipCycle::SendWarning() const {
    const auto& ahead = shallow_->Current();
    const std::string argument =
        ahead ? Format("%.0f %.1f", ahead->distance, ahead->depth) : std::string();
    // Only the profile view shows the forecast; the others do not take it.
    ViewCommands(module_.Frame()).Send(kCommandShallowWarning, argument.c_str());
}

void ShipCycle::WatchAhead() {
    if (!shallow_) {
        shallow_.emplace(module_.Draught(), shallowMargin_);
    }
    const ModelDepthSource& depths = module_.DepthSource();
    if (depths.Answered() == answersSeen_) {
        return;
    }
    answersSeen_ = depths.Answered();
    if (shallow_->Look(depths.LastAnswer(), module_.Now().time)) {
        SendWarning();
    }
}

std::string ShipCycle::ShallowTitle() const {
    if (!shallow_ || !shallow_->Current()) {
        return "";
    }
    return Format(" - SHALLOW WATER AHEAD: %.1f m in %.0f m", shallow_->Current()->depth,
                  shallow_->Current()->distance);
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
