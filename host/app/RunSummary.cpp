#include "host/app/RunSummary.h"

#include <cmath>

#include "host/app/Format.h"
#include "host/app/ViewStates.h"
#include "host/replay/NmeaSummary.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "units/Geodesy.h"
#include "units/UnitConversion.h"

std::string RunSummary::Text() const {
    // In this order: asking for the depth under the anchor is a query of the
    // sea floor's, counted by the line before it.
    std::string text = Voyage();
    text += SeaFloor();
    text += ShallowWater();
    text += View();
    text += parts_.trawl.Summary();
    text += Sounder();
    text += Chart();
    text += Pictures();
    return text;
}

std::string RunSummary::Voyage() const {
    const ShipFeed& feed = *parts_.sources.feed;
    const FeedAccount& fed = parts_.account;
    std::string text = Format("Voyage: %s, %ld host cycles over %.0f minutes of ship time\n",
                              feed.Describe().c_str(), fed.Cycles(), feed.DurationSeconds() / 60.0);
    if (parts_.sources.nmea != nullptr) {
        text += NmeaSummary(parts_.sources.nmea->Log());
    }
    if (parts_.sources.sonar != nullptr) {
        text += parts_.sources.sonar->Summary();
    }
    const double metresPerRadian = Convert(1.0, kUnitRadianOfArc, kUnitMetre);
    text += Format("Distance run: %.2f NM (%.6f rad)\n",
                   fed.DistanceRadians() * metresPerRadian / 1852.0, fed.DistanceRadians());
    text += Format("Final position: %s\n", FormatPosition(parts_.module.Now().position).c_str());
    if (fed.Depths().count > 0) {
        text += Format("Depths fed: %ld, %.1f to %.1f m\n", fed.Depths().count, fed.Depths().low,
                       fed.Depths().high);
    }
    if (fed.Temperatures().count > 0) {
        text += Format(
            "Temperatures fed: %ld, %.1f to %.1f \xC2\xB0"
            "C\n",
            fed.Temperatures().count, fed.Temperatures().low, fed.Temperatures().high);
    }
    return text;
}

std::string RunSummary::SeaFloor() const {
    const VoyageSources& sources = parts_.sources;
    std::string text;
    if (const BathymetryRaster* raster = sources.raster.get()) {
        text = Format("Depths from: %s (%s, %s, %.1f to %.1f m)", sources.rasterPath.c_str(),
                      raster->Describe().c_str(),
                      raster->ReadsElevations() ? "read as elevations" : "read as depths",
                      raster->ShallowestDepth(), raster->DeepestDepth());
    } else if (sources.nmea == nullptr && sources.sonar == nullptr) {
        text = "Depths from: the voyage's modelled sea floor";
    } else {
        text = "Depths from: the log's own soundings ahead of the ship";
    }
    const ModelDepthSource& depths = parts_.module.DepthSource();
    text += Format(", %ld of %ld queries answered\n", depths.Answered(), depths.Queries());
    if (!sources.historic.empty()) {
        text += Format("Historic profile: %zu point%s handed over (%s)\n", sources.historic.size(),
                       sources.historic.size() == 1 ? "" : "s", sources.historicOrigin.c_str());
    }
    return text;
}

std::string RunSummary::ShallowWater() const {
    const ShallowWatch* watch = parts_.cycle.Shallow();
    if (watch == nullptr) {
        return "";
    }
    const std::vector<ShallowWatch::Warning>& warnings = watch->Warnings();
    std::string text = Format(
        "Shallow water ahead (shallower than %.1f m: draught %.1f m + %g m): ", watch->Limit(),
        parts_.module.Draught(), parts_.options.shallowMargin);
    if (parts_.module.DepthSource().Answered() == 0) {
        return text + "not watched, no depth ahead was answered\n";
    }
    text += warnings.empty()
                ? "no warning\n"
                : Format("%zu warning%s\n", warnings.size(), warnings.size() == 1 ? "" : "s");
    for (const ShallowWatch::Warning& warning : warnings) {
        const long seconds = std::lround(warning.time);
        text += Format(
            "  %02ld:%02ld:%02ld into the voyage at %s: %.1f m in %.0f m ahead, %.1f m "
            "at the shallowest\n",
            seconds / 3600, seconds / 60 % 60, seconds % 60, FormatPosition(warning.where).c_str(),
            warning.ahead.depth, warning.ahead.distance, warning.shallowest);
    }
    return text;
}

std::string RunSummary::View() const {
    if (!parts_.module.ViewOpen()) {
        return "";
    }
    ModuleDataPlotrexInterface& data = parts_.module.Data();
    std::string text;
    if (data.GetMode() == 1) {
        text = Format("View: echogram, %s\n", DescribePanes(parts_.view).c_str());
    } else {
        // What the title of the window shows, without the program's name.
        const std::string title = WindowTitle(parts_.view, data.GetMode());
        text = Format("View:%s\n", title.substr(std::string("Plotrex").size()).c_str());
    }
    text += GraphsInView(parts_.view) + "\n";
    double first = kUndefined;
    double second = kUndefined;
    if (data.GetAnchorPosition(&first, &second)) {
        std::string under = FormatPosition(PosType(first, second));
        double immersion = kUndefined;
        double depth = kUndefined;
        if (data.GetAnchorDepthAndImmersion(&first, &second, &immersion, &depth)) {
            under += Format(", depth %.1f m", depth);
        }
        text += Format("Under the anchor: %s\n", under.c_str());
    }
    return text;
}

std::string RunSummary::Sounder() const {
    std::string text = parts_.module.Sounder().Summary();
    if (parts_.module.ViewOpen()) {
        const std::string echo = EchoSounderDisplay(parts_.view);
        if (!echo.empty()) {
            text += Format("  Echo-sounder display: %s\n", echo.c_str());
        }
    }
    for (const std::string& command : parts_.userCommands.SounderHandled()) {
        text += Format("  Echo-sounder command handled: %s\n", command.c_str());
    }
    if (parts_.module.ViewOpen()) {
        const std::string look = EchogramLook(parts_.view);
        if (!look.empty()) {
            text += Format("  Echogram: %s\n", look.c_str());
        }
    }
    return text;
}

std::string RunSummary::Chart() const {
    const HostChart* chart = parts_.module.Chart();
    if (parts_.pictures.ChartPicture().empty() || chart == nullptr) {
        return "";
    }
    const PosType anchor = chart->AnchorMark();
    std::string mark = "no anchor mark";
    if (!anchor.IsNoPos()) {
        const ChartPoint at = chart->Projection().ToPixel(anchor);
        mark = Format("anchor mark at %s (pixel %.0f, %.0f)", FormatPosition(anchor).c_str(),
                      std::floor(at.x), std::floor(at.y));
    }
    return Format("Chart: %s, Mercator 1:%.0f, %zu marks, %s\n",
                  parts_.pictures.ChartPicture().c_str(), chart->Projection().GetScale(),
                  chart->Marks().GetCount(), mark.c_str());
}

std::string RunSummary::Pictures() const {
    std::string text;
    const std::vector<std::string>& taken = parts_.pictures.Taken();
    if (!taken.empty()) {
        text = Format("Pictures: %zu in %s (the last one is %s)\n", taken.size(),
                      parts_.pictures.Folder().c_str(), taken.back().c_str());
    }
    for (const std::string& command : parts_.userCommands.Unhandled()) {
        text += Format("Command not handled: %s\n", command.c_str());
    }
    return text;
}
