#include <gtest/gtest.h>

#include <cmath>

#include "hostfamily/Undefined.h"
#include "tests/support/TestProfile.h"
#include "units/UnitConversion.h"

TEST(UnitConversion, ConverterBesideTheProgramConvertsTheModulesUnits) {
    // A nautical mile is a minute of arc.
    EXPECT_NEAR(Convert(1852.0, kUnitMetre, kUnitRadianOfArc), M_PI / 10800.0, 1e-15);
    EXPECT_NEAR(Convert(M_PI / 10800.0, kUnitRadianOfArc, kUnitMetre), 1852.0, 1e-9);
    EXPECT_NEAR(Convert(100.0, kUnitFoot, kUnitMetre), 30.48, 1e-12);
    EXPECT_NEAR(Convert(10.0, kUnitFathom, kUnitMetre), 18.288, 1e-12);
    EXPECT_DOUBLE_EQ(Convert(42.0, kUnitMetre, kUnitMetre), 42.0);
}

TEST(UnitConversion, UnknownOrMismatchedUnitsGiveTheUndefinedMarker) {
    EXPECT_EQ(Convert(1.0, kUnitMetre, 999), kUndefined);
    EXPECT_EQ(Convert(1.0, 2, kUnitMetre), kUndefined);  // degrees are not a length
    EXPECT_EQ(Convert(kUndefined, kUnitMetre, kUnitFoot), kUndefined);
}

TEST(UnitConversion, TheConverterIsLoadedOnce) {
    EXPECT_EQ(GetConverter(), GetConverter());
    EXPECT_NE(GetConverter()->GetConverter(), nullptr);
}

TEST(UnitConversion, MissingLibraryIsReportedWithItsName) {
    TempFolder empty;
    std::string message;
    EXPECT_EQ(LoadConverterFrom(empty.Path().string() + "/", &message), nullptr);
    EXPECT_NE(message.find("cannot be found"), std::string::npos) << message;
    EXPECT_NE(message.find("(Converter.so)"), std::string::npos) << message;
}

TEST(UnitConversionDeathTest, MissingLibraryEndsTheProcessWithCode1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempFolder empty;
    const std::string folder = empty.Path().string() + "/";
    EXPECT_EXIT(
        LoadConverterOrExit(folder), testing::ExitedWithCode(1),
        "library files needed to run this application cannot be found.*\\(Converter\\.so\\)");
}
