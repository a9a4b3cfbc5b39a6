// plotrex-host: the reference host. It loads the module as a navigation host
// does, sails a voyage past it (built in, or replayed from an NMEA log) and
// shows what the module draws, headless as pictures or in a window.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/app/HostOptions.h"
#include "host/app/HostRun.h"
#include "host/app/PlaceScout.h"
#include "host/app/TellUser.h"
#include "platform/MessageBox.h"

namespace {

// The whole program but the telling of its error.
ErrorOr<int> Main(const std::vector<std::string>& args) {
    ErrorOr<HostOptions> options = ParseHostOptions(args);
    if (!options) {
        return Error::Refused(options.GetError().Message() +
                              "\n(plotrex-host --help lists the options and the commands)");
    }
    if (options.Value().help) {
        std::cout << HostUsage();
        return 0;
    }
    // Started by a window to sail ahead of it.
    const char* scoutFd = std::getenv(PlaceScout::kFdVariable);
    const char* scoutProfile = std::getenv(PlaceScout::kProfileVariable);
    if (scoutFd != nullptr && scoutProfile != nullptr) {
        options.Value().profilePath = scoutProfile;
        return RunScout(options.Value(), std::atoi(scoutFd));
    }
    return RunHost(options.Value());
}

}  // namespace

int main(int argc, char** argv) {
    // Warnings reach the host through its user-interface library's message
    // box; the console has no box, and a warning asks for no answer.
    SetMessageBoxHandler([](const std::string& text, const std::string& caption, UINT type) {
        if ((type & MB_ICONWARNING) == MB_ICONWARNING) {
            WarnUser(text);
        } else {
            std::cerr << caption << ": " << text << std::endl;
        }
        return IDOK;
    });
    const ErrorOr<int> exitCode = Main(std::vector<std::string>(argv + 1, argv + argc));
    return exitCode ? exitCode.Value() : EndWith(exitCode.GetError());
}
