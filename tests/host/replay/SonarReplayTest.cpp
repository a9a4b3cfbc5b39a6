// A sonar recording replayed into the module: the host's snapshots from its
// track, the sounder playing its echoes as sweeps the module records, and the
// program as a user runs it on good and on damaged files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>
#include <optional>
#include <regex>
#include <vector>

#include "echo/EtrSweepRecorder.h"
#include "host/replay/SonarFeed.h"
#include "host/replay/SounderFeed.h"
#include "tests/support/HostRun.h"
#include "tests/support/ImageCompare.h"
#include "tests/support/RealSounder.h"
#include "tests/support/SonarWriter.h"
#include "tests/support/TestProfile.h"

namespace {

constexpr double kFoot = 0.3048;

// What the module made of each sweep it was handed.
struct Received {
    std::uint16_t channel;
    std::uint32_t count;
    EtrSweepWindow window;
    std::size_t strongest;  // index of the strongest level
    int strongestLevel;
};
std::mutex gMutex;
std::vector<Received> gReceived;

void RecordSweep(ZXRawSweep* raw) {
    const auto strongest = std::max_element(raw->samples, raw->samples + raw->sampleCount);
    const Received received{raw->channel, raw->sampleCount, ComputeSweepWindow(*raw),
                            static_cast<std::size_t>(strongest - raw->samples), *strongest};
    std::lock_guard lock(gMutex);
    gReceived.push_back(received);
}

// Twelve seconds at four pings a second, each ping a primary frame at
// 200 kHz of 2048 samples and a secondary at 50 kHz of 600, and a down-scan
// and a side-scan frame each second. The bottom is a strong sample at the
// depth the frame gives.
struct Trip {
    static constexpr int kPings = 48;
    static double Depth(int ping) { return 40.0 + ping; }  // feet
    static double Latitude(int ping) { return 43.25 + ping * 1e-5; }
    static double Longitude(int ping) { return 5.375 - ping * 2e-5; }
    static double Temperature(int ping) { return 18.5 - ping * 0.05; }

    // swapped: the primary channel at 50 kHz, the secondary at 200 kHz.
    static std::string Write(int format, bool swapped) {
        SonarWriter writer(format);
        for (int ping = 0; ping < kPings; ++ping) {
            for (int channel = 0; channel < 2; ++channel) {
                RecordedFrame f;
                f.channel = static_cast<std::uint16_t>(channel);
                f.frequency = (channel == 0) != swapped ? 0 : 1;
                f.upperFeet = 0.0;
                f.lowerFeet = channel == 0 ? 100.0 : 200.0;
                f.depthFeet = Depth(ping);
                f.keelFeet = 2.5;
                f.speedKnots = 3.0;
                f.temperatureCelsius = Temperature(ping);
                f.latitudeDegrees = Latitude(ping);
                f.longitudeDegrees = Longitude(ping);
                f.courseRadians = 4.0;
                f.headingRadians = 4.1;
                f.timeMilliseconds = 5000u + 250u * static_cast<std::uint32_t>(ping);
                const std::size_t count = channel == 0 ? 2048 : 600;
                f.samples.assign(count, 10);
                f.samples[static_cast<std::size_t>(Depth(ping) / f.lowerFeet * count)] = 250;
                writer.Add(f);
            }
            if (ping % 4 == 0) {
                for (std::uint16_t other : {2, 5}) {
                    RecordedFrame image;
                    image.channel = other;
                    image.timeMilliseconds = 5000u + 250u * static_cast<std::uint32_t>(ping) + 1;
                    image.samples.assign(800, 90);
                    writer.Add(image);
                }
            }
        }
        return writer.Bytes();
    }
};

}  // namespace

TEST(SonarReplay, TheModuleReceivesTheRecordingsTrackAndEchoes) {
    struct Case {
        int format;
        bool swapped;
    };
    for (const Case c : {Case{2, false}, Case{3, false}, Case{2, true}}) {
        const int format = c.format;
        SCOPED_TRACE("format " + std::to_string(format) + (c.swapped ? ", LF primary" : ""));
        TempFolder folder;
        const std::string path = folder.File("trip.sl" + std::to_string(format));
        WriteFile(path, Trip::Write(format, c.swapped));

        RealSounder library;
        ASSERT_TRUE(library.Ready());
        auto opened = SonarFeed::Open(path, EchoGain::kNormal);
        ASSERT_TRUE(opened) << opened.GetError().Message();
        const std::unique_ptr<SonarFeed> feed = opened.Release();
        SounderFeed sounder(PLOTREX_BIN_DIR "/");  // dual frequency, as the host starts it
        ASSERT_TRUE(sounder.Play(*feed));
        gReceived.clear();
        library.Sounder()->RegisterSweepCallback(RecordSweep);

        std::vector<ShipSnapshot> snapshots;
        ShipSnapshot snapshot;
        while (feed->Next(snapshot)) {
            sounder.Sail(snapshot);
            sounder.Settle();
            snapshots.push_back(snapshot);
        }
        library.Sounder()->UnregisterSweepCallback(RecordSweep);

        // One snapshot a second of the recording, from the frames of that
        // moment, and one at its end.
        ASSERT_EQ(snapshots.size(), 13u);
        EXPECT_DOUBLE_EQ(snapshots.back().time, 11.75);
        for (std::size_t i = 0; i < 12; ++i) {
            const ShipSnapshot& s = snapshots[i];
            const int ping = static_cast<int>(i) * 4;
            EXPECT_DOUBLE_EQ(s.time, static_cast<double>(i));
            const double lat = Trip::Latitude(ping) * std::numbers::pi / 180.0;
            const double lon = Trip::Longitude(ping) * std::numbers::pi / 180.0;
            const double dLat = s.position.First() - lat;
            const double dLon = (s.position.Second() - lon) * std::cos(lat);
            EXPECT_LT(std::hypot(dLat, dLon) * 6371000.0, 1.0) << "snapshot " << i;
            EXPECT_NEAR(s.depthMetres, Trip::Depth(ping) * kFoot, 1e-4);
            EXPECT_NEAR(s.temperatureCelsius, Trip::Temperature(ping), 1e-4);
            EXPECT_NEAR(s.speedKnots, 3.0, 1e-6);
            EXPECT_NEAR(s.heading, 4.1, 1e-6);
        }
        EXPECT_DOUBLE_EQ(feed->DraughtMetres(), format == 2 ? 2.5 * kFoot : 4.5);

        // Every ping, HF on channel 0 and LF on 1 (as their frequencies say),
        // nothing simulated; down-scan and side-scan counted, not played.
        const ZXNorvaneStatistics statistics = library.Statistics();
        EXPECT_EQ(statistics.pings, 0u);
        EXPECT_EQ(statistics.played, 2u * 48u);
        EXPECT_EQ(feed->Stats().frames[kSonarDownScan], 12);
        EXPECT_EQ(feed->Stats().frames[kSonarSideComposite], 12);
        std::lock_guard lock(gMutex);
        const auto hf = std::count_if(gReceived.begin(), gReceived.end(),
                                      [](const Received& r) { return r.channel == 0; });
        EXPECT_EQ(hf, 48);
        EXPECT_EQ(static_cast<long>(gReceived.size()) - hf, 48);
        for (std::size_t k = 0; k < gReceived.size(); ++k) {
            const Received& r = gReceived[k];
            const int ping = static_cast<int>(k / 2);
            // The secondary's frames: 600 samples over 200 ft.
            const bool secondary = (r.channel == 1) != c.swapped;
            EXPECT_EQ(r.channel, (k % 2 == 1) != c.swapped ? 1 : 0) << "primary first";
            SCOPED_TRACE("sweep " + std::to_string(k));
            // 2048 samples averaged down to 1024; 600 kept.
            EXPECT_EQ(r.count, secondary ? 600u : 1024u);
            EXPECT_NEAR(r.window.top, 0.0, 1e-9);
            EXPECT_NEAR(r.window.bottom, -(secondary ? 200.0 : 100.0) * kFoot, 0.051);
            EXPECT_NEAR(r.window.referenceDepth, Trip::Depth(ping) * kFoot, 0.051);
            // The bottom where the recording has it, and strong.
            EXPECT_NEAR((r.strongest + 0.5) / r.count,
                        Trip::Depth(ping) / (secondary ? 200.0 : 100.0), 1.5 / r.count);
            EXPECT_GE(r.strongestLevel, 11);
        }
    }
}

// A checkpoint of the host's sounder taken back, a damaged one refused with
// the sounder as it was.
TEST(SonarReplay, TheSounderFeedTakesItsSounderBackToACheckpoint) {
    SounderFeed sounder(PLOTREX_BIN_DIR "/");
    ASSERT_TRUE(sounder.Loaded());
    sounder.PingHere(true);
    ShipSnapshot snapshot;
    snapshot.speedKnots = 5.0;
    snapshot.depthMetres = 40.0;
    sounder.Sail(snapshot);
    snapshot.time = 5.0;
    sounder.Sail(snapshot);
    sounder.Settle();
    const std::optional<std::vector<std::uint8_t>> state = sounder.SaveState();
    ASSERT_TRUE(state);
    const uint64_t pings = sounder.Statistics()->pings;
    ASSERT_GT(pings, 0u);

    snapshot.time = 9.0;
    snapshot.depthMetres = kUndefined;
    sounder.Sail(snapshot);
    sounder.Settle();
    ASSERT_GT(sounder.Statistics()->pings, pings);
    std::vector<std::uint8_t> damaged = *state;
    damaged[damaged.size() / 2] ^= 4;
    const std::optional<std::vector<std::uint8_t>> later = sounder.SaveState();
    EXPECT_FALSE(sounder.RestoreState(damaged));
    EXPECT_EQ(sounder.SaveState(), later);

    ASSERT_TRUE(sounder.RestoreState(*state));
    EXPECT_EQ(sounder.Statistics()->pings, pings);
    EXPECT_EQ(sounder.SaveState(), state);
}

TEST(SonarReplay, TheProgramReplaysARecordingAndRefusesWhatIsNotOne) {
    TempFolder folder;
    const std::string trip = folder.File("trip.sl2");
    WriteFile(trip, DemoSonarRecording(2400));
    const std::string profile = folder.File("profile.ini");
    const std::string out = folder.File("pictures");
    const HostRun run =
        RunHost("--sonar " + trip + " --echo-gain high --profile " + profile + " --out " + out);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const char* line :
         {"Sonar frames: 2520 read: 1200 primary, 1200 secondary, 120 down-scan, 0 side-scan",
          "Sonar frames skipped: 120 down-scan and side-scan, 0 of an unknown channel",
          "Sonar time span: 00:02:00", "Sonar depths: ", "Sonar water temperatures: ",
          "Recorded sweeps played: 2400 (0 refused)"}) {
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
    }
    EXPECT_TRUE(LoadPng(out + "/view.png").has_value());

    // Damaged or foreign input: a clear message, exit 2, the profile untouched.
    const std::string nmea = folder.File("trip.nmea");
    WriteFile(nmea, "$GPGGA,120000.00,4730.000,N,00330.000,W,1,08,1.0,0.0,M,0.0,M,,*4B\r\n");
    const std::string cut = folder.File("cut.sl2");
    WriteFile(cut, DemoSonarRecording(2400).substr(0, 100));
    struct Case {
        std::string arguments;
        const char* message;
    };
    const Case cases[] = {
        {"--sonar " + nmea, "is not a sonar recording"},
        {"--sonar " + cut, "no position in the sonar recording"},
        {"--sonar " + folder.File("missing.sl2"), "cannot open the sonar recording"},
        {"--sonar " + trip + " --nmea " + nmea, "cannot be given together"},
        {"--sonar " + trip + " --echo-gain loud", "--echo-gain needs one of"},
    };
    const std::string before = ReadFile(profile);
    for (const Case& c : cases) {
        const HostRun refused = RunHost(c.arguments + " --profile " + profile + " --out " + out);
        EXPECT_EQ(refused.exitCode, 2) << refused.output;
        EXPECT_NE(refused.output.find(c.message), std::string::npos) << refused.output;
        EXPECT_EQ(ReadFile(profile), before);
    }
}

TEST(SonarReplay, DamagedTimesNeitherStallNorStretchTheReplay) {
    struct Case {
        const char* name;
        int frame;           // the frame whose time is damaged (or from which on)
        std::uint32_t time;  // its time, milliseconds
        bool fromThereOn;    // the times after it follow on from it
        double duration;     // seconds of the replay
        std::int64_t jumps;
    };
    const Case cases[] = {
        {"steady", 0, 0, false, 9.75, 0},
        {"a time far ahead", 20, 4000000000u, false, 9.75, 1},
        {"a time far back", 20, 0, false, 9.75, 1},
        // Held for the frames that confirm it, then joined on.
        {"a recorder paused for an hour", 20, 3605000, true, 7.75, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SonarWriter writer;
        for (int i = 0; i < 40; ++i) {
            RecordedFrame f;
            f.latitudeDegrees = 50.0;
            f.longitudeDegrees = 1.0 + i * 1e-5;
            f.samples.assign(100, 1);
            f.timeMilliseconds = 250u * static_cast<std::uint32_t>(i);
            if (i == c.frame && c.frame > 0) {
                f.timeMilliseconds = c.time;
            } else if (c.fromThereOn && i > c.frame) {
                f.timeMilliseconds = c.time + 250u * static_cast<std::uint32_t>(i - c.frame);
            }
            writer.Add(f);
        }
        TempFolder folder;
        WriteFile(folder.File("trip.sl2"), writer.Bytes());
        auto opened = SonarFeed::Open(folder.File("trip.sl2"), EchoGain::kNormal);
        ASSERT_TRUE(opened) << opened.GetError().Message();
        const std::unique_ptr<SonarFeed> feed = opened.Release();
        ShipSnapshot snapshot;
        double last = -1.0;
        while (feed->Next(snapshot)) {
            EXPECT_GE(snapshot.time, last);
            EXPECT_LE(snapshot.time - last, 1.5) << "no leap between cycles";
            last = snapshot.time;
        }
        EXPECT_DOUBLE_EQ(feed->DurationSeconds(), c.duration);
        EXPECT_EQ(feed->TimeJumps(), c.jumps);
    }
}

// Every frame of the two channels is played or counted: those after the last
// position with the ship where it was last seen (the host cycling on to the
// last frame), those without samples, with a window that holds no depth or
// one deeper than any sea passed over by kind.
TEST(SonarReplay, NoFrameIsLostWithoutBeingCounted) {
    SonarWriter writer;
    for (int i = 0; i < 60; ++i) {
        RecordedFrame f;
        f.channel = static_cast<std::uint16_t>(i % 2);
        f.timeMilliseconds = 500u * static_cast<std::uint32_t>(i);
        f.samples.assign(200, 40);
        if (i < 20) {  // a position for the first ten seconds only
            f.latitudeDegrees = 43.0 + i * 1e-5;
            f.longitudeDegrees = 5.0;
        }
        if (i == 30) {
            f.samples.clear();
        }
        if (i == 41) {
            f.upperFeet = 80.0;
            f.lowerFeet = 20.0;
        }
        if (i == 43 || i == 44) {
            f.lowerFeet = i == 43 ? 3e38 : 1e30;
        }
        writer.Add(f);
    }
    TempFolder folder;
    WriteFile(folder.File("trip.sl2"), writer.Bytes());
    auto opened = SonarFeed::Open(folder.File("trip.sl2"), EchoGain::kNormal);
    ASSERT_TRUE(opened) << opened.GetError().Message();
    const std::unique_ptr<SonarFeed> feed = opened.Release();
    ShipSnapshot snapshot;
    int sweeps = 0;
    int snapshots = 0;
    while (feed->Next(snapshot)) {
        ++snapshots;
        ZXNorvaneRecordedSweep sweep{};
        while (feed->NextSweep(snapshot.time, sweep)) {
            ++sweeps;
        }
        EXPECT_NEAR(snapshot.position.First(),
                    std::min(43.0 + std::min(snapshot.time * 2, 19.0) * 1e-5, 43.00019) *
                        std::numbers::pi / 180.0,
                    1e-7);
    }
    EXPECT_DOUBLE_EQ(snapshot.time, 29.5);
    EXPECT_EQ(snapshots, 30);  // one a second of the recording
    EXPECT_EQ(sweeps, 56);
    EXPECT_EQ(feed->PassedOver(), 4);
    EXPECT_NE(feed->Summary().find("not handed over: 1 without echo samples, 1 whose window "
                                   "holds no depth, 2 whose window reaches beyond any sea"),
              std::string::npos)
        << feed->Summary();
}
