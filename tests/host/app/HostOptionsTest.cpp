#include <gtest/gtest.h>

#include "host/app/HostOptions.h"

namespace {

bool Parse(std::vector<std::string> args, HostOptions& options, std::string& error) {
    ErrorOr<HostOptions> parsed = ParseHostOptions(args);
    if (!parsed) {
        EXPECT_EQ(parsed.GetError().ExitCode(), 2);
        error = parsed.GetError().Message();
        return false;
    }
    options = parsed.Release();
    return true;
}

}  // namespace

TEST(HostOptions, EveryOptionAndRepeatedCommands) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--nmea",
                       "log.nmea",
                       "--speed",
                       "120",
                       "--out",
                       "pics",
                       "--profile",
                       "p.ini",
                       "--window",
                       "--duration",
                       "2.5",
                       "--light",
                       "dusk",
                       "--mode",
                       "historic",
                       "--command",
                       "PLOTREX_SCALE_VALUE=9",
                       "--command",
                       "PLOTREX_FIT_TO_WINDOW",
                       "--trawl",
                       "900:45.5:0.6",
                       "--cycle",
                       "2.5"},
                      options, error))
        << error;
    EXPECT_EQ(options.nmeaPath, "log.nmea");
    EXPECT_EQ(options.speed, 120.0);
    EXPECT_EQ(options.outDir, "pics");
    EXPECT_EQ(options.profilePath, "p.ini");
    EXPECT_TRUE(options.window);
    EXPECT_EQ(options.durationSeconds, 2.5);
    EXPECT_EQ(options.cycleSeconds, 2.5);
    EXPECT_EQ(options.light, 1);
    EXPECT_EQ(options.displayMode, 2);
    ASSERT_EQ(options.commands.size(), 2U);
    EXPECT_EQ(options.commands[0].name, "PLOTREX_SCALE_VALUE");
    EXPECT_EQ(options.commands[0].argument, "9");
    EXPECT_TRUE(options.commands[0].hasArgument);
    EXPECT_FALSE(options.commands[1].hasArgument);
    ASSERT_TRUE(options.trawl.has_value());
    EXPECT_EQ(*options.trawl, (TrawlParameters{900.0, 45.5, 0.6, 1}));
    // Commas do as well, and the factor has its default.
    ASSERT_TRUE(Parse({"--trawl", "1200,40"}, options, error)) << error;
    EXPECT_EQ(*options.trawl, (TrawlParameters{1200.0, 40.0, 0.7, 1}));
    ASSERT_TRUE(Parse({"--echo-colours", "inverted-grey", "--shallow-margin", "0"}, options, error))
        << error;
    EXPECT_EQ(options.echoColours, "inverted-grey");
    EXPECT_EQ(options.shallowMargin, 0.0);
}

TEST(HostOptions, Defaults) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_FALSE(options.profilePath.empty());
    EXPECT_EQ(options.outDir, "plotrex-out");
    EXPECT_FALSE(options.window);
    EXPECT_EQ(options.speed, 60.0);
    EXPECT_EQ(options.displayMode, -1);
    EXPECT_TRUE(options.commands.empty());
    // The scale the profile holds; two metres under the keel.
    EXPECT_TRUE(options.echoColours.empty());
    EXPECT_EQ(options.shallowMargin, 2.0);
}

// Each bad command line is refused with the message the user reads.
TEST(HostOptions, BadCommandLinesAreRefusedWithTheirReason) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"stray"}, "unexpected argument 'stray'"},
        {{"--nmea"}, "--nmea needs a value"},
        {{"--speed", "fast"}, "--speed needs a positive number, not 'fast'"},
        {{"--speed", "-2"}, "--speed needs a positive number, not '-2'"},
        {{"--speed", "inf"}, "--speed needs a positive number, not 'inf'"},
        {{"--duration", "0"}, "--duration needs a positive number, not '0'"},
        {{"--command", "=3"}, "--command needs a command name"},
        {{"--profile", ""}, "--profile needs a value"},
        {{"--out", ""}, "--out needs a value"},
        {{"--light", "evening"}, "--light needs one of day, dusk, night, not 'evening'"},
        {{"--command", "PLOTREX_SCALE_VALUE=9", "--command", "PLOTREX_ZOOM"},
         "unknown command 'PLOTREX_ZOOM'"},
        {{"--trawl", "1200"}, "--trawl: needs CABLE:DEPTH[:FACTOR], not '1200'"},
        {{"--trawl", "1200:40:0.7:1"}, "--trawl: needs CABLE:DEPTH[:FACTOR], not '1200:40:0.7:1'"},
        {{"--trawl", "1200:deep"},
         "--trawl: 'deep' is not a number (CABLE:DEPTH[:FACTOR], in metres)"},
        {{"--trawl", "1200::0.7"}, "--trawl: '' is not a number (CABLE:DEPTH[:FACTOR], in metres)"},
        {{"--trawl", "nan:40"}, "--trawl: 'nan' is not a number (CABLE:DEPTH[:FACTOR], in metres)"},
        {{"--trawl", "0:0"}, "--trawl: the cable needs a length above 0 m"},
        {{"--trawl", "1200:-5"}, "--trawl: the net cannot be above the surface"},
        {{"--trawl", "1200:40:1.5"},
         "--trawl: the cable factor is a share of the cable, above 0 and at most 1"},
        {{"--trawl", "100:70"}, "--trawl: the net at 70 m is out of reach of 70 m of cable"},
        // Values no vessel or sea can have, and numbers with more than a number in them.
        {{"--trawl", "1e308:1e307:1"},
         "--trawl: no trawler's winches hold 1e+308 m of cable (at most 15000 m)"},
        {{"--trawl", "15000:11500"}, "--trawl: no sea is 11500 m deep (at most 11000 m)"},
        {{"--trawl", "300: 20"},
         "--trawl: ' 20' is not a number (CABLE:DEPTH[:FACTOR], in metres)"},
        {{"--trawl", "0x12c:20"},
         "--trawl: '0x12c' is not a number (CABLE:DEPTH[:FACTOR], in metres)"},
        {{"--speed", " 5"}, "--speed needs a positive number, not ' 5'"},
        {{"--cycle", "0"}, "--cycle needs a positive number, not '0'"},
        {{"--cycle", "7200"}, "--cycle needs a number up to 3600, not '7200'"},
        {{"--echo-colours", "rainbow"},
         "--echo-colours needs one of standard, viridis, grey, inverted-grey, not 'rainbow'"},
        {{"--echo-colours", "Viridis"},
         "--echo-colours needs one of standard, viridis, grey, inverted-grey, not 'Viridis'"},
        {{"--shallow-margin", "-1"}, "--shallow-margin needs a number from 0 to 11000, not '-1'"},
        {{"--shallow-margin", "2m"}, "--shallow-margin needs a number from 0 to 11000, not '2m'"},
        {{"--shallow-margin", "nan"}, "--shallow-margin needs a number from 0 to 11000, not 'nan'"},
        {{"--shallow-margin", "20000"},
         "--shallow-margin needs a number from 0 to 11000, not '20000'"},
        // Command names are compared exactly, as the module compares them.
        {{"--command", "plotrex_center_on"}, "unknown command 'plotrex_center_on'"},
    };
    for (const auto& c : cases) {
        HostOptions options;
        std::string error;
        EXPECT_FALSE(Parse(c.args, options, error)) << c.args[0];
        EXPECT_EQ(error, c.message);
    }
}

TEST(HostOptions, HelpIsAskedForAndListsEveryOptionAndCommand) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--speed", "2", "--help"}, options, error)) << error;
    EXPECT_TRUE(options.help);
    const std::string usage = HostUsage();
    for (const char* expected :
         {"--nmea FILE", "--speed FACTOR", "--out DIR", "--profile FILE", "--window",
          "--duration SECONDS", "--cycle SECONDS", "--mode MODE", "--command NAME[=ARG]", "--help",
          "--trawl CABLE:DEPTH[:FACTOR]", "PLOTREX_CENTER_ON_PROFILE", "PLOTREX_ETR_HFLF_PARAM"}) {
        EXPECT_NE(usage.find(expected), std::string::npos) << expected << "\n" << usage;
    }
}
