// plotrex-host: the reference host. It loads the module as a navigation host
// does, sails a voyage past it (built in, or replayed from an NMEA log) and
// shows what the module draws, headless as pictures or in a window.
#include <iostream>
#include <string>
#include <vector>

#include "host/app/HostOptions.h"
#include "host/app/HostSession.h"

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "plotrex-host: " << error
                  << "\n(plotrex-host --help lists the options and the commands)\n";
        return 2;
    }
    if (options.help) {
        std::cout << HostUsage();
        return 0;
    }
    HostSession session(std::move(options));
    return session.Run();
}
