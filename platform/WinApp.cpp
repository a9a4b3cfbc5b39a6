#include "platform/WinApp.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/IniProfile.h"

struct HKEY__ {
    IniProfile* profile;
    std::string section;  // empty for the profile's root
};

namespace {

std::atomic<CWinApp*> currentApp{nullptr};

std::string Join(const std::string& key, const char* subKey) {
    if (subKey == nullptr || *subKey == '\0') {
        return key;
    }
    return key.empty() ? std::string(subKey) : key + "\\" + subKey;
}

}  // namespace

CWinApp::CWinApp(const std::string& profilePath)
    : profile_(std::make_unique<IniProfile>(profilePath)) {
    currentApp.store(this);
}

CWinApp::~CWinApp() {
    CWinApp* self = this;
    currentApp.compare_exchange_strong(self, nullptr);
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    if (section == nullptr || entry == nullptr) {
        return FALSE;
    }
    return profile_->Set(section, entry, std::to_string(value)) ? TRUE : FALSE;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
    if (section == nullptr || entry == nullptr) {
        return static_cast<UINT>(defaultValue);
    }
    const auto text = profile_->Get(section, entry);
    if (!text || text->empty()) {
        return static_cast<UINT>(defaultValue);
    }
    errno = 0;
    char* end = nullptr;
    // Decimal, as a person editing the file means "010".
    const long long value = std::strtoll(text->c_str(), &end, 10);
    if (errno != 0 || end == text->c_str() || *end != '\0' || value < INT32_MIN ||
        value > UINT32_MAX) {
        return static_cast<UINT>(defaultValue);
    }
    return static_cast<UINT>(value);
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    if (section == nullptr) {
        return FALSE;
    }
    if (entry == nullptr) {
        profile_->DeleteSection(section);
    } else if (value == nullptr) {
        profile_->DeleteEntry(section, entry);
    } else if (!profile_->Set(section, entry, value)) {
        return FALSE;
    }
    return TRUE;
}

std::string CWinApp::GetProfileString(const char* section, const char* entry,
                                      const char* defaultValue) {
    const std::string fallback = defaultValue ? defaultValue : "";
    if (section == nullptr || entry == nullptr) {
        return fallback;
    }
    return profile_->Get(section, entry).value_or(fallback);
}

HKEY CWinApp::GetSectionKey(const char* section) {
    if (section == nullptr) {
        return nullptr;
    }
    if (!profile_->CreateSection(section)) {
        return nullptr;
    }
    return new HKEY__{profile_.get(), section};
}

HKEY CWinApp::GetAppRegistryKey() {
    return new HKEY__{profile_.get(), std::string()};
}

ErrorOr<CWinApp::ProfileSaved> CWinApp::SaveProfile() {
    ErrorOr<IniProfile::Saved> saved = profile_->Save();
    if (!saved) {
        return saved.GetError();
    }
    return ProfileSaved{saved.Value().keptAs};
}

const std::string& CWinApp::ProfilePath() const {
    return profile_->Path();
}

const std::optional<Error>& CWinApp::ProfileLoadError() const {
    return profile_->LoadError();
}

ErrorOr<void> CWinApp::CheckProfileFile(const std::string& path) {
    return IniProfile::Check(path);
}

const std::optional<Error>& CWinApp::ProfileRefusal() const {
    return profile_->Refusal();
}

CWinApp* AfxGetApp() {
    return currentApp.load();
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string name = Join(key->section, subKey);
    if (name.empty()) {
        return ERROR_ACCESS_DENIED;  // the root is not deleted
    }
    if (!key->profile->HasSection(name)) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (key->profile->HasSubsections(name)) {
        return ERROR_ACCESS_DENIED;
    }
    key->profile->DeleteSection(name);
    return 0;
}

LONG RegCloseKey(HKEY key) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    delete key;
    return 0;
}
