// A feed put back at a mark, on itself or on a feed opened afresh on the same
// file, answers exactly as the marked feed did after the mark.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/replay/BuiltInFeed.h"
#include "host/replay/NmeaFeed.h"
#include "host/replay/NmeaSummary.h"
#include "host/replay/SonarFeed.h"
#include "tests/support/HostRun.h"
#include "tests/support/NmeaSentence.h"
#include "tests/support/SonarWriter.h"
#include "tests/support/TestProfile.h"

namespace {

const std::string kDamagedLog = PLOTREX_SOURCE_DIR "/tests/data/damaged_voyage.nmea";
const std::string kSmallLog = PLOTREX_SOURCE_DIR "/tests/data/small_voyage.nmea";

std::string NmeaLine(const std::string& body) {
    return NmeaSentence(body) + "\r\n";
}

std::string Bits(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%a ", value);
    return text;
}

// What a caller sees of a feed after one cycle, bit for bit: the snapshot,
// the progress and the depths the feed knows around the ship.
std::string Seen(const ShipFeed& feed, const ShipSnapshot& s) {
    std::string seen = Bits(s.time) + Bits(s.position.First()) + Bits(s.position.Second()) +
                       Bits(s.heading) + Bits(s.speedKnots) + Bits(s.depthMetres) +
                       Bits(s.temperatureCelsius) + (s.towing ? "towing " : "") +
                       Bits(feed.Progress()) + Bits(feed.DurationSeconds());
    // Up to about 1.3 km around: the soundings read ahead and behind.
    for (int north = -3; north <= 3; ++north) {
        for (int east = -3; east <= 3; ++east) {
            const auto depth = feed.Depths().DepthAt(s.position.First() + north * 3e-5,
                                                     s.position.Second() + east * 3e-5);
            seen += depth ? Bits(*depth) : "- ";
        }
    }
    return seen;
}

std::string SeenOfLog(const LogFeed& feed, const ShipSnapshot& s) {
    return Seen(feed, s) + std::to_string(feed.TroublesSailed().timeJumps) + " " +
           std::to_string(feed.TroublesSailed().damaged);
}

std::string SeenOfNmea(NmeaFeed& feed, const ShipSnapshot& s) {
    return SeenOfLog(feed, s) + NmeaSummary(feed.Log());
}

// The sweeps due by the cycle, and what the summary says by then.
std::string SeenOfSonar(SonarFeed& feed, const ShipSnapshot& s) {
    std::string seen = SeenOfLog(feed, s) + Bits(feed.DraughtMetres());
    ZXNorvaneRecordedSweep sweep;
    while (feed.NextSweep(s.time, sweep)) {
        seen += Bits(sweep.shipTimeSeconds) + Bits(sweep.topMetres) + Bits(sweep.bottomMetres) +
                Bits(sweep.depthMetres) + (sweep.lowFrequency ? "LF " : "HF ");
        seen.append(reinterpret_cast<const char*>(sweep.levels), sweep.count);
    }
    return seen + feed.Summary();
}

// Cycles of a feed, each as seen, up to `cycles` of them or the feed's end;
// first what it shows before the next cycle, around the last snapshot.
template <typename Feed, typename See>
std::vector<std::string> Sail(Feed& feed, int cycles, See see, ShipSnapshot& last) {
    ShipSnapshot before = last;
    before.time = -1.0;  // no sweep is due before the start
    std::vector<std::string> seen{see(feed, before)};
    while (static_cast<int>(seen.size()) <= cycles && feed.Next(last)) {
        seen.push_back(see(feed, last));
    }
    return seen;
}

template <typename Feed, typename See>
std::vector<std::string> Sail(Feed& feed, int cycles, See see) {
    ShipSnapshot last;
    return Sail(feed, cycles, see, last);
}

// Marks a feed after k cycles and sails on to m; then the same feed back at
// the mark, and a feed opened afresh on the same file, first sailed a few
// cycles (the mark is ahead of it), must sail the same cycles.
template <typename Feed, typename See>
void ExpectMarkReplays(const std::function<std::unique_ptr<Feed>()>& open, int k, int m, See see) {
    const std::unique_ptr<Feed> feed = open();
    ShipSnapshot atMark;
    Sail(*feed, k, see, atMark);
    const std::unique_ptr<FeedMark> mark = feed->Mark();
    ASSERT_TRUE(mark);
    ShipSnapshot last = atMark;
    const std::vector<std::string> after = Sail(*feed, m - k, see, last);
    ASSERT_GT(after.size(), 3U);

    ASSERT_TRUE(feed->Restore(*mark));
    last = atMark;
    EXPECT_EQ(Sail(*feed, m - k, see, last), after) << "back on the same feed";

    const std::unique_ptr<Feed> fresh = open();
    Sail(*fresh, 3, see);
    ASSERT_TRUE(fresh->Restore(*mark));
    last = atMark;
    EXPECT_EQ(Sail(*fresh, m - k, see, last), after) << "on a feed opened afresh";
}

// North at 20 m and 10 s a fix for 8 km, CR LF line endings, a depth
// every other fix: the feed reads ahead a quarter of it.
std::string LongLog() {
    std::string text;
    for (int i = 0; i < 400; ++i) {
        const int seconds = 36000 + i * 10;
        char body[128];
        std::snprintf(body, sizeof body,
                      "GPGGA,%02d%02d%02d.00,47%07.4f,N,00500.0000,W,1,08,0.9,0,M,0,M,,",
                      seconds / 3600, seconds / 60 % 60, seconds % 60, 30.0 + i * 20.0 / 1852.0);
        text += NmeaLine(body);
        if (i % 2 == 0) {
            std::snprintf(body, sizeof body, "SDDBT,,f,%.1f,M,,F", 100.0 + i % 37);
            text += NmeaLine(body);
        }
    }
    return text;
}

std::unique_ptr<NmeaFeed> OpenNmea(const std::string& path, double cycle = 1.0) {
    auto opened = NmeaFeed::Open(path, cycle);
    EXPECT_TRUE(opened) << opened.GetError().Message();
    return opened ? opened.Release() : nullptr;
}

}  // namespace

TEST(FeedMark, ALogFeedReplaysFromItsMarkAmidItsTroubles) {
    // The damaged log: CR line endings, damaged and impossible lines, a
    // second receiver and time jumps. The mark falls between its troubles.
    const auto open = [] { return OpenNmea(kDamagedLog); };
    const std::unique_ptr<NmeaFeed> probe = open();
    ASSERT_TRUE(probe);
    ShipSnapshot snapshot;
    int k = 0;
    while (probe->Next(snapshot) && probe->TroublesSailed().damaged < 2) {
        ++k;
    }
    const LogTroubles atMark = probe->TroublesSailed();
    int cycles = k;
    while (probe->Next(snapshot)) {
        ++cycles;
    }
    ASSERT_GT(probe->TroublesSailed().damaged, atMark.damaged);
    ASSERT_GT(probe->TroublesSailed().timeJumps, atMark.timeJumps);
    ExpectMarkReplays<NmeaFeed>(open, k, cycles + 1, SeenOfNmea);
    // At the start, before any cycle, and with a short cycle on another log.
    ExpectMarkReplays<NmeaFeed>(open, 0, 40, SeenOfNmea);
    ExpectMarkReplays<NmeaFeed>([] { return OpenNmea(kSmallLog, 0.1); }, 50, 400, SeenOfNmea);
    TempFolder folder;
    const std::string path = folder.File("long.nmea");
    WriteFile(path, LongLog());
    ExpectMarkReplays<NmeaFeed>([&path] { return OpenNmea(path); }, 150, 300, SeenOfNmea);
}

TEST(FeedMark, ASonarFeedReplaysItsStatesAndSweepsFromItsMark) {
    TempFolder folder;
    const std::string path = folder.File("trip.sl2");
    WriteFile(path, DemoSonarRecording(4000));
    const auto open = [&path] {
        auto opened = SonarFeed::Open(path, EchoGain::kNormal, 0.1);
        EXPECT_TRUE(opened) << opened.GetError().Message();
        return opened ? opened.Release() : nullptr;
    };
    ExpectMarkReplays<SonarFeed>(open, 60, 1000, SeenOfSonar);
}

TEST(FeedMark, TheBuiltInVoyageReplaysFromItsMark) {
    ExpectMarkReplays<BuiltInFeed>([] { return std::make_unique<BuiltInFeed>(); }, 300, 700, Seen);
}

TEST(FeedMark, AMarkOfAnotherFileOrKindIsRefusedAndChangesNothing) {
    TempFolder folder;
    const std::string copy = folder.File("voyage.nmea");
    std::filesystem::copy_file(kDamagedLog, copy);
    const std::unique_ptr<NmeaFeed> damaged = OpenNmea(copy);
    ASSERT_TRUE(damaged);
    Sail(*damaged, 30, SeenOfNmea);
    const std::unique_ptr<FeedMark> mark = damaged->Mark();
    ASSERT_TRUE(mark);
    const BuiltInFeed voyage;
    const std::unique_ptr<FeedMark> voyageMark = voyage.Mark();

    const std::unique_ptr<NmeaFeed> small = OpenNmea(kSmallLog);
    const std::unique_ptr<NmeaFeed> untouched = OpenNmea(kSmallLog);
    Sail(*small, 20, SeenOfNmea);
    Sail(*untouched, 20, SeenOfNmea);
    EXPECT_FALSE(small->Restore(*mark));
    EXPECT_FALSE(small->Restore(*voyageMark));
    BuiltInFeed other;
    EXPECT_FALSE(other.Restore(*mark));
    EXPECT_EQ(Sail(*small, 100, SeenOfNmea), Sail(*untouched, 100, SeenOfNmea));

    // The same file cut short under the feed: its bytes no longer back the mark.
    std::filesystem::resize_file(copy, std::filesystem::file_size(copy) / 2);
    EXPECT_FALSE(damaged->Restore(*mark));
}
