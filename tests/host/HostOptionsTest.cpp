#include <gtest/gtest.h>

#include "host/HostOptions.h"

namespace {

bool Parse(std::vector<std::string> args, HostOptions& options, std::string& error) {
    return ParseHostOptions(args, options, error);
}

}  // namespace

TEST(HostOptions, EveryOptionAndRepeatedCommands) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"--nmea", "log.nmea", "--speed", "120", "--out", "pics", "--profile",
                       "p.ini", "--window", "--duration", "2.5", "--command",
                       "PLOTREX_SCALE_VALUE=9", "--command", "PLOTREX_FIT_TO_WINDOW"},
                      options, error))
        << error;
    EXPECT_EQ(options.nmeaPath, "log.nmea");
    EXPECT_EQ(options.speed, 120.0);
    EXPECT_EQ(options.outDir, "pics");
    EXPECT_EQ(options.profilePath, "p.ini");
    EXPECT_TRUE(options.window);
    EXPECT_EQ(options.durationSeconds, 2.5);
    ASSERT_EQ(options.commands.size(), 2U);
    EXPECT_EQ(options.commands[0].name, "PLOTREX_SCALE_VALUE");
    EXPECT_EQ(options.commands[0].argument, "9");
    EXPECT_TRUE(options.commands[0].hasArgument);
    EXPECT_FALSE(options.commands[1].hasArgument);
}

TEST(HostOptions, DefaultsAndErrors) {
    HostOptions options;
    std::string error;
    ASSERT_TRUE(Parse({}, options, error));
    EXPECT_FALSE(options.profilePath.empty());
    EXPECT_EQ(options.outDir, "plotrex-out");
    EXPECT_FALSE(options.window);

    for (const auto& bad : std::vector<std::vector<std::string>>{{"--bogus"},
                                                                 {"--nmea"},
                                                                 {"--speed", "fast"},
                                                                 {"--speed", "-2"},
                                                                 {"--duration", "0"},
                                                                 {"--command", "=3"},
                                                                 {"--profile", ""}}) {
        HostOptions o;
        error.clear();
        EXPECT_FALSE(Parse(bad, o, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}
