#include "module/CommandDispatch.h"

#include "module/CommandMessages.h"

std::optional<LRESULT> CommandDispatch::Dispatch(Commandable& target, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    // 0 is never a registered number; it must not capture a null message.
    if (message == 0) {
        return std::nullopt;
    }
    const auto* command = reinterpret_cast<const char*>(wParam);
    if (message == CommandMessages::Execute()) {
        return Execute(target, command, reinterpret_cast<const char*>(lParam));
    }
    if (message == CommandMessages::State()) {
        return State(target, command, reinterpret_cast<CommandState*>(lParam));
    }
    return std::nullopt;
}

LRESULT CommandDispatch::Execute(Commandable& target, const char* command, const char* argument) {
    if (command == nullptr) {
        return 0;
    }
    try {
        return target.ExecuteCommand(command, argument);
    } catch (...) {
        return 0;
    }
}

LRESULT CommandDispatch::State(Commandable& target, const char* command, CommandState* state) {
    if (state == nullptr) {
        return 0;
    }
    state->checked = false;
    state->enabled = false;
    if (command == nullptr) {
        return 0;
    }
    LRESULT result = 0;
    try {
        result = target.GetCommandState(command, state);
    } catch (...) {
        result = 0;
    }
    // Flags that a failed or unrecognised query left behind mean nothing.
    if (result == 0) {
        state->checked = false;
        state->enabled = false;
    }
    return result;
}
