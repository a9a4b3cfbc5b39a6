// plotrex-host: the reference host. It loads the module as a navigation host
// does, sails the built-in voyage past it and reports what the module made of it.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "host/ModuleLibrary.h"
#include "host/Voyage.h"
#include "host/VoyageHostObjects.h"
#include "module/ModuleDataPlotrex.h"
#include "module/ModuleDisplay.h"
#include "platform/WinApp.h"
#include "units/UnitConversion.h"

namespace {

constexpr const char* kUsage =
    "usage: plotrex-host [--profile FILE] [--help]\n"
    "\n"
    "Loads the Plotrex module, sails the built-in voyage past it and prints a summary.\n"
    "  --profile FILE  the settings profile (INI); by default\n"
    "                  $XDG_CONFIG_HOME/plotrex/profile.ini or ~/.config/plotrex/profile.ini\n"
    "  --help          this text\n";

struct Options {
    std::string profile;
};

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

// 0 to go on, otherwise the exit code.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return -1;
        }
        if (arg == "--profile") {
            if (i + 1 >= argc) {
                std::cerr << "plotrex-host: --profile needs a file name\n" << kUsage;
                return 2;
            }
            options.profile = argv[++i];
            continue;
        }
        std::cerr << "plotrex-host: unknown option '" << arg << "'\n" << kUsage;
        return 2;
    }
    if (options.profile.empty()) {
        options.profile = DefaultProfilePath();
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (const int code = ParseOptions(argc, argv, options); code != 0) {
        return code < 0 ? 0 : code;
    }
    // Like any host of the family, nothing starts without the unit converter:
    // a missing library ends the program here, before any setting is touched.
    GetConverter();

    std::error_code ec;
    const auto profileFolder = std::filesystem::path(options.profile).parent_path();
    if (!profileFolder.empty()) {
        std::filesystem::create_directories(profileFolder, ec);
    }

    CWinApp app(options.profile);
    ModuleLibrary module;
    std::string error;
    if (!module.Load(ExecutableFolder(), error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 1;
    }
    ModuleDataPlotrex* data = module.Data();

    Voyage voyage = Voyage::BuiltIn();
    VoyageDataSource dataSource(voyage);
    RecordingNotificationSink sink;
    SeaFloorDepthSource depthSource(voyage.Sea());
    VoyageVesselSource vesselSource(voyage);

    data->Initialize(&dataSource, &sink, &depthSource, &vesselSource, 0);
    data->LoadSettings();
    ModuleDisplay* chartDisplay = data->CreateDisplay();
    chartDisplay->LoadSettings(0);

    // One host cycle every ten seconds of ship time.
    constexpr double kCycleSeconds = 10.0;
    int cycles = 0;
    do {
        data->UpdateGraphs();
        ++cycles;
    } while (voyage.Advance(kCycleSeconds));
    data->UpdateGraphs();

    PlotrexDataContainer graphs;
    data->CollectGraphs(0, graphs);
    std::vector<std::string> names;
    for (PlotrexData* graph : graphs) {
        if (graph != nullptr) {
            names.emplace_back(graph->GetName());
        }
    }
    const double distance = data->GetDistanceTracker(0)->GetDistance();
    const double nauticalMiles = Convert(distance, kUnitRadianOfArc, kUnitMetre) / 1852.0;

    chartDisplay->SaveSettings(0);
    data->SaveSettings();
    const bool saved = app.SaveProfile();
    data->Terminate();
    delete chartDisplay;  // displays go before their data object
    module.DestroyData();

    std::cout << "Voyage: built-in trawler voyage, " << cycles << " host cycles over "
              << std::lround(voyage.TotalSeconds() / 60.0) << " minutes of ship time\n";
    std::cout.setf(std::ios::fixed);
    std::cout.precision(2);
    std::cout << "Distance run: " << nauticalMiles << " NM (";
    std::cout.precision(6);
    std::cout << distance << " rad)\n";
    std::cout << "Final position: "
              << FormatPosition(PosType(voyage.Ship().latitude, voyage.Ship().longitude)) << "\n";
    std::cout << "Graphs registered: " << names.size();
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::cout << (i == 0 ? " (" : ", ") << names[i];
    }
    std::cout << (names.empty() ? "" : ")") << "\n";
    std::cout << "Settings: " << options.profile << (saved ? "" : " (NOT saved)") << "\n";
    return saved ? 0 : 1;
}
