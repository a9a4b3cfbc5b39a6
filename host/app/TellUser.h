#pragma once
// The one voice in which the host tells its user what went wrong:
// "plotrex-host: " and what, on standard error.
#include <string>

#include "platform/Error.h"

void TellUser(const std::string& message);
// A failure the run carries on past (told as "error: ", its exit code later).
void TellFailure(const std::string& message);
// Something the host put right or worked around: "warning: " and what.
void WarnUser(const std::string& message);

// An error that ends the program: told, and its exit code returned.
int EndWith(const Error& error);
