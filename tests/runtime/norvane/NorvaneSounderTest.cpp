// The sounder library through its exported entry points, loaded as the module
// loads it: what its pings hold. Pings are synchronous here (the thread has
// its own tests).
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "tests/runtime/norvane/SounderFixture.h"

namespace norvanetest {
namespace {

TEST_F(NorvaneSounderTest, PingsRepeatForASeedAndDifferAcrossSeeds) {
    const auto run = [&](uint32_t seed) {
        Restart(seed);
        lib_.SetMode(5, 1);
        std::vector<std::vector<uint8_t>> columns;
        for (int i = 0; i < 40; ++i) {
            lib_.Environment(i * 0.5, 50.0 + i, 0.4, 8.0);
            for (const Sweep& sweep : PingOnce()) {
                columns.push_back(sweep.levels);
            }
        }
        return columns;
    };
    const auto first = run(7);
    ASSERT_EQ(first.size(), 80u);
    EXPECT_EQ(run(7), first);
    EXPECT_NE(run(8), first);
}

TEST_F(NorvaneSounderTest, BottomEchoSitsAtTheDepthAndTheReferenceFollowsIt) {
    struct Case {
        int range;
        double depth;
        double hardness;
        bool inWindow;
    };
    const Case cases[] = {
        {100, 55.0, 0.5, true}, {100, 87.3, 0.1, true},
        {50, 31.6, 0.9, true},  {200, 151.0, 0.6, true},
        {20, 35.0, 0.5, false}, {100, 0.0, 0.5, false},  // no floor in reach
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "range " << c.range << " depth " << c.depth);
        Restart(3);
        ASSERT_TRUE(lib_.SetRange(c.range));
        ASSERT_TRUE(SetProperty(0, "THRESHOLD", 14));
        for (int i = 0; i < 5; ++i) {
            lib_.Environment(i * 0.3, c.depth, c.hardness, 4.0);
            const std::vector<Sweep> sweeps = PingOnce();
            ASSERT_EQ(sweeps.size(), 1u);
            const Sweep& sweep = sweeps[0];
            const double sample = SampleMetres(sweep);
            EXPECT_EQ(sweep.further, static_cast<uint32_t>(c.range) * 10);
            if (c.inWindow) {
                const std::optional<int> onset = BottomOnset(sweep);
                ASSERT_TRUE(onset);
                EXPECT_NEAR(SampleDepth(sweep, *onset), c.depth, 2.0 * sample + 0.05);
                EXPECT_EQ(sweep.referenceValid, 1);
                EXPECT_NEAR(sweep.reference * 0.1, c.depth, 2.0 * sample + 0.05);
            } else {
                EXPECT_EQ(sweep.referenceValid, 0);
            }
            EXPECT_EQ(lib_.Statistics().referenceValid, c.inWindow ? 1 : 0);
        }
    }
}

TEST_F(NorvaneSounderTest, HighFrequencyLosesTheBottomBeforeLowFrequency) {
    // Reference depth of each frequency alone, over a deepening floor.
    const auto found = [&](int frequencyMode, double depth) {
        Restart(5);
        lib_.SetMode(frequencyMode, 1);
        lib_.SetRange(1000);
        int valid = 0;
        for (int i = 0; i < 10; ++i) {
            lib_.Environment(i * 2.0, depth, 0.5, 4.0);
            const std::vector<Sweep> sweeps = PingOnce();
            valid += sweeps.at(0).referenceValid;
        }
        return valid;
    };
    EXPECT_EQ(found(1, 150.0), 10);
    EXPECT_EQ(found(3, 150.0), 10);
    EXPECT_EQ(found(1, 900.0), 0);
    EXPECT_EQ(found(3, 900.0), 10);
    // Both together report the depth LF still finds.
    EXPECT_EQ(found(5, 900.0), 10);
}

// The automatic range holds the floor it detects with room to spare but not
// far above the foot of the window; a floor the high frequency loses is
// searched for no deeper than twice where it was last seen, then looked for
// again on the range of that depth.
TEST_F(NorvaneSounderTest, AutomaticRangeKeepsTheFloorInViewAndComesBackWhenItIsLost) {
    const auto rangeOverFloor = [&](int frequencyMode, double depth, int pings,
                                    std::vector<int32_t>* seen = nullptr) {
        lib_.SetMode(frequencyMode, 1);
        for (int i = 0; i < pings; ++i) {
            lib_.Environment(i * 1.5, depth, 0.5, 4.0);
            PingOnce();
            int32_t range = 0;
            lib_.sounder->GetRange(0, &range, nullptr);
            if (seen != nullptr) {
                seen->push_back(range);
            }
        }
        int32_t range = 0;
        lib_.sounder->GetRange(0, &range, nullptr);
        return range;
    };
    // The trench of the built-in voyage, in dual frequency (LF finds it) and
    // LF alone; a shelf floor at 35 m and a bank at 265 m.
    const struct {
        int frequencyMode;
        double depth;
        int32_t range;
    } cases[] = {{5, 478.0, 600}, {3, 478.0, 600}, {1, 35.0, 50}, {5, 265.0, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "depth " << c.depth);
        Restart(4);
        EXPECT_EQ(rangeOverFloor(c.frequencyMode, c.depth, 30), c.range);
    }

    // HF alone over 200 m, then over a floor too deep for it to hear.
    Restart(4);
    ASSERT_EQ(rangeOverFloor(1, 200.0, 30), 300);
    std::vector<int32_t> searched;
    rangeOverFloor(1, 900.0, 60, &searched);
    EXPECT_EQ(*std::max_element(searched.begin(), searched.end()), 600);
    EXPECT_EQ(searched.back() == 300 || searched.back() == 600, true);
    EXPECT_GE(std::count(searched.begin(), searched.end(), 300), 20) << "back on its range";
}

TEST_F(NorvaneSounderTest, PingRateFollowsTheRangeOnTheShipsClock) {
    // Two-way travel to the bottom of the window at 1500 m/s, 30 ms to turn
    // round, never faster than 20 pings a second.
    const double duration = 60.02;
    for (const int range : {10, 20, 100, 600, 1000}) {
        SCOPED_TRACE(range);
        Restart(1);
        lib_.SetRange(range);
        lib_.Environment(0.0, 40.0);
        EXPECT_EQ(lib_.catchUp(), 1);
        lib_.Environment(duration, 40.0);
        const double interval = std::max(0.05, 2.0 * range / 1500.0 + 0.03);
        EXPECT_EQ(lib_.catchUp(), static_cast<int>(std::floor(duration / interval)));
        EXPECT_EQ(lib_.catchUp(), 0);
        EXPECT_NEAR(lib_.Statistics().lastPingSeconds, std::floor(duration / interval) * interval,
                    1e-6);
    }
    Restart(1, 0.002);
    lib_.Environment(0.0, 40.0);
    lib_.Environment(1.0, 40.0);
    EXPECT_NEAR(lib_.catchUp(), 501, 1);
}

namespace {

enum class Window { kFull, kLock, kBottomZoom, kMarker, kDiscrimination };

struct ExpectedSweep {
    int channel;
    Window window;
    bool lowFrequency;
};

// Where the sweep's window lies, with the bottom reported at reference.
void ExpectWindow(const Sweep& sweep, Window window, int32_t reference) {
    const uint32_t span = sweep.further - sweep.start;
    EXPECT_NEAR(sweep.levels.size() * (sweep.step / 2097152.0), span, 0.01);
    switch (window) {
        case Window::kFull:
            EXPECT_EQ(sweep.start, 0u);
            EXPECT_EQ(sweep.further, 1000u);
            break;
        case Window::kLock:  // the window ends on the bottom
            EXPECT_EQ(span, 100u);
            EXPECT_EQ(sweep.further, static_cast<uint32_t>(reference));
            break;
        case Window::kBottomZoom:  // the bottom three quarters down, a whole metre on top
            EXPECT_EQ(span, 100u);
            EXPECT_EQ(sweep.start % 10, 0u);
            EXPECT_NEAR(reference - static_cast<int32_t>(sweep.start), 75, 10);
            break;
        case Window::kMarker:  // around the marker at 20 m
            EXPECT_EQ(sweep.start, 150u);
            EXPECT_EQ(sweep.further, 250u);
            break;
        case Window::kDiscrimination:
            EXPECT_EQ(span, 100u);
            EXPECT_EQ(static_cast<int32_t>(sweep.start + span / 2), reference);
            break;
    }
}

// The bottom's echo starts at its depth in every window that holds it.
void ExpectBottomDrawn(const Sweep& sweep, const ExpectedSweep& expected, double depth) {
    if (expected.window == Window::kLock || expected.window == Window::kMarker) {
        return;
    }
    const std::optional<int> onset = BottomOnset(sweep);
    ASSERT_TRUE(onset);
    EXPECT_NEAR(SampleDepth(sweep, *onset), depth, 0.25);
    if (expected.window == Window::kFull) {
        // The wide LF beam draws a thick bottom, the narrow HF one a thin line.
        const int thickness = Thickness(sweep, *onset);
        if (expected.lowFrequency) {
            EXPECT_GT(thickness, 40);
        } else {
            EXPECT_LT(thickness, 25);
        }
    }
}

}  // namespace

TEST_F(NorvaneSounderTest, EachModeDeliversItsChannelsAndWindows) {
    struct Case {
        int frequency;
        int zoom;
        std::vector<ExpectedSweep> sweeps;
    };
    using enum Window;
    const Case cases[] = {
        {1, 1, {{0, kFull, false}}},
        {3, 1, {{0, kFull, true}}},
        {5, 1, {{0, kFull, false}, {1, kFull, true}}},
        {2, 1, {{0, kFull, false}, {1, kLock, false}}},
        {4, 1, {{0, kFull, true}, {1, kLock, true}}},
        {2, 2, {{0, kFull, false}, {1, kBottomZoom, false}}},
        {2, 3, {{0, kFull, false}, {1, kMarker, false}}},
        {4, 4, {{0, kFull, true}, {1, kDiscrimination, true}}},
        {2, 5, {{0, kFull, false}, {1, kDiscrimination, false}}},
    };
    const double depth = 61.0;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "modes " << c.frequency << "," << c.zoom);
        Restart(11);
        ASSERT_TRUE(lib_.SetMode(c.frequency, c.zoom));
        ASSERT_TRUE(lib_.SetRange(100));
        ASSERT_TRUE(SetProperty(0, "THRESHOLD", 14));
        ASSERT_TRUE(SetProperty(1, "THRESHOLD", 14));
        lib_.Environment(0.0, depth, 0.5, 0.0);
        const std::vector<Sweep> sweeps = PingOnce();
        ASSERT_EQ(sweeps.size(), c.sweeps.size());
        ASSERT_EQ(sweeps[0].referenceValid, 1);
        for (std::size_t k = 0; k < sweeps.size(); ++k) {
            EXPECT_EQ(sweeps[k].channel, c.sweeps[k].channel);
            EXPECT_EQ(sweeps[k].frequencyMode, c.frequency);
            EXPECT_EQ(sweeps[k].zoomMode, c.zoom);
            ExpectWindow(sweeps[k], c.sweeps[k].window, sweeps[0].reference);
            ExpectBottomDrawn(sweeps[k], c.sweeps[k], depth);
        }
    }
}

TEST_F(NorvaneSounderTest, UnregisteredCallbacksAreNotCalledAgain) {
    lib_.Environment(0.0, 40.0);
    EXPECT_EQ(PingOnce().size(), 1u);
    EXPECT_EQ(lib_.sounder->UnregisterSweepCallback(OnSweep), 1);
    EXPECT_EQ(lib_.sounder->UnregisterSweepCallback(OnSweep), 0);
    EXPECT_TRUE(PingOnce().empty());
    EXPECT_EQ(lib_.ping(), 1) << "the sounder still pings";
    EXPECT_EQ(lib_.Statistics().sweeps[0], 1u);
    EXPECT_EQ(lib_.Statistics().pings, 3u);
    EXPECT_EQ(lib_.sounder->UnregisterEventCallback(OnEvent), 1);
    lib_.SetMode(2, 1);
    EXPECT_TRUE(gEvents.empty());
    EXPECT_EQ(lib_.sounder->RegisterSweepCallback(nullptr), 0);
}

std::vector<uint32_t> gSecondStarts;
void OnSweepSecond(ZXRawSweep* raw) {
    gSecondStarts.push_back(raw->startDepth);
}

TEST_F(NorvaneSounderTest, EveryListenerGetsTheRecordAsSentEvenIfAnEarlierOneRewroteIt) {
    // OnSweep rewrites the record in place, as the module does when it turns
    // depths into metres; the next listener must not see that.
    lib_.SetMode(2, 3);
    lib_.SetRange(100);
    gSecondStarts.clear();
    ASSERT_EQ(lib_.sounder->RegisterSweepCallback(OnSweepSecond), 1);
    lib_.Environment(0.0, 40.0);
    const std::vector<Sweep> sweeps = PingOnce();
    lib_.sounder->UnregisterSweepCallback(OnSweepSecond);
    ASSERT_EQ(sweeps.size(), 2u);
    EXPECT_EQ(gSecondStarts, (std::vector<uint32_t>{0u, 150u}));
}

TEST_F(NorvaneSounderTest, ClocksIntervalsAndDepthsNoSounderKeepsAreRefusedOrHeld) {
    // An interval too short to move the clock on would make a catch-up endless.
    Restart(1, 1e-300);
    lib_.Environment(100.0, 30.0);
    lib_.Environment(100.5, 30.0);
    EXPECT_NEAR(lib_.catchUp(), 500, 1) << "held to a millisecond";
    // Times whose echoes' cells overflow, a floor deeper than any sea.
    EXPECT_EQ(lib_.setShipTime(1e300), 0);
    const ZXNorvaneEnvironment far{-2e12, 30.0, 0.5, 5.0};
    EXPECT_EQ(lib_.setEnvironment(&far), 0);
    const ZXNorvaneEnvironment abyss{101.0, 1e300, 0.5, 1e300};
    EXPECT_EQ(lib_.setEnvironment(&abyss), 1);
    EXPECT_NEAR(lib_.catchUp(), 500, 1);
    EXPECT_NEAR(lib_.Statistics().lastPingSeconds, 101.0, 0.0015);
}

}  // namespace
}  // namespace norvanetest
