#pragma once
// Runs the built plotrex-host as a user would, and what it said and returned.
#include <string>

struct HostRun {
    int exitCode = -1;
    std::string output;  // standard output and standard error, interleaved
};

// Stopped after timeoutSeconds when given (exit code 124), for runs that
// could hang.
HostRun RunHost(const std::string& arguments, int timeoutSeconds = 0);

// Whole files, bytes as they are.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
