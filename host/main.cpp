// plotrex-host: the reference host. It loads the module as a navigation host
// does, sails a voyage past it (built in, or replayed from an NMEA log) and
// reports what the module made of it.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "graphdata/PlotrexData.h"
#include "graphdata/PlotrexDataContainer.h"
#include "graphdata/PlotrexDataProfile.h"
#include "graphdata/ProfileSeries.h"
#include "host/HostObjectsImpl.h"
#include "host/HostOptions.h"
#include "host/ModuleLibrary.h"
#include "host/ShipFeed.h"
#include "module/ModuleDataPlotrex.h"
#include "module/ModuleDisplay.h"
#include "platform/WinApp.h"
#include "units/UnitConversion.h"

namespace {

// A progress bar on a terminal, for long replays.
class ProgressBar {
  public:
    explicit ProgressBar(bool enabled) : enabled_(enabled && isatty(STDERR_FILENO)) {}
    ~ProgressBar() {
        if (shown_) {
            std::fprintf(stderr, "\r%60s\r", "");
        }
    }
    void Show(double fraction) {
        const int percent = static_cast<int>(fraction * 100.0);
        if (!enabled_ || percent == last_) {
            return;
        }
        last_ = percent;
        shown_ = true;
        const int filled = percent * 40 / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled,
                     "########################################", 40 - filled, "", percent);
        std::fflush(stderr);
    }

  private:
    bool enabled_;
    bool shown_ = false;
    int last_ = -1;
};

struct GraphSummary {
    std::string name;
    Extent extent;
    int points = -1;  // for the profiles
};

bool IsProfile(const std::string& name) {
    return name == kGraphTemp || name == kGraphDepth || name == kGraphHistoric ||
           name == kGraphPrevision;
}

void PrintRange(const char* label, const Extent& extent, double sign, const char* unit) {
    std::printf("%s", label);
    if (extent.IsUndefined()) {
        std::printf("none\n");
        return;
    }
    double a = sign * extent.minY, b = sign * extent.maxY;
    if (a > b)
        std::swap(a, b);
    std::printf("%.1f to %.1f %s\n", a, b, unit);
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    std::string error;
    if (!ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "plotrex-host: " << error << "\n\n" << kHostUsage;
        return 2;
    }
    if (options.help) {
        std::cout << kHostUsage;
        return 0;
    }

    // Like any host of the family, nothing starts without the unit converter:
    // a missing library ends the program here, before any setting is touched.
    GetConverter();

    std::unique_ptr<ShipFeed> feed;
    const NmeaFeed* nmea = nullptr;
    if (!options.nmeaPath.empty()) {
        NmeaLog log;
        if (!log.Load(options.nmeaPath, error)) {
            std::cerr << "plotrex-host: " << error << "\n";
            return 2;
        }
        auto replay = std::make_unique<NmeaFeed>(std::move(log), options.nmeaPath);
        nmea = replay.get();
        feed = std::move(replay);
    } else {
        feed = std::make_unique<BuiltInFeed>();
    }

    std::error_code ec;
    const auto profileFolder = std::filesystem::path(options.profilePath).parent_path();
    if (!profileFolder.empty()) {
        std::filesystem::create_directories(profileFolder, ec);
    }
    CWinApp app(options.profilePath);
    ModuleLibrary module;
    if (!module.Load(ExecutableFolder(), error)) {
        std::cerr << "plotrex-host: " << error << "\n";
        return 1;
    }
    ModuleDataPlotrex* data = module.Data();

    ShipSnapshot now;
    FeedDataSource dataSource(now);
    CountingNotificationSink sink;
    ModelDepthSource depthSource(feed->Depths());
    FeedVesselSource vesselSource(now, feed->DraughtMetres());

    data->Initialize(&dataSource, &sink, &depthSource, &vesselSource, 0);
    data->LoadSettings();
    ModuleDisplay* chartDisplay = data->CreateDisplay();
    chartDisplay->LoadSettings(0);

    long cycles = 0;
    {
        ProgressBar progress(nmea != nullptr);
        while (feed->Next(now)) {
            data->UpdateGraphs();
            ++cycles;
            progress.Show(feed->Progress());
        }
    }

    PlotrexDataContainer graphs;
    data->CollectGraphs(0, graphs);
    std::vector<GraphSummary> summaries;
    for (PlotrexData* graph : graphs) {
        if (graph != nullptr) {
            GraphSummary summary{graph->GetName(), graph->GetExtent()};
            if (IsProfile(summary.name)) {
                // The profile graphs are known by their names.
                summary.points = static_cast<PlotrexDataProfile*>(graph)->GetSeries()->GetCount();
            }
            summaries.push_back(summary);
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

    std::printf("Voyage: %s, %ld host cycles over %.0f minutes of ship time\n",
                feed->Describe().c_str(), cycles, feed->DurationSeconds() / 60.0);
    if (nmea != nullptr) {
        const NmeaStats& stats = nmea->Stats();
        std::printf(
            "NMEA lines: %lld read, %lld used, %lld skipped, %lld malformed, "
            "%lld failed the checksum\n",
            static_cast<long long>(stats.lines), static_cast<long long>(stats.used),
            static_cast<long long>(stats.skipped), static_cast<long long>(stats.malformed),
            static_cast<long long>(stats.checksumFailed));
    }
    std::printf("Distance run: %.2f NM (%.6f rad)\n", nauticalMiles, distance);
    std::printf("Final position: %s\n", FormatPosition(now.position).c_str());
    std::printf("Graphs registered: %zu", summaries.size());
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        std::printf("%s%s", i == 0 ? " (" : ", ", summaries[i].name.c_str());
    }
    std::printf("%s\n", summaries.empty() ? "" : ")");
    const double metresPerRadian = Convert(1.0, kUnitRadianOfArc, kUnitMetre);
    for (const GraphSummary& graph : summaries) {
        if (graph.points >= 0) {
            std::printf("  %s: %d points", graph.name.c_str(), graph.points);
            if (!graph.extent.IsUndefined()) {
                std::printf(", from %.2f to %.2f NM along the track",
                            graph.extent.minX * metresPerRadian / 1852.0,
                            graph.extent.maxX * metresPerRadian / 1852.0);
            }
            std::printf("\n");
        }
    }
    for (const GraphSummary& graph : summaries) {
        if (graph.name == kGraphDepth) {
            PrintRange("Depth range: ", graph.extent, -1.0, "m");
        } else if (graph.name == kGraphTemp) {
            PrintRange("Temperature range: ", graph.extent, 1.0,
                       "\xC2\xB0"
                       "C");
        }
    }
    std::printf("Settings: %s%s\n", options.profilePath.c_str(), saved ? "" : " (NOT saved)");
    return saved ? 0 : 1;
}
