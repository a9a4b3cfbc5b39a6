#include "module/UserMessages.h"

#include <mutex>

#include "drawing/Windows1252.h"
#include "platform/DynamicLibrary.h"
#include "platform/MessageBox.h"
#include "units/UnitConversion.h"

namespace {

constexpr const char* kLibrary = "VexIHM.dll";
constexpr const char* kEntry = "GetVexIHMAPI";
constexpr const char* kCaption = "Plotrex";

}  // namespace

VexIHMAPI* LoadVexIHMFrom(const std::string& folder, std::string* message) {
    const std::string name = PlatformLibraryName(kLibrary);
    HMODULE library = LoadLibraryExA((folder + name).c_str(), nullptr, 0);
    FARPROC entry = library ? GetProcAddress(library, kEntry) : nullptr;
    VexIHMAPI* api = entry ? reinterpret_cast<GetVexIHMAPIFunction>(entry)() : nullptr;
    if (api == nullptr) {
        if (message != nullptr) {
            *message = MissingLibraryText(name);
        }
        if (library != nullptr) {
            FreeLibrary(library);
        }
    }
    // A library that answered stays loaded for the life of the process.
    return api;
}

VexIHMAPI* GetVexIHM() {
    static VexIHMAPI* api = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        std::string message;
        api = LoadVexIHMFrom(ExecutableFolder(), &message);
        if (api == nullptr) {
            // Only messages are lost without it: say so once and go on.
            MessageBoxA(nullptr, message.c_str(), kCaption, MB_OK | MB_ICONERROR);
        }
    });
    return api;
}

int ShowUserMessage(const char* text, int style, int helpId, int flags) {
    return ShowUserMessage(GetVexIHM(), text, style, helpId, flags);
}

int ShowUserMessage(VexIHMAPI* api, const char* text, int style, int helpId, int flags) {
    const std::string shown = Windows1252ToUtf8(text ? text : "");
    if (api != nullptr) {
        return api->ShowMessage(shown.c_str(), style, helpId, flags);
    }
    return MessageBoxA(nullptr, shown.c_str(), kCaption, MB_OK | MB_ICONERROR);
}

void ShowUserWarning(const std::string& text) {
    // The text is the profile's, already UTF-8: no conversion from the code page.
    if (VexIHMAPI* api = GetVexIHM()) {
        api->ShowMessage(text.c_str(), kVexIHMStyleWarning, 0, 0);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
}
