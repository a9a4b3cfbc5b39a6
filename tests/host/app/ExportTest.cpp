// What a run takes away with --export, read back as other programs read it:
// the CSV as text, the GPX through GDAL, the pictures as PNG, all against the
// summary the same run printed.
#include <gdal.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "tests/support/HostRun.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/SonarWriter.h"
#include "tests/support/TestProfile.h"

namespace {

struct CsvRow {
    double time = 0, latitude = 0, longitude = 0, distance = 0;
    std::optional<double> depth, temperature, forecast, historic;
};

std::optional<double> Field(const std::string& text) {
    return text.empty() ? std::nullopt : std::optional<double>(std::stod(text));
}

// Every row, after checking the header names each column with its unit.
std::vector<CsvRow> ReadProfileCsv(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line,
              "time_s,latitude_deg,longitude_deg,distance_run_m,depth_m,temperature_c,"
              "forecast_depth_m,historic_depth_m");
    std::vector<CsvRow> rows;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, ',');) {
            fields.push_back(field);
        }
        fields.resize(8);
        rows.push_back({std::stod(fields[0]), std::stod(fields[1]), std::stod(fields[2]),
                        std::stod(fields[3]), Field(fields[4]), Field(fields[5]), Field(fields[6]),
                        Field(fields[7])});
    }
    return rows;
}

double Number(const std::string& output, const std::string& pattern) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(output, match, std::regex(pattern))) << pattern << "\n" << output;
    return match.empty() ? NAN : std::stod(match[1].str());
}

// "47°29.759'N 005°14.897'W" as degrees.
std::pair<double, double> FinalPosition(const std::string& output) {
    std::smatch m;
    const bool found = std::regex_search(
        output, m, std::regex("Final position: (\\d+)°([\\d.]+)'([NS]) (\\d+)°([\\d.]+)'([EW])"));
    EXPECT_TRUE(found) << output;
    if (!found) {
        return {NAN, NAN};
    }
    const double latitude = std::stod(m[1].str()) + std::stod(m[2].str()) / 60.0;
    const double longitude = std::stod(m[4].str()) + std::stod(m[5].str()) / 60.0;
    return {m[3] == "S" ? -latitude : latitude, m[6] == "W" ? -longitude : longitude};
}

struct GdalCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// The CSV's rows against what the summary told of the same run.
void ExpectCsvAsSummary(const std::vector<CsvRow>& rows, const std::string& output) {
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR(rows.back().distance / 1852.0, Number(output, "Distance run: ([\\d.]+) NM"), 0.006);
    const auto [latitude, longitude] = FinalPosition(output);
    EXPECT_NEAR(rows.back().latitude, latitude, 0.001 / 60.0);
    EXPECT_NEAR(rows.back().longitude, longitude, 0.001 / 60.0);
    double low = 1e9, high = -1e9;
    long depths = 0;
    for (const CsvRow& row : rows) {
        if (row.depth) {
            low = std::min(low, *row.depth);
            high = std::max(high, *row.depth);
            ++depths;
        }
    }
    EXPECT_EQ(depths, static_cast<long>(Number(output, "Depths fed: (\\d+),")));
    EXPECT_NEAR(low, Number(output, "Depths fed: \\d+, ([\\d.]+) to"), 0.051);
    EXPECT_NEAR(high, Number(output, "Depths fed: \\d+, [\\d.]+ to ([\\d.]+) m"), 0.051);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_GE(rows[i].distance, rows[i - 1].distance) << "row " << i;
        ASSERT_GE(rows[i].time, rows[i - 1].time) << "row " << i;
    }
}

// The GPX through GDAL's reader: a point per CSV row at the same place, with
// the same depth, temperature and distance from the extension.
void ExpectGpxAsCsv(const std::string& path, const std::vector<CsvRow>& rows) {
    GDALAllRegister();
    std::unique_ptr<GDALDataset, GdalCloser> gpx(GDALDataset::FromHandle(
        GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
    ASSERT_NE(gpx, nullptr) << CPLGetLastErrorMsg();
    OGRLayer* points = gpx->GetLayerByName("track_points");
    ASSERT_NE(points, nullptr);
    ASSERT_EQ(points->GetFeatureCount(), static_cast<GIntBig>(rows.size()));
    const OGRFeatureDefn* definition = points->GetLayerDefn();
    const int depth = definition->GetFieldIndex("plotrex_depth");
    const int temperature = definition->GetFieldIndex("plotrex_temperature");
    const int distance = definition->GetFieldIndex("plotrex_distance");
    ASSERT_GE(depth, 0);
    ASSERT_GE(temperature, 0);
    ASSERT_GE(distance, 0);
    std::size_t i = 0;
    points->ResetReading();
    for (auto& feature : *points) {
        const auto* point = feature->GetGeometryRef()->toPoint();
        const CsvRow& row = rows[i];
        ASSERT_NEAR(point->getY(), row.latitude, 1e-8) << "point " << i;
        ASSERT_NEAR(point->getX(), row.longitude, 1e-8) << "point " << i;
        ASSERT_NEAR(feature->GetFieldAsDouble(distance), row.distance, 0.006) << "point " << i;
        ASSERT_EQ(feature->IsFieldSetAndNotNull(depth), row.depth.has_value()) << "point " << i;
        if (row.depth) {
            ASSERT_NEAR(feature->GetFieldAsDouble(depth), *row.depth, 0.006) << "point " << i;
        }
        if (row.temperature) {
            ASSERT_NEAR(feature->GetFieldAsDouble(temperature), *row.temperature, 0.006);
        }
        ++i;
    }
    EXPECT_EQ(i, rows.size());
}

// Nothing half-written or temporary is left beside the files.
void ExpectNoTemporaryFiles(const std::filesystem::path& folder) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
}

}  // namespace

TEST(Export, TheBuiltInVoyageReadsBackAsTheSummaryTellsIt) {
    TempFolder folder;
    const std::string out = folder.File("export");
    std::filesystem::create_directories(out);
    const HostRun run = RunHost("--profile " + folder.File("profile.ini") + " --out " +
                                folder.File("pictures") + " --export " + out);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Export: 6 files in " + out), std::string::npos) << run.output;

    const std::vector<CsvRow> rows = ReadProfileCsv(out + "/profile.csv");
    ExpectCsvAsSummary(rows, run.output);
    EXPECT_EQ(rows.size(),
              static_cast<std::size_t>(Number(run.output, "Voyage: [^,]*, (\\d+) host")));
    // The forecast's charted depth is everywhere; the earlier survey only
    // under the last stretch of the track.
    const auto charted =
        std::count_if(rows.begin(), rows.end(), [](auto& r) { return r.forecast.has_value(); });
    const auto historic =
        std::count_if(rows.begin(), rows.end(), [](auto& r) { return r.historic.has_value(); });
    EXPECT_EQ(charted, static_cast<long>(rows.size()));
    EXPECT_GT(historic, 20);
    EXPECT_LT(historic, static_cast<long>(rows.size()) / 2);
    EXPECT_FALSE(rows.front().historic.has_value());
    EXPECT_NEAR(*rows.back().historic, *rows.back().depth, 5.0);
    ExpectGpxAsCsv(out + "/track.gpx", rows);

    // The pictures: the view and chart as shown, and each channel's store
    // of 1024 sweeps a column each.
    const auto view = LoadPng(out + "/view.png");
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->width, 1280);
    EXPECT_TRUE(LoadPng(out + "/chart.png").has_value());
    for (const char* name : {"/echogram-hf.png", "/echogram-lf.png"}) {
        const auto echogram = LoadPng(out + name);
        ASSERT_TRUE(echogram.has_value()) << name;
        EXPECT_EQ(echogram->width, 1024) << name;
        EXPECT_EQ(echogram->height, 512) << name;
        // The bottom's strong echoes (dark red) cross every column.
        int strong = 0;
        for (std::uint32_t pixel : echogram->pixels) {
            strong += (pixel & 0xFFFFFF) == 0x602000;
        }
        EXPECT_GT(strong, 1024) << name;
    }
    ExpectNoTemporaryFiles(out);
}

TEST(Export, AReplayedLogReadsBackAndAFolderThatCannotTakeItIsRefusedFirst) {
    TempFolder folder;
    const std::string log = PLOTREX_SOURCE_DIR "/tests/data/damaged_voyage.nmea";
    const std::string profile = folder.File("profile.ini");
    const std::string common = "--nmea " + log + " --profile " + profile + " --out " +
                               folder.File("pictures") + " --export ";
    // Missing, a file, a folder behind a file: nothing runs, nothing is made.
    WriteFile(folder.File("plain"), "x");
    for (const std::string& bad :
         {folder.File("missing"), folder.File("plain"), folder.File("plain/below")}) {
        const HostRun refused = RunHost(common + bad);
        EXPECT_EQ(refused.exitCode, 2) << bad << "\n" << refused.output;
        EXPECT_NE(refused.output.find("cannot write the export into " + bad), std::string::npos)
            << refused.output;
        EXPECT_FALSE(std::filesystem::exists(profile));
        EXPECT_FALSE(std::filesystem::exists(folder.File("pictures")));
    }

    const std::string out = folder.File("export");
    std::filesystem::create_directories(out);
    const HostRun run = RunHost(common + out);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<CsvRow> rows = ReadProfileCsv(out + "/profile.csv");
    ExpectCsvAsSummary(rows, run.output);
    ExpectGpxAsCsv(out + "/track.gpx", rows);
    // A second export replaces the first whole.
    const HostRun again = RunHost(common + out);
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(ReadProfileCsv(out + "/profile.csv").size(), rows.size());
    ExpectNoTemporaryFiles(out);
}

TEST(Export, ARecordingReadsBackWithItsRecordedEchoes) {
    TempFolder folder;
    const std::string recording = folder.File("trip.sl2");
    WriteFile(recording, DemoSonarRecording(600));
    const std::string out = folder.File("export");
    std::filesystem::create_directories(out);
    const HostRun run = RunHost("--sonar " + recording + " --profile " + folder.File("p.ini") +
                                " --out " + folder.File("pictures") + " --export " + out);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::vector<CsvRow> rows = ReadProfileCsv(out + "/profile.csv");
    ExpectCsvAsSummary(rows, run.output);
    ExpectGpxAsCsv(out + "/track.gpx", rows);
    // The recording's echoes, one column per sweep the module holds.
    const auto echogram = LoadPng(out + "/echogram-hf.png");
    ASSERT_TRUE(echogram.has_value()) << run.output;
    EXPECT_GT(echogram->width, 10);
    EXPECT_LE(echogram->width, 1024);
}
