#include "host/app/UserCommands.h"

namespace {

bool IsSounderCommand(const std::string& name) {
    return name.rfind("PLOTREX_ETR_", 0) == 0;
}

}  // namespace

void UserCommands::Send(bool sounder) {
    for (const HostCommand& command : commands_) {
        if (IsSounderCommand(command.name) != sounder) {
            continue;
        }
        if (view_.Send(command.name, command.hasArgument ? command.argument.c_str() : nullptr) ==
            0) {
            unhandled_.push_back(command.name);
        } else if (sounder) {
            sounderHandled_.push_back(command.name +
                                      (command.hasArgument ? "=" + command.argument : ""));
        }
    }
}
