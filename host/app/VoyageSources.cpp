#include "host/app/VoyageSources.h"

#include <cstdio>

#include "host/app/TellUser.h"
#include "host/files/UserFile.h"
#include "host/geodata/HistoricProfileCsv.h"
#include "host/geodata/SurveyThinning.h"
#include "host/replay/BuiltInFeed.h"

namespace {

ErrorOr<void> OpenFeed(const HostOptions& options, VoyageSources& sources) {
    const double cycle = options.cycleSeconds;
    if (!options.sonarPath.empty()) {
        auto sonar = SonarFeed::Open(options.sonarPath,
                                     ParseEchoGain(options.echoGain).value_or(EchoGain::kNormal),
                                     cycle > 0.0 ? cycle : LogFeed::kDefaultCycleSeconds);
        if (!sonar) {
            return sonar.GetError();
        }
        sources.sonar = sonar.Value().get();
        sources.feed = sonar.Release();
    } else if (!options.nmeaPath.empty()) {
        auto replay =
            NmeaFeed::Open(options.nmeaPath, cycle > 0.0 ? cycle : LogFeed::kDefaultCycleSeconds);
        if (!replay) {
            return replay.GetError();
        }
        sources.nmea = replay.Value().get();
        sources.feed = replay.Release();
    } else {
        sources.feed =
            cycle > 0.0 ? std::make_unique<BuiltInFeed>(cycle) : std::make_unique<BuiltInFeed>();
    }
    return {};
}

ErrorOr<void> OpenRaster(const HostOptions& options, VoyageSources& sources) {
    if (options.bathymetryPath.empty()) {
        return {};
    }
    const RasterValues values = options.bathymetryValues == "depths" ? RasterValues::Depths
                                : options.bathymetryValues == "elevations"
                                    ? RasterValues::Elevations
                                    : RasterValues::Auto;
    auto raster = BathymetryRaster::Open(options.bathymetryPath, values);
    if (!raster) {
        return raster.GetError();
    }
    sources.raster = raster.Release();
    sources.rasterPath = options.bathymetryPath;
    return {};
}

// The bad lines are told, the first few by number, and the profile is
// refused when nothing is left of it.
ErrorOr<void> OpenHistoric(const std::string& path, VoyageSources& sources) {
    HistoricProfileCsv csv;
    if (ErrorOr<void> read = csv.AddFile(path); !read) {
        return read;
    }
    for (const HistoricProfileCsv::BadLine& line : csv.BadLines()) {
        TellUser(path + " line " + std::to_string(line.number) + ": " + line.reason);
    }
    const long untold = csv.BadLineCount() - static_cast<long>(csv.BadLines().size());
    if (untold > 0) {
        TellUser(path + ": " + std::to_string(untold) + " more bad lines");
    }
    if (csv.Points().empty()) {
        return Error::Refused("no sounding in the historic profile " + path + " (" +
                              std::to_string(csv.Lines()) + " lines, " +
                              std::to_string(csv.BadLineCount()) + " bad)");
    }
    const std::size_t soundings = csv.Points().size();
    ThinnedSurvey thinned = ThinSurvey(csv.TakePoints());
    sources.historic = std::move(thinned.points);
    std::string kept = std::to_string(sources.historic.size()) + " of " +
                       std::to_string(soundings) + " soundings kept";
    if (sources.historic.size() < soundings) {
        char spacing[64];
        std::snprintf(spacing, sizeof spacing, ", %.1f m apart or more", thinned.spacingMetres);
        kept += spacing;
    }
    sources.historicOrigin =
        path + ": " + kept + "; " +
        (csv.BadLineCount() == 0   ? std::string("no bad line")
         : csv.BadLineCount() == 1 ? std::string("1 bad line set aside")
                                   : std::to_string(csv.BadLineCount()) + " bad lines set aside");
    return {};
}

// Every file given is of a kind that can be read to its end, found out
// before any of them is read.
ErrorOr<void> CheckKinds(const HostOptions& options) {
    const struct {
        const std::string& path;
        const char* what;
        FolderUse folders;
    } files[] = {
        {options.nmeaPath, "the NMEA log", FolderUse::kRefused},
        {options.sonarPath, "the sonar recording", FolderUse::kRefused},
        {options.bathymetryPath, "the raster", FolderUse::kAllowed},
        {options.historicPath, "the historic profile", FolderUse::kRefused},
    };
    for (const auto& file : files) {
        if (file.path.empty()) {
            continue;
        }
        if (ErrorOr<void> usable = CheckUserFile(file.path, file.what, file.folders); !usable) {
            return Error::Refused(usable.GetError().Message() + "; nothing was changed");
        }
    }
    return {};
}

}  // namespace

ErrorOr<VoyageSources> VoyageSources::OpenFeedAlone(const HostOptions& options) {
    VoyageSources sources;
    if (ErrorOr<void> fed = OpenFeed(options, sources); !fed) {
        return fed.GetError();
    }
    return sources;
}

ErrorOr<VoyageSources> VoyageSources::Open(const HostOptions& options) {
    if (ErrorOr<void> kinds = CheckKinds(options); !kinds) {
        return kinds.GetError();
    }
    VoyageSources sources;
    if (ErrorOr<void> fed = OpenFeed(options, sources); !fed) {
        return fed.GetError();
    }
    ErrorOr<void> floor = OpenRaster(options, sources);
    if (floor && options.historicPath.empty()) {
        sources.historic = sources.feed->EarlierSurvey();
        sources.historicOrigin = "the voyage's earlier survey, run the other way";
    } else if (floor) {
        floor = OpenHistoric(options.historicPath, sources);
    }
    if (!floor) {
        // Every file of the sea floor is the user's: refused.
        return Error::Refused(floor.GetError().Message() + "; nothing was changed");
    }
    return sources;
}
