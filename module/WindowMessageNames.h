#pragma once
// The names under which the module's two window messages are registered; a
// host registers the same names to get the same message numbers.

inline constexpr const char* kExecuteCommandMessageName = "WM_PLOTREX_EXECUTE_COMMAND";
inline constexpr const char* kCommandStateMessageName = "WM_PLOTREX_COMMAND_STATE";
