#include "host/app/HostOptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
#include <CLI/CLI.hpp>
#pragma GCC diagnostic pop

#include "host/app/ManPage.h"
#include "host/geodata/SeaLimits.h"
#include "module/CommandNames.h"

namespace {

constexpr const char* kDefaultOutDir = "plotrex-out";
// More warp than any trawler's winches hold.
constexpr double kLongestCableMetres = 15000.0;
// A host that cycles less often than hourly shows nothing of a voyage.
constexpr double kLongestCycleSeconds = 3600.0;

// A length as the user typed it, without trailing zeros.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// A finite decimal number and nothing else: no space around it, no
// hexadecimal, no "inf".
std::optional<double> StrictNumber(std::string_view text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Validators keep the message they gave, so that the user reads it as it is
// instead of the parser's wording around it.
class Checks {
  public:
    // A finite number above zero, and up to most when given.
    CLI::Validator Positive(const std::string& option, double most = 0.0) {
        return Check(option, [option, most](const std::string& text) -> std::string {
            const std::optional<double> value = StrictNumber(text);
            if (!value || *value <= 0.0) {
                return option + " needs a positive number, not '" + text + "'";
            }
            if (most > 0.0 && *value > most) {
                return option + " needs a number up to " + Number(most) + ", not '" + text + "'";
            }
            return {};
        });
    }

    // A finite number of 0 or more, up to most.
    CLI::Validator NotNegative(const std::string& option, double most) {
        return Check(option, [option, most](const std::string& text) -> std::string {
            const std::optional<double> value = StrictNumber(text);
            if (!value || *value < 0.0 || *value > most) {
                return option + " needs a number from 0 to " + Number(most) + ", not '" + text +
                       "'";
            }
            return {};
        });
    }

    CLI::Validator Trawl(const std::string& option) {
        return Check(option, [option](const std::string& text) -> std::string {
            const ErrorOr<TrawlParameters> trawl = ParseTrawl(text);
            return trawl ? std::string() : trawl.GetError().About(option).Message();
        });
    }

    CLI::Validator NotEmpty(const std::string& option) {
        return Check(option, [option](const std::string& text) -> std::string {
            return text.empty() ? option + " needs a value" : std::string();
        });
    }

    // NAME or NAME=ARG, NAME one of the module's commands.
    CLI::Validator Command(const std::string& option) {
        return Check(option, [option](const std::string& text) -> std::string {
            const std::string name = text.substr(0, text.find('='));
            if (name.empty()) {
                return option + " needs a command name";
            }
            if (std::find(kCommandNames.begin(), kCommandNames.end(), name) ==
                kCommandNames.end()) {
                return "unknown command '" + name + "'";
            }
            return {};
        });
    }

    // One of the names given.
    CLI::Validator OneOf(const std::string& option, std::vector<std::string> names) {
        return Check(option, [option, names](const std::string& text) -> std::string {
            if (std::find(names.begin(), names.end(), text) != names.end()) {
                return {};
            }
            std::string list;
            for (const std::string& name : names) {
                list += (list.empty() ? "" : ", ") + name;
            }
            return option + " needs one of " + list + ", not '" + text + "'";
        });
    }

    const std::string& Failure() const { return *failure_; }

  private:
    template <typename Test>
    CLI::Validator Check(const std::string& option, Test test) {
        std::shared_ptr<std::string> failure = failure_;
        return CLI::Validator(
            [failure, test](std::string& text) {
                std::string message = test(text);
                if (!message.empty() && failure->empty()) {
                    *failure = message;
                }
                return message;
            },
            "", option + "-check");
    }

    std::shared_ptr<std::string> failure_ = std::make_shared<std::string>();
};

// What is sailed: the log replayed, and how fast in a window.
void DeclareVoyage(CLI::App& app, Checks& checks, HostOptions& options) {
    app.add_option("--nmea", options.nmeaPath,
                   "replay an NMEA 0183 log instead of the built-in voyage")
        ->type_name("FILE")
        ->check(checks.NotEmpty("--nmea"));
    app.add_option("--sonar", options.sonarPath,
                   "replay an SL2 or SL3 sonar recording (its track and its echoes)")
        ->type_name("FILE")
        ->check(checks.NotEmpty("--sonar"));
    app.add_option("--echo-gain", options.echoGain,
                   "recorded echoes shown: low, normal (default), high or linear")
        ->type_name("CURVE")
        ->check(checks.OneOf("--echo-gain", {"low", "normal", "high", "linear"}));
    app.add_option("--speed", options.speed,
                   "ship seconds per real second in a window (default: 60)")
        ->type_name("FACTOR")
        ->check(checks.Positive("--speed"));
    app.add_option("--cycle", options.cycleSeconds,
                   "ship seconds between two host cycles, up to 3600 (default: 1 for a\n"
                   "replay, each with the log's latest fix; 15 for the built-in voyage)")
        ->type_name("SECONDS")
        ->check(checks.Positive("--cycle", kLongestCycleSeconds));
}

// What is shown and where it goes; commandTexts receives the --command
// values, trawlText the --trawl value.
void DeclareView(CLI::App& app, Checks& checks, HostOptions& options,
                 std::vector<std::string>& commandTexts, std::string& trawlText) {
    app.add_option("--out", options.outDir,
                   "folder for the pictures of the view and chart.png (default: plotrex-out)")
        ->type_name("DIR")
        ->check(checks.NotEmpty("--out"));
    app.add_option("--export", options.exportDir,
                   "at the end of a headless run (and at key e in the window: into --out\n"
                   "when not given) write the profile (profile.csv), the track (track.gpx),\n"
                   "the view, the chart and each channel's echogram into this folder")
        ->type_name("DIR")
        ->check(checks.NotEmpty("--export"));
    app.add_option("--profile", options.profilePath, "settings profile (default: below)")
        ->type_name("FILE")
        ->check(checks.NotEmpty("--profile"));
    // In the order of the module's display modes 0, 1 and 2.
    static const std::vector<std::string> kModes = {"profile", "echogram", "historic"};
    app.add_option_function<std::string>(
           "--mode",
           [&options](const std::string& name) {
               options.displayMode =
                   static_cast<int>(std::find(kModes.begin(), kModes.end(), name) - kModes.begin());
           },
           "display mode at start: profile, echogram (the sounder's pixel view) or\n"
           "historic (default: the profile's, else the module's own)")
        ->type_name("MODE")
        ->check(checks.OneOf("--mode", kModes));
    app.add_flag("--window", options.window,
                 "show the view and the chart in a window instead of writing pictures");
    app.add_option("--duration", options.durationSeconds,
                   "end a window session after that long (real time)")
        ->type_name("SECONDS")
        ->check(checks.Positive("--duration"));
    static const std::vector<std::string> kLights = {"day", "dusk", "night"};
    app.add_option_function<std::string>(
           "--light",
           [&options](const std::string& name) {
               options.light = static_cast<short>(std::find(kLights.begin(), kLights.end(), name) -
                                                  kLights.begin());
           },
           "light of the colours: day, dusk or night (default: day)")
        ->type_name("LIGHT")
        ->check(checks.OneOf("--light", kLights));
    std::vector<std::string> scales;
    for (const EchoColourScaleName& scale : kEchoColourScales) {
        scales.push_back(scale.name);
    }
    app.add_option("--echo-colours", options.echoColours,
                   "colour scale of the echogram: standard (the module's own), viridis\n"
                   "(colour-blind safe), grey or inverted-grey (for printing); kept in\n"
                   "the profile (default: as stored, else standard)")
        ->type_name("NAME")
        ->check(checks.OneOf("--echo-colours", scales));
    app.add_option("--shallow-margin", options.shallowMargin,
                   "warn of shallow water ahead where the forecast is shallower than the\n"
                   "vessel's draught plus this many metres (default: 2)")
        ->type_name("METRES")
        ->check(checks.NotNegative("--shallow-margin", kDeepestSeaMetres));
    app.add_option("--trawl", trawlText,
                   "the net for the whole run: metres of cable out (up to 15000), metres\n"
                   "down to the net (up to 11000), share of the cable between ship and net\n"
                   "(default 0.7)")
        ->type_name("CABLE:DEPTH[:FACTOR]")
        ->check(checks.Trawl("--trawl"));
    app.add_option("--command", commandTexts,
                   "send a command to the view before the pictures; repeatable")
        ->type_name("NAME[=ARG]")
        ->allow_extra_args(false)
        ->take_all()
        ->check(checks.Command("--command"));
}

// The sea floor the host answers the module's queries from.
void DeclareSeaFloor(CLI::App& app, Checks& checks, HostOptions& options) {
    app.add_option("--bathymetry", options.bathymetryPath,
                   "answer the module's depth queries from a raster GDAL can open\n"
                   "(GeoTIFF, NetCDF, ASCII grid...), band 1, sampled bilinearly")
        ->type_name("FILE")
        ->check(checks.NotEmpty("--bathymetry"));
    app.add_option("--bathymetry-values", options.bathymetryValues,
                   "how the raster's values are read: depths (positive down),\n"
                   "elevations (negative below the sea) or auto (default):\n"
                   "elevations when most valid values are negative")
        ->type_name("auto|depths|elevations")
        ->check(checks.OneOf("--bathymetry-values", {"auto", "depths", "elevations"}));
    app.add_option("--historic", options.historicPath,
                   "hand the module a historic profile: CSV lines of latitude,\n"
                   "longitude (degrees) and depth (metres)")
        ->type_name("FILE")
        ->check(checks.NotEmpty("--historic"));
}

// The help's last part: where the profile is, how the files are read, and the
// command names wrapped to the terminal.
std::string Footer() {
    std::string names;
    std::string line = " ";
    for (const std::string name : kCommandNames) {
        if (line.size() + 1 + name.size() > 78) {
            names += line + "\n";
            line = " ";
        }
        line += " " + name;
    }
    names += line;
    return "The profile is plotrex/profile.ini under $XDG_CONFIG_HOME, else under ~/.config;\n"
           "a place where it cannot be saved (its FILE.lock cannot be made) is refused.\n"
           "\n--nmea, --sonar, --historic and --bathymetry take files: a folder (but a\n"
           "raster's), a device, a named pipe or a socket is refused before it is opened.\n"
           "\nWith --bathymetry, positions outside the raster, next to a no-data cell or above\n"
           "the sea get no depth, nor do cells beyond 11000 m; a grid without a coordinate\n"
           "system is read as WGS84 degrees. Without it, the built-in voyage answers from its\n"
           "modelled sea floor and a replayed log from its own soundings ahead.\n"
           "\nA --historic file has one sounding a line, separated by commas, semicolons or\n"
           "tabs, with a decimal point, lines ending in CR, LF or CR LF; a header line, blank\n"
           "lines and # comments are passed over, bad lines are named and set aside. At most\n"
           "10000 soundings, a metre or more apart, are handed over (the summary says how\n"
           "many were kept). Without it, the built-in voyage hands over an earlier survey of\n"
           "its last stretch, run the other way.\n"
           "\nCommands, as NAME or NAME=ARG (e.g. --command PLOTREX_SCALE_VALUE=9):\n" +
           names + "\n";
}

// One declaration per option, in the order of the help.
void Declare(CLI::App& app, Checks& checks, HostOptions& options,
             std::vector<std::string>& commandTexts, std::string& trawlText) {
    app.description(
        "Loads the Plotrex module as a navigation host does, sails a voyage past it and\n"
        "shows what it draws.");
    app.option_defaults()->take_last();
    DeclareVoyage(app, checks, options);
    DeclareView(app, checks, options, commandTexts, trawlText);
    DeclareSeaFloor(app, checks, options);
    app.footer(Footer());
}

// What the declarations leave to do: the commands split at their '=', the
// trawl read, and the defaults that depend on the machine.
ErrorOr<void> Complete(const std::vector<std::string>& commandTexts, const std::string& trawlText,
                       HostOptions& options) {
    for (const std::string& text : commandTexts) {
        HostCommand command;
        const auto equals = text.find('=');
        command.name = text.substr(0, equals);
        if (equals != std::string::npos) {
            command.argument = text.substr(equals + 1);
            command.hasArgument = true;
        }
        options.commands.push_back(command);
    }
    if (!trawlText.empty()) {
        ErrorOr<TrawlParameters> trawl = ParseTrawl(trawlText);
        if (!trawl) {
            return trawl.GetError().About("--trawl");
        }
        options.trawl = trawl.Value();
    }
    if (options.profilePath.empty()) {
        options.profilePath = DefaultProfilePath();
    }
    if (options.outDir.empty()) {
        options.outDir = kDefaultOutDir;
    }
    return {};
}

}  // namespace

ErrorOr<TrawlParameters> ParseTrawl(const std::string& text) {
    std::vector<double> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of(":,", start);
        const std::string field = text.substr(start, end == std::string::npos ? end : end - start);
        const std::optional<double> value = StrictNumber(field);
        if (!value) {
            return Error::Refused("'" + field +
                                  "' is not a number (CABLE:DEPTH[:FACTOR], in metres)");
        }
        values.push_back(*value);
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    if (values.size() < 2 || values.size() > 3) {
        return Error::Refused("needs CABLE:DEPTH[:FACTOR], not '" + text + "'");
    }
    const TrawlParameters trawl{values[0], values[1], values.size() == 3 ? values[2] : 0.7, 1};
    if (trawl.cableLength <= 0.0) {
        return Error::Refused("the cable needs a length above 0 m");
    }
    if (trawl.cableLength > kLongestCableMetres) {
        return Error::Refused("no trawler's winches hold " + Number(trawl.cableLength) +
                              " m of cable (at most " + Number(kLongestCableMetres) + " m)");
    }
    if (trawl.depth < 0.0) {
        return Error::Refused("the net cannot be above the surface");
    }
    if (trawl.depth > kDeepestSeaMetres) {
        return Error::Refused("no sea is " + Number(trawl.depth) + " m deep (at most " +
                              Number(kDeepestSeaMetres) + " m)");
    }
    if (trawl.cableFactor <= 0.0 || trawl.cableFactor > 1.0) {
        return Error::Refused("the cable factor is a share of the cable, above 0 and at most 1");
    }
    if (trawl.cableLength * trawl.cableFactor <= trawl.depth) {
        return Error::Refused("the net at " + Number(trawl.depth) + " m is out of reach of " +
                              Number(trawl.cableLength * trawl.cableFactor) + " m of cable");
    }
    return trawl;
}

std::string DefaultProfilePath() {
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = ".";
    }
    return (base / "plotrex" / "profile.ini").string();
}

std::string HostUsage() {
    CLI::App app("", "plotrex-host");
    Checks checks;
    HostOptions options;
    std::vector<std::string> commandTexts;
    std::string trawlText;
    Declare(app, checks, options, commandTexts, trawlText);
    return app.help();
}

std::string HostManPage(const std::string& version) {
    CLI::App app("", "plotrex-host");
    Checks checks;
    HostOptions options;
    std::vector<std::string> commandTexts;
    std::string trawlText;
    Declare(app, checks, options, commandTexts, trawlText);
    return ManPage(app, "the reference host of the Plotrex graph module", version);
}

ErrorOr<HostOptions> ParseHostOptions(const std::vector<std::string>& args) {
    CLI::App app("", "plotrex-host");
    Checks checks;
    HostOptions options;
    std::vector<std::string> commandTexts;
    std::string trawlText;
    Declare(app, checks, options, commandTexts, trawlText);
    app.allow_extras();
    try {
        // CLI11 takes the arguments last first.
        std::vector<std::string> reversed(args.rbegin(), args.rend());
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
        return options;
    } catch (const CLI::ValidationError& e) {
        return Error::Refused(checks.Failure().empty() ? e.what() : checks.Failure());
    } catch (const CLI::ArgumentMismatch& e) {
        // "--nmea: 1 required FILE missing"
        const std::string what = e.what();
        const auto colon = what.find(':');
        return Error::Refused(
            colon == std::string::npos ? what : what.substr(0, colon) + " needs a value");
    } catch (const CLI::ParseError& e) {
        return Error::Refused(e.what());
    }
    if (!options.nmeaPath.empty() && !options.sonarPath.empty()) {
        return Error::Refused(
            "--nmea and --sonar cannot be given together: one log is replayed at a time");
    }
    if (const std::vector<std::string> extras = app.remaining(); !extras.empty()) {
        return Error::Refused(extras.front().rfind("-", 0) == 0
                                  ? "unknown option '" + extras.front() + "'"
                                  : "unexpected argument '" + extras.front() + "'");
    }
    if (ErrorOr<void> completed = Complete(commandTexts, trawlText, options); !completed) {
        return completed.GetError();
    }
    options.arguments = args;
    return options;
}
