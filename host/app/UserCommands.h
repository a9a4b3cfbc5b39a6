#pragma once
// The user's --command list, sent to the view in two goes: the echo-sounder's
// commands before the voyage (the sounder shows a new mode or range only in
// the sweeps it sends after the change), the others before the last picture.
// What the module did not handle is noted for the summary.
#include <string>
#include <vector>

#include "host/app/HostOptions.h"
#include "host/app/ViewCommands.h"

class UserCommands {
  public:
    UserCommands(const std::vector<HostCommand>& commands, const ViewCommands& view)
        : commands_(commands), view_(view) {}

    void SendSounderCommands() { Send(true); }
    void SendViewCommands() { Send(false); }

    const std::vector<std::string>& Unhandled() const { return unhandled_; }
    // "NAME=ARG" of the echo-sounder's commands the module handled.
    const std::vector<std::string>& SounderHandled() const { return sounderHandled_; }

  private:
    void Send(bool sounder);

    const std::vector<HostCommand>& commands_;
    const ViewCommands& view_;
    std::vector<std::string> unhandled_;
    std::vector<std::string> sounderHandled_;
};
