#pragma once
// Named commands: the objects that know a command carry it out or report
// whether it applies (enabled) and is on (checked).
#include <cstdint>

#include "module/CommandState.h"

class Commandable {
  public:
    // Non-zero when the command was recognised and handled; argument may be null.
    virtual std::int32_t ExecuteCommand(const char* command, const char* argument) = 0;
    // Non-zero when the command was recognised; the flags are then filled.
    virtual std::int32_t GetCommandState(const char* command, CommandState* state) = 0;

  protected:
    ~Commandable() = default;
};
