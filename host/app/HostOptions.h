#pragma once
// The command line of plotrex-host.
#include <optional>
#include <string>
#include <vector>

#include "module/TrawlParameters.h"
#include "platform/Error.h"

struct HostCommand {
    std::string name;
    std::string argument;  // empty when none was given
    bool hasArgument = false;
};

struct HostOptions {
    std::string nmeaPath;             // empty: the built-in voyage
    std::string sonarPath;            // an SL2 or SL3 sonar recording instead
    std::string echoGain = "normal";  // how recorded echo strengths become levels
    double speed = 60.0;              // ship seconds per real second, for --window
    double cycleSeconds = 0.0;        // ship seconds per host cycle; 0: the feed's own
    std::string outDir;               // where pictures go
    std::string exportDir;            // where the export goes (empty: none headless)
    std::string profilePath;          // the settings profile
    bool window = false;              // a real window instead of headless pictures
    double durationSeconds = 0;       // 0: until the voyage ends (or the window is closed)
    std::vector<HostCommand> commands;
    int displayMode = -1;                   // the module's display mode at start; -1: as stored
    short light = 0;                        // 0 day, 1 dusk, 2 night
    std::string bathymetryPath;             // empty: the feed's own sea floor, if any
    std::string bathymetryValues = "auto";  // auto, depths or elevations
    std::string historicPath;               // empty: the feed's earlier survey, if any
    std::string echoColours;                // the echogram's colour scale; empty: as stored
    double shallowMargin = 2.0;             // metres under the keel the forecast must keep
    // The trawl for the whole run; none: the built-in voyage shoots its own
    // on its fishing legs, a replay has none.
    std::optional<TrawlParameters> trawl;
    bool help = false;
    // The command line as given, for a scout of the same replay.
    std::vector<std::string> arguments;
};

// The help text, made from the declarations of the options.
std::string HostUsage();

// The manual page in roff, made from the same declarations.
std::string HostManPage(const std::string& version);

// Refused for unknown options, bad values and command names the module does
// not know.
ErrorOr<HostOptions> ParseHostOptions(const std::vector<std::string>& args);

// "CABLE:DEPTH[:FACTOR]" (or with commas): metres of cable out, metres from
// the surface down to the net, the share of the cable between ship and net
// (default 0.7). Refused for values that place no net.
ErrorOr<TrawlParameters> ParseTrawl(const std::string& text);

// $XDG_CONFIG_HOME/plotrex/profile.ini, else ~/.config/plotrex/profile.ini.
std::string DefaultProfilePath();
