#pragma once
// Every command name the module knows, and the argument texts offered to the
// user for the commands that take a value.
#include <span>

class CommandVocabulary {
  public:
    // All names, layout commands first.
    static std::span<const char* const> Names();
    // Exact, case-sensitive comparison; false for null.
    static bool Contains(const char* command);
    // "1", "2", ..., "256" for the slope value, "3" to "15" for the scale
    // value; empty for every other command.
    static std::span<const char* const> ParameterTexts(const char* command);
};
