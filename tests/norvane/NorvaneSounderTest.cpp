// The sounder library through its exported entry points, loaded as the module
// loads it. Pings are synchronous here (the thread has its own tests).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <gtest/gtest.h>
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <ogr_feature.h>
#pragma GCC diagnostic pop

#include "tests/support/NorvaneLibrary.h"

namespace {

struct Sweep {
    int channel = 0;
    uint32_t start = 0;
    uint32_t further = 0;
    uint32_t step = 0;
    std::vector<uint8_t> levels;
    // What the sounder answered from inside the callback.
    int16_t frequencyMode = 0;
    int16_t zoomMode = 0;
    int32_t reference = 0;
    int32_t referenceValid = 0;
};

ZXSounder* gSounder = nullptr;
std::vector<Sweep> gSweeps;
std::vector<int16_t> gEvents;
std::function<void(const Sweep&)> gDuringSweep;

void OnSweep(ZXRawSweep* raw) {
    Sweep sweep;
    sweep.channel = raw->channel;
    sweep.start = raw->startDepth;
    sweep.further = raw->furtherDepth;
    sweep.step = raw->sampleStep;
    sweep.levels.assign(raw->samples, raw->samples + raw->sampleCount);
    gSounder->GetModes(&sweep.frequencyMode, &sweep.zoomMode);
    int32_t reserved = 0;
    gSounder->GetReferenceDepth(&reserved, &sweep.reference, &sweep.referenceValid);
    // A reader may rewrite the record in place (the module converts units).
    raw->startDepth = 0xDEAD;
    raw->sampleCount = 1;
    gSweeps.push_back(sweep);
    if (gDuringSweep) {
        gDuringSweep(gSweeps.back());
    }
}

void OnEvent(int16_t code) {
    gEvents.push_back(code);
}

// Depth in metres of the top of sample i (metres as the unit).
double SampleDepth(const Sweep& sweep, int i) {
    return 0.1 * (sweep.start + i * (sweep.step / 2097152.0));
}

double SampleMetres(const Sweep& sweep) {
    return 0.1 * sweep.step / 2097152.0;
}

// Where the bottom starts, the second echo being out of the window: the top of
// the deepest stretch where every 30 cm stays at 14 or more. Run with a
// threshold of 14, which leaves the bottom, schools, big fish and the surface
// band, with water between them.
std::optional<int> BottomOnset(const Sweep& sweep) {
    const int width = std::max(1, static_cast<int>(std::ceil(0.3 / SampleMetres(sweep) - 1e-6)));
    const auto solid = [&](int i) {
        for (int j = i; j < i + width; ++j) {
            if (sweep.levels[j] < 14) {
                return false;
            }
        }
        return true;
    };
    int i = static_cast<int>(sweep.levels.size()) - width;
    while (i >= 0 && !solid(i)) {
        --i;
    }
    if (i < 0) {
        return std::nullopt;
    }
    // Up through the speckle of the echo, to water wider than 30 cm.
    int onset = i;
    for (int k = i; k >= 0 && onset - k <= width; --k) {
        if (sweep.levels[k] >= 14) {
            onset = k;
        }
    }
    return SampleDepth(sweep, onset) > 3.0 ? std::optional<int>(onset) : std::nullopt;
}

// Samples left by the threshold in the 10 m from a sample on.
int Thickness(const Sweep& sweep, int from) {
    const int stop = std::min(static_cast<int>(sweep.levels.size()),
                              from + static_cast<int>(10.0 / SampleMetres(sweep)));
    int count = 0;
    for (int i = from; i < stop; ++i) {
        count += sweep.levels[i] != 0 ? 1 : 0;
    }
    return count;
}

bool SameValues(OGRFeature* a, OGRFeature* b) {
    if (a->GetFieldCount() != b->GetFieldCount()) {
        return false;
    }
    for (int i = 0; i < a->GetFieldCount(); ++i) {
        if (std::strcmp(a->GetFieldDefnRef(i)->GetNameRef(), b->GetFieldDefnRef(i)->GetNameRef()) !=
                0 ||
            a->GetFieldAsDouble(i) != b->GetFieldAsDouble(i)) {
            return false;
        }
    }
    return true;
}

class NorvaneSounderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(lib_.Loaded());
        Restart(1);
        gSounder = lib_.sounder;
        gSweeps.clear();
        gEvents.clear();
        gDuringSweep = nullptr;
        lib_.sounder->RegisterSweepCallback(OnSweep);
        lib_.sounder->RegisterEventCallback(OnEvent);
    }
    void TearDown() override {
        lib_.sounder->UnregisterSweepCallback(OnSweep);
        lib_.sounder->UnregisterEventCallback(OnEvent);
        gDuringSweep = nullptr;
    }
    void Restart(uint32_t seed, double fixedInterval = 0.0) {
        const ZXNorvaneOptions options{seed, 0, fixedInterval, 1};
        lib_.reset(&options);
    }
    bool SetProperty(int set, const char* field, double value) {
        OGRFeature* feature = lib_.sounder->GetProperties(set, 0);
        if (feature == nullptr) {
            return false;
        }
        feature->SetField(field, value);
        const bool accepted = lib_.sounder->SetProperties(feature, set, 0) != 0;
        OGRFeature::DestroyFeature(feature);
        return accepted;
    }
    double Property(int set, const char* field) {
        OGRFeature* feature = lib_.sounder->GetProperties(set, 0);
        const double value = feature->GetFieldAsDouble(field);
        OGRFeature::DestroyFeature(feature);
        return value;
    }
    // Pings once and returns the sweeps of that ping.
    std::vector<Sweep> PingOnce() {
        gSweeps.clear();
        lib_.ping();
        return gSweeps;
    }

    NorvaneLibrary lib_;
};

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

TEST_F(NorvaneSounderTest, PingRateFollowsTheRangeOnTheShipsClock) {
    // Two-way travel to the bottom of the window at 1500 m/s, 30 ms to turn
    // round, never faster than 20 pings a second.
    const double duration = 60.02;
    for (const int range : {5, 20, 100, 500, 1000}) {
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

TEST_F(NorvaneSounderTest, ChangesTakeEffectOnTheNextPingAndRaiseEvents) {
    lib_.SetRange(100);
    gEvents.clear();
    lib_.Environment(0.0, 40.0);
    ASSERT_EQ(PingOnce().size(), 1u);

    // Changes made while a ping is handed over wait for the next ping.
    gDuringSweep = [&](const Sweep& sweep) {
        if (sweep.channel == 0) {
            lib_.SetMode(5, 1);
            lib_.SetRange(50);
            SetProperty(0, "THRESHOLD", 15);
        }
    };
    const std::vector<Sweep> during = PingOnce();
    gDuringSweep = nullptr;
    ASSERT_EQ(during.size(), 1u);
    EXPECT_EQ(during[0].further, 1000u);
    // Two range calls, one per channel.
    EXPECT_EQ(gEvents, (std::vector<int16_t>{1, 2, 2, 3}));
    const auto levelsBetween = [](const Sweep& sweep) {
        return std::count_if(sweep.levels.begin(), sweep.levels.end(),
                             [](uint8_t l) { return l > 0 && l < 15; });
    };
    EXPECT_GT(levelsBetween(during[0]), 0);

    const std::vector<Sweep> after = PingOnce();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].further, 500u);
    EXPECT_EQ(after[1].further, 500u);
    EXPECT_EQ(after[0].frequencyMode, 5);
    EXPECT_EQ(levelsBetween(after[0]), 0);
    EXPECT_GT(levelsBetween(after[1]), 0) << "the LF set keeps its threshold";

    // Refused changes change nothing and raise nothing.
    gEvents.clear();
    EXPECT_EQ(lib_.sounder->SetMode(lib_.encoder->Encode(6, 1)), 0);
    EXPECT_EQ(lib_.sounder->SetMode(lib_.encoder->Encode()), 0);
    EXPECT_EQ(lib_.sounder->SetRange(lib_.encoder->Encode(5, 1), 0, 100, 0), 0);
    EXPECT_EQ(lib_.sounder->SetRange(lib_.encoder->Encode(), 0, 77, 0), 0);
    EXPECT_EQ(lib_.sounder->SetRange(lib_.encoder->Encode(), 2, 100, 0), 0);
    ASSERT_TRUE(SetProperty(0, "RANGE_LOCK", 1));
    int16_t locked = 0;
    int32_t table[8] = {};
    lib_.sounder->GetRangeTable(&locked, table);
    EXPECT_EQ(locked, 1);
    EXPECT_EQ(lib_.sounder->SetRange(lib_.encoder->Encode(), 0, 100, 0), 0);
    EXPECT_EQ(gEvents, (std::vector<int16_t>{3}));
    int32_t range = 0;
    int32_t shift = -1;
    lib_.sounder->GetRange(0, &range, &shift);
    EXPECT_EQ(range, 50);
    EXPECT_EQ(shift, 0);
    EXPECT_EQ(lib_.Statistics().events, 7u);
}

TEST_F(NorvaneSounderTest, GainTimeVariedGainAndThresholdShapeTheLevels) {
    // The same ping of the same seed, heard with other settings.
    const auto ping = [&](const char* field, double value) {
        Restart(4);
        lib_.SetRange(100);
        if (field != nullptr) {
            EXPECT_TRUE(SetProperty(0, field, value));
        }
        lib_.Environment(0.0, 80.0, 0.5, 3.0);
        return PingOnce().at(0).levels;
    };
    const std::vector<uint8_t> plain = ping(nullptr, 0.0);
    const auto sampleAt = [](double metres) { return static_cast<std::size_t>(metres * 10.0); };
    struct Case {
        const char* field;
        double value;
        // Expected relation to the plain levels over a depth band: +1 never
        // lower and somewhere higher, -1 the reverse.
        double from;
        double to;
        int direction;
    };
    const Case cases[] = {
        {"GAIN_DB", 15.0, 0.0, 100.0, +1}, {"GAIN_DB", -15.0, 0.0, 100.0, -1},
        {"TVG", 40, 31.0, 100.0, +1},      {"TVG", 40, 0.0, 29.0, -1},
        {"TVG", 0, 31.0, 100.0, -1},       {"POWER_W", 2400, 0.0, 100.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << "=" << c.value);
        const std::vector<uint8_t> levels = ping(c.field, c.value);
        ASSERT_EQ(levels.size(), plain.size());
        int higher = 0;
        int lower = 0;
        for (std::size_t i = sampleAt(c.from); i < sampleAt(c.to); ++i) {
            higher += levels[i] > plain[i] ? 1 : 0;
            lower += levels[i] < plain[i] ? 1 : 0;
        }
        if (c.direction > 0) {
            EXPECT_EQ(lower, 0);
            EXPECT_GT(higher, 100);
        } else if (c.direction < 0) {
            EXPECT_EQ(higher, 0);
            EXPECT_GT(lower, 10);
        } else {
            // More power: echoes the same after the gain, noise lower.
            EXPECT_EQ(higher, 0);
        }
    }
    const std::vector<uint8_t> thresholded = ping("THRESHOLD", 8);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(thresholded[i], plain[i] < 8 ? 0 : plain[i]) << i;
    }
}

TEST_F(NorvaneSounderTest, PropertiesOutOfRangeAreRefusedWhole) {
    struct Case {
        int set;
        const char* field;
        double value;
        bool accepted;
    };
    const Case cases[] = {
        {0, "GAIN_DB", 12.5, true},     {0, "GAIN_DB", 25.0, false},
        {0, "GAIN_DB", NAN, false},     {0, "TVG", 40, true},
        {0, "TVG", 25, false},          {0, "FREQUENCY_KHZ", 50, false},
        {1, "FREQUENCY_KHZ", 50, true}, {1, "FREQUENCY_KHZ", 200, false},
        {1, "POWER_W", 2000, true},     {1, "POWER_W", 10000, false},
        {0, "PULSE_MS", 0.01, false},   {0, "THRESHOLD", 16, false},
        {0, "DEPTH_UNIT", 5, false},    {0, "DEPTH_UNIT", -1, false},
        {1, "ZOOM_SPAN_M", 1.0, false}, {1, "ZOOM_SPAN_M", 25.0, true},
        {0, "AUTO_RANGE", 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "set " << c.set << " " << c.field << "=" << c.value);
        Restart(1);
        gEvents.clear();
        OGRFeature* before = lib_.sounder->GetProperties(c.set, 0);
        ASSERT_NE(before, nullptr);
        OGRFeature* changed = before->Clone();
        // A good value in the same feature must not slip through with a bad one.
        changed->SetField("GAIN_DB", -3.0);
        changed->SetField(c.field, c.value);
        EXPECT_EQ(lib_.sounder->SetProperties(changed, c.set, 0) != 0, c.accepted);
        OGRFeature* after = lib_.sounder->GetProperties(c.set, 0);
        if (c.accepted) {
            EXPECT_DOUBLE_EQ(after->GetFieldAsDouble(c.field), c.value);
            EXPECT_EQ(gEvents.size(), 1u);
        } else {
            EXPECT_TRUE(SameValues(after, before));
            EXPECT_TRUE(gEvents.empty());
        }
        for (OGRFeature* feature : {before, changed, after}) {
            OGRFeature::DestroyFeature(feature);
        }
    }
    EXPECT_EQ(lib_.sounder->GetProperties(2, 0), nullptr);
    EXPECT_EQ(lib_.sounder->SetProperties(nullptr, 0, 0), 0);
    OGRFeature* feature = lib_.sounder->GetProperties(0, 0);
    EXPECT_EQ(lib_.sounder->SetProperties(feature, 2, 0), 0);
    OGRFeature::DestroyFeature(feature);
}

TEST_F(NorvaneSounderTest, ARecordOfTheHostsOwnMakingIsReadByFieldName) {
    // Text where numbers belong, and a field the sounder does not know.
    auto* definition = new OGRFeatureDefn("HOST");
    OGRFieldDefn gainField("GAIN_DB", OFTString);
    OGRFieldDefn otherField("COMMENT", OFTString);
    definition->AddFieldDefn(&gainField);
    definition->AddFieldDefn(&otherField);
    definition->Reference();
    OGRFeature* text = OGRFeature::CreateFeature(definition);
    text->SetField("COMMENT", "unknown fields are left alone");
    text->SetField("GAIN_DB", "loud");
    EXPECT_EQ(lib_.sounder->SetProperties(text, 0, 0), 0);
    text->SetField("GAIN_DB", "-7.5");
    EXPECT_EQ(lib_.sounder->SetProperties(text, 0, 0), 1);
    EXPECT_DOUBLE_EQ(Property(0, "GAIN_DB"), -7.5);
    OGRFeature::DestroyFeature(text);
    definition->Release();
}

TEST_F(NorvaneSounderTest, DepthUnitCarriesThroughRangesSweepsAndReference) {
    // Feet: the module turns tenths of the unit back into metres.
    struct Case {
        int unit;
        double metresPerUnit;
        int32_t firstRange;
    };
    const Case cases[] = {
        {0, 1.0, 5}, {1, 0.3048, 15}, {2, 1.8288, 3}, {3, 1.5152, 3}, {4, 1.65, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        Restart(2);
        ASSERT_TRUE(SetProperty(0, "DEPTH_UNIT", c.unit));
        int16_t unit = -1;
        EXPECT_EQ(lib_.sounder->GetDepthUnit(&unit, nullptr), 0);
        EXPECT_EQ(unit, c.unit);
        int16_t locked = 0;
        int32_t table[8] = {};
        lib_.sounder->GetRangeTable(&locked, table);
        EXPECT_EQ(table[0], c.firstRange);
        int32_t range = 0;
        lib_.sounder->GetRange(0, &range, nullptr);
        EXPECT_EQ(table[4], range) << "the default range keeps its place in the table";
        const double depth = 0.6 * range * c.metresPerUnit;
        lib_.Environment(0.0, depth);
        const std::vector<Sweep> sweeps = PingOnce();
        ASSERT_EQ(sweeps.size(), 1u);
        EXPECT_EQ(sweeps[0].further, static_cast<uint32_t>(range * 10));
        ASSERT_EQ(sweeps[0].referenceValid, 1);
        EXPECT_NEAR(sweeps[0].reference * 0.1 * c.metresPerUnit, depth, 0.01 * depth);
        // A reader that truncates a tenth of the count to whole metres, as
        // the module does, still gets the window's height within a metre.
        const double count = std::trunc(sweeps[0].levels.size() * 0.1 * c.metresPerUnit);
        EXPECT_NEAR(count * sweeps[0].step / 2097152.0, range * c.metresPerUnit,
                    0.002 * range * c.metresPerUnit + 0.01);
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

}  // namespace
