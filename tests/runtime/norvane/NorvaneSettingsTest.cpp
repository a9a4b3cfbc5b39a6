// The sounder's settings through its entry points: modes, ranges, the
// property records and the depth unit, and what they change in the pings.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "tests/runtime/norvane/SounderFixture.h"

namespace norvanetest {
namespace {

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
        {0, 1.0, 10}, {1, 0.3048, 30}, {2, 1.8288, 5}, {3, 1.5152, 6}, {4, 1.65, 6}};
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
        EXPECT_EQ(table[3], range) << "the default range keeps its place in the table";
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

}  // namespace
}  // namespace norvanetest
