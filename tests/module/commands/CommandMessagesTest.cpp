#include "module/CommandMessages.h"

#include <gtest/gtest.h>

#include "platform/WindowMessages.h"

namespace {

// A name registered once the program runs its tests, before any of them.
// Whatever the tests before this one registered or asked for, the module's
// numbers come before it only when the module registered them at load.
class FirstNameOfTheRun : public ::testing::Environment {
  public:
    void SetUp() override { number = RegisterWindowMessageA("PLOTREX_TEST_FIRST_OF_THE_RUN"); }
    static inline UINT number = 0;
};
[[maybe_unused]] ::testing::Environment* const firstNameOfTheRun =
    ::testing::AddGlobalTestEnvironment(new FirstNameOfTheRun);

TEST(CommandMessages, ModuleRegisteredBothMessagesWhenLoaded) {
    ASSERT_GE(FirstNameOfTheRun::number, 0xC000u);
    EXPECT_LT(CommandMessages::Execute(), FirstNameOfTheRun::number);
    EXPECT_LT(CommandMessages::State(), FirstNameOfTheRun::number);
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
