#pragma once
// The parts of one run of the host, each with its own job, as the stages of
// the run (the voyage headless or in a window, the summary) share them.
#include "host/app/FeedAccount.h"
#include "host/app/HostOptions.h"
#include "host/app/ModuleHost.h"
#include "host/app/Pictures.h"
#include "host/app/ShipCycle.h"
#include "host/app/TrawlHand.h"
#include "host/app/UserCommands.h"
#include "host/app/ViewCommands.h"
#include "host/app/VoyageSources.h"
#include "platform/HeadlessDesktop.h"

struct RunParts {
    const HostOptions& options;
    VoyageSources& sources;
    HeadlessDesktop& desktop;
    ModuleHost& module;
    const ViewCommands& view;
    UserCommands& userCommands;
    TrawlHand& trawl;
    FeedAccount& account;
    ShipCycle& cycle;
    Pictures& pictures;
};
