#pragma once
// Hands the two command messages (CommandMessages) to the object that knows
// the commands. A view's window procedure calls Dispatch before any other
// handling. No exception of a handler gets through: it counts as failure.
#include <optional>

#include "graphdata/Commandable.h"
#include "platform/WinTypes.h"

class CommandDispatch {
  public:
    // The message's result when message is one of the two command messages,
    // nullopt for any other message, which the caller passes on unchanged.
    static std::optional<LRESULT> Dispatch(Commandable& target, UINT message, WPARAM wParam,
                                           LPARAM lParam);
    // target's ExecuteCommand; 0 for a null command or when it throws.
    static LRESULT Execute(Commandable& target, const char* command, const char* argument);
    // Clears both flags, then target's GetCommandState. 0, and both flags
    // false, for a null command, an unrecognised one or when it throws; 0
    // without asking for a null state. The argument field is left alone.
    static LRESULT State(Commandable& target, const char* command, CommandState* state);
};
