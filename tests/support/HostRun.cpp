#include "tests/support/HostRun.h"

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

HostRun RunHost(const std::string& arguments, int timeoutSeconds) {
    const std::string limit =
        timeoutSeconds > 0 ? "timeout -k 5 " + std::to_string(timeoutSeconds) + " " : "";
    const std::string command =
        limit + std::string(PLOTREX_BIN_DIR) + "/plotrex-host " + arguments + " 2>&1";
    HostRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        run.output += buffer;
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
