// The echogram's reading aids and the shallow-water watch, as users run the
// host: options, the profile that keeps the look, and the summary.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/support/HostRun.h"
#include "tests/support/TestProfile.h"
#include "tests/support/TestRaster.h"

namespace {

void ExpectLine(const HostRun& run, const std::string& line) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
}

}  // namespace

// The look chosen in one run is the next run's; the built-in voyage keeps
// well off its bank, warned only with a margin that reaches the 40 m shelf
// it starts on, and the warning ends in the deeper water beyond.
TEST(ReadingAidsEndToEnd, TheLookIsKeptAndTheShelfWarnsOnlyUnderALargeMargin) {
    TempFolder folder;
    const std::string common =
        " --profile " + folder.File("profile.ini") + " --out " + folder.File("pictures");
    const HostRun first = RunHost(
        "--echo-colours grey --shallow-margin 60 --command PLOTREX_ETR_GAIN_PLUS "
        "--command PLOTREX_SHOW_HIDE=PLOTREX_COLOUR_BAR" +
        common);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    ExpectLine(first, "Echogram: grey colours, colour bar hidden, gain set, threshold neutral");
    ExpectLine(first,
               "Shallow water ahead (shallower than 64.5 m: draught 4.5 m + 60 m): 1 warning\n"
               "  00:00:15 into the voyage at 47\xC2\xB0"
               "29.987'N 005\xC2\xB0"
               "12.055'W: 40.4 m in 0 m ahead");

    const HostRun second = RunHost("--command PLOTREX_ETR_THRESHOLD_PLUS" + common);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    ExpectLine(second, "Echogram: grey colours, colour bar hidden, gain set, threshold set");
    ExpectLine(second,
               "Shallow water ahead (shallower than 6.5 m: draught 4.5 m + 2 m): no warning");
}

// A shoal of 3 m on the first leg of the built-in voyage, in a raster GDAL
// writes: warned once, from 500 m off, and the shallowest depth seen.
TEST(ReadingAidsEndToEnd, AShoalOnTheTrackIsWarnedOf) {
    TempFolder folder;
    TestRaster raster;
    raster.width = 350;
    raster.height = 200;
    raster.geoTransform = {-5.6, 0.002, 0.0, 47.7, 0.0, -0.002};
    raster.epsg = 4326;
    for (int row = 0; row < raster.height; ++row) {
        for (int column = 0; column < raster.width; ++column) {
            const double north = (47.7 - (row + 0.5) * 0.002 - 47.4907) * 111200.0;
            const double east = (-5.6 + (column + 0.5) * 0.002 + 5.2375) * 75130.0;
            raster.values.push_back(std::hypot(north, east) < 300.0 ? 3.0 : 50.0);
        }
    }
    const std::string tif = folder.File("shoal.tif");
    ASSERT_TRUE(WriteTestRaster(tif, raster));
    const HostRun run = RunHost("--bathymetry " + tif + " --bathymetry-values depths --profile " +
                                folder.File("profile.ini") + " --out " + folder.File("pictures"));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    ExpectLine(run,
               "Shallow water ahead (shallower than 6.5 m: draught 4.5 m + 2 m): 1 warning\n"
               "  00:08:15 into the voyage at ");
    ExpectLine(run, "m ahead, 3.0 m at the shallowest\n");
}
