#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "echo/EtrSweepRecorder.h"
#include "hostfamily/Undefined.h"
#include "platform/TickCount.h"
#include "tests/support/FakeSounder.h"

namespace {

constexpr std::uint32_t kOneMetreStep = 1U << 21;

struct RawSweep {
    ZXRawSweep raw{};
    std::vector<std::uint8_t> samples;

    RawSweep(std::uint16_t channel, std::uint32_t count, std::uint32_t start = 0,
             std::uint32_t step = kOneMetreStep)
        : samples(count) {
        std::iota(samples.begin(), samples.end(), std::uint8_t{0});
        raw.channel = channel;
        raw.samples = samples.data();
        raw.sampleCount = count;
        raw.sampleStep = step;
        raw.startDepth = start;
    }
};

}  // namespace

TEST(DepthToMetresTest, FiveUnitsAndNoOther) {
    FakeSounder sounder;
    struct Case {
        std::int32_t tenths;
        std::int16_t unit;
        double metres;
    };
    for (const Case& c : {Case{123, 0, 12.3}, Case{100, 1, 3.048}, Case{10, 2, 1.8288},
                          Case{100, 3, 15.152}, Case{100, 4, 16.5}, Case{-50, 4, -8.25}}) {
        EXPECT_NEAR(DepthToMetres(c.tenths, c.unit), c.metres, 1e-9) << c.unit;
    }
    EXPECT_EQ(DepthToMetres(100, 5), kUndefined);
    EXPECT_EQ(DepthToMetres(100, -1), kUndefined);
}

TEST(SweepWindowTest, WindowOfEveryPaneKind) {
    struct Case {
        const char* what;
        std::int16_t frequency, zoom;
        std::uint16_t channel;
        std::int16_t unit, unitResult;
        std::uint32_t start, count, step;
        std::int32_t reference, valid;
        double top, bottom, referenceDepth;
    };
    const std::vector<Case> cases = {
        {"single, unit 3 converted and truncated", 1, 1, 0, 3, 0, 100, 500, kOneMetreStep, 0, 0,
         -15.0, -90.0, 0.0},
        {"bottom lock on 42 m", 2, 1, 1, 0, 0, 0, 200, kOneMetreStep, 420, 1, -22.0, -42.0, 42.0},
        {"bottom discrimination on 42 m", 2, 4, 1, 0, 0, 0, 200, kOneMetreStep, 420, 1, -32.0,
         -52.0, 42.0},
        {"bottom lock without a bottom", 4, 1, 1, 0, 0, 0, 200, kOneMetreStep, 420, 0, 20.0, 0.0,
         0.0},
        {"channel 0 of a lock mode is full range", 2, 1, 0, 0, 0, 100, 200, kOneMetreStep, 420, 1,
         -10.0, -30.0, 42.0},
        {"unit query fails: raw values", 1, 1, 0, 3, 1, 100, 500, kOneMetreStep / 2, 0, 0, -100.0,
         -350.0, 0.0},
        {"marker zoom keeps its window", 2, 3, 1, 0, 0, 300, 100, kOneMetreStep, 420, 1, -30.0,
         -40.0, 42.0},
    };
    for (const Case& c : cases) {
        FakeSounder sounder;
        sounder.frequency = c.frequency;
        sounder.zoom = c.zoom;
        sounder.depthUnit = c.unit;
        sounder.depthUnitResult = c.unitResult;
        sounder.referenceDepth = c.reference;
        sounder.referenceValid = c.valid;
        RawSweep sweep(c.channel, c.count, c.start, c.step);
        const EtrSweepWindow window = ComputeSweepWindow(sweep.raw);
        EXPECT_DOUBLE_EQ(window.top, c.top) << c.what;
        EXPECT_DOUBLE_EQ(window.bottom, c.bottom) << c.what;
        EXPECT_DOUBLE_EQ(window.referenceDepth, c.referenceDepth) << c.what;
        // The library's record is read, never written.
        EXPECT_EQ(sweep.raw.startDepth, c.start) << c.what;
        EXPECT_EQ(sweep.raw.sampleCount, c.count) << c.what;
    }
}

TEST(SweepWindowTest, UnknownUnitLeavesRawValuesAndNoReference) {
    FakeSounder sounder;
    sounder.frequency = 2;
    sounder.zoom = 1;
    sounder.depthUnit = 9;
    sounder.referenceDepth = 420;
    sounder.referenceValid = 1;
    RawSweep sweep(1, 20, 0);
    const EtrSweepWindow window = ComputeSweepWindow(sweep.raw);
    EXPECT_EQ(window.referenceDepth, kUndefined);
    // Locked to the surface rather than to a depth of 666 km.
    EXPECT_DOUBLE_EQ(window.top, 20.0);
    EXPECT_DOUBLE_EQ(window.bottom, 0.0);
}

TEST(SweepRecorderTest, QueuesCopiesInArrivalOrderAndKeepsTheLastOfEachChannel) {
    FakeSounder sounder;
    sounder.frequency = 5;
    EtrSweepRecorder recorder;
    DWORD now = 1000;
    SetTickCountSource([&] { return now; });

    ZxEtrEcho last = ZxEtrEcho::Empty();
    EXPECT_EQ(recorder.GetLastSweepTime(), 0U);
    EXPECT_FALSE(recorder.GetLastSweep(0, &last));

    RawSweep first(0, 10, 50);
    RawSweep second(1, 1024, 100);
    RawSweep third(0, 3, 70);
    recorder.OnSweep(&first.raw);
    now = 1500;
    recorder.OnSweep(&second.raw);
    now = 1200;  // a tick count that went back still leaves the latest
    recorder.OnSweep(&third.raw);
    recorder.OnSweep(nullptr);

    EXPECT_EQ(recorder.GetLastSweepTime(), 1500U);
    ASSERT_TRUE(recorder.GetLastSweep(1, &last));
    EXPECT_EQ(last.sampleCount, 1024U);
    EXPECT_EQ(last.samples[1023], static_cast<std::uint8_t>(1023 & 0xFF));
    // The count converts like a depth: 3 tenths of a metre truncate to no height.
    EXPECT_EQ(recorder.GetDepthWindow(0), std::make_pair(-7.0, -7.0));
    EXPECT_EQ(recorder.GetDepthWindow(7), recorder.GetDepthWindow(1));

    std::vector<ZxEtrEcho> drained;
    recorder.DrainSweeps(drained);
    ASSERT_EQ(drained.size(), 3U);
    EXPECT_EQ(drained[0].channel, 0);
    EXPECT_EQ(drained[1].channel, 1);
    EXPECT_EQ(drained[2].sampleCount, 3U);
    EXPECT_EQ(drained[0].distance, -1.0);
    EXPECT_EQ(drained[0].number, -1);
    recorder.DrainSweeps(drained);
    EXPECT_EQ(drained.size(), 3U);
    SetTickCountSource({});
}

TEST(SweepRecorderTest, RefusesSweepsThatDoNotFitAndCountsThem) {
    FakeSounder sounder;
    EtrSweepRecorder recorder;
    RawSweep channel2(2, 10);
    RawSweep tooLong(0, 1025);
    RawSweep good(1, 1024);
    recorder.OnSweep(&channel2.raw);
    recorder.OnSweep(&tooLong.raw);
    recorder.OnSweep(&good.raw);
    EXPECT_EQ(recorder.GetRefusedCount(), 2U);
    EXPECT_FALSE(recorder.GetLastSweep(0, nullptr));
    std::vector<ZxEtrEcho> drained;
    recorder.DrainSweeps(drained);
    ASSERT_EQ(drained.size(), 1U);
    EXPECT_EQ(drained[0].channel, 1);
}

TEST(SweepRecorderTest, SettingsChangeIsTakenOnce) {
    EtrSweepRecorder recorder;
    EXPECT_FALSE(recorder.TakeSettingsChanged());
    recorder.OnSounderEvent(3);
    EXPECT_TRUE(recorder.IsSettingsChanged());
    EXPECT_TRUE(recorder.TakeSettingsChanged());
    EXPECT_FALSE(recorder.IsSettingsChanged());
    EXPECT_FALSE(recorder.TakeSettingsChanged());
}

TEST(SweepRecorderTest, UndrainedQueueKeepsTheNewestSweeps) {
    FakeSounder sounder;
    sounder.depthUnitResult = 1;  // raw depths: the window top numbers the sweeps
    EtrSweepRecorder recorder;
    const std::size_t total = EtrSweepRecorder::kMaxPending + 10;
    for (std::uint32_t i = 0; i < total; ++i) {
        RawSweep sweep(0, 4, i);
        recorder.OnSweep(&sweep.raw);
    }
    EXPECT_EQ(recorder.GetDroppedCount(), 10U);
    std::vector<ZxEtrEcho> drained;
    recorder.DrainSweeps(drained);
    ASSERT_EQ(drained.size(), EtrSweepRecorder::kMaxPending);
    EXPECT_EQ(drained.front().windowTop, -10.0);
    EXPECT_EQ(drained.back().windowTop, -static_cast<double>(total - 1));
}
