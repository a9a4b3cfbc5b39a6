// A recording played by the sounder, pings made on the caller's thread: the
// modes decide which recorded frequency reaches which channel, and the panes
// that ride on the bottom are cut from the recording around its own depth.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/NorvaneLibrary.h"

namespace {

struct Played {
    int channel;
    uint32_t start;
    uint32_t count;
    uint32_t bottomAt;  // index of the first level 15
    int32_t reference;
};
ZXSounder* gSounder = nullptr;
std::vector<Played> gPlayed;

void OnSweep(ZXRawSweep* raw) {
    int32_t depth = 0;
    int32_t valid = 0;
    gSounder->GetReferenceDepth(nullptr, &depth, &valid);
    const auto bottom = std::find(raw->samples, raw->samples + raw->sampleCount, 15);
    gPlayed.push_back({raw->channel, raw->startDepth, raw->sampleCount,
                       static_cast<uint32_t>(bottom - raw->samples), valid ? depth : -1});
}

}  // namespace

TEST(NorvanePlayback, ModesRouteTheRecordedFrequenciesAndCutZoomPanesAtItsDepth) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded() && lib.playback != nullptr);
    gSounder = lib.sounder;
    // Levels over 0 to 40 m, the bottom (level 15) at 25 m.
    std::vector<uint8_t> levels(400, 2);
    std::fill(levels.begin() + 250, levels.end(), 15);
    struct Case {
        int frequency, zoom;
        // What an HF and then an LF recording become: channel, count, start
        // in tenths of a metre, index of the bottom.
        std::vector<Played> expected;
    };
    const Case cases[] = {
        {5, 1, {{0, 0, 400, 250, 250}, {1, 0, 400, 250, 250}}},
        {1, 1, {{0, 0, 400, 250, 250}}},
        {3, 1, {{0, 0, 400, 250, 250}}},
        // Bottom lock: 10 m above the bottom; discrimination: 5 m either side.
        {2, 1, {{0, 0, 400, 250, 250}, {1, 150, 1000, 1000, 250}}},
        {4, 4, {{0, 0, 400, 250, 250}, {1, 200, 1000, 500, 250}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frequency) + "/" + std::to_string(c.zoom));
        const ZXNorvaneOptions options{1, 0, 0.0, 1};
        lib.reset(&options);
        ASSERT_EQ(lib.playback(1), 1);
        ASSERT_TRUE(lib.SetMode(c.frequency, c.zoom));
        lib.sounder->RegisterSweepCallback(OnSweep);
        gPlayed.clear();
        for (int32_t low : {0, 1}) {
            const ZXNorvaneRecordedSweep sweep{1.0, low, 0.0, 40.0, 25.0, levels.data(), 400};
            EXPECT_EQ(lib.playSweep(&sweep), 1);
        }
        lib.setShipTime(0.5);
        EXPECT_EQ(lib.catchUp(), 0) << "not due yet";
        lib.setShipTime(1.0);
        EXPECT_EQ(lib.catchUp(), 2);
        lib.sounder->UnregisterSweepCallback(OnSweep);
        ASSERT_EQ(gPlayed.size(), c.expected.size());
        for (std::size_t i = 0; i < gPlayed.size(); ++i) {
            const Played& got = gPlayed[i];
            const Played& want = c.expected[i];
            EXPECT_EQ(got.channel, want.channel);
            EXPECT_EQ(got.start, want.start);
            EXPECT_EQ(got.count, want.count);
            EXPECT_EQ(got.bottomAt, want.bottomAt);
            EXPECT_EQ(got.reference, want.reference) << "the recording's depth";
        }
        EXPECT_EQ(lib.Statistics().pings, 0u);
    }
}

TEST(NorvanePlayback, SweepsThatCannotBePlayedAreRefusedAndCounted) {
    NorvaneLibrary lib;
    ASSERT_TRUE(lib.Loaded() && lib.playback != nullptr);
    const ZXNorvaneOptions options{1, 0, 0.0, 1};
    lib.reset(&options);
    std::vector<uint8_t> levels(400, 2);
    // Refused: not playing, no samples, too many, a window upside down, a
    // window no sea holds (its tenths overflow a sweep's depths).
    const ZXNorvaneRecordedSweep good{0.0, 0, 0.0, 40.0, 25.0, levels.data(), 400};
    lib.playback(0);
    EXPECT_EQ(lib.playSweep(&good), 0);
    lib.playback(1);
    std::vector<uint8_t> many(1025, 1);
    for (const ZXNorvaneRecordedSweep& bad :
         {ZXNorvaneRecordedSweep{0.0, 0, 0.0, 40.0, 25.0, nullptr, 400},
          ZXNorvaneRecordedSweep{0.0, 0, 0.0, 40.0, 25.0, many.data(), 1025},
          ZXNorvaneRecordedSweep{0.0, 0, 0.0, 40.0, 25.0, levels.data(), 0},
          ZXNorvaneRecordedSweep{0.0, 0, 40.0, 10.0, 25.0, levels.data(), 400},
          ZXNorvaneRecordedSweep{0.0, 0, 0.0, 9.144e37, 25.0, levels.data(), 400},
          ZXNorvaneRecordedSweep{0.0, 0, -1e30, 40.0, 25.0, levels.data(), 400}}) {
        EXPECT_EQ(lib.playSweep(&bad), 0);
    }
    EXPECT_EQ(lib.Statistics().playRefused, 6u);
    EXPECT_EQ(lib.playSweep(nullptr), 0);
    EXPECT_EQ(lib.playSweep(&good), 1);
    lib.playback(0);
}
