#include "host/app/VoyageExport.h"

#include <filesystem>

#include "host/app/EchogramPicture.h"
#include "host/app/Format.h"
#include "host/app/TellUser.h"
#include "host/files/TrackFiles.h"
#include "host/geodata/HistoricLookup.h"
#include "units/UnitConversion.h"

namespace {

// How close the ship must sail to the earlier survey for its depth to count
// there, as the module lays it under the track.
constexpr double kHistoricReachNm = 0.05;

}  // namespace

std::vector<TrackPoint> VoyageExport::TrackWithHistoric() const {
    const std::span<const TrackPoint> track = parts_.cycle.Track().Points();
    std::vector<TrackPoint> points(track.begin(), track.end());
    const std::vector<HistoricPoint>& historic = parts_.sources.historic;
    if (historic.empty()) {
        return points;
    }
    const double reach = Convert(kHistoricReachNm * 1852.0, kUnitMetre, kUnitRadianOfArc);
    const HistoricLookup lookup(historic, reach);
    for (TrackPoint& point : points) {
        if (const auto depth = lookup.DepthNear(point.latitude, point.longitude)) {
            point.historic = *depth;
        }
    }
    return points;
}

void VoyageExport::Keep(const ErrorOr<void>& written, const std::string& path) {
    if (written) {
        written_.push_back(path);
        return;
    }
    TellUser(written.GetError().Message());
    failed_ = true;
}

bool VoyageExport::Write(const std::string& folder) {
    folder_ = folder;
    written_.clear();
    failed_ = false;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    auto path = [&folder](const char* name) {
        return (std::filesystem::path(folder) / name).string();
    };
    const std::vector<TrackPoint> points = TrackWithHistoric();
    points_ = points.size();
    Keep(WriteProfileCsv(path("profile.csv"), points), path("profile.csv"));
    Keep(WriteTrackGpx(path("track.gpx"), points, parts_.sources.feed->Describe()),
         path("track.gpx"));
    ModuleHost& module = parts_.module;
    Pictures pictures(parts_.desktop, folder);
    if (module.ViewOpen()) {
        pictures.TakeView(module.Frame().GetSafeHwnd(), "view.png");
    }
    if (module.Chart() != nullptr) {
        pictures.TakeChart(module.Chart()->GetSafeHwnd());
    }
    written_.insert(written_.end(), pictures.Taken().begin(), pictures.Taken().end());
    if (!pictures.ChartPicture().empty()) {
        written_.push_back(pictures.ChartPicture());
    }
    failed_ = failed_ || pictures.Failed();
    // Channel 0 is HF, channel 1 LF; a silent channel leaves no picture.
    const char* const echograms[] = {"echogram-hf.png", "echogram-lf.png"};
    for (short channel = 0; channel < 2; ++channel) {
        const std::string name = path(echograms[channel]);
        const ErrorOr<int> drawn = WriteEchogramPicture(module.Data(), channel, name);
        if (!drawn || drawn.Value() > 0) {
            Keep(drawn ? ErrorOr<void>() : ErrorOr<void>(drawn.GetError()), name);
        }
    }
    return !failed_;
}

std::string VoyageExport::Summary() const {
    std::string names;
    for (const std::string& written : written_) {
        names += (names.empty() ? "" : ", ") + std::filesystem::path(written).filename().string();
    }
    return Format("Export: %zu files in %s (%s), %zu track points%s\n", written_.size(),
                  folder_.c_str(), names.c_str(), points_, failed_ ? "; some NOT written" : "");
}
