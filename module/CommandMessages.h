#pragma once
// The two window messages through which the host reaches the module's view.
// Registered with the system when the module is loaded and kept for the
// life of the process.
#include "module/WindowMessageNames.h"
#include "platform/WinTypes.h"

class CommandMessages {
  public:
    // wParam: command name; lParam: argument text or null. Result: that of
    // ExecuteCommand.
    static UINT Execute();
    // wParam: command name; lParam: CommandState*. Result: that of
    // GetCommandState.
    static UINT State();
};
