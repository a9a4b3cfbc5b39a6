#pragma once
// The state of a named command as the module reports it to the host, which
// passes this record with the command-state message.

struct CommandState {
    const char* argument = nullptr;  // set by the caller: what the query is about
    bool checked = false;            // set by the callee
    bool enabled = false;            // set by the callee
};
