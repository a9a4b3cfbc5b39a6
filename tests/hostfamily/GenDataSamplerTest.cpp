#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "hostfamily/GenDataSampler.h"
#include "hostfamily/GenDataUnits.h"
#include "hostfamily/Undefined.h"
#include "tests/support/TestProfile.h"

using namespace GenData;

namespace {

double Miles(double miles) {
    return miles * M_PI / 10800.0;
}

std::vector<double> Ticks(double from, double to, double hint, int kind, int count) {
    const CTableEchantillonnee table =
        CEchantillonneur(from, to, hint, kind, count).CreerTableEchantillonnee();
    std::vector<double> values;
    for (int i = 0; i < table.GetCount(); ++i) {
        values.push_back(table.GetValeurUniteCodage(i));
    }
    return values;
}

void ExpectTicks(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-9 * std::max(1.0, std::fabs(expected[i]))) << i;
    }
}

}  // namespace

TEST(GenDataSampler, DepthsInMetresFeetAndFathoms) {
    // 100 m over at most 15 ticks: steps of 10 m (7.1 m needed, 5 m hinted).
    ExpectTicks(Ticks(-100.0, 0.0, 5.0, kKindDepth, 15),
                {-100, -90, -80, -70, -60, -50, -40, -30, -20, -10, 0});
    // The limits in either order give the same ticks.
    ExpectTicks(Ticks(0.0, -100.0, 5.0, kKindDepth, 15), Ticks(-100.0, 0.0, 5.0, kKindDepth, 15));
    // A hint larger than the count asks for wins: 26 m → steps of 50.
    ExpectTicks(Ticks(-100.0, -1.0, 26.0, kKindDepth, 15), {-100, -50});

    TestProfile profile;
    SetUserUnits({DepthUnit::kFoot, TemperatureUnit::kCelsius});
    // 0 .. 328.08 ft; 23.4 ft needed per step: 25 ft steps, 0 .. 325 ft.
    std::vector<double> feet;
    for (int k = 13; k >= 0; --k) {
        feet.push_back(-25.0 * k * 0.3048);
    }
    ExpectTicks(Ticks(-100.0, 0.0, 5.0, kKindDepth, 15), feet);
    const CTableEchantillonnee table =
        CEchantillonneur(-100.0, 0.0, 5.0, kKindDepth, 15).CreerTableEchantillonnee();
    EXPECT_EQ(table.GetValeurUniteUtilisateur(0), 325.0);
    EXPECT_EQ(table.GetPas(), 25.0);

    SetUserUnits({DepthUnit::kFathom, TemperatureUnit::kCelsius});
    // 0 .. 27.3 fm with a hint of 2.7 fm: steps of 5 fm.
    ExpectTicks(Ticks(-50.0, 0.0, 5.0, kKindDepth, 15),
                {-25 * 1.8288, -20 * 1.8288, -15 * 1.8288, -10 * 1.8288, -5 * 1.8288, 0.0});
}

TEST(GenDataSampler, TemperaturesInCelsiusAndFahrenheit) {
    ExpectTicks(Ticks(8.3, 14.9, 0.5, kKindTemperature, 15),
                {8.5, 9, 9.5, 10, 10.5, 11, 11.5, 12, 12.5, 13, 13.5, 14, 14.5});

    TestProfile profile;
    SetUserUnits({DepthUnit::kMetre, TemperatureUnit::kFahrenheit});
    // 50 .. 68 °F, hint 1.8 °F: steps of 2 °F, given back in °C.
    std::vector<double> celsius;
    for (int f = 50; f <= 68; f += 2) {
        celsius.push_back((f - 32) / 1.8);
    }
    ExpectTicks(Ticks(10.0, 20.0, 1.0, kKindTemperature, 15), celsius);
}

TEST(GenDataSampler, HorizontalDistancesInMilesOrMetres) {
    // From half a mile behind to 1.5 miles ahead: 0.22 mile needed, steps of 0.25.
    std::vector<double> expected;
    for (int k = -2; k <= 6; ++k) {
        expected.push_back(Miles(0.25 * k));
    }
    ExpectTicks(Ticks(Miles(-0.5), Miles(1.5), Miles(0.2), kKindHorizontalDistance, 10), expected);
    // Short windows are sampled in metres: 92.6 m, 10.3 m needed → steps of 20 m.
    const double metre = Miles(1.0 / 1852.0);
    ExpectTicks(Ticks(0.0, Miles(0.05), Miles(0.005), kKindHorizontalDistance, 10),
                {0.0, 20 * metre, 40 * metre, 60 * metre, 80 * metre});
}

TEST(GenDataSampler, CountAndRoundValues) {
    ExpectTicks(Ticks(0.0, 100.0, 0.0, kKindTemperature, 3), {0, 50, 100});
    // One tick at most: the step grows until only one fits.
    ExpectTicks(Ticks(0.0, 100.0, 0.0, kKindTemperature, 1), {0});
    // 2.5 is a round step too.
    ExpectTicks(Ticks(0.0, 10.0, 2.2, kKindTemperature, 15), {0, 2.5, 5, 7.5, 10});
    // Ticks on both limits count, and read as the decimal values they are.
    const CTableEchantillonnee table =
        CEchantillonneur(0.0, 0.3, 0.1, kKindTemperature, 10).CreerTableEchantillonnee();
    ASSERT_EQ(table.GetCount(), 4);
    EXPECT_EQ(table.GetValeurUniteUtilisateur(3), 0.3);
    EXPECT_EQ(table.GetValeurUniteUtilisateur(1), 0.1);
}

TEST(GenDataSampler, NothingForUnusableInput) {
    EXPECT_TRUE(Ticks(kUndefined, 10.0, 1.0, kKindDepth, 10).empty());
    EXPECT_TRUE(Ticks(0.0, NAN, 1.0, kKindDepth, 10).empty());
    EXPECT_TRUE(Ticks(0.0, 10.0, 1.0, kKindDepth, 0).empty());
    EXPECT_TRUE(Ticks(5.0, 5.0, 0.0, kKindDepth, 10).empty());
    // Equal limits on a round value with a hint: that one value.
    ExpectTicks(Ticks(-5.0, -5.0, 1.0, kKindDepth, 10), {-5.0});
    const CTableEchantillonnee none;
    EXPECT_EQ(none.GetCount(), 0);
    EXPECT_EQ(none.GetPas(), 0.0);
}
