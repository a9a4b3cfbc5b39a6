#include "tests/support/ReplaySession.h"

#include "host/app/LevelStrengths.h"

ReplaySession::ReplaySession(const HostOptions& options) : options_(options) {
    ErrorOr<VoyageSources> opened = VoyageSources::Open(options_);
    if (!opened) {
        return;
    }
    sources_ = opened.Release();
    desktop_ = std::make_unique<HeadlessDesktop>();
    module_ = std::make_unique<ModuleHost>(options_.profilePath);
    loaded_ = static_cast<bool>(module_->Load());
    if (!loaded_) {
        return;
    }
    module_->Initialize(sources_, options_.displayMode);
    if (!module_->OpenFirstView()) {
        loaded_ = false;  // taken down already
        return;
    }
    view_ = std::make_unique<ViewCommands>(module_->Frame());
    commands_ = std::make_unique<UserCommands>(options_.commands, *view_);
    cycle_ = std::make_unique<ShipCycle>(*module_, trawl_, account_, options_.shallowMargin);
    pictures_ = std::make_unique<Pictures>(*desktop_, options_.outDir);
    parts_ =
        std::make_unique<RunParts>(RunParts{options_, sources_, *desktop_, *module_, *view_,
                                            *commands_, trawl_, account_, *cycle_, *pictures_});
    module_->OpenChart(nullptr, false, *view_);
    SendLevelStrengths(sources_, *view_);
    ErrorOr<FeedIndex> index = FeedIndex::Build(options_);
    if (!index) {
        return;
    }
    playback_ = std::make_unique<Playback>(*parts_, index.Release());
    playback_->Start();
}

ReplaySession::~ReplaySession() {
    if (loaded_) {
        module_->TakeDown();
    }
}

bool ReplaySession::SaveProfile() {
    module_->SaveSettings();
    return static_cast<bool>(module_->SaveProfile());
}
