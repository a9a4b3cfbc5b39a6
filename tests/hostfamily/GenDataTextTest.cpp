#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "hostfamily/GenData.h"
#include "hostfamily/Undefined.h"
#include "tests/support/TestProfile.h"

using namespace GenData;

namespace {

const std::string kDegreeC =
    "\xC2\xB0"
    "C";
const std::string kDegreeF =
    "\xC2\xB0"
    "F";

// Radians of arc of a length in nautical miles (one minute of arc each).
double Miles(double miles) {
    return miles * M_PI / 10800.0;
}

std::string Text(int kind, double value, int unitProperty = CFormat::kWithSymbol) {
    CFormat format;
    format.SetProprieteUnite(unitProperty);
    return CFactory::New(kind, value)->ToString(format);
}

}  // namespace

TEST(GenDataText, DefaultUnitsWithTheirSymbols) {
    // Depths are held negative below the surface and read positive downwards.
    EXPECT_EQ(Text(kKindDepth, -12.5), "12.5 m");
    EXPECT_EQ(Text(kKindDepth, -12.0), "12.0 m");
    EXPECT_EQ(Text(kKindDepth, 5.0), "-5.0 m");
    EXPECT_EQ(Text(kKindDepth, 0.0), "0.0 m");
    EXPECT_EQ(Text(kKindDepth, 0.01), "0.0 m");  // never "-0.0"
    EXPECT_EQ(Text(kKindTemperature, 14.2f), "14.2 " + kDegreeC);
    EXPECT_EQ(Text(kKindTemperature, -1.25), "-1.3 " + kDegreeC);
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(0.5)), "0.50 NM");
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(12.345)), "12.35 NM");
    // Below a tenth of a mile distances read in metres.
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(0.1)), "0.10 NM");
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(0.05)), "93 m");
    EXPECT_EQ(Text(kKindHorizontalDistance, 0.0), "0 m");
    EXPECT_EQ(ToString("Distance", Miles(2.0)), "2.00 NM");
    EXPECT_EQ(ToString("Depth", -3.0), "3.0 m");
    EXPECT_EQ(ToString("Speed", 3.0), "");
    // Kinds without a unit make no datum at all.
    EXPECT_EQ(CFactory::New(3, 1.0), nullptr);
    EXPECT_EQ(CFactory::New(99, 1.0), nullptr);
    EXPECT_EQ(CFactory::New(kKindDepth, -7.0)->ToString(), "7.0 m");
}

TEST(GenDataText, UnitProperties) {
    EXPECT_EQ(Text(kKindDepth, -12.0, CFormat::kNumberOnly), "12.0");
    EXPECT_EQ(Text(kKindDepth, -12.0, CFormat::kUserUnit), "12 m");
    EXPECT_EQ(Text(kKindDepth, -12.5, CFormat::kUserUnit), "12.5 m");
    EXPECT_EQ(Text(kKindTemperature, 20.0, CFormat::kUserUnit), "20 " + kDegreeC);
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(0.5), CFormat::kUserUnit), "0.5 NM");
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(3.0), CFormat::kUserUnit), "3 NM");
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(0.05), CFormat::kUserUnit), "93 m");
}

TEST(GenDataText, UndefinedValuesGiveTheInvalidText) {
    EXPECT_FALSE(CGenericData::InvalidString(true).empty());
    EXPECT_NE(CGenericData::InvalidString(true), CGenericData::InvalidString(false));
    for (double bad : {kUndefined, std::nan(""), HUGE_VAL}) {
        EXPECT_EQ(Text(kKindDepth, bad), CGenericData::InvalidString(true));
        EXPECT_EQ(Text(kKindTemperature, bad, CFormat::kUserUnit),
                  CGenericData::InvalidString(true));
        EXPECT_EQ(Text(kKindHorizontalDistance, bad, CFormat::kNumberOnly),
                  CGenericData::InvalidString(false));
    }
    CFloatGenData datum(kKindDepth, kUndefined);
    EXPECT_FALSE(datum.IsValid());
    datum.SetValue(-4.0);
    EXPECT_TRUE(datum.IsValid());
    EXPECT_EQ(datum.ToString(), "4.0 m");
}

TEST(GenDataUnits, TheHostApplicationChoosesDepthAndTemperatureUnits) {
    // Without an application object: the defaults, and nowhere to store a choice.
    EXPECT_EQ(GetUserUnits(), UserUnits{});
    EXPECT_FALSE(SetUserUnits({DepthUnit::kFoot, TemperatureUnit::kFahrenheit}));
    EXPECT_EQ(Text(kKindDepth, -12.5), "12.5 m");

    TestProfile profile;
    EXPECT_EQ(GetUserUnits(), UserUnits{});
    ASSERT_TRUE(SetUserUnits({DepthUnit::kFoot, TemperatureUnit::kFahrenheit}));
    EXPECT_EQ(Text(kKindDepth, -12.5), "41 ft");
    EXPECT_EQ(Text(kKindTemperature, 14.2), "57.6 " + kDegreeF);
    EXPECT_EQ(Text(kKindTemperature, 0.0, CFormat::kUserUnit), "32 " + kDegreeF);
    // Distances do not follow the depth unit.
    EXPECT_EQ(Text(kKindHorizontalDistance, Miles(0.5)), "0.50 NM");

    // The choice is the application's: it survives a restart.
    profile.Reload();
    EXPECT_EQ(GetUserUnits(), (UserUnits{DepthUnit::kFoot, TemperatureUnit::kFahrenheit}));
    ASSERT_TRUE(SetUserUnits({DepthUnit::kFathom, TemperatureUnit::kCelsius}));
    EXPECT_EQ(Text(kKindDepth, -12.5), "6.8 fm");
    EXPECT_EQ(Text(kKindTemperature, 14.2), "14.2 " + kDegreeC);

    // A value the library does not know falls back to the default unit.
    profile.App().WriteProfileInt(kUnitsSection, kDepthUnitEntry, 7);
    profile.App().WriteProfileInt(kUnitsSection, kTemperatureUnitEntry, -1);
    EXPECT_EQ(GetUserUnits(), UserUnits{});
}
