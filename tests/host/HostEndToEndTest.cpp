// The reference host as users run it: the program itself, started with a
// command line, judged by its summary, its pictures and its profile.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/HostRun.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/TestProfile.h"

namespace {

std::string ViewLine(const std::string& output) {
    std::smatch match;
    return std::regex_search(output, match, std::regex("View:[^\n]*")) ? match.str() : "";
}

// Pixels of the depth profile: its red fill over the light background, and
// its blue line.
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
        if (r < 40 && g < 40 && b > 200) {
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

    const auto picture = LoadPng(out + "/view.png");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 1280);
    EXPECT_EQ(picture->height, 720);
    const ProfilePixels pixels = CountProfilePixels(*picture);
    EXPECT_GT(pixels.fill, picture->width * picture->height / 20) << "no depth fill";
    EXPECT_GT(pixels.line, 300) << "no depth line";

    // The display mode is kept with the layout.
    const HostRun second = RunHost("--profile " + profile + " --out " + out);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_EQ(ViewLine(second.output), ViewLine(first.output)) << second.output;
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
    const HostRun run =
        RunHost("--nmea " PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea --profile " +
                folder.File("profile.ini") + " --out " + folder.File("pictures"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("4 malformed, 4 failed the checksum"), std::string::npos)
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
        {"unwritable --out", "--out {folder}/profile.ini/pictures", kept, 2,
         "cannot write pictures into {folder}/profile.ini/pictures: Not a directory"},
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
