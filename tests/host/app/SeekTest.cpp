// Going to a time of a replay, ahead or back, leaves the module as playing
// from the start to that time leaves it: the same next frame, pixel for
// pixel, the same distance run, sounder figures and echogram stores. Plain
// play is given the layout the user had at the seek and its view is shown
// afresh as a seek shows it (opened again, centred on the ship). The host's run is put together
// here as plotrex-host puts it together, on the headless desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include <unistd.h>

#include "host/app/PlaceScout.h"
#include "module/ModuleDataPlotrexInterface.h"
#include "tests/support/HostRun.h"
#include "tests/support/NmeaSentence.h"
#include "tests/support/ReplaySession.h"
#include "tests/support/SonarWriter.h"
#include "tests/support/TestProfile.h"

namespace {

std::string Sentence(const std::string& body) {
    return NmeaSentence(body) + "\n";
}

// Fifty minutes at one fix a second over a rolling floor, with a damaged
// line and a clock that leaps a quarter of an hour ahead 25 minutes in:
// longer than the profile and the echogram stores hold.
void WriteLongLog(const std::string& path) {
    std::ofstream log(path);
    double latitude = 47.5, longitude = -5.2;
    for (int second = 0; second < 3000; ++second) {
        const int stamp = second < 1500 ? second : second + 900;
        const double heading = std::fmod(second / 90.0 * 7.0, 360.0);
        latitude += std::cos(heading * M_PI / 180.0) * 8.0 / 3600.0 / 60.0;
        longitude += std::sin(heading * M_PI / 180.0) * 8.0 / 3600.0 / 60.0 / 0.675;
        char body[160];
        std::snprintf(body, sizeof body,
                      "GPRMC,%02d%02d%02d.00,A,%02d%07.4f,N,%03d%07.4f,W,8.0,%.1f,150626,,,A",
                      stamp / 3600 % 24, stamp / 60 % 60, stamp % 60, static_cast<int>(latitude),
                      (latitude - static_cast<int>(latitude)) * 60.0, static_cast<int>(-longitude),
                      (-longitude - static_cast<int>(-longitude)) * 60.0, heading);
        log << Sentence(body);
        const double depth = 70.0 + 35.0 * std::sin(second / 700.0);
        std::snprintf(body, sizeof body, "SDDBT,,f,%.1f,M,,F", depth);
        log << Sentence(body);
        std::snprintf(body, sizeof body, "YXMTW,%.1f,C", 12.0 + std::sin(second / 2000.0));
        log << Sentence(body);
        if (second == 2200) {
            log << "$GPRMC,garbled*00\n";
        }
    }
}

// What the module holds, as the host sees it.
struct ModuleState {
    PixelImage frame;
    long cycles = 0;
    double distance = 0.0;
    std::uint64_t sweeps[2] = {};
    std::vector<std::uint8_t> stores[2];  // every sweep's window and levels
    PlotrexSailedState sailed;            // the module's distance run, counts...
    std::vector<TrackPoint> track;        // as the export writes it
};

// What the session's module holds after drawing its next frame.
ModuleState StateOf(ReplaySession& session) {
    ModuleState state;
    ModuleHost& module = session.Module();
    session.Desktop().Idle(250);
    state.frame = session.Desktop().CaptureWindow(module.Frame().GetSafeHwnd());
    state.cycles = session.Account().Cycles();
    state.distance = session.Account().DistanceRadians();
    EXPECT_TRUE(module.Data().GetSailedState(&state.sailed));
    const std::span<const TrackPoint> track = session.Cycle().Track().Points();
    state.track.assign(track.begin(), track.end());
    if (const auto statistics = module.Sounder().Statistics()) {
        state.sweeps[0] = statistics->sweeps[0];
        state.sweeps[1] = statistics->sweeps[1];
    }
    for (short channel = 0; channel < 2; ++channel) {
        std::uint8_t levels[1024];
        double window[2];
        for (int i = 0;; ++i) {
            const int count =
                module.Data().GetEchogramSweep(channel, i, &window[0], &window[1], levels, 1024);
            if (count < 0) {
                break;
            }
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(window);
            state.stores[channel].insert(state.stores[channel].end(), bytes, bytes + sizeof window);
            state.stores[channel].insert(state.stores[channel].end(), levels, levels + count);
        }
    }
    return state;
}

void ExpectSame(const ModuleState& sought, const ModuleState& played, double time) {
    EXPECT_EQ(sought.cycles, played.cycles) << "at " << time;
    EXPECT_EQ(sought.distance, played.distance) << "at " << time;
    EXPECT_EQ(sought.sweeps[0], played.sweeps[0]) << "at " << time;
    EXPECT_EQ(sought.sweeps[1], played.sweeps[1]) << "at " << time;
    EXPECT_EQ(sought.sailed.distance, played.sailed.distance) << "at " << time;
    EXPECT_EQ(sought.sailed.first, played.sailed.first) << "at " << time;
    EXPECT_EQ(sought.sailed.second, played.sailed.second) << "at " << time;
    EXPECT_EQ(sought.sailed.historicReversed, played.sailed.historicReversed) << "at " << time;
    ASSERT_EQ(sought.track.size(), played.track.size()) << "track at " << time;
    EXPECT_EQ(std::memcmp(sought.track.data(), played.track.data(),
                          sought.track.size() * sizeof(TrackPoint)),
              0)
        << "track at " << time;
    EXPECT_TRUE(sought.stores[0] == played.stores[0]) << "HF store at " << time;
    EXPECT_TRUE(sought.stores[1] == played.stores[1]) << "LF store at " << time;
    EXPECT_FALSE(played.stores[0].empty());
    ASSERT_EQ(sought.frame.width, played.frame.width);
    ASSERT_EQ(sought.frame.height, played.frame.height);
    EXPECT_TRUE(sought.frame.pixels == played.frame.pixels)
        << "pixels differ in the frame at " << time;
}

// A scout of the session's replay started on the arguments and its places
// all taken.
void Scout(ReplaySession& session, HostOptions options, std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), {"--profile", options.profilePath});
    options.arguments = arguments;
    session.Play().Scout(PlaceScout::Start(PLOTREX_BIN_DIR "/plotrex-host", options));
    ASSERT_TRUE(session.Play().Scouting());
    const std::size_t before = session.Play().PlacesKept();
    for (int wait = 0; wait < 6000 && session.Play().Scouting(); ++wait) {
        usleep(10000);
        session.Play().TakeScouted();
    }
    EXPECT_FALSE(session.Play().Scouting()) << "the scout did not finish in a minute";
    EXPECT_GT(session.Play().PlacesKept(), before);
}

// Whole seconds between from and to, each a half second past the second:
// half way between cycles a second apart.
std::vector<double> RandomTimes(double from, double to, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        times.push_back(std::floor(std::uniform_real_distribution<double>(from, to)(random)) + 0.5);
    }
    return times;
}

// Seeks to the times given, ahead and back, each looked at in the next frame;
// then a jump stopped on the way, and a cycle back and forth while paused.
// Each is then checked against plain play from the start to the same time,
// in steps as the window's frames come, under the layout the sought run had
// at the seek. One run at a time: the module settles in the process's
// application.
// With scoutArguments, a scout started on them first sails the whole log, and
// the seeks take up the places it found.
void SeekAround(HostOptions options, const TempFolder& folder, const std::vector<double>& times,
                unsigned seed, const std::vector<std::string>& scoutArguments = {}) {
    options.profilePath = folder.File("profile.ini");
    options.outDir = folder.File("out");
    struct Seek {
        double time;
        std::string layout;
        ModuleState state;
    };
    std::vector<Seek> seeks;
    std::mt19937 random(seed);
    {
        ReplaySession sought(options);
        ASSERT_TRUE(sought.Ready());
        if (!scoutArguments.empty()) {
            ASSERT_TRUE(sought.SaveProfile());
            Scout(sought, options, scoutArguments);
        }
        int ahead = 0;
        int back = 0;
        const auto [low, high] = std::minmax_element(times.begin(), times.end());
        const double from = *low;
        const double to = *high;
        for (std::size_t i = 0; i < times.size(); ++i) {
            const double time = times[i];
            ASSERT_TRUE(sought.SaveProfile());
            const std::string layout = folder.File("layout" + std::to_string(i) + ".ini");
            std::filesystem::copy_file(options.profilePath, layout);
            (time < sought.Play().Position() ? back : ahead) += 1;
            if (i % 2 == 0) {
                sought.Play().SeekTo(time);
            } else {
                // As the window jumps: a few cycles at a time, sent on once
                // from half way.
                sought.Play().JumpTo(time / 2.0);
                sought.Play().Work(0.0);
                sought.Play().JumpTo(time);
                while (sought.Play().Work(0.0)) {
                    EXPECT_LT(sought.Play().JumpDone(), 1.0);
                }
            }
            ASSERT_TRUE(sought.Play().Usable());
            seeks.push_back({time, layout, StateOf(sought)});
        }
        {
            // A jump stopped on the way stands where it got to.
            ASSERT_TRUE(sought.SaveProfile());
            const std::string layout = folder.File("layout-stopped.ini");
            std::filesystem::copy_file(options.profilePath, layout);
            // Far enough, ahead or back, for more than one slice.
            const double position = sought.Play().Position();
            const double target = position < (from + to) / 2.0 ? to : (from + position) / 2.0;
            sought.Play().JumpTo(target);
            sought.Play().Work(0.0);
            ASSERT_TRUE(sought.Play().Jumping());
            sought.Play().Press(' ');
            EXPECT_FALSE(sought.Play().Jumping());
            EXPECT_TRUE(sought.Play().Paused());
            EXPECT_NE(sought.Play().Position(), target);
            seeks.push_back({sought.Play().Position(), layout, StateOf(sought)});
        }
        EXPECT_GT(ahead, 1);
        EXPECT_GT(back, 0);
        const std::size_t cycles = sought.Play().Cycles();
        sought.Play().Press(',');
        EXPECT_EQ(sought.Play().Cycles(), cycles - 1);
        sought.Play().Press('.');
        EXPECT_EQ(sought.Play().Cycles(), cycles);
        ExpectSame(StateOf(sought), seeks.back().state, seeks.back().time);
    }
    std::uniform_real_distribution<double> frame(0.01, 0.2);
    for (const Seek& seek : seeks) {
        HostOptions plainOptions = options;
        plainOptions.profilePath = seek.layout;
        ReplaySession plain(plainOptions);
        ASSERT_TRUE(plain.Ready());
        while (seek.time - plain.Play().Position() > 1e-9) {
            plain.Play().Advance(
                std::min(frame(random), (seek.time - plain.Play().Position()) / options.speed));
        }
        plain.Play().ShowAfresh();
        ExpectSame(seek.state, StateOf(plain), seek.time);
    }
}

}  // namespace

TEST(Seek, AnyTimeAheadOrBackHoldsWhatPlayingThereHolds) {
    TempFolder folder;
    const std::string log = folder.File("long.nmea");
    WriteLongLog(log);
    HostOptions options;
    options.nmeaPath = log;
    options.speed = 60.0;
    SeekAround(options, folder, RandomTimes(30.0, 3850.0, 5, 24), 24);
}

// To the end and back near it, to the start and far ahead again: the jumps
// back and ahead past the places kept take up the latest far enough before
// their targets.
TEST(Seek, FromPlacesKeptOnTheWay) {
    TempFolder folder;
    const std::string log = folder.File("long.nmea");
    WriteLongLog(log);
    HostOptions options;
    options.nmeaPath = log;
    options.speed = 60.0;
    SeekAround(options, folder, {3850.5, 2700.5, 200.5, 3500.5}, 5);
    {
        options.profilePath = folder.File("places.ini");
        ReplaySession session(options);
        ASSERT_TRUE(session.Ready());
        session.Play().SeekTo(3850.0);
        std::size_t sailed = session.Play().Sailed();
        session.Play().SeekTo(2700.0);
        // Far fewer than the 2 700 cycles from the start.
        EXPECT_LT(session.Play().Sailed() - sailed, 2000U);
        session.Play().SeekTo(200.0);
        sailed = session.Play().Sailed();
        session.Play().SeekTo(3500.0);
        EXPECT_LT(session.Play().Sailed() - sailed, 2000U);
    }
}

// Far ahead at once, where the window never was: from a place a scout found.
TEST(Seek, FromPlacesAScoutFoundAhead) {
    TempFolder folder;
    const std::string log = folder.File("long.nmea");
    WriteLongLog(log);
    HostOptions options;
    options.nmeaPath = log;
    options.speed = 60.0;
    const std::vector<std::string> arguments{"--nmea", log, "--speed", "60", "--window"};
    SeekAround(options, folder, {3500.5, 1800.5, 3800.5}, 9, arguments);
    options.profilePath = folder.File("scouted.ini");
    ReplaySession session(options);
    ASSERT_TRUE(session.Ready());
    Scout(session, options, arguments);
    session.Play().SeekTo(3500.0);
    EXPECT_LT(session.Play().Sailed(), 2000U);
}

TEST(Seek, ARecordingsSweepsAsPlayingThereHoldsThem) {
    TempFolder folder;
    const std::string recording = folder.File("trip.sl2");
    WriteFile(recording, DemoSonarRecording(5000));
    HostOptions options;
    options.sonarPath = recording;
    options.speed = 10.0;
    SeekAround(options, folder, RandomTimes(5.0, 230.0, 5, 7), 7);
}

// A recording of 13 minutes, a cycle every 0.3 s: places kept on the way and
// found by a scout hold the sounder's recorded sweeps as plain play holds
// them.
TEST(Seek, ARecordingFromPlacesAsPlayingThereHoldsIt) {
    TempFolder folder;
    const std::string recording = folder.File("trip.sl2");
    WriteFile(recording, DemoSonarRecording(16000));
    HostOptions options;
    options.sonarPath = recording;
    options.cycleSeconds = 0.3;
    options.speed = 10.0;
    SeekAround(options, folder, {790.5, 600.5, 30.5, 760.5}, 3,
               {"--sonar", recording, "--cycle", "0.3", "--speed", "10"});
}
