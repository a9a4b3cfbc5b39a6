#include "host/app/LevelStrengths.h"

#include <string>

#include "module/CommandNames.h"

void SendLevelStrengths(const VoyageSources& sources, const ViewCommands& view) {
    if (sources.sonar == nullptr) {
        return;
    }
    std::string starts;
    for (const int start : sources.sonar->Reducer().LevelStarts()) {
        if (!starts.empty()) {
            starts += ' ';
        }
        starts += std::to_string(start);
    }
    view.Send(kCommandEtrLevelStrengths, starts.c_str());
}
