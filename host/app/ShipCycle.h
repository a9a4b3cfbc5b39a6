#pragma once
// One host cycle, once the ship's state of the cycle is in the module host:
// the trawl handed over, the module's graphs brought up to date, the account
// of what was fed and the track kept, and the chart following the ship.
#include <optional>
#include <string>

#include "host/app/FeedAccount.h"
#include "host/app/ModuleHost.h"
#include "host/app/ShallowWatch.h"
#include "host/app/TrackLog.h"
#include "host/app/TrawlHand.h"

class ShipCycle {
  public:
    // shallowMargin: metres under the keel the forecast must keep.
    ShipCycle(ModuleHost& module, TrawlHand& trawl, FeedAccount& account, double shallowMargin)
        : module_(module), trawl_(trawl), account_(account), shallowMargin_(shallowMargin) {}

    void Step();
    // The trawl again, out of turn (the user paid out cable).
    void HandTrawl();
    // The chart symbolized again when the mark under the view's anchor moved
    // or the ship did.
    void RefreshChart(bool shipMoved);
    // What a replay resumed at this cycle takes up again.
    struct Saved {
        std::size_t trackPoints = 0;
        std::optional<ShallowWatch> shallow;
    };
    Saved Save() const { return Saved{track_.Size(), shallow_}; }
    // From the start again (a replay gone back): no track, no anchor seen.
    void Restart() { Resume(Saved{}); }
    // As it was when saved, over a module made afresh: the anchor not seen
    // and the warning in force told again.
    void Resume(const Saved& saved);
    // Track points fed elsewhere (by a scout), the first of them the
    // from-th point fed.
    void ExtendTrack(std::size_t from, std::span<const TrackPoint> points) {
        track_.Extend(from, points);
    }
    // The track fed so far.
    const TrackLog& Track() const { return track_; }

    // The watch over the forecast's depths, made at the first cycle (when the
    // vessel's draught is known); null before.
    const ShallowWatch* Shallow() const { return shallow_ ? &*shallow_ : nullptr; }
    // " - SHALLOW ... " for the window's title while a warning is in force.
    std::string ShallowTitle() const;

  private:
    ModuleHost& module_;
    TrawlHand& trawl_;
    FeedAccount& account_;
    TrackLog track_;
    PosType anchorSeen_ = NoPos;
    double shallowMargin_;
    std::optional<ShallowWatch> shallow_;
    long answersSeen_ = 0;

    // The forecast's new depths looked at, the view told of a change.
    void WatchAhead();
    // The view told of the warning in force, or that none is.
    void SendWarning() const;
};
