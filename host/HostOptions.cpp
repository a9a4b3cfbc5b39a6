#include "host/HostOptions.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

const char* const kHostUsage =
    "usage: plotrex-host [--nmea FILE] [--speed FACTOR] [--out DIR] [--profile FILE]\n"
    "                    [--window] [--duration SECONDS] [--command NAME[=ARG]]...\n"
    "\n"
    "Loads the Plotrex module as a navigation host does, sails a voyage past it and\n"
    "shows what it draws.\n"
    "\n"
    "  --nmea FILE        replay an NMEA 0183 log instead of the built-in voyage\n"
    "  --speed FACTOR     ship seconds per real second in a window (default 60)\n"
    "  --out DIR          folder for the pictures (default: plotrex-out)\n"
    "  --profile FILE     settings profile (default $XDG_CONFIG_HOME/plotrex/profile.ini\n"
    "                     or ~/.config/plotrex/profile.ini)\n"
    "  --window           show the view in a window instead of writing pictures\n"
    "  --duration SECONDS end a window session after that long (real time)\n"
    "  --command NAME[=ARG]  send a named command to the view before the pictures;\n"
    "                     repeatable, e.g. --command PLOTREX_SCALE_VALUE=9\n"
    "  --help             this text\n";

namespace {

bool PositiveNumber(const std::string& text, double& out) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0.0) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

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

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& options,
                      std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--window") {
            options.window = true;
        } else if (arg == "--nmea") {
            if (!value(options.nmeaPath))
                return false;
        } else if (arg == "--out") {
            if (!value(options.outDir))
                return false;
        } else if (arg == "--profile") {
            if (!value(options.profilePath))
                return false;
        } else if (arg == "--speed" || arg == "--duration") {
            if (!value(text))
                return false;
            double number = 0.0;
            if (!PositiveNumber(text, number)) {
                error = arg + " needs a positive number, not '" + text + "'";
                return false;
            }
            (arg == "--speed" ? options.speed : options.durationSeconds) = number;
        } else if (arg == "--command") {
            if (!value(text))
                return false;
            HostCommand command;
            const auto equals = text.find('=');
            command.name = text.substr(0, equals);
            if (equals != std::string::npos) {
                command.argument = text.substr(equals + 1);
                command.hasArgument = true;
            }
            if (command.name.empty()) {
                error = "--command needs a command name";
                return false;
            }
            options.commands.push_back(command);
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (options.profilePath.empty()) {
        options.profilePath = DefaultProfilePath();
    }
    if (options.outDir.empty()) {
        options.outDir = "plotrex-out";
    }
    return true;
}
