#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

const char* const kSharedLibrarySuffix = ".so";

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;
thread_local std::string lastLoaderError;

void RememberLoaderError() {
    const char* text = dlerror();
    lastLoaderError = text ? text : "";
}

}  // namespace

HMODULE LoadLibraryExA(const char* fileName, void* /*reserved*/, DWORD /*flags*/) {
    if (fileName == nullptr || *fileName == '\0') {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        RememberLoaderError();
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return static_cast<HMODULE>(handle);
}

BOOL FreeLibrary(HMODULE module) {
    if (module == nullptr) {
        return FALSE;
    }
    return dlclose(module) == 0 ? TRUE : FALSE;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr || name == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    dlerror();
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) {
        RememberLoaderError();
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

DWORD GetModuleFileNameA(HMODULE module, char* fileName, DWORD size) {
    if (fileName == nullptr || size == 0) {
        return 0;
    }
    std::string path;
    if (module == nullptr) {
        char buffer[4096];
        const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
        if (length <= 0) {
            return 0;
        }
        path.assign(buffer, static_cast<size_t>(length));
    } else {
        struct link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
            map->l_name == nullptr) {
            return 0;
        }
        path = map->l_name;
    }
    const size_t copied = std::min<size_t>(path.size(), size - 1);
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    return static_cast<DWORD>(copied);
}

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD error) {
    lastError = error;
}

DWORD FormatMessageA(DWORD flags, const void* /*source*/, DWORD messageId, DWORD /*languageId*/,
                     char* buffer, DWORD size, void* /*arguments*/) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        return 0;
    }
    const char* text = nullptr;
    switch (messageId) {
        case ERROR_SUCCESS:
            text = "The operation completed successfully.\r\n";
            break;
        case ERROR_MOD_NOT_FOUND:
            text = "The specified module could not be found.\r\n";
            break;
        case ERROR_PROC_NOT_FOUND:
            text = "The specified procedure could not be found.\r\n";
            break;
        case ERROR_DLL_NOT_FOUND:
            text = "One of the library files needed to run this application cannot be found.\r\n";
            break;
        default:
            return 0;
    }
    const size_t length = std::strlen(text);
    if (length + 1 > size) {
        return 0;
    }
    std::memcpy(buffer, text, length + 1);
    return static_cast<DWORD>(length);
}

std::string LastLoaderError() {
    return lastLoaderError;
}

std::string PlatformLibraryName(const std::string& windowsName) {
    const std::string dll = ".dll";
    if (windowsName.size() >= dll.size() &&
        strcasecmp(windowsName.c_str() + windowsName.size() - dll.size(), dll.c_str()) == 0) {
        return windowsName.substr(0, windowsName.size() - dll.size()) + kSharedLibrarySuffix;
    }
    return windowsName;
}
