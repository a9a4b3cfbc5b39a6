#pragma once
// Messages to the user: those that wait for an answer through the host's
// user-interface library, loaded once from beside the host executable and
// kept for the life of the process; warnings as a line of their own.
#include <string>

#include "hostfamily/VexIHMApi.h"

// The library's API object, null when the library or its entry point is
// missing; that is reported once (message box) and the module carries on.
VexIHMAPI* GetVexIHM();

// Shows text (in the module's code page, Windows-1252) through the library's
// sixth operation; without the library, through the platform's message box.
// Returns the user's answer.
int ShowUserMessage(const char* text, int style, int helpId, int flags);
// The same through a given library object; null goes to the message box.
int ShowUserMessage(VexIHMAPI* api, const char* text, int style, int helpId, int flags);

// Tells the user of something the module put right by itself (a stored value
// it could not use): a warning through the host's library, asking no answer.
void ShowUserWarning(const std::string& text);

// Loads the library from folder (ending with a separator): null on failure,
// with the missing-library message in *message.
VexIHMAPI* LoadVexIHMFrom(const std::string& folder, std::string* message);
