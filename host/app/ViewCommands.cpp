#include "host/app/ViewCommands.h"

#include "module/WindowMessageNames.h"
#include "platform/WindowMessages.h"

ViewCommands::ViewCommands(const HostFrame& frame)
    : frame_(frame),
      executeMessage_(RegisterWindowMessageA(kExecuteCommandMessageName)),
      stateMessage_(RegisterWindowMessageA(kCommandStateMessageName)) {}

long ViewCommands::Send(const std::string& name, const char* argument) const {
    HWND view = View();
    if (view == nullptr) {
        return 0;
    }
    return static_cast<long>(::SendMessageA(view, executeMessage_,
                                            reinterpret_cast<WPARAM>(name.c_str()),
                                            reinterpret_cast<LPARAM>(argument)));
}

bool ViewCommands::Query(const std::string& name, const std::string& argument,
                         CommandState& state) const {
    HWND view = View();
    if (view == nullptr) {
        return false;
    }
    state.argument = argument.c_str();
    const LRESULT known =
        ::SendMessageA(view, stateMessage_, reinterpret_cast<WPARAM>(name.c_str()),
                       reinterpret_cast<LPARAM>(&state));
    state.argument = nullptr;
    return known != 0;
}

bool ViewCommands::Checked(const std::string& name, const std::string& argument) const {
    CommandState state;
    return Query(name, argument, state) && state.checked;
}
