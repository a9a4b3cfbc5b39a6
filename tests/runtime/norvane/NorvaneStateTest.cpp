// The sounder's state saved at one ping and restored into a sounder reset in
// between (as a host jumping back to a checkpoint does): from there it makes
// the same sweeps, events and statistics as the run that never stopped. And
// blobs that are cut short, damaged or hold values it cannot take are
// refused without a trace.
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#include "runtime/norvane/StateWriter.h"
#include "tests/runtime/norvane/SounderFixture.h"

namespace norvanetest {
namespace {

auto Key(const Sweep& s) {
    return std::tie(s.channel, s.start, s.further, s.step, s.levels, s.frequencyMode, s.zoomMode,
                    s.reference, s.referenceValid);
}

void ExpectSameStatistics(const ZXNorvaneStatistics& a, const ZXNorvaneStatistics& b) {
    EXPECT_EQ(a.sweeps[0], b.sweeps[0]);
    EXPECT_EQ(a.sweeps[1], b.sweeps[1]);
    EXPECT_EQ(a.pings, b.pings);
    EXPECT_EQ(a.events, b.events);
    EXPECT_EQ(a.referenceDepth, b.referenceDepth);
    EXPECT_EQ(a.referenceValid, b.referenceValid);
    EXPECT_EQ(a.lastPingSeconds, b.lastPingSeconds);
    EXPECT_EQ(a.played, b.played);
    EXPECT_EQ(a.playRefused, b.playRefused);
}

// A floor that climbs from 15 m to 135 m and back to 25 m: the automatic
// range steps both ways and the detectors' gates must follow it.
double DepthAt(int cycle) {
    if (cycle < 30) {
        return 15.0 + cycle;
    }
    if (cycle < 60) {
        return 45.0 + 3.0 * (cycle - 30);
    }
    return std::max(25.0, 135.0 - 4.0 * (cycle - 60));
}

class NorvaneStateTest : public NorvaneSounderTest {
  protected:
    // Cycles of half a second as a host gives them, the next one known ahead.
    void Sail(int from, int to) {
        for (int cycle = from; cycle < to; ++cycle) {
            lib_.Environment(cycle * 0.5, DepthAt(cycle), 0.3 + 0.03 * (cycle % 20), 6.0);
            const ZXNorvaneEnvironment next{(cycle + 1) * 0.5, DepthAt(cycle + 1), 0.4, 6.5};
            lib_.forecast(&next);
            lib_.catchUp();
        }
    }

    // Sails to `save`, saves, sails on to `end`; then resets the sounder,
    // restores and sails the same cycles again: everything as the first time.
    void ExpectSameAfterRestore(int save, int end, const std::function<void()>& setUp) {
        setUp();
        Sail(0, save);
        const std::vector<uint8_t> state = lib_.SaveState();
        ASSERT_GT(state.size(), 16u);
        gSweeps.clear();
        gEvents.clear();
        Sail(save, end);
        const std::vector<Sweep> sweeps = gSweeps;
        const std::vector<int16_t> events = gEvents;
        const ZXNorvaneStatistics statistics = lib_.Statistics();
        ASSERT_GT(sweeps.size(), 20u);

        Restart(99, 0.2);
        ASSERT_TRUE(lib_.RestoreState(state));
        EXPECT_EQ(lib_.SaveState(), state) << "restored whole";
        gSweeps.clear();
        gEvents.clear();
        Sail(save, end);
        ASSERT_EQ(gSweeps.size(), sweeps.size());
        for (std::size_t i = 0; i < sweeps.size(); ++i) {
            ASSERT_TRUE(Key(gSweeps[i]) == Key(sweeps[i])) << "sweep " << i;
        }
        EXPECT_EQ(gEvents, events);
        ExpectSameStatistics(lib_.Statistics(), statistics);
    }
};

TEST_F(NorvaneStateTest, PingsAfterARestoreAreThoseOfTheRunThatWentOn) {
    ExpectSameAfterRestore(40, 90, [&] { ASSERT_TRUE(lib_.SetMode(5, 1)); });
    // The stretch after the checkpoint stepped the range and found the floor.
    EXPECT_GE(std::count(gEvents.begin(), gEvents.end(), kZXNorvaneAutoRangeChanged), 2);
    EXPECT_TRUE(std::any_of(gSweeps.begin(), gSweeps.end(),
                            [](const Sweep& s) { return s.referenceValid != 0; }));
    // A zoom window that rides on the bottom the detector follows.
    ExpectSameAfterRestore(25, 70, [&] { ASSERT_TRUE(lib_.SetMode(1, 2)); });
}

TEST_F(NorvaneStateTest, RecordedSweepsQueuedAtTheCheckpointPlayAfterARestore) {
    ExpectSameAfterRestore(10, 32, [&] {
        ASSERT_EQ(lib_.playback(1), 1);
        ASSERT_TRUE(lib_.SetMode(5, 1));
        for (int i = 0; i < 120; ++i) {
            std::vector<uint8_t> levels(300 + i, static_cast<uint8_t>(i % 7));
            std::fill(levels.begin() + 200 + i / 2, levels.end(), 15);
            const ZXNorvaneRecordedSweep sweep{i * 0.125,
                                               i % 2,
                                               0.0,
                                               30.0 + 0.1 * i,
                                               20.0 + 0.05 * i,
                                               levels.data(),
                                               static_cast<uint32_t>(levels.size())};
            ASSERT_EQ(lib_.playSweep(&sweep), 1);
        }
    });
    EXPECT_EQ(lib_.Statistics().played, 120u);
    EXPECT_EQ(lib_.Statistics().pings, 0u);
}

TEST_F(NorvaneStateTest, BlobsCutShortDamagedOrOutOfRangeAreRefusedAndChangeNothing) {
    ASSERT_TRUE(lib_.SetMode(5, 1));
    Sail(0, 30);
    const std::vector<uint8_t> saved = lib_.SaveState();
    Restart(5);
    Sail(0, 3);
    const std::vector<uint8_t> before = lib_.SaveState();
    ASSERT_NE(before, saved);

    std::vector<std::vector<uint8_t>> bad;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{12}, saved.size() / 2, saved.size() - 1}) {
        bad.emplace_back(saved.begin(), saved.begin() + size);
    }
    bad.push_back(saved);
    bad.back().push_back(0);
    for (std::size_t i = 0; i < saved.size(); ++i) {
        bad.push_back(saved);
        bad.back()[i] ^= static_cast<uint8_t>(1u << (i % 8));
    }
    // Sealed again, so that only the values themselves can be refused: the
    // next version, mode 9, a range not in the table, a payload one byte long.
    const auto resealed = [&](std::size_t at, uint8_t value) {
        std::vector<uint8_t> blob = saved;
        blob[at] = value;
        const uint64_t checksum = norvane::StateChecksum(blob.data(), blob.size() - 8);
        for (int i = 0; i < 8; ++i) {
            blob[blob.size() - 8 + i] = static_cast<uint8_t>(checksum >> (8 * i));
        }
        return blob;
    };
    bad.push_back(resealed(4, 2));
    bad.push_back(resealed(12, 9));
    bad.push_back(resealed(20, 77));
    bad.push_back(resealed(8, 1));
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_FALSE(lib_.RestoreState(bad[i])) << "blob " << i;
    }
    EXPECT_EQ(lib_.restoreState(nullptr, 0), 0);
    EXPECT_EQ(lib_.SaveState(), before);
    EXPECT_TRUE(lib_.RestoreState(saved));
}

}  // namespace
}  // namespace norvanetest
