#pragma once
// The one voice in which the host tells its user what went wrong:
// "plotrex-host: " and what, on standard error.
#include <string>

#include "platform/Error.h"

void TellUser(const std::string& message);

// An error that ends the program: told, and its exit code returned.
int EndWith(const Error& error);
