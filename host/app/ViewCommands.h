#pragma once
// The host's side of the module's two registered window messages: named
// commands sent to the view in the frame, and their states asked for.
#include <string>

#include "host/app/HostFrame.h"
#include "module/CommandState.h"
#include "platform/WinTypes.h"

class ViewCommands {
  public:
    explicit ViewCommands(const HostFrame& frame);

    // The view of the module, null while it has none.
    HWND View() const { return frame_.ViewWindow(); }
    // The view's result; 0 when it did not handle the command (or there is no
    // view).
    long Send(const std::string& name, const char* argument = nullptr) const;
    // False when no one knows the command.
    bool Query(const std::string& name, const std::string& argument, CommandState& state) const;
    bool Checked(const std::string& name, const std::string& argument) const;

  private:
    const HostFrame& frame_;
    UINT executeMessage_;
    UINT stateMessage_;
};
