#include "persistence/SerializaterReg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/TestProfile.h"

namespace {

constexpr const char* kDisplaySection = "ModuleDisplay\\PlotrexDisplay";

TEST(SerializaterReg, NameNeverWrittenReadsEmpty) {
    TestProfile profile;
    profile.App().WriteProfileString("ModuleData\\PlotrexData", "ORGANIZER_LEVEL", "9");
    SerializaterReg serializer(AfxGetApp(), kDisplaySection);
    EXPECT_EQ(serializer.Read("ORGANIZER_LEVEL"), "");
    EXPECT_EQ(serializer.Read(""), "");
}

TEST(SerializaterReg, ValuesReadBackAfterTheProfileIsReloaded) {
    TestProfile profile;
    const std::pair<const char*, const char*> values[] = {
        {"ORGANIZER_LEVEL", "7"},
        {"ORGANIZER_SLOPE", "4.000000"},
        {"ORGANIZER_FIRSTPOS_X", "-1234.567890"},
        {"PLOTREX_DATA_DEPTH_visible", "0"},
        {"LABEL", "1 000 000"},
    };
    {
        // As the module does: on the stack, on the current application.
        std::unique_ptr<Serializater> serializer =
            std::make_unique<SerializaterReg>(AfxGetApp(), kDisplaySection);
        for (const auto& [name, text] : values) {
            EXPECT_NE(serializer->Write(name, text), 0) << name;
        }
        EXPECT_NE(serializer->Write("ORGANIZER_LEVEL", "11"), 0);  // the last write counts
        for (const auto& [name, text] : values) {
            EXPECT_EQ(serializer->Read(name), name == std::string("ORGANIZER_LEVEL") ? "11" : text);
        }
    }
    profile.Reload();
    EXPECT_NE(profile.FileText().find("[ModuleDisplay\\PlotrexDisplay]"), std::string::npos);
    SerializaterReg reloaded(AfxGetApp(), kDisplaySection);
    for (const auto& [name, text] : values) {
        EXPECT_EQ(reloaded.Read(name), name == std::string("ORGANIZER_LEVEL") ? "11" : text)
            << name;
    }
}

TEST(SerializaterReg, SectionsDoNotShareValues) {
    TestProfile profile;
    SerializaterReg display(&profile.App(), kDisplaySection);
    SerializaterReg other(&profile.App(), "ModuleDisplay\\PlotrexDisplay_1");
    ASSERT_NE(display.Write("ORGANIZER_SLOPE", "2.000000"), 0);
    EXPECT_EQ(other.Read("ORGANIZER_SLOPE"), "");
    EXPECT_EQ(profile.App().GetProfileString(kDisplaySection, "ORGANIZER_SLOPE", "?"), "2.000000");
}

TEST(SerializaterReg, EmptyValueReadsLikeAnAbsentOne) {
    TestProfile profile;
    SerializaterReg serializer(&profile.App(), kDisplaySection);
    ASSERT_NE(serializer.Write("ORGANIZER_FIRSTPOS_Y", ""), 0);
    EXPECT_EQ(serializer.Read("ORGANIZER_FIRSTPOS_Y"), "");
    profile.Reload();
    EXPECT_EQ(SerializaterReg(&profile.App(), kDisplaySection).Read("ORGANIZER_FIRSTPOS_Y"), "");
}

TEST(SerializaterReg, WithoutApplicationReadsAreEmptyAndWritesFail) {
    TestProfile profile;
    profile.App().WriteProfileString(kDisplaySection, "ORGANIZER_LEVEL", "9");
    SerializaterReg detached(nullptr, kDisplaySection);
    EXPECT_EQ(detached.Read("ORGANIZER_LEVEL"), "");
    EXPECT_EQ(detached.Write("ORGANIZER_LEVEL", "12"), 0);
    EXPECT_EQ(detached.Write("ORGANIZER_SLOPE", "8.000000"), 0);
    // Nothing reached any profile.
    EXPECT_EQ(profile.App().GetProfileString(kDisplaySection, "ORGANIZER_LEVEL", ""), "9");
    EXPECT_EQ(profile.App().GetProfileString(kDisplaySection, "ORGANIZER_SLOPE", "absent"),
              "absent");
}

}  // namespace
