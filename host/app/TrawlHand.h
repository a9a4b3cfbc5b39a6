#pragma once
// The trawl the host hands the module: the user's for the whole run, or the
// built-in trawler's own, shot on its fishing legs and hauled between them,
// with cable paid out or heaved in by hand.
#include <optional>
#include <string>

#include "host/replay/ShipFeed.h"
#include "module/TrawlParameters.h"

class ModuleDataPlotrexInterface;

class TrawlHand {
  public:
    explicit TrawlHand(std::optional<TrawlParameters> given) : given_(given) {}
    // What it holds, to carry it elsewhere and make it there again.
    struct Parts {
        std::optional<TrawlParameters> given;
        std::optional<TrawlParameters> sent;
        int shot = 0;
        double cablePaidOut = 0.0;
    };
    explicit TrawlHand(const Parts& parts)
        : given_(parts.given),
          sent_(parts.sent),
          shot_(parts.shot),
          cablePaidOut_(parts.cablePaidOut) {}
    Parts GetParts() const { return Parts{given_, sent_, shot_, cablePaidOut_}; }

    // Hands the module the trawl of this cycle when it changed.
    void Hand(ModuleDataPlotrexInterface& module, const ShipSnapshot& now);
    // Hands a module made afresh the trawl last handed over, if any.
    void HandAgain(ModuleDataPlotrexInterface& module) const;
    // Metres of cable paid out (negative: heaved in); taken at the next Hand.
    void PayOut(double metres) { cablePaidOut_ += metres; }
    double PaidOut() const { return cablePaidOut_; }
    // The summary's line.
    std::string Summary() const;

  private:
    std::optional<TrawlParameters> given_;
    std::optional<TrawlParameters> sent_;
    int shot_ = 0;
    double cablePaidOut_ = 0.0;
};
