#include "host/app/TellUser.h"

#include <iostream>

void TellUser(const std::string& message) {
    std::cerr << "plotrex-host: " << message << "\n";
}

void TellFailure(const std::string& message) {
    std::cerr << "error: " << message << "\n";
}

void WarnUser(const std::string& message) {
    std::cerr << "warning: " << message << "\n";
}

int EndWith(const Error& error) {
    TellUser(error.Message());
    return error.ExitCode();
}
