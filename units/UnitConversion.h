#pragma once
// Access to the host's unit converter, loaded once from beside the host
// executable and kept for the life of the process.
#include <string>

#include "hostfamily/ConverterApi.h"
#include "platform/DynamicLibrary.h"

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

// Loads folder + the library of a Windows name ("Converter.dll" is loaded with
// this platform's suffix) and finds its entry point. Null when either is
// missing, with the missing-library text in *message; the library is then
// released again.
FARPROC FindLibraryEntry(const std::string& folder, const char* windowsName, const char* entryName,
                         std::string* message);

// The API object of a run-time library: its entry point called without
// arguments. A library that answered stays loaded for the life of the process.
template <typename EntryFunction>
auto LoadLibraryApi(const std::string& folder, const char* windowsName, const char* entryName,
                    std::string* message) -> decltype(EntryFunction()()) {
    FARPROC entry = FindLibraryEntry(folder, windowsName, entryName, message);
    auto* api = entry != nullptr ? reinterpret_cast<EntryFunction>(entry)() : nullptr;
    if (api == nullptr && entry != nullptr && message != nullptr) {
        *message = MissingLibraryText(PlatformLibraryName(windowsName));
    }
    return api;
}

// Shows the missing-library message and ends the process with exit code 1.
[[noreturn]] void ExitForMissingLibrary(const std::string& message);
