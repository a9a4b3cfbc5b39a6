#pragma once
// Access to the host's unit converter, loaded once from beside the host
// executable and kept for the life of the process.
#include <string>

#include "hostfamily/ConverterApi.h"

// The converter's API object. A missing library or entry point shows the
// missing-library message and ends the process with exit code 1: nothing of
// the graphs works without it.
ConverterAPI* GetConverter();

// value converted from one converter unit to another (7 metres, 14 radians of arc...).
double Convert(double value, int fromUnit, int toUnit);

// Loads the converter library from folder (ending with a separator) without
// the fatal path: null on failure, with the message text in *message.
ConverterAPI* LoadConverterFrom(const std::string& folder, std::string* message);

// As LoadConverterFrom, but a failure shows the missing-library message and
// ends the process with exit code 1.
ConverterAPI* LoadConverterOrExit(const std::string& folder);

// The system's text for a library that cannot be found, with its name:
// "<message of error 1157>(<name>)".
std::string MissingLibraryText(const std::string& libraryName);

// The folder of the running executable, with its trailing separator.
std::string ExecutableFolder();
