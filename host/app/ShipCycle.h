#pragma once
// One host cycle, once the ship's state of the cycle is in the module host:
// the trawl handed over, the module's graphs brought up to date, the account
// of what was fed and the track kept, and the chart following the ship.
#include "host/app/FeedAccount.h"
#include "host/app/ModuleHost.h"
#include "host/app/TrackLog.h"
#include "host/app/TrawlHand.h"

class ShipCycle {
  public:
    ShipCycle(ModuleHost& module, TrawlHand& trawl, FeedAccount& account)
        : module_(module), trawl_(trawl), account_(account) {}

    void Step();
    // The trawl again, out of turn (the user paid out cable).
    void HandTrawl();
    // The chart symbolized again when the mark under the view's anchor moved
    // or the ship did.
    void RefreshChart(bool shipMoved);
    // From the start again (a replay gone back): no track, no anchor seen.
    void Restart() {
        track_ = TrackLog();
        anchorSeen_ = NoPos;
    }
    // The track fed so far.
    const TrackLog& Track() const { return track_; }

  private:
    ModuleHost& module_;
    TrawlHand& trawl_;
    FeedAccount& account_;
    TrackLog track_;
    PosType anchorSeen_ = NoPos;
};
