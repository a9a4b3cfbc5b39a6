#include "module/ProfileHelpers.h"

#include "platform/WinApp.h"

void WriteProfileIntValue(const char* section, const char* entry, int value) {
    if (CWinApp* app = AfxGetApp()) {
        app->WriteProfileInt(section, entry, value);
    }
}

bool ReadProfileInt(const char* section, const char* entry, int& out, int defaultValue) {
    out = defaultValue;
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return false;
    }
    const int value = static_cast<int>(app->GetProfileInt(section, entry, kProfileIntAbsent));
    if (value == kProfileIntAbsent) {
        return false;
    }
    out = value;
    return true;
}

void WriteProfileBool(const char* section, const char* entry, bool value) {
    WriteProfileIntValue(section, entry, value ? 1 : 0);
}

bool ReadProfileBool(const char* section, const char* entry, bool& out, bool defaultValue) {
    int value = 0;
    out = defaultValue;
    if (!ReadProfileInt(section, entry, value, 0)) {
        return false;
    }
    out = value != 0;
    return true;
}

void WriteProfileText(const char* section, const char* entry, const std::string& value) {
    if (CWinApp* app = AfxGetApp()) {
        app->WriteProfileString(section, entry, value.c_str());
    }
}

bool ReadProfileText(const char* section, const char* entry, std::string& out,
                     const std::string& defaultValue) {
    out = defaultValue;
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return false;
    }
    std::string value = app->GetProfileString(section, entry, kProfileTextAbsent);
    if (value == kProfileTextAbsent) {
        return false;
    }
    out = std::move(value);
    return true;
}

bool DeleteProfileSection(const char* section) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return false;
    }
    HKEY key = app->GetSectionKey(section);
    if (key == nullptr) {
        return false;
    }
    const LONG result = RegDeleteKeyA(key, "");
    RegCloseKey(key);
    return result == 0;
}
