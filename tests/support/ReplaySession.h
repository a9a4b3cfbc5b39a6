#pragma once
// A replay of the host put together as plotrex-host puts it together for the
// window, on the headless desktop: the module over the user's feed, its view
// and chart, the recording's levels told, the feed's index and the playback
// steered by hand.
#include <memory>

#include "host/app/Playback.h"

class ReplaySession {
  public:
    explicit ReplaySession(const HostOptions& options);
    ~ReplaySession();
    ReplaySession(const ReplaySession&) = delete;
    ReplaySession& operator=(const ReplaySession&) = delete;

    // False when any part could not be made (the rest is then unusable).
    bool Ready() const { return playback_ != nullptr; }
    Playback& Play() { return *playback_; }
    ModuleHost& Module() { return *module_; }
    HeadlessDesktop& Desktop() { return *desktop_; }
    const FeedAccount& Account() const { return account_; }
    const ShipCycle& Cycle() const { return *cycle_; }
    // The layout the user has, in the profile's file; false when not saved.
    bool SaveProfile();

  private:
    HostOptions options_;
    VoyageSources sources_;
    std::unique_ptr<HeadlessDesktop> desktop_;
    std::unique_ptr<ModuleHost> module_;
    std::unique_ptr<ViewCommands> view_;
    std::unique_ptr<UserCommands> commands_;
    TrawlHand trawl_{std::nullopt};
    FeedAccount account_;
    std::unique_ptr<ShipCycle> cycle_;
    std::unique_ptr<Pictures> pictures_;
    std::unique_ptr<RunParts> parts_;
    std::unique_ptr<Playback> playback_;
    bool loaded_ = false;
};
