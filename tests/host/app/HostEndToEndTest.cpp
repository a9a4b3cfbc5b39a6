// The reference host as users run it: the program itself, started with a
// command line, judged by its summary, its pictures and its profile.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "module/StoredSettings.h"
#include "platform/WinApp.h"
#include "tests/support/HostRun.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/TestProfile.h"
#include "tests/support/TestRaster.h"

namespace {

std::string ViewLine(const std::string& output) {
    std::smatch match;
    return std::regex_search(output, match, std::regex("View:[^\n]*")) ? match.str() : "";
}

// Pixels of the depth profile: its red fill over the light background, and
// its blue line, or the green line of the earlier survey laid over it.
struct ProfilePixels {
    int fill = 0;
    int line = 0;
};

ProfilePixels CountProfilePixels(const Image& image) {
    ProfilePixels count;
    for (std::uint32_t pixel : image.pixels) {
        const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (r > 200 && g < 140 && b < 160) {
            ++count.fill;
        }
        if ((r < 40 && g < 40 && b > 200) || (r < 100 && g > 120 && b < 100)) {
            ++count.line;
        }
    }
    return count;
}

}  // namespace

// Levels above 10 need data filling half the window, which a view opened
// before the voyage does not have: the layout is checked at level 10.
TEST(HostEndToEnd, BuiltInVoyageDrawsTheProfileAndTheNextRunRestoresTheLayout) {
    TempFolder folder;
    const std::string profile = folder.File("profile.ini");
    const std::string out = folder.File("pictures");
    const HostRun first = RunHost("--mode profile --profile " + profile + " --out " + out +
                                  " --command PLOTREX_SCALE_VALUE=10 --command PLOTREX_CENTER_ON");
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("Pictures: 4 in " + out), std::string::npos) << first.output;
    EXPECT_NE(ViewLine(first.output).find("level 10 - slope x "), std::string::npos)
        << first.output;
    EXPECT_NE(first.output.find("Depths from: the voyage's modelled sea floor, "),
              std::string::npos)
        << first.output;
    EXPECT_NE(first.output.find("Historic profile: 141 points handed over (the voyage's earlier"),
              std::string::npos)
        << first.output;
    EXPECT_NE(first.output.find("Trawl: 1200 m of cable (factor 0.7), net 40 m above the floor, "
                                "shot 2 times on the fishing legs; hauled at the end"),
              std::string::npos)
        << first.output;

    const auto picture = LoadPng(out + "/view.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 1280);
    EXPECT_EQ(picture->height, 720);
    const ProfilePixels pixels = CountProfilePixels(*picture);
    EXPECT_GT(pixels.fill, picture->width * picture->height / 20) << "no depth fill";
    EXPECT_GT(pixels.line, 300) << "no depth line";

    // Three quarters through, the forecast fills the water ahead of the ship
    // (its brush over the sky's colour).
    const auto towing = LoadPng(out + "/view-075.png");
    ASSERT_TRUE(towing.has_value());
    int ahead = 0;
    for (std::uint32_t pixel : towing->pixels) {
        ahead += (pixel & 0xFFFFFF) == 0x8483FF;
    }
    EXPECT_GT(ahead, towing->width * towing->height / 10) << "no forecast";

    // The module keeps its layout and display mode under the names it
    // publishes for hosts.
    {
        CWinApp stored(profile);
        EXPECT_TRUE(plotrex_settings::HoldsStoredLayout(stored));
        EXPECT_TRUE(plotrex_settings::HoldsStoredDisplayMode(stored));
        EXPECT_EQ(stored.GetProfileString(plotrex_settings::kDisplaySection,
                                          plotrex_settings::kLevelKey, ""),
                  "10");
        CWinApp fresh(folder.File("fresh.ini"));
        EXPECT_FALSE(plotrex_settings::HoldsStoredLayout(fresh));
        EXPECT_FALSE(plotrex_settings::HoldsStoredDisplayMode(fresh));
    }

    // The display mode is kept with the layout.
    const HostRun second = RunHost("--profile " + profile + " --out " + out);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(ViewLine(second.output), ViewLine(first.output)) << second.output;
    // The lock taken to save the profile goes with the run.
    EXPECT_FALSE(std::filesystem::exists(profile + ".lock"));
}

// The echo-sounder's screen: what the sounder's display commands make of it,
// as the summary tells and the pictures show.
TEST(HostEndToEnd, TheEchogramModeShowsThePanesTheSounderAsksFor) {
    const struct {
        std::string arguments;
        std::string view;
    } cases[] = {
        {"", "View: echogram, two panes side by side: LF (left), HF (right)"},
        {"--command PLOTREX_ETR_DISPLAY=PLOTREX_ETR_SINGLEFREQ_PARAM",
         "View: echogram, one pane: HF"},
        {"--command PLOTREX_ETR_DISPLAY=PLOTREX_ETR_BOTTOMLOCK_PARAM",
         "View: echogram, two panes side by side: HF bottom lock (left), HF (right)"},
    };
    std::vector<Image> pictures;
    for (const auto& c : cases) {
        TempFolder folder;
        const HostRun run = RunHost("--mode echogram --profile " + folder.File("profile.ini") +
                                    " --out " + folder.File("pictures") + " " + c.arguments);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_EQ(ViewLine(run.output), c.view) << run.output;
        EXPECT_NE(run.output.find("(PLOTREX_DATA_TEMP, PLOTREX_DATA_ASCOPE)"), std::string::npos)
            << run.output;
        const auto picture = LoadPng(folder.File("pictures") + "/view.png");
        ASSERT_TRUE(picture.has_value());
        pictures.push_back(*picture);
    }
    // One pane and two look different, and no profile is drawn in either.
    EXPECT_FALSE(CompareImages(pictures[0], pictures[1], kTextTolerance).Passed(kTextTolerance));
    EXPECT_LT(CountProfilePixels(pictures[1]).fill, pictures[1].width * pictures[1].height / 100);
}

TEST(HostEndToEnd, ReplayedLogIsDrawnAndItsBadLinesCounted) {
    TempFolder folder;
    const HostRun run = RunHost(
        "--nmea " PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea --profile " +
        folder.File("profile.ini") + " --out " + folder.File("pictures") + " --trawl 300,20");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("4 malformed, 4 failed the checksum"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Depths from: the log's own soundings ahead of the ship, "),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("Historic profile:"), std::string::npos) << run.output;
    // 210 m of the cable between ship and net.
    EXPECT_NE(run.output.find("Trawl: 300 m of cable (factor 0.7), net at 20 m; at the end 209 m "
                              "behind the ship at 20 m"),
              std::string::npos)
        << run.output;
    const auto picture = LoadPng(folder.File("pictures") + "/view.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_GT(CountProfilePixels(*picture).line, 200);
}

// Every way a run ends, as the exit code and the one message that says why.
// A run refused before the voyage leaves the profile as it was and draws nothing.
TEST(HostEndToEnd, ExitCodesTellHowTheRunEnded) {
    const std::string kept = "[Keep]\nValue = 1\n";
    const struct {
        const char* what;
        std::string arguments;  // after --profile and --out
        std::string profile;
        int exitCode;
        std::string message;
    } cases[] = {
        {"bad option", "--bogus", kept, 2, "unknown option '--bogus'"},
        {"bad range", "--speed 0", kept, 2, "--speed needs a positive number, not '0'"},
        {"bad display mode", "--mode sonar", kept, 2,
         "--mode needs one of profile, echogram, historic, not 'sonar'"},
        {"unknown command", "--command PLOTREX_NO_SUCH_THING", kept, 2,
         "unknown command 'PLOTREX_NO_SUCH_THING'"},
        {"net out of reach", "--trawl 100:80", kept, 2,
         "--trawl: the net at 80 m is out of reach of 70 m of cable"},
        {"a number and a space", "--trawl '300: 20'", kept, 2, "' 20' is not a number"},
        {"unwritable --out", "--out {folder}/profile.ini/pictures", kept, 2,
         "cannot write pictures into {folder}/profile.ini/pictures: Not a directory"},
        {"not a raster", "--bathymetry {folder}/profile.ini", kept, 2,
         "cannot open the raster {folder}/profile.ini"},
        {"no sounding", "--historic {folder}/profile.ini", kept, 2,
         "{folder}/profile.ini line 2: not three fields but 1: 'Value = 1'"},
        {"bad raster values", "--bathymetry-values up", kept, 2,
         "--bathymetry-values needs one of auto, depths, elevations, not 'up'"},
        {"bad colour scale", "--echo-colours rainbow", kept, 2,
         "--echo-colours needs one of standard, viridis, grey, inverted-grey, not 'rainbow'"},
        {"bad margin", "--shallow-margin -2", kept, 2,
         "--shallow-margin needs a number from 0 to 11000, not '-2'"},
        {"success", "--command PLOTREX_SCALE_PLUS", kept, 0, "Pictures: 4 in {folder}/pictures"},
        {"echo-sounder command", "--light night --command PLOTREX_ETR_FREQUENCY", kept, 0,
         "Echo-sounder display: dual frequency, LF\n"
         "  Echo-sounder command handled: PLOTREX_ETR_FREQUENCY\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        auto expand = [&](std::string text) {
            for (auto at = text.find("{folder}"); at != std::string::npos;
                 at = text.find("{folder}")) {
                text.replace(at, 8, folder.Path().string());
            }
            return text;
        };
        const std::string profile = folder.File("profile.ini");
        std::ofstream(profile) << c.profile;
        const std::string out = c.arguments.find("--out") == std::string::npos
                                    ? " --out " + folder.File("pictures")
                                    : "";
        const HostRun run = RunHost("--profile " + profile + out + " " + expand(c.arguments));
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_NE(run.output.find(expand(c.message)), std::string::npos) << run.output;
        if (c.exitCode != 0) {
            EXPECT_EQ(ReadFile(profile), c.profile);
            EXPECT_FALSE(std::filesystem::exists(folder.File("pictures/view.png")));
        }
    }
}

// The summary has no line length: a log in a deep folder is named whole, and
// the next line still starts on its own.
TEST(HostEndToEnd, ALongSummaryLineIsWhole) {
    TempFolder folder;
    std::filesystem::path deep = folder.Path();
    for (int i = 0; i < 6; ++i) {
        deep /= std::string(120, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(deep);
    const std::string log = (deep / "voyage.nmea").string();
    std::filesystem::copy_file(PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea", log);
    const HostRun run = RunHost("--nmea " + log + " --profile " + folder.File("profile.ini") +
                                " --out " + folder.File("pictures"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("Voyage: NMEA log " + log + ", 180 host cycles"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("\nNMEA lines: 794 read"), std::string::npos) << run.output;
}

// A replay over a sea floor of the user's: depths from a raster, and a
// historic profile whose bad lines are named and counted.
TEST(HostEndToEnd, SeaFloorFromARasterAndAHistoricProfileFromACsv) {
    TempFolder folder;
    // Depths from 50 m, 10 m deeper a column eastward, over the log's area.
    TestRaster raster;
    raster.width = 6;
    raster.height = 4;
    raster.geoTransform = {-4.7, 0.05, 0.0, 47.9, 0.0, -0.05};
    raster.epsg = 4326;
    for (int row = 0; row < raster.height; ++row) {
        for (int column = 0; column < raster.width; ++column) {
            raster.values.push_back(50.0 + 10.0 * column);
        }
    }
    const std::string tif = folder.File("floor.tif");
    ASSERT_TRUE(WriteTestRaster(tif, raster));
    const std::string csv = folder.File("last season.csv");
    WriteFile(csv,
              "lat;lon;depth\n"
              "47.805;-4.545;61.0\n"
              "47.803;-4.560;60.2\n"
              "147.8;-4.57;59.0\n"
              "47.801;-4.575;58.9\n"
              "47.8;-4.59;-1\n");
    const HostRun run =
        RunHost("--nmea " PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea --bathymetry " + tif +
                " --historic '" + csv + "' --profile " + folder.File("profile.ini") + " --out " +
                folder.File("pictures"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const std::string& line : {
             "Depths from: " + tif + " (GTiff, 6 x 4 cells, read as depths, 50.0 to 100.0 m), ",
             csv + " line 4: latitude out of range: '147.8'",
             csv + " line 6: negative depth: '-1'",
             "Historic profile: 3 points handed over (" + csv +
                 ": 3 of 3 soundings kept; 2 bad lines set aside)",
         }) {
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
    }
}

// What is not a file, given for the voyage, is refused at once, with what it
// is: nothing waits for a pipe's writer or reads a device without end.
TEST(HostEndToEnd, WhatIsNotAFileIsRefusedAtOnce) {
    TempFolder folder;
    const std::string pipe = folder.File("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    std::filesystem::create_symlink("pipe", folder.File("link to pipe"));
    std::filesystem::create_symlink("nothing", folder.File("dangling"));
    const std::string profile = folder.File("profile.ini");
    WriteFile(profile, "[Keep]\nValue = 1\n");
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"--nmea /dev/zero", "the NMEA log /dev/zero is a device, not a file"},
        {"--nmea /dev/urandom", "the NMEA log /dev/urandom is a device, not a file"},
        {"--nmea " + pipe, "the NMEA log " + pipe + " is a named pipe, not a file"},
        {"--sonar " + folder.Path().string(),
         "the sonar recording " + folder.Path().string() + " is a folder, not a file"},
        {"--sonar /dev/null", "the sonar recording /dev/null is a device, not a file"},
        {"--sonar '" + folder.File("link to pipe") + "'", "is a named pipe, not a file"},
        {"--sonar " + folder.File("dangling"), "cannot open the sonar recording"},
        {"--historic " + pipe, "the historic profile " + pipe + " is a named pipe, not a file"},
        {"--historic " + folder.Path().string(), "is a folder, not a file"},
        {"--bathymetry " + pipe, "the raster " + pipe + " is a named pipe, not a file"},
        {"--bathymetry /dev/zero", "the raster /dev/zero is a device, not a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const HostRun run = RunHost(
            c.arguments + " --profile " + profile + " --out " + folder.File("pictures"), 120);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
        EXPECT_EQ(ReadFile(profile), "[Keep]\nValue = 1\n");
        EXPECT_FALSE(std::filesystem::exists(folder.File("pictures")));
    }
}

// A multibeam export of a million soundings, with CR line ends, is read in
// passing and handed over as the profile the module needs, the summary
// saying how many soundings were kept.
TEST(HostEndToEnd, ALargeSurveyIsThinnedToWhatTheModuleNeeds) {
    TempFolder folder;
    const std::string csv = folder.File("survey.csv");
    {
        std::ofstream out(csv, std::ios::binary);
        out << "latitude;longitude;depth\r";
        char line[64];
        // A swath 40 m wide, a ping every metre north-eastwards across the log's area.
        for (int i = 0; i < 1000000; ++i) {
            const int ping = i / 100;
            std::snprintf(line, sizeof line, "%.7f;%.7f;%.1f\r", 47.78 + ping * 6e-6,
                          -4.60 + ping * 9e-6 + (i % 100) * 5e-6, 40.0 + (i % 100) * 0.1);
            out << line;
        }
    }
    const HostRun run = RunHost(
        "--nmea " PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea --historic " + csv +
            " --profile " + folder.File("profile.ini") + " --out " + folder.File("pictures"),
        600);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::smatch kept;
    ASSERT_TRUE(std::regex_search(
        run.output, kept,
        std::regex("Historic profile: (\\d+) points handed over \\(" + csv +
                   ": \\1 of 1000000 soundings kept, [0-9.]+ m apart or more; no bad line\\)")))
        << run.output;
    EXPECT_LE(std::stoi(kept[1]), 10000);
    EXPECT_GE(std::stoi(kept[1]), 100);
}
