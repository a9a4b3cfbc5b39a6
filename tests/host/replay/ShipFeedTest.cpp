#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/replay/BuiltInFeed.h"
#include "host/replay/NmeaFeed.h"

#include "tests/support/NmeaSentence.h"

namespace {

constexpr double kDeg = M_PI / 180.0;
constexpr double kMetresPerMinuteOfLatitude = 1852.0;

std::string Sentence(const std::string& body) {
    return NmeaSentence(body) + "\r\n";
}

// A file that goes away with the test.
class TempLog {
  public:
    explicit TempLog(const std::string& text)
        : path_(std::filesystem::temp_directory_path() /
                ("plotrex-feed-" + std::to_string(getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".nmea")) {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~TempLog() { std::filesystem::remove(path_); }
    std::string Path() const { return path_.string(); }

  private:
    std::filesystem::path path_;
};

// Northwards along 5° W, one fix every 10 s and 20 m, with a depth of 100 m
// plus a metre per fix.
std::string NorthboundLog(int fixes) {
    std::string text;
    for (int i = 0; i < fixes; ++i) {
        const double minutes = 30.0 + i * 20.0 / kMetresPerMinuteOfLatitude;
        const int seconds = 36000 + i * 10;
        char body[128];
        std::snprintf(body, sizeof body,
                      "GPGGA,%02d%02d%02d.00,47%07.4f,N,00500.0000,W,1,08,0.9,0,M,0,M,,",
                      seconds / 3600, seconds / 60 % 60, seconds % 60, minutes);
        text += Sentence(body);
        std::snprintf(body, sizeof body, "SDDBT,,f,%.1f,M,,F", 100.0 + i);
        text += Sentence(body);
    }
    return text;
}

}  // namespace

// The depths ahead of the ship are known before it gets there, as a chart
// would know them, though the log is read as it is sailed.
TEST(NmeaFeed, KnowsTheDepthsAheadOfTheShip) {
    const int fixes = 300;  // 6 km
    TempLog log(NorthboundLog(fixes));
    auto opened = NmeaFeed::Open(log.Path());
    ASSERT_TRUE(opened) << opened.GetError().Message();
    const std::unique_ptr<NmeaFeed> feed = opened.Release();
    ShipSnapshot now;
    ASSERT_TRUE(feed->Next(now));
    EXPECT_DOUBLE_EQ(now.depthMetres, 100.0);
    // 1 km ahead is fix 50: 150 m deep.
    const double ahead = (47.5 + 1000.0 / kMetresPerMinuteOfLatitude / 60.0) * kDeg;
    const auto depth = feed->Depths().DepthAt(ahead, -5.0 * kDeg);
    ASSERT_TRUE(depth);
    EXPECT_NEAR(*depth, 150.0, 1.0);

    int count = 1;
    double lastTime = now.time;
    while (feed->Next(now)) {
        ++count;
        EXPECT_DOUBLE_EQ(now.time - lastTime, 10.0);
        lastTime = now.time;
    }
    EXPECT_EQ(count, fixes);
    EXPECT_DOUBLE_EQ(feed->DurationSeconds(), (fixes - 1) * 10.0);
    EXPECT_GT(feed->Progress(), 0.99);
}

// A fast log cycles the host on the ship's time, once a second or as asked:
// each cycle has the latest fix and depth by then, the last fix ends the
// voyage, and the run between the cycles' positions is the whole track.
TEST(NmeaFeed, CyclesOnTheShipsTimeWithTheLatestFix) {
    // Ten fixes a second for a minute, northwards at 20 m a second, each
    // with its depth, 100 m plus a centimetre per fix.
    std::string text;
    for (int i = 0; i <= 600; ++i) {
        const double minutes = 30.0 + i * 2.0 / kMetresPerMinuteOfLatitude;
        const int tenths = 360000 + i;
        char body[128];
        std::snprintf(body, sizeof body,
                      "GPGGA,%02d%02d%02d.%d0,47%07.4f,N,00500.0000,W,1,08,0.9,0,M,0,M,,",
                      tenths / 36000, tenths / 600 % 60, tenths / 10 % 60, tenths % 10, minutes);
        text += Sentence(body);
        std::snprintf(body, sizeof body, "SDDBT,,f,%.2f,M,,F", 100.0 + i * 0.01);
        text += Sentence(body);
    }
    TempLog log(text);
    const struct {
        double cycle;
        std::size_t snapshots;
    } cases[] = {{1.0, 61}, {5.0, 13}, {0.05, 601}, {7.0, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cycle);
        auto opened = NmeaFeed::Open(log.Path(), c.cycle);
        ASSERT_TRUE(opened) << opened.GetError().Message();
        std::vector<ShipSnapshot> snapshots;
        ShipSnapshot now;
        while (opened.Value()->Next(now)) {
            snapshots.push_back(now);
        }
        ASSERT_EQ(snapshots.size(), c.snapshots);
        double metres = 0.0;
        for (std::size_t k = 0; k < snapshots.size(); ++k) {
            const ShipSnapshot& s = snapshots[k];
            // The fix of that tenth, and its depth.
            const int fix = static_cast<int>(std::lround(s.time * 10));
            EXPECT_NEAR(s.time, k + 1 < snapshots.size() ? k * std::max(c.cycle, 0.1) : 60.0, 1e-6);
            // Positions are single precision, a few centimetres.
            EXPECT_NEAR(s.position.First(),
                        (47.5 + fix * 2.0 / kMetresPerMinuteOfLatitude / 60.0) * kDeg, 1e-7);
            EXPECT_NEAR(s.depthMetres, 100.0 + fix * 0.01, 1e-9);
            if (k > 0) {
                metres += (s.position.First() - snapshots[k - 1].position.First()) / kDeg * 60.0 *
                          kMetresPerMinuteOfLatitude;
            }
        }
        EXPECT_NEAR(metres, 1200.0, 1.0);
    }
}

TEST(NmeaFeed, LogsWithoutAFixStopBeforeAnything) {
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"no fix", Sentence("GPGGA,100000.00,,,,,0,00,,,M,,M,,") + Sentence("HEHDT,10.0,T")},
        {"not a log", std::string(5000, '\x89') + "PNG\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempLog log(c.text);
        const auto opened = NmeaFeed::Open(log.Path());
        ASSERT_FALSE(opened);
        EXPECT_NE(opened.GetError().Message().find(log.Path()), std::string::npos)
            << opened.GetError().Message();
        EXPECT_EQ(opened.GetError().ExitCode(), 2);
    }
}

TEST(SoundingIndex, KeepsOneSoundingPerSpotAndAnswersTheNearest) {
    SoundingIndex index;
    const double latitude = 47.5 * kDeg;
    const double step = 100.0 / 6371000.0;  // 100 m
    for (int i = 0; i < 10000; ++i) {
        index.Add(latitude, 0.0, 40.0 + i % 7);  // a ship at anchor
    }
    index.Add(latitude + step, 0.0, 60.0);
    EXPECT_EQ(index.Size(), 2U);
    EXPECT_DOUBLE_EQ(*index.DepthAt(latitude - step / 4, 0.0), 40.0 + 9999 % 7);
    EXPECT_DOUBLE_EQ(*index.DepthAt(latitude + step * 0.9, 0.0), 60.0);
    EXPECT_FALSE(index.DepthAt(latitude + step * 20, 0.0));  // 2 km off
}

// The built-in voyage's earlier survey runs from the voyage's end back over
// its last stretch, close enough to the track for the module to match it,
// with depths near the modelled floor's.
TEST(BuiltInFeed, EarlierSurveyRunsBackOverTheTrack) {
    BuiltInFeed feed;
    const std::vector<HistoricPoint> survey = feed.EarlierSurvey();
    ASSERT_GT(survey.size(), 100U);
    std::vector<PosType> track;
    ShipSnapshot now;
    while (feed.Next(now)) {
        track.push_back(now.position);
    }
    const double metresPerRadian = 6371000.0;
    auto metres = [&](const HistoricPoint& point, const PosType& position) {
        const double dLat = point.latitude - position.First();
        const double dLon = (point.longitude - position.Second()) * std::cos(point.latitude);
        return std::hypot(dLat, dLon) * metresPerRadian;
    };
    EXPECT_LT(metres(survey.front(), track.back()), 30.0);
    for (const HistoricPoint& point : survey) {
        double nearest = 1e9;
        for (const PosType& position : track) {
            nearest = std::min(nearest, metres(point, position));
        }
        // Half of 15 s at 10 knots, and the survey's 15 m to the side.
        ASSERT_LT(nearest, 60.0);
    }
    const Voyage voyage = Voyage::BuiltIn();
    for (const HistoricPoint& point : survey) {
        EXPECT_NEAR(point.depth, voyage.Sea().DepthAt(point.latitude, point.longitude), 1.0);
    }
}
