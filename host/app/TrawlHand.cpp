#include "host/app/TrawlHand.h"

#include <algorithm>
#include <cmath>

#include "host/app/Format.h"
#include "module/ModuleDataPlotrexInterface.h"

namespace {

// The built-in trawler's gear: its net kept 40 m above the floor on 1200 m of
// cable, of which 0.7 lies between ship and net.
constexpr double kTrawlCable = 1200.0;
constexpr double kTrawlAboveFloor = 40.0;
constexpr double kTrawlFactor = 0.7;
constexpr double kLeastCable = 50.0;

}  // namespace

void TrawlHand::Hand(ModuleDataPlotrexInterface& module, const ShipSnapshot& now) {
    TrawlParameters trawl{kTrawlCable, 0.0, kTrawlFactor, 0};
    if (given_) {
        trawl = *given_;
    } else if (now.towing && !IsUndefined(now.depthMetres)) {
        trawl.depth = std::max(0.0, now.depthMetres - kTrawlAboveFloor);
        trawl.visible = 1;
    } else if (sent_) {
        // Hauled: the net stays where it was, out of sight.
        trawl.depth = sent_->depth;
    }
    trawl.cableLength = std::max(kLeastCable, trawl.cableLength + cablePaidOut_);
    if (sent_ && *sent_ == trawl) {
        return;
    }
    if (trawl.visible != 0 && (!sent_ || sent_->visible == 0)) {
        ++shot_;
    }
    module.SetTrawlValue(trawl);
    sent_ = trawl;
}

void TrawlHand::HandAgain(ModuleDataPlotrexInterface& module) const {
    if (sent_) {
        module.SetTrawlValue(*sent_);
    }
}

std::string TrawlHand::Summary() const {
    if (!sent_ || shot_ == 0) {
        return "Trawl: none (--trawl CABLE:DEPTH[:FACTOR] gives one)\n";
    }
    const TrawlParameters& t = *sent_;
    const double between = t.cableLength * t.cableFactor;
    std::string net;
    if (given_) {
        net = Format("net at %.0f m", t.depth);
    } else {
        net = Format("net %.0f m above the floor, shot %d time%s on the fishing legs",
                     kTrawlAboveFloor, shot_, shot_ == 1 ? "" : "s");
    }
    std::string end;
    if (t.visible == 0) {
        end = "hauled at the end";
    } else if (between > t.depth) {
        end = Format("at the end %.0f m behind the ship at %.0f m",
                     std::sqrt(between * between - t.depth * t.depth), t.depth);
    } else {
        end = Format("at the end out of reach at %.0f m", t.depth);
    }
    return Format("Trawl: %.0f m of cable (factor %.2g), %s; %s\n", t.cableLength, t.cableFactor,
                  net.c_str(), end.c_str());
}
