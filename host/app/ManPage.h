#pragma once
// The manual page of a program, in roff (man(7), section 1), made from the
// declarations of its command-line options.
#include <string>

namespace CLI {
class App;
}

// NAME from the program's name and summary, SYNOPSIS, DESCRIPTION from the
// app's description, OPTIONS one entry per declared option (its names, value
// and help text) and NOTES from the app's footer.
std::string ManPage(const CLI::App& app, const std::string& summary, const std::string& version);
