#pragma once
// The strengths a sonar recording's echo levels stand for, told to the
// module for its colour bar; nothing for the other feeds.
#include "host/app/ViewCommands.h"
#include "host/app/VoyageSources.h"

void SendLevelStrengths(const VoyageSources& sources, const ViewCommands& view);
