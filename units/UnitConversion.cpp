#include "units/UnitConversion.h"

#include <cstdlib>
#include <mutex>

#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kConverterLibrary = "Converter.dll";
constexpr const char* kConverterEntry = "GetConverterAPI";

}  // namespace

std::string MissingLibraryText(const std::string& libraryName) {
    char text[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_DLL_NOT_FOUND, 0, text, sizeof text, nullptr);
    return std::string(text) + "(" + libraryName + ")";
}

std::string ExecutableFolder() {
    char path[4096] = {};
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) {
        return std::string();
    }
    std::string folder(path);
    const auto cut = folder.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
}

FARPROC FindLibraryEntry(const std::string& folder, const char* windowsName, const char* entryName,
                         std::string* message) {
    const std::string name = PlatformLibraryName(windowsName);
    HMODULE library = LoadLibraryExA((folder + name).c_str(), nullptr, 0);
    FARPROC entry = library ? GetProcAddress(library, entryName) : nullptr;
    if (entry == nullptr) {
        if (message != nullptr) {
            *message = MissingLibraryText(name);
        }
        if (library != nullptr) {
            FreeLibrary(library);
        }
    }
    return entry;
}

void ExitForMissingLibrary(const std::string& message) {
    MessageBoxA(nullptr, message.c_str(), "Plotrex", MB_OK | MB_ICONERROR);
    std::exit(1);
}

ConverterAPI* LoadConverterFrom(const std::string& folder, std::string* message) {
    return LoadLibraryApi<GetConverterAPIFunction>(folder, kConverterLibrary, kConverterEntry,
                                                   message);
}

ConverterAPI* LoadConverterOrExit(const std::string& folder) {
    std::string message;
    ConverterAPI* api = LoadConverterFrom(folder, &message);
    if (api == nullptr) {
        ExitForMissingLibrary(message);
    }
    return api;
}

ConverterAPI* GetConverter() {
    static ConverterAPI* api = nullptr;
    static std::once_flag once;
    std::call_once(once, [] { api = LoadConverterOrExit(ExecutableFolder()); });
    return api;
}

double Convert(double value, int fromUnit, int toUnit) {
    return GetConverter()->GetConverter()->Convert(value, fromUnit, toUnit);
}
