#include "module/CommandDispatch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/WindowMessages.h"

namespace {

// Records what reaches it; its answers are set by each test.
class FakeCommandable final : public Commandable {
  public:
    std::function<std::int32_t(const char*, const char*)> onExecute = [](const char*, const char*) {
        return 0;
    };
    std::function<std::int32_t(const char*, CommandState*)> onState =
        [](const char*, CommandState*) { return 0; };
    int executeCalls = 0;
    int stateCalls = 0;
    std::string lastCommand;
    const char* lastArgument = nullptr;

    std::int32_t ExecuteCommand(const char* command, const char* argument) override {
        ++executeCalls;
        lastCommand = command;
        lastArgument = argument;
        return onExecute(command, argument);
    }
    std::int32_t GetCommandState(const char* command, CommandState* state) override {
        ++stateCalls;
        lastCommand = command;
        return onState(command, state);
    }
};

// The numbers as the host knows them: from the names, not from the module.
UINT ExecuteMessage() {
    return RegisterWindowMessageA("WM_PLOTREX_EXECUTE_COMMAND");
}
UINT StateMessage() {
    return RegisterWindowMessageA("WM_PLOTREX_COMMAND_STATE");
}

WPARAM Text(const char* text) {
    return reinterpret_cast<WPARAM>(text);
}
LPARAM Arg(const char* text) {
    return reinterpret_cast<LPARAM>(text);
}
LPARAM StatePtr(CommandState* state) {
    return reinterpret_cast<LPARAM>(state);
}

// Sends a message the dispatcher must recognise; -1 when it did not.
LRESULT Send(Commandable& target, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto result = CommandDispatch::Dispatch(target, message, wParam, lParam);
    EXPECT_TRUE(result.has_value()) << message;
    return result.value_or(-1);
}

TEST(CommandDispatch, ExecuteMessagePassesNameAndArgumentAndReturnsTheResult) {
    FakeCommandable target;
    target.onExecute = [](const char* command, const char* argument) {
        return std::strcmp(command, "PLOTREX_SCALE_VALUE") == 0 && argument != nullptr
                   ? std::atoi(argument) * 10
                   : 0;
    };
    EXPECT_EQ(Send(target, ExecuteMessage(), Text("PLOTREX_SCALE_VALUE"), Arg("12")), 120);
    EXPECT_EQ(target.lastCommand, "PLOTREX_SCALE_VALUE");
    EXPECT_STREQ(target.lastArgument, "12");

    // A command without argument arrives with a null argument.
    target.onExecute = [](const char*, const char*) { return 1; };
    EXPECT_EQ(Send(target, ExecuteMessage(), Text("PLOTREX_FIT_TO_WINDOW"), 0), 1);
    EXPECT_EQ(target.lastArgument, nullptr);
}

TEST(CommandDispatch, ExecuteUnknownToTheHandlerGivesZero) {
    FakeCommandable target;  // answers 0 to everything
    EXPECT_EQ(Send(target, ExecuteMessage(), Text("PLOTREX_NO_SUCH"), 0), 0);
    EXPECT_EQ(target.executeCalls, 1);
}

TEST(CommandDispatch, StateMessageFillsTheRecordAndKeepsTheArgument) {
    FakeCommandable target;
    bool flagsClearedBeforeAsking = false;
    target.onState = [&](const char*, CommandState* state) {
        flagsClearedBeforeAsking = !state->checked && !state->enabled;
        state->checked = std::strcmp(state->argument, "PLOTREX_DATA_DEPTH") == 0;
        state->enabled = true;
        return 1;
    };
    CommandState state;
    state.argument = "PLOTREX_DATA_DEPTH";
    state.checked = true;  // left over from an earlier query
    state.enabled = true;
    EXPECT_EQ(Send(target, StateMessage(), Text("PLOTREX_SHOW_HIDE"), StatePtr(&state)), 1);
    EXPECT_TRUE(flagsClearedBeforeAsking);
    EXPECT_TRUE(state.checked);
    EXPECT_TRUE(state.enabled);
    EXPECT_STREQ(state.argument, "PLOTREX_DATA_DEPTH");
    EXPECT_EQ(target.lastCommand, "PLOTREX_SHOW_HIDE");
}

TEST(CommandDispatch, UnrecognisedStateLeavesBothFlagsFalse) {
    FakeCommandable quiet;  // answers 0 and touches nothing
    FakeCommandable careless;
    careless.onState = [](const char*, CommandState* state) {
        state->checked = true;  // sets flags yet does not recognise the command
        state->enabled = true;
        return 0;
    };
    for (FakeCommandable* target : {&quiet, &careless}) {
        CommandState state;
        state.checked = true;
        state.enabled = true;
        EXPECT_EQ(Send(*target, StateMessage(), Text("PLOTREX_NO_SUCH"), StatePtr(&state)), 0);
        EXPECT_FALSE(state.checked);
        EXPECT_FALSE(state.enabled);
        EXPECT_EQ(target->stateCalls, 1);
    }
}

TEST(CommandDispatch, StateMessageWithoutRecordReturnsZeroWithoutAsking) {
    FakeCommandable target;
    target.onState = [](const char*, CommandState*) { return 1; };
    EXPECT_EQ(Send(target, StateMessage(), Text("PLOTREX_SHOW_HIDE"), 0), 0);
    EXPECT_EQ(target.stateCalls, 0);
}

TEST(CommandDispatch, NullCommandNameReachesNoHandler) {
    FakeCommandable target;
    target.onExecute = [](const char*, const char*) { return 1; };
    target.onState = [](const char*, CommandState*) { return 1; };
    CommandState state;
    state.enabled = true;
    EXPECT_EQ(Send(target, ExecuteMessage(), 0, Arg("3")), 0);
    EXPECT_EQ(Send(target, StateMessage(), 0, StatePtr(&state)), 0);
    EXPECT_FALSE(state.enabled);
    EXPECT_EQ(target.executeCalls + target.stateCalls, 0);
}

TEST(CommandDispatch, OtherMessagesAreNotRecognised) {
    FakeCommandable target;
    target.onExecute = [](const char*, const char*) { return 1; };
    target.onState = [](const char*, CommandState*) { return 1; };
    CommandState state;
    const UINT others[] = {0u, 0x0010u /* close */, 0x0113u /* timer */,
                           RegisterWindowMessageA("WM_PLOTREX_SOMETHING_ELSE"),
                           ExecuteMessage() + 1000u};
    for (const UINT message : others) {
        EXPECT_FALSE(
            CommandDispatch::Dispatch(target, message, Text("PLOTREX_SHOW_HIDE"), StatePtr(&state))
                .has_value())
            << message;
    }
    EXPECT_EQ(target.executeCalls + target.stateCalls, 0);
}

TEST(CommandDispatch, ExceptionsInHandlersBecomeZero) {
    FakeCommandable target;
    target.onExecute = [](const char*, const char*) -> std::int32_t {
        throw std::runtime_error("sounder gone");
    };
    target.onState = [](const char*, CommandState* state) -> std::int32_t {
        state->checked = true;
        throw 42;  // not even a standard exception
    };
    EXPECT_EQ(Send(target, ExecuteMessage(), Text("PLOTREX_ETR_DISPLAY"), Arg("1")), 0);
    CommandState state;
    EXPECT_EQ(Send(target, StateMessage(), Text("PLOTREX_ETR_DISPLAY"), StatePtr(&state)), 0);
    EXPECT_FALSE(state.checked);
    EXPECT_FALSE(state.enabled);
    EXPECT_EQ(target.executeCalls, 1);
    EXPECT_EQ(target.stateCalls, 1);
}

}  // namespace
