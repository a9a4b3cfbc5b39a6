#include "module/CommandMessages.h"

#include <gtest/gtest.h>

#include "platform/WindowMessages.h"

namespace {

TEST(CommandMessages, ModuleRegisteredBothMessagesWhenLoaded) {
    // Registered before this test asked for them: a name registered now comes
    // after both. (Run alone, as ctest does, nothing else can have asked.)
    const UINT later = RegisterWindowMessageA("PLOTREX_TEST_REGISTERED_AFTER_LOAD");
    EXPECT_LT(CommandMessages::Execute(), later);
    EXPECT_LT(CommandMessages::State(), later);
}

TEST(CommandMessages, NumbersAreThoseOfTheRegisteredNames) {
    EXPECT_EQ(CommandMessages::Execute(), RegisterWindowMessageA("WM_PLOTREX_EXECUTE_COMMAND"));
    EXPECT_EQ(CommandMessages::State(), RegisterWindowMessageA("WM_PLOTREX_COMMAND_STATE"));
    EXPECT_GE(CommandMessages::Execute(), 0xC000u);
    EXPECT_GE(CommandMessages::State(), 0xC000u);
    EXPECT_NE(CommandMessages::Execute(), CommandMessages::State());
}

TEST(CommandMessages, OneNameRegisteredTwiceGivesOneNumber) {
    const UINT first = RegisterWindowMessageA("PLOTREX_TEST_TWICE");
    const UINT second = RegisterWindowMessageA("PLOTREX_TEST_TWICE");
    const UINT other = RegisterWindowMessageA("PLOTREX_TEST_OTHER");
    EXPECT_GE(first, 0xC000u);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
}

}  // namespace
